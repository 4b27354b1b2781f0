#include "settings/profile_editor/profile_editor_driver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QObject>

#include "settings/profile_editor/settings_window.h"
#include "tests/profile_editor/profile_editor_test_env.h"

namespace {

using profile_editor_test::EditorTest;

class EditProfileTest : public EditorTest {
 protected:
  // Whether a Settings window is open anywhere.
  static bool EditorShown() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (qobject_cast<TSettingsMuiForm1*>(window) != nullptr && window->isVisible()) {
        return true;
      }
    }
    return false;
  }
};

TEST_F(EditProfileTest, UnknownNumbersShowNothingAndAnswerFalse) {
  struct Case {
    int32_t group;
    int32_t profile;
  };
  for (const Case c : {Case{77, 1}, Case{1, 77}, Case{-1, -1}}) {
    SCOPED_TRACE(c.group * 1000 + c.profile);
    bool shown = false;
    QObject scope;
    CatchModal(&scope, shown);
    int32_t group = c.group;
    int32_t profile = c.profile;
    EXPECT_FALSE(EditProfile(Ui(), nullptr, catalogue_, group, profile));
    EXPECT_FALSE(EditorShown());
    EXPECT_FALSE(shown);
    EXPECT_EQ(group, c.group);
    EXPECT_EQ(profile, c.profile);
  }
}

TEST_F(EditProfileTest, OkHandsBackTheLastSelectionAndCancelKeepsTheNumbers) {
  struct Case {
    const char* button;
    bool answer;
    int32_t group;
    int32_t profile;
  };
  for (const Case c :
       {Case{"ssSBOk", true, 2, 3}, Case{"ssSBCancel", false, 1, 1}, Case{"SBtnClose", false, 1, 1}}) {
    SCOPED_TRACE(c.button);
    QObject scope;
    OnNextModal(&scope, [&](QDialog* editor) {
      Choose(Find(*editor, "CmbProfileGrp"), "Audio");
      Click(*editor, c.button);
    });
    int32_t group = 1;
    int32_t profile = 1;
    EXPECT_EQ(EditProfile(Ui(), nullptr, catalogue_, group, profile), c.answer);
    EXPECT_EQ(group, c.group);
    EXPECT_EQ(profile, c.profile);
    EXPECT_FALSE(EditorShown());
  }
}

TEST_F(EditProfileTest, DeletingTheOpeningProfileThenCancelHandsBackTheProfileShown) {
  dialogs_.answers = {platform::MsgAnswer::Yes};
  QObject scope;
  OnNextModal(&scope, [&](QDialog* editor) {
    Click(*editor, "ssSBDelete");
    Click(*editor, "ssSBCancel");
  });
  int32_t group = 9;
  int32_t profile = 1500;
  EXPECT_TRUE(EditProfile(Ui(), nullptr, catalogue_, group, profile));
  EXPECT_EQ(group, 9);
  EXPECT_EQ(profile, 1501);
  EXPECT_EQ(catalogue_.FindProfile(1500), nullptr);
}

TEST_F(EditProfileTest, OkChangesTheProfileInMemoryAndSavesNothing) {
  const QByteArray userFile = settings_test::ReadAll(UserFile());
  QObject scope;
  OnNextModal(&scope, [&](QDialog* editor) {
    Choose(Find(*editor, "CmbProfileGrp"), "Mine");
    Choose(Find(*editor, "CmbAChan"), "Mono");
    Click(*editor, "ssSBOk");
  });
  int32_t group = 1;
  int32_t profile = 1;
  EXPECT_TRUE(EditProfile(Ui(), nullptr, catalogue_, group, profile));
  EXPECT_EQ(group, 9);
  EXPECT_EQ(profile, 1500);
  EXPECT_EQ(catalogue_.FindProfile(1500)->Channel, 1);
  EXPECT_EQ(settings_test::ReadAll(UserFile()), userFile);
}

}  // namespace
