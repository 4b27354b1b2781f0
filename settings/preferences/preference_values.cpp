#include "settings/preferences/preference_values.h"

#include "app/qt_text.h"
#include "components/i_save_option_xml.h"

namespace prefs {

QStringList ImageTypeItems() {
  return {QStringLiteral("JPEG"), QStringLiteral("GIF"), QStringLiteral("BMP")};
}

QStringList RippingDoneItems() {
  return {QStringLiteral("No Action"), QStringLiteral("Shut Down")};
}

QStringList CpuUsageItems() {
  return {QStringLiteral("50%"), QStringLiteral("60%"), QStringLiteral("70%"),
          QStringLiteral("80%"), QStringLiteral("90%"), QStringLiteral("100%")};
}

QStringList LanguageItems() {
  return {QString::fromLatin1(kDefaultLanguage)};
}

QStringList SkinItems() {
  return {QString::fromLatin1(kDefaultSkin)};
}

QString PreferencesFile(const QString& productFolder) {
  return productFolder + QStringLiteral("Profile/preferences.xml");
}

int MatchItem(const QStringList& items, const QString& text) {
  for (int i = 0; i < items.size(); ++i) {
    if (items[i].compare(text, Qt::CaseInsensitive) == 0) {
      return i;
    }
  }
  return -1;
}

int RippingDoneIndex(std::optional<int> stored, int itemCount) {
  if (!stored.has_value() || *stored < 0 || *stored >= itemCount) {
    return 0;
  }
  return *stored;
}

void WritePreferences(I_SaveOptionXml& store, const PreferenceValues& values) {
  store.SetString(kDestination, U16(values.destination));
  store.SetString(kSnapShotFolder, U16(values.snapShotFolder));
  store.SetString(kImageType, U16(values.imageType));
  store.SetInt(kAfterRippingDone, values.afterRippingDone);
  store.SetString(kCpuUsage, U16(values.cpuUsage));
  store.SetString(kLanguage, U16(values.language));
  store.SetString(kSkin, U16(values.skin));
}

}  // namespace prefs
