#include "settings/profile_editor/save_as_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <vector>

#include "tests/profile_editor/profile_editor_test_env.h"

namespace {

using profile_editor_test::EditorTest;
using profile_editor_test::kTitle;
using profile_editor_test::Record;

constexpr char kNameTaken[] = "The profile name exists, please enter a new one.";

// The window on its own, with a temporary copy of "MP4 Video" as the editor hands it over.
class SaveAsTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    temporary_ = *catalogue_.FindProfile(1);
    temporary_.Channel = 1;
    form_.Setup(catalogue_, temporary_);
    form_.show();
    name_ = Find<QLineEdit>(form_, "edtProfileName");
  }

  void Accept(const QString& name) {
    name_->setText(name);
    Click(form_, "ssSBOK");
  }

  ProfileSetting temporary_;
  TSettingSaveAsForm1 form_{Ui(), nullptr};
  QLineEdit* name_ = nullptr;
};

TEST_F(SaveAsTest, ShowsItsTextsAndThePrefilledName) {
  EXPECT_EQ(form_.size(), QSize(360, 170));
  EXPECT_EQ(form_.findChild<QLabel*>("lblTitle")->text(), "Save as ...");
  EXPECT_EQ(form_.findChild<QLabel*>("lblPrompt")->text(), "The new profile's name:");
  EXPECT_EQ(name_->text(), "MP4 Video");
  EXPECT_EQ(form_.newProfile(), nullptr);
}

TEST_F(SaveAsTest, ATakenNameIsRefusedWithTheMessageAndTheWindowStaysOpen) {
  const int profiles = catalogue_.ProfileCount();
  for (const char* taken : {"MP4 Video", "Mine", "MP3 Audio"}) {
    SCOPED_TRACE(taken);
    Accept(taken);
    EXPECT_TRUE(form_.isVisible());
    EXPECT_EQ(form_.newProfile(), nullptr);
  }
  EXPECT_EQ(MessageTexts(), std::vector<QString>(3, kNameTaken));
  for (const auto& shown : dialogs_.shown) {
    EXPECT_EQ(shown.caption, kTitle);
    EXPECT_EQ(shown.buttons, platform::MsgButtons::Ok);
  }
  EXPECT_EQ(catalogue_.ProfileCount(), profiles);
}

TEST_F(SaveAsTest, AnEmptyNameIsIgnoredSilently) {
  const int profiles = catalogue_.ProfileCount();
  Accept("");
  EXPECT_TRUE(form_.isVisible());
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(catalogue_.ProfileCount(), profiles);
}

// Names are compared exactly and kept as typed.
TEST_F(SaveAsTest, ANewNameMakesAUserProfileUnderTheNextNumber) {
  for (const char* name : {"mp4 video", "   ", " MP4 Video"}) {
    SCOPED_TRACE(name);
    TSettingSaveAsForm1 form(Ui(), nullptr);
    ProfileSetting temporary = temporary_;
    form.Setup(catalogue_, temporary);
    form.show();
    const int32_t nextId = catalogue_.LastProfileId() + 1;
    Find<QLineEdit>(form, "edtProfileName")->setText(name);
    Click(form, "ssSBOK");

    EXPECT_EQ(form.result(), QDialog::Accepted);
    ProfileSetting* added = form.newProfile();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added, catalogue_.FindProfile(nextId));
    ProfileSetting expected = temporary_;
    expected.ProfileId = nextId;
    expected.Groups = {9};
    expected.ProfileName = name;
    EXPECT_EQ(Record(*added), Record(expected));
    EXPECT_TRUE(UserFileNames().contains(name));
  }
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(SaveAsTest, EnterInTheNameBoxIsOk) {
  name_->setText("By Enter");
  QTest::keyClick(name_, Qt::Key_Return);
  EXPECT_EQ(form_.result(), QDialog::Accepted);
  ASSERT_NE(form_.newProfile(), nullptr);
  EXPECT_EQ(form_.newProfile()->ProfileName, "By Enter");
}

}  // namespace
