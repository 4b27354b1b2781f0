#include "settings/current_profile.h"

#include "app/folders.h"
#include "app/qt_text.h"
#include "components/i_save_option_xml.h"
#include "plug/plug_ptr.h"

QString CurrentProfileFilePath() {
  const QString folder = UserDataFolder();
  return folder.isEmpty() ? QString() : folder + "/" + QString::fromUtf8(kCurrentProfileFile);
}

CurrentProfileChoice ReadCurrentProfile() {
  CurrentProfileChoice choice;
  const QString path = CurrentProfileFilePath();
  PlugPtr<I_SaveOptionXml> store;
  if (path.isEmpty() || !CreateInto(store, kSaveOptionXmlName) || !store->Load(U16(path))) {
    return choice;
  }
  choice.group = QString::fromUtf16(store->GetString(kCurrentProfileGroupKey));
  choice.profile = QString::fromUtf16(store->GetString(kCurrentProfileKey));
  return choice;
}

bool WriteCurrentProfile(const CurrentProfileChoice& choice) {
  const QString path = CurrentProfileFilePath();
  PlugPtr<I_SaveOptionXml> store;
  if (path.isEmpty() || !CreateInto(store, kSaveOptionXmlName)) {
    return false;
  }
  // A missing file is the first run; an unreadable one is kept aside by the store's first save.
  store->Load(U16(path));
  store->SetString(kCurrentProfileGroupKey, U16(choice.group));
  store->SetString(kCurrentProfileKey, U16(choice.profile));
  return store->Save();
}
