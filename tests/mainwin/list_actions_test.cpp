#include <QApplication>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "settings/input_formats.h"
#include "tests/mainwin/main_window_test_support.h"

namespace mainwin_test {
namespace {

class ListActionsTest : public MainWindowTest {};

TEST_F(ListActionsTest, TheFirstAddShowsTheListWithTheFocusAndWakesTheTrackBoxes) {
  const QString clip = Video("clip.mp4");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {clip});
    ASSERT_EQ(dialogs_.fileChoosers.size(), 1u);
    EXPECT_EQ(dialogs_.fileChoosers[0].title, "Select Video File");
    EXPECT_EQ(dialogs_.fileChoosers[0].filter, BuildOpenFilter(ProductContext()));
    EXPECT_TRUE(dialogs_.shown.empty());

    ASSERT_EQ(Tree(form).TopLevelCount(), 1);
    EXPECT_TRUE(form.VstList->isVisible());
    EXPECT_FALSE(form.FaceImage->isVisible());
    EXPECT_EQ(form.focusWidget(), form.VstList);
    EXPECT_TRUE(form.cboAudio->isEnabled());
    EXPECT_TRUE(form.cboSubtitle->isEnabled());
    EXPECT_EQ(form.cboAudio->currentText(), "0x80 ac3 stereo eng");
    EXPECT_EQ(form.cboSubtitle->currentText(), "No Subtitle");

    const MuiItemInfo* item = form.TaskList().FocusedItem();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->outputName(), "clip.mp4");
    EXPECT_EQ(item->profile.ProfileName, "MP4 Video");
    EXPECT_EQ(item->groupId, 1);
    Idle();
    EXPECT_TRUE(form.CmbProfileGrp->isEnabled());
    EXPECT_TRUE(form.CmbProfile->isEnabled());
  }));
}

TEST_F(ListActionsTest, OnlyFilesOfTheTypesTheEditionOpensAreTaken) {
  UseProduct("Tolvermax MP3 Converter");
  MediaInfo audio = AudioMedia(20.0);
  AddAudio(audio, 1, "mp3", "stereo", "und");
  const QStringList files = {Video("clip.mp4"), Media("song.mp3", audio), Media("noext", audio)};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, files);
    EXPECT_EQ(FakeFfPreview::probes, 1) << "a file of a type the edition does not open is not even probed";
    ASSERT_EQ(Tree(form).TopLevelCount(), 1);
    EXPECT_EQ(TopLevel(form)[0]->Item()->fileName, "song.mp3");
    EXPECT_TRUE(dialogs_.shown.empty());
  }));
}

TEST_F(ListActionsTest, ACancelledDialogAddsNothing) {
  Video("clip.mp4");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    form.actions.AddFileAct->trigger();
    EXPECT_EQ(dialogs_.fileChoosers.size(), 1u);
    EXPECT_EQ(Tree(form).TopLevelCount(), 0);
    EXPECT_EQ(FakeFfPreview::probes, 0);
    EXPECT_FALSE(form.VstList->isVisible());
    EXPECT_FALSE(form.cboAudio->isEnabled());
  }));
}

TEST_F(ListActionsTest, RefusedFilesAreNamedAndTheListStaysHiddenWhenNothingCameIn) {
  const QString broken = media_.path() + "/broken.mp4";
  WriteBytes(broken, "not media");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {broken});
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_TRUE(dialogs_.shown[0].text.contains(broken)) << dialogs_.shown[0].text.toStdString();
    EXPECT_EQ(dialogs_.shown[0].caption, QString::fromUtf8(kProduct));
    EXPECT_FALSE(form.VstList->isVisible());
    EXPECT_FALSE(form.cboAudio->isEnabled());
  }));
}

// What is enabled for the focused item, by its kind and streams.
enum class Focus { Video, AudioOnly, Merged, Part };

struct RuleCase {
  const char* name;
  Focus focus;
  std::vector<const char*> enabled;
  std::vector<const char*> disabled;
  bool profileBoxes;
};

void PrintTo(const RuleCase& c, std::ostream* os) {
  *os << c.name;
}

class EnableRulesTest : public MainWindowTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(EnableRulesTest, FollowTheFocusedItem) {
  MediaInfo audio = AudioMedia(20.0);
  AddAudio(audio, 1, "mp3", "stereo", "und");
  const QStringList files = {Video("a.mp4"), Video("b.mp4"), Media("song.mp3", audio)};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, files);
    const std::vector<TaskNode*> top = TopLevel(form);
    ASSERT_EQ(top.size(), 3u);
    switch (GetParam().focus) {
      case Focus::Video:
        FocusOnly(form, {top[0]});
        break;
      case Focus::AudioOnly:
        FocusOnly(form, {top[2]});
        break;
      case Focus::Merged:
      case Focus::Part: {
        FocusOnly(form, {top[0], top[1]});
        form.UpdateActions();
        form.actions.ActMerge->trigger();
        TaskNode* merged = Tree(form).GetLastTopLevel();
        ASSERT_EQ(merged->ChildCount(), 2);
        FocusOnly(form, {GetParam().focus == Focus::Merged ? merged : merged->ChildAt(1)});
        break;
      }
    }
    form.UpdateActions();
    for (const char* name : GetParam().enabled) {
      EXPECT_TRUE(form.findChild<QAction*>(name)->isEnabled()) << name;
    }
    for (const char* name : GetParam().disabled) {
      EXPECT_FALSE(form.findChild<QAction*>(name)->isEnabled()) << name;
    }
    EXPECT_EQ(form.CmbProfileGrp->isEnabled(), GetParam().profileBoxes);
    EXPECT_EQ(form.CmbProfile->isEnabled(), GetParam().profileBoxes);
  }));
}

// The clip editor trims any item but a merged one, and crops, adjusts and watermarks only items with
// video; the profile editor serves every item but a part. Stop and Snapshot stay disabled while nothing
// plays: an enabled action does what its caption says.
INSTANTIATE_TEST_SUITE_P(
    Items, EnableRulesTest,
    ::testing::Values(RuleCase{"Video",
                               Focus::Video,
                               {"Rename", "Properties", "PreviewPlay", "ActApplyToAll", "Remove", "MoveDown",
                                "PreviewNext", "Trim", "Crop", "Effect", "WatermarkAct", "Settings"},
                               {"MoveUp", "PreviewPrev", "ActMerge", "PreviewStop", "SnapShot"},
                               true},
                      RuleCase{"AudioOnly",
                               Focus::AudioOnly,
                               {"Properties", "PreviewPlay", "Rename", "MoveUp", "PreviewPrev", "Trim"},
                               {"Crop", "Effect", "WatermarkAct", "SnapShot", "MoveDown", "PreviewNext"},
                               true},
                      RuleCase{"Merged",
                               Focus::Merged,
                               {"Rename", "ActApplyToAll", "Remove", "Settings"},
                               {"Trim", "Properties", "PreviewPlay", "PreviewStop", "Crop", "SnapShot",
                                "MoveDown"},
                               true},
                      RuleCase{"Part",
                               Focus::Part,
                               {"Properties", "PreviewPlay", "Remove", "MoveUp", "Trim"},
                               {"Rename", "Settings", "ActApplyToAll", "MoveDown"},
                               false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListActionsTest, MergeNeedsAtLeastTwoSelectedItems) {
  const QStringList files = {Video("a.mp4"), Video("b.mp4")};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, files);
    const std::vector<TaskNode*> top = TopLevel(form);
    FocusOnly(form, {top[0]});
    form.UpdateActions();
    EXPECT_FALSE(form.actions.ActMerge->isEnabled());

    FocusOnly(form, {top[0], top[1]});
    form.UpdateActions();
    EXPECT_TRUE(form.actions.ActMerge->isEnabled());
    form.actions.ActMerge->trigger();
    ASSERT_EQ(Tree(form).TopLevelCount(), 3);
    const MuiItemInfo* merged = Tree(form).GetLastTopLevel()->Item();
    EXPECT_EQ(merged->itemKind(), kMergedItem);
    EXPECT_EQ(merged->outputName(), "Merge.mp4");
    EXPECT_EQ(merged->profile.ProfileName, "MP4 Video");
  }));
}

TEST_F(ListActionsTest, RemovingTheLastItemBringsBackTheWelcomePicture) {
  const QString file = Video("a.mp4");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {file});
    ASSERT_TRUE(form.VstList->isVisible());
    form.UpdateActions();
    form.actions.Remove->trigger();
    EXPECT_EQ(Tree(form).TopLevelCount(), 0);
    EXPECT_FALSE(form.VstList->isVisible());
    EXPECT_TRUE(form.FaceImage->isVisible());
    EXPECT_EQ(form.cboAudio->count(), 0);
    EXPECT_FALSE(form.cboAudio->isEnabled());
    EXPECT_FALSE(form.cboSubtitle->isEnabled());

    // And the next add shows the list again.
    AddThroughDialog(form, {file});
    EXPECT_TRUE(form.VstList->isVisible());
    EXPECT_TRUE(form.cboAudio->isEnabled());
  }));
}

TEST_F(ListActionsTest, TheTrackBoxesFollowTheFocusedItemAndKeepTheUsersChoice) {
  MediaInfo two = VideoMedia(30.0);
  AddAudio(two, 0x80, "ac3", "stereo", "eng");
  AddAudio(two, 0x81, "aac", "5.1", "fre");
  AddSubtitle(two, 0x20, "eng");
  const QStringList files = {Media("two.mkv", two), Video("one.mp4")};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, files);
    const std::vector<TaskNode*> top = TopLevel(form);
    FocusOnly(form, {top[0]});
    ASSERT_EQ(form.cboAudio->count(), 2);
    ASSERT_EQ(form.cboSubtitle->count(), 2);
    form.cboAudio->setCurrentIndex(1);
    emit form.cboAudio->activated(1);
    form.cboSubtitle->setCurrentIndex(1);
    emit form.cboSubtitle->activated(1);
    const MuiItemInfo* item = top[0]->Item();
    EXPECT_EQ(item->audioIndex, 1);
    EXPECT_EQ(item->input.audioId, 0x81);
    EXPECT_EQ(item->subtitleIndex, 1);
    EXPECT_EQ(item->input.subtitleId, 0x20);

    FocusOnly(form, {top[1]});
    EXPECT_EQ(form.cboAudio->count(), 1);
    EXPECT_EQ(form.cboSubtitle->count(), 1);
    FocusOnly(form, {top[0]});
    EXPECT_EQ(form.cboAudio->currentIndex(), 1) << "the item's choice is shown again";
    EXPECT_EQ(form.cboSubtitle->currentIndex(), 1);
  }));
}

TEST_F(ListActionsTest, DroppedLocalFilesAndFoldersAreLoaded) {
  const QString file = Video("dropped.mp4");
  Video("folder/inner.mkv");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile(media_.path() + "/folder"),
                  QUrl(QStringLiteral("https://example.invalid/remote.mp4"))});
    const QPoint centre = form.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(FakeFfPreview::probes, 0) << "the drop is answered before the files are probed";
    Idle();
    ASSERT_EQ(Tree(form).TopLevelCount(), 2);
    EXPECT_EQ(TopLevel(form)[0]->Item()->outputName(), "dropped.mp4");
    EXPECT_EQ(TopLevel(form)[1]->Item()->outputName(), "inner.mp4");
    EXPECT_TRUE(form.VstList->isVisible());
    EXPECT_TRUE(form.cboAudio->isEnabled());
  }));
}

// Over the list the drag first meets the list's own view, which takes only drags inside itself; files
// from the file manager must still reach the window.
TEST_F(ListActionsTest, FilesDroppedOnTheListReachTheWindow) {
  const QStringList files = {Video("first.mp4"), Video("second.mp4")};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {files[0]});
    ASSERT_TRUE(form.VstList->isVisible());
    QWidget* viewport = form.VstList->viewport();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(files[1])});
    const QPoint centre = viewport->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    Idle();
    ASSERT_EQ(Tree(form).TopLevelCount(), 2);
    EXPECT_EQ(TopLevel(form)[1]->Item()->outputName(), "second.mp4");
  }));
}

TEST_F(ListActionsTest, ADragWithoutLocalFilesIsNotTaken) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    QMimeData data;
    data.setText("just text");
    QDragEnterEvent enter(form.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    EXPECT_FALSE(enter.isAccepted());
  }));
}

TEST_F(ListActionsTest, AddingAFolderLoadsItsTree) {
  Video("tree/a.mp4");
  Video("tree/sub/b.mp4");
  dialogs_.folders.push_back(media_.path() + "/tree");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    form.actions.AddFolderAct->trigger();
    ASSERT_EQ(dialogs_.folderTitles.size(), 1u);
    EXPECT_EQ(dialogs_.folderTitles[0], "Please Select Video Folder");
    EXPECT_EQ(Tree(form).TopLevelCount(), 2);
    EXPECT_TRUE(form.VstList->isVisible());
  }));
}

// Without any profile an item could be neither named nor converted: adding is refused, and said so.
TEST_F(ListActionsTest, AnEmptyCatalogueRefusesToAddFilesWithAMessage) {
  WriteCatalogue({}, {});
  const QString file = Video("clip.mp4");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    EXPECT_EQ(form.CmbProfileGrp->count(), 0);
    EXPECT_EQ(form.Profiles().CurrentProfile(), nullptr);
    dialogs_.fileChoices.push_back({file});
    form.actions.AddFileAct->trigger();
    EXPECT_TRUE(dialogs_.fileChoosers.empty()) << "no file is chosen that could not be added";
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_TRUE(dialogs_.shown[0].text.contains("No output profile")) << dialogs_.shown[0].text.toStdString();
    EXPECT_EQ(dialogs_.shown[0].caption, QString::fromUtf8(kProduct));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(form.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    QDropEvent drop(form.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    Idle();
    EXPECT_EQ(dialogs_.shown.size(), 2u);

    dialogs_.folders.push_back(media_.path());
    form.actions.AddFolderAct->trigger();
    EXPECT_EQ(dialogs_.shown.size(), 3u);
    EXPECT_TRUE(dialogs_.folderTitles.empty());

    EXPECT_EQ(Tree(form).TopLevelCount(), 0);
    EXPECT_EQ(FakeFfPreview::probes, 0);
    EXPECT_FALSE(form.VstList->isVisible());
  }));
}

TEST_F(ListActionsTest, CheckAllAndUncheckAllFollowTheBoxes) {
  const QStringList files = {Video("a.mp4"), Video("b.mp4")};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, files);
    form.UpdateActions();
    EXPECT_FALSE(form.actions.CheckAll->isEnabled()) << "new items come checked";
    EXPECT_TRUE(form.actions.UnCheckAll->isEnabled());
    EXPECT_TRUE(form.actions.StartConvertAct->isEnabled());
    form.actions.UnCheckAll->trigger();
    form.UpdateActions();
    EXPECT_TRUE(form.actions.CheckAll->isEnabled());
    EXPECT_FALSE(form.actions.UnCheckAll->isEnabled());
    EXPECT_FALSE(form.actions.StartConvertAct->isEnabled()) << "nothing to convert";
  }));
}

TEST_F(ListActionsTest, SelectAllSelectsEveryItem) {
  const QStringList files = {Video("a.mp4"), Video("b.mp4"), Video("c.mp4")};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, files);
    EXPECT_EQ(Tree(form).SelectedCount(), 1);
    form.UpdateActions();
    form.actions.SelectAll->trigger();
    EXPECT_EQ(Tree(form).SelectedCount(), 3);
    form.UpdateActions();
    EXPECT_TRUE(form.actions.ActMerge->isEnabled());
  }));
}

// The keys shown in the menus work wherever the focus is in the window.
TEST_F(ListActionsTest, KeyboardShortcutsRunTheirActions) {
  const QStringList files = {Video("a.mp4"), Video("b.mp4")};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    dialogs_.fileChoices.push_back(files);
    QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs_.fileChoosers.size(), 1u);
    ASSERT_EQ(Tree(form).TopLevelCount(), 2);
    ASSERT_EQ(QApplication::focusWidget(), form.VstList);

    Idle();
    QTest::keyClick(form.VstList, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(TopLevel(form)[0]->Item()->outputName(), "b.mp4") << "Ctrl+Up moves the focused item up";

    Idle();
    QTest::keyClick(form.VstList, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Tree(form).SelectedCount(), 2);

    Idle();
    QTest::keyClick(form.VstList, Qt::Key_Delete);
    EXPECT_EQ(Tree(form).TopLevelCount(), 0);
    EXPECT_FALSE(form.VstList->isVisible());
  }));
}

}  // namespace
}  // namespace mainwin_test
