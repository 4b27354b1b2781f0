#include "settings/preferences/preference_values.h"

#include "base/folders.h"
#include "base/mui_context.h"
#include "base/qt_text.h"
#include "components/i_save_option_xml.h"
#include "plug/plug_ptr.h"

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

QString PreferencesFileToRead(const MuiContext& context) {
  return UserFileToRead(context, QString::fromUtf8(kPreferencesFile));
}

QString PreferencesFileToWrite(const MuiContext& context) {
  return UserFileToWrite(context, QString::fromUtf8(kPreferencesFile));
}

QString PreferenceFolder(const MuiContext& context, const char16_t* key, const QString& subName) {
  QString value;
  {
    PlugPtr<I_SaveOptionXml> store;
    if (CreateInto(store, kSaveOptionXmlName)) {
      store->Load(U16(PreferencesFileToRead(context)));
      // Copied before the store goes: its text is only valid until the next call on it.
      value = QString::fromUtf16(store->GetString(key));
    }
  }
  if (!value.isEmpty()) {
    return value;
  }
  return DefaultWorkFolder(context, subName);
}

std::optional<int> StoredAfterRippingDone(const MuiContext& context) {
  PlugPtr<I_SaveOptionXml> store;
  int32_t value = 0;
  if (!CreateInto(store, kSaveOptionXmlName) || !store->Load(U16(PreferencesFileToRead(context))) ||
      !store->TryGetInt(kAfterRippingDone, &value)) {
    return std::nullopt;
  }
  return value;
}

QString StoredImageType(const MuiContext& context) {
  PlugPtr<I_SaveOptionXml> store;
  if (!CreateInto(store, kSaveOptionXmlName) || !store->Load(U16(PreferencesFileToRead(context)))) {
    return QString();
  }
  return QString::fromUtf16(store->GetString(kImageType));
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
