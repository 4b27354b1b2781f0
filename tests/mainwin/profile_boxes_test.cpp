#include <sys/stat.h>

#include <QFile>

#include "settings/current_profile.h"
#include "tests/mainwin/main_window_test_support.h"

namespace mainwin_test {
namespace {

class ProfileBoxesTest : public MainWindowTest {};

TEST_F(ProfileBoxesTest, AnotherExtensionRenamesTheFocusedItemUniquelyTheSameExtensionLeavesIt) {
  const QString first = Video("a.mov");
  const QString second = Video("other/a.wmv");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {first});
    TaskNode* focused = Tree(form).FocusedNode();
    ASSERT_NE(focused, nullptr);
    ASSERT_EQ(focused->Item()->outputName(), "a.mp4");
    // Another item already holds the name the focused one would get.
    const ProfileSetting* avi = form.Catalogue().FindProfile(13);
    ASSERT_NE(avi, nullptr);
    ASSERT_EQ(form.TaskList().LoadFile(second, *avi, 1), 0);
    ASSERT_EQ(Tree(form).GetLastTopLevel()->Item()->outputName(), "a.avi");
    ASSERT_EQ(Tree(form).FocusedNode(), focused);

    Choose(form.CmbProfile, "MP4 Small");
    EXPECT_EQ(focused->Item()->outputName(), "a.mp4") << "the same extension keeps the name";
    EXPECT_EQ(focused->Item()->profile.ProfileId, 12);

    Choose(form.CmbProfile, "AVI Video");
    EXPECT_EQ(focused->Item()->outputName(), "a-1.avi");
    EXPECT_EQ(focused->Item()->profile.ProfileId, 13);
    EXPECT_EQ(focused->Item()->profile.FormatExt, ".avi");
    EXPECT_EQ(focused->Item()->groupId, 1);
    EXPECT_EQ(form.Profiles().lastProfileId(), 13);

    // New items get the chosen profile.
    EXPECT_EQ(form.Profiles().CurrentProfile()->ProfileId, 13);
  }));
}

TEST_F(ProfileBoxesTest, AMergedItemsPartsGetTheProfileAndKeepTheirNames) {
  const QStringList files = {Video("a.mp4"), Video("b.mp4")};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, files);
    const std::vector<TaskNode*> top = TopLevel(form);
    FocusOnly(form, {top[0], top[1]});
    form.UpdateActions();
    form.actions.ActMerge->trigger();
    TaskNode* merged = Tree(form).GetLastTopLevel();
    ASSERT_EQ(merged->ChildCount(), 2);
    FocusOnly(form, {merged});

    Choose(form.CmbProfileGrp, "Audio");
    EXPECT_EQ(form.CmbProfile->currentText(), "MP3 Audio");
    EXPECT_EQ(merged->Item()->outputName(), "Merge.mp3");
    EXPECT_EQ(merged->Item()->profile.ProfileId, 21);
    EXPECT_EQ(merged->Item()->groupId, 2);
    for (int i = 0; i < merged->ChildCount(); ++i) {
      const MuiItemInfo* part = merged->ChildAt(i)->Item();
      EXPECT_EQ(part->profile.ProfileId, 21) << i;
      EXPECT_EQ(part->groupId, 2) << i;
      EXPECT_EQ(part->outputName(), QStringList({"a.mp4", "b.mp4"})[i]) << "parts keep their names";
    }
    // The items merged stay as they were.
    EXPECT_EQ(top[0]->Item()->outputName(), "a.mp4");
  }));
}

TEST_F(ProfileBoxesTest, TheFocusedItemsProfileIsShownAndRefreshedOnFocus) {
  const QStringList files = {Video("a.mp4"), Video("b.mp4")};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, files);
    const std::vector<TaskNode*> top = TopLevel(form);
    FocusOnly(form, {top[0]});
    Choose(form.CmbProfileGrp, "Audio");
    ASSERT_EQ(top[0]->Item()->profile.ProfileId, 21);
    // The item's copy drifts from the catalogue; focusing it again takes a fresh copy.
    top[0]->Item()->profile.AudioBitRate = 1;

    FocusOnly(form, {top[1]});
    EXPECT_EQ(form.CmbProfileGrp->currentText(), "General Video");
    EXPECT_EQ(form.CmbProfile->currentText(), "MP4 Video");
    FocusOnly(form, {top[0]});
    EXPECT_EQ(form.CmbProfileGrp->currentText(), "Audio");
    EXPECT_EQ(form.CmbProfile->currentText(), "MP3 Audio");
    EXPECT_EQ(top[0]->Item()->profile.AudioBitRate, 0);
  }));
}

// Showing an item's profile must not hand it the remembered profile on the way: with another
// extension that would rename it, and the name made unique against the others would stick.
TEST_F(ProfileBoxesTest, FocusingAnItemLeavesItsOutputNameAlone) {
  const QString first = Video("a.mov");
  const QString second = Video("other/a.wmv");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {first});
    ASSERT_EQ(form.CmbProfile->currentText(), "MP4 Video");
    const ProfileSetting* avi = form.Catalogue().FindProfile(13);
    ASSERT_NE(avi, nullptr);
    ASSERT_EQ(form.TaskList().LoadFile(second, *avi, 1), 0);
    const std::vector<TaskNode*> top = TopLevel(form);
    ASSERT_EQ(top[0]->Item()->outputName(), "a.mp4");
    ASSERT_EQ(top[1]->Item()->outputName(), "a.avi");

    for (int round = 0; round < 2; ++round) {
      for (size_t i = 0; i < top.size(); ++i) {
        FocusOnly(form, {top[i]});
        EXPECT_EQ(top[0]->Item()->outputName(), "a.mp4") << "round " << round << ", focus " << i;
        EXPECT_EQ(top[1]->Item()->outputName(), "a.avi") << "round " << round << ", focus " << i;
        EXPECT_EQ(form.CmbProfile->currentText(), i == 0 ? "MP4 Video" : "AVI Video");
      }
    }
    EXPECT_EQ(top[1]->Item()->profile.ProfileId, 13);
  }));
}

// Each save of the remembered choice is flushed to the disk: moving the focus through items of the
// profile already remembered must not save it again every time.
TEST_F(ProfileBoxesTest, TheRememberedChoiceIsSavedOnlyWhenItChanges) {
  const QStringList files = {Video("a.mp4"), Video("b.mp4"), Video("c.mp4")};
  const QString remembered = UserDataFolder() + "/user_current_profile.xml";
  // Every save replaces the file by a new one, which has an inode of its own.
  const auto inode = [&remembered] {
    struct stat info {};
    return ::stat(QFile::encodeName(remembered).constData(), &info) == 0 ? info.st_ino : ino_t{0};
  };
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, files);
    const ino_t saved = inode();
    ASSERT_NE(saved, ino_t{0});
    for (TaskNode* node : TopLevel(form)) {
      FocusOnly(form, {node});
      EXPECT_EQ(inode(), saved);
    }
    Choose(form.CmbProfile, "AVI Video");
    EXPECT_NE(inode(), saved) << "a new choice is saved";
  }));
  EXPECT_TRUE(Run([&](TConverterForm1& form) { EXPECT_EQ(form.CmbProfile->currentText(), "AVI Video"); }));
}

TEST_F(ProfileBoxesTest, TheChoiceIsRememberedForTheNextStart) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    Choose(form.CmbProfileGrp, "General Video");
    Choose(form.CmbProfile, "AVI Video");
    const auto* context = static_cast<const MuiContext*>(platform::Application::Current()->Tag());
    EXPECT_EQ(context->currentProfileGroup, "General Video");
    EXPECT_EQ(context->currentProfile, "AVI Video");
  }));
  EXPECT_TRUE(QFile::exists(UserDataFolder() + "/user_current_profile.xml"));
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    EXPECT_EQ(form.CmbProfileGrp->currentText(), "General Video");
    EXPECT_EQ(form.CmbProfile->currentText(), "AVI Video");
    EXPECT_EQ(form.Profiles().CurrentProfile()->ProfileId, 13);
    EXPECT_EQ(form.Profiles().CurrentGroup(), 1);
  }));
}

TEST_F(ProfileBoxesTest, RememberedNamesAreMatchedIgnoringCaseAndFallBackToTheFirstRow) {
  RememberChoice("audio", "no such profile");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    EXPECT_EQ(form.CmbProfileGrp->currentText(), "Audio");
    EXPECT_EQ(form.CmbProfile->currentText(), "MP3 Audio");
  }));
}

// A group without profiles falls back to the remembered group; when it is the remembered group itself
// that fallback must stop instead of choosing it again for ever.
TEST_F(ProfileBoxesTest, AnEmptyRememberedGroupLeavesTheProfileBoxEmptyInsteadOfLooping) {
  WriteCatalogue({GroupRecord(1, "General Video"), GroupRecord(5, "Empty")},
                 {{11, "1", "MP4 Video", ".mp4"}});
  RememberChoice("Empty", "MP4 Video");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    EXPECT_EQ(form.CmbProfileGrp->currentText(), "Empty");
    EXPECT_EQ(form.CmbProfile->count(), 0);
    EXPECT_EQ(form.Profiles().CurrentProfile(), nullptr);

    // Choosing a real group afterwards works as usual and becomes the remembered one, so the empty
    // group now falls back to it.
    Choose(form.CmbProfileGrp, "General Video");
    EXPECT_EQ(form.CmbProfile->currentText(), "MP4 Video");
    Choose(form.CmbProfileGrp, "Empty");
    EXPECT_EQ(form.CmbProfileGrp->currentText(), "General Video");
    EXPECT_EQ(form.CmbProfile->currentText(), "MP4 Video");
  }));
}

TEST_F(ProfileBoxesTest, AnEmptyGroupChosenByTheUserFallsBackToTheRememberedGroup) {
  WriteCatalogue({GroupRecord(1, "General Video"), GroupRecord(5, "Empty")},
                 {{11, "1", "MP4 Video", ".mp4"}, {13, "1", "AVI Video", ".avi"}});
  RememberChoice("General Video", "AVI Video");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    Choose(form.CmbProfileGrp, "Empty");
    EXPECT_EQ(form.CmbProfileGrp->currentText(), "General Video");
    EXPECT_EQ(form.CmbProfile->currentText(), "AVI Video");
  }));
}

}  // namespace
}  // namespace mainwin_test
