#include "settings/current_profile.h"

#include "base/folders.h"
#include "base/qt_text.h"
#include "components/i_save_option_xml.h"
#include "plug/plug_ptr.h"

QString CurrentProfileFilePath(const MuiContext& context) {
  const QString folder = UserDataFolder(context);
  return folder.isEmpty() ? QString() : folder + "/" + QString::fromUtf8(kCurrentProfileFile);
}

CurrentProfileChoice ReadCurrentProfile(const MuiContext& context) {
  CurrentProfileChoice choice;
  const QString path = CurrentProfileFilePath(context);
  PlugPtr<I_SaveOptionXml> store;
  if (path.isEmpty() || !CreateInto(store, kSaveOptionXmlName) || !store->Load(U16(path))) {
    return choice;
  }
  choice.group = QString::fromUtf16(store->GetString(kCurrentProfileGroupKey));
  choice.profile = QString::fromUtf16(store->GetString(kCurrentProfileKey));
  return choice;
}

bool WriteCurrentProfile(const MuiContext& context, const CurrentProfileChoice& choice) {
  const QString path = CurrentProfileFilePath(context);
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
