#include "settings/profile_editor/profile_editor_driver.h"

#include "settings/catalogue.h"
#include "settings/profile_editor/settings_window.h"

bool EditProfile(const UiContext& ui, QWidget* owner, ConverterSettings& catalogue, int32_t& groupId,
                 int32_t& profileId) {
  if (catalogue.FindGroup(groupId) == nullptr || catalogue.FindProfile(profileId) == nullptr) {
    return false;
  }
  TSettingsMuiForm1 editor(ui, owner);
  if (!editor.Setup(catalogue, groupId, profileId)) {
    return false;
  }
  if (editor.exec() != QDialog::Accepted) {
    return false;
  }
  groupId = editor.shownGroupId();
  profileId = editor.shownProfileId();
  return true;
}
