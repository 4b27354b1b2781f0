#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class I_SaveOptionXml;
struct MuiContext;

// The one definition of the preferences file and its keys that every reader and writer uses, and the
// fixed choice lists of the Preferences window. Plain Qt Core, so the rules are tested without a
// window.
namespace prefs {

// Relative to the product folder; the program writes the user's copy (base/folders.h).
inline constexpr char kPreferencesFile[] = "Profile/preferences.xml";

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

// Where the preferences are read from: the user's copy, else the product's default.
QString PreferencesFileToRead(const MuiContext& context);
// Where Apply writes them: the user's copy. Empty when there is no user data folder.
QString PreferencesFileToWrite(const MuiContext& context);

// A folder preference (kDestination or kSnapShotFolder). The user's choice is taken as it stands, even
// when it does not exist yet: the converter reports an unusable folder when it needs it. When unset,
// the default <documents>/<makerName>/<subName>, created; empty when neither can be found.
QString PreferenceFolder(const MuiContext& context, const char16_t* key, const QString& subName);

// The stored after-conversion action (an index of RippingDoneItems()); nothing when unset or
// unreadable.
std::optional<int> StoredAfterRippingDone(const MuiContext& context);

// The stored snapshot picture type ("JPEG", "GIF", "BMP", or whatever the file holds); empty when unset
// or unreadable.
QString StoredImageType(const MuiContext& context);

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
