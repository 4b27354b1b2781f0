#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class I_SaveOptionXml;

// The keys of "Profile/preferences.xml" and the fixed choice lists of the Preferences window. Plain
// Qt Core, so the rules are tested without a window.
namespace prefs {

inline constexpr char16_t kDestination[] = u"general\\destination";
inline constexpr char16_t kSnapShotFolder[] = u"general\\snap_shot_folder";
inline constexpr char16_t kImageType[] = u"general\\image_type";
inline constexpr char16_t kAfterRippingDone[] = u"general\\after_ripping_done";
inline constexpr char16_t kCpuUsage[] = u"general\\cpu_usage";
inline constexpr char16_t kLanguage[] = u"options\\language";
inline constexpr char16_t kSkin[] = u"options\\skin";

QStringList ImageTypeItems();
QStringList RippingDoneItems();
QStringList CpuUsageItems();
QStringList LanguageItems();
QStringList SkinItems();

// Shown when the stored text is absent or empty.
inline constexpr char kDefaultLanguage[] = "English";
inline constexpr char kDefaultSkin[] = "Default";

// The preferences file of a product folder (which ends in "/").
QString PreferencesFile(const QString& productFolder);

// The first item equal to `text` when letter case is ignored; -1 when none is.
int MatchItem(const QStringList& items, const QString& text);

// The item of the after-conversion list shown for a stored value: the value when it is an index of
// the list, otherwise 0 ("No Action").
int RippingDoneIndex(std::optional<int> stored, int itemCount);

// Everything the Preferences window stores, as it shows it.
struct PreferenceValues {
  QString destination;
  QString snapShotFolder;
  QString imageType;
  int afterRippingDone = 0;
  QString cpuUsage;
  QString language;
  QString skin;
};

// Writes all seven keys, in the order above, into `store`; saving is the caller's.
void WritePreferences(I_SaveOptionXml& store, const PreferenceValues& values);

}  // namespace prefs
