#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "tests/tasks/task_test_support.h"

namespace {

const QString kForbiddenMessage =
    "The file name can not contain the following characters:\n\\ / : * ? \" < > |";

using OperationsTest = TaskListTest;

struct RenameCase {
  const char* name;
  const char* typed;
  const char* expected;  // the output name afterwards
  bool message;
};

void PrintTo(const RenameCase& c, std::ostream* os) {
  *os << c.name;
}

class Rename : public TaskListTest, public ::testing::WithParamInterface<RenameCase> {};

// The list holds clip.mp4 (renamed) and other.mp4, both under a profile with the extension .mp4.
TEST_P(Rename, FollowsTheRenameRule) {
  const RenameCase& c = GetParam();
  TaskNode* node = Add(Video("clip.avi"));
  Add(Video("other.avi"));
  tree_.SetFocusedNode(node);
  list_->NewText(node, 3, QString::fromUtf8(c.typed));
  EXPECT_EQ(node->Item()->outputName(), QString::fromUtf8(c.expected));
  EXPECT_EQ(environment_.messages,
            c.message ? std::vector<QString>{kForbiddenMessage} : std::vector<QString>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rename,
    ::testing::Values(RenameCase{"trailing_space_no_extension", "holiday ", "holiday.mp4", false},
                      RenameCase{"blanks_and_controls_trimmed", "\t\x01 my clip.mp4\r\n", "my clip.mp4",
                                 false},
                      RenameCase{"other_extension_kept", "a.avi", "a.avi.mp4", false},
                      RenameCase{"taken_name_numbered", "other", "other-1.mp4", false},
                      RenameCase{"own_name_kept", "clip.mp4", "clip.mp4", false},
                      RenameCase{"empty_ignored", "  \t", "clip.mp4", false},
                      RenameCase{"colon_refused", "a:b", "clip.mp4", true},
                      RenameCase{"slash_refused", "dir/name", "clip.mp4", true},
                      RenameCase{"quote_refused", "say \"hi\"", "clip.mp4", true}),
    [](const ::testing::TestParamInfo<RenameCase>& info) { return std::string(info.param.name); });

TEST_F(OperationsTest, OnlyTheOutputCellOfANonPartIsEdited) {
  TaskNode* clip = Add(Video("clip.avi"));
  Add(Video("b.avi"));
  std::vector<std::pair<const TaskNode*, int>> edits;
  struct EditLog final : TaskTreeObserver {
    std::vector<std::pair<const TaskNode*, int>>* edits;
    void EditRequested(TaskNode* node, int column) override { edits->emplace_back(node, column); }
  } log;
  log.edits = &edits;
  tree_.AddObserver(&log);

  SelectOnly({clip});
  TaskNode* merged = list_->MergeSelected(mp4_, 3);
  TaskNode* part = merged->FirstChild();
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(list_->EditingAllowed(clip, column), column == 3) << column;
    EXPECT_EQ(list_->EditingAllowed(merged, column), column == 3) << column;
    EXPECT_FALSE(list_->EditingAllowed(part, column)) << column;
  }
  list_->NewText(part, 3, "renamed");
  list_->NewText(clip, 0, "renamed");
  EXPECT_EQ(part->Item()->outputName(), "clip.mp4");
  EXPECT_EQ(clip->Item()->outputName(), "clip.mp4");
  EXPECT_EQ(list_->GetText(part, 3), "");
  EXPECT_EQ(list_->GetHint(part, 3), "");

  tree_.SetFocus(part, 0);
  list_->BeginRename();
  tree_.SetFocus(clip, 0);
  list_->BeginRename();
  EXPECT_EQ(edits, (std::vector<std::pair<const TaskNode*, int>>{{clip, 3}}));
  EXPECT_EQ(tree_.FocusedColumn(), 3);
  tree_.RemoveObserver(&log);
}

TEST_F(OperationsTest, MovesStayAmongSiblings) {
  for (const char* name : {"a.avi", "b.avi", "c.avi"}) {
    Add(Video(name));
  }
  SelectOnly({TopLevel()[0], TopLevel()[1], TopLevel()[2]});
  TaskNode* merged = list_->MergeSelected(mp4_, 3);

  tree_.SetFocusedNode(TopLevel()[0]);
  EXPECT_FALSE(list_->MoveUp());
  EXPECT_TRUE(list_->MoveDown());
  EXPECT_EQ(TopNames(), QStringList({"b.mp4", "a.mp4", "c.mp4", "Merge.mp4"}));
  tree_.SetFocusedNode(merged->LastChild());
  EXPECT_FALSE(list_->MoveDown()) << "a part stays inside its merged item";
  EXPECT_TRUE(list_->MoveUp());
  EXPECT_TRUE(list_->MoveUp());
  EXPECT_FALSE(list_->MoveUp());
  EXPECT_EQ(Names(Children(merged)), QStringList({"c.avi", "a.avi", "b.avi"}));
}

class RemoveTest : public TaskListTest {
 protected:
  // a, b, c as single items and M merged from them, its parts of 10, 20 and 30 seconds trimmed to
  // 5, 6 and 7.
  void SetUp() override {
    TaskListTest::SetUp();
    double length = 10;
    for (const char* name : {"a.avi", "b.avi", "c.avi"}) {
      Add(Video(name, length));
      length += 10;
    }
    TopLevel()[0]->Item()->input.clipLength = 5;
    TopLevel()[1]->Item()->input.clipLength = 6;
    TopLevel()[2]->Item()->input.clipLength = 7;
    SelectOnly(TopLevel());
    merged_ = list_->MergeSelected(mp4_, 3);
  }

  double Length() const { return merged_->Item()->mergedLength; }
  double ClipLength() const { return merged_->Item()->mergedClipLength; }

  TaskNode* merged_ = nullptr;
};

TEST_F(RemoveTest, APartTakesItsLengthsWithItAndTheLastPartTakesItsMergedItem) {
  ASSERT_EQ(Length(), 60);
  ASSERT_EQ(ClipLength(), 18);
  SelectOnly({merged_->ChildAt(1)});
  list_->RemoveSelected();
  EXPECT_EQ(Length(), 40);
  EXPECT_EQ(ClipLength(), 12);
  EXPECT_EQ(Names(Children(merged_)), QStringList({"a.avi", "c.avi"}));
  EXPECT_EQ(tree_.FocusedNode(), merged_->ChildAt(1)) << "the next sibling takes the focus";

  SelectOnly({merged_->ChildAt(0), merged_->ChildAt(1)});
  list_->RemoveSelected();
  EXPECT_EQ(TopNames(), QStringList({"a.mp4", "b.mp4", "c.mp4"}));
  EXPECT_EQ(tree_.FocusedNode(), TopLevel()[0]) << "its merged item went, so the first item is focused";
  EXPECT_EQ(tree_.SelectedNodes(), std::vector<TaskNode*>({TopLevel()[0]}));
}

TEST_F(RemoveTest, TheFocusGoesToTheFirstUnselectedNeighbour) {
  SelectOnly({TopLevel()[1], TopLevel()[2]});
  list_->RemoveSelected();
  EXPECT_EQ(TopNames(), QStringList({"a.mp4", "Merge.mp4"}));
  EXPECT_EQ(tree_.FocusedNode(), TopLevel()[0]) << "b's next sibling was selected, its previous one not";

  Add(Video("b.avi"));
  Add(Video("c.avi"));
  SelectOnly({TopLevel()[0], TopLevel()[1]});
  list_->RemoveSelected();
  EXPECT_EQ(TopNames(), QStringList({"b.mp4", "c.mp4"}));
  EXPECT_EQ(tree_.FocusedNode(), TopLevel()[0]) << "a had no free neighbour; Merge's next sibling is b";
  EXPECT_EQ(tree_.SelectedNodes(), std::vector<TaskNode*>({TopLevel()[0]}));

  Add(Video("a.avi"));
  Add(Video("d.avi"));
  SelectOnly({TopLevel()[0], TopLevel()[1]});
  merged_ = list_->MergeSelected(mp4_, 3);
  SelectOnly({merged_, TopLevel()[0], TopLevel()[1], TopLevel()[2], TopLevel()[3]});
  tree_.SetSelected(merged_->ChildAt(0), true);
  list_->RemoveSelected();
  EXPECT_EQ(tree_.TopLevelCount(), 0);
  EXPECT_EQ(tree_.FocusedNode(), nullptr) << "the main window then clears everything";
  EXPECT_EQ(tree_.SelectedCount(), 0);
}

TEST_F(RemoveTest, TheOutputNamesOfRemovedItemsAreFreeAgain) {
  SelectOnly({TopLevel()[0], merged_});
  list_->RemoveSelected();
  Add(Video("a.avi"));
  SelectOnly({TopLevel()[0]});
  list_->MergeSelected(mp4_, 3);
  EXPECT_EQ(TopNames(), QStringList({"b.mp4", "c.mp4", "a.mp4", "Merge.mp4"}));
}

TEST_F(OperationsTest, CheckAllAndUncheckAllLeavePartsWithoutBoxes) {
  Add(Video("a.avi"));
  Add(Video("b.avi"));
  SelectOnly(TopLevel());
  TaskNode* merged = list_->MergeSelected(mp4_, 3);

  list_->SetAllChecked(false);
  for (const TaskNode* node : TopLevel()) {
    EXPECT_EQ(node->GetCheckState(), CheckState::UncheckedNormal);
  }
  EXPECT_TRUE(list_->CheckedItems().empty());
  list_->SetAllChecked(true);
  for (const TaskNode* node : TopLevel()) {
    EXPECT_EQ(node->GetCheckState(), CheckState::CheckedNormal);
  }
  for (const TaskNode* part : Children(merged)) {
    EXPECT_EQ(part->GetCheckType(), CheckType::None);
    EXPECT_EQ(part->GetCheckState(), CheckState::UncheckedNormal);
  }
  EXPECT_EQ(list_->CheckedItems().size(), 3u);
}

TEST_F(OperationsTest, AConversionTakesCheckedNodesAndTheCheckedChildrenOfMixedOnes) {
  for (const char* name : {"a.avi", "b.avi", "c.avi", "d.avi"}) {
    Add(Video(name));
  }
  SelectOnly({TopLevel()[0], TopLevel()[1], TopLevel()[2]});
  TaskNode* merged = list_->MergeSelected(mp4_, 3);
  const std::vector<TaskNode*> top = TopLevel();
  tree_.SetCheckState(top[1], CheckState::UncheckedNormal);
  tree_.SetCheckState(top[2], CheckState::CheckedPressed);
  tree_.SetCheckState(top[3], CheckState::MixedNormal);  // d: mixed without children
  tree_.SetCheckState(merged, CheckState::MixedNormal);
  tree_.SetCheckState(merged->ChildAt(0), CheckState::CheckedNormal);
  tree_.SetCheckState(merged->ChildAt(2), CheckState::CheckedNormal);
  tree_.SetCheckState(merged->ChildAt(1), CheckState::MixedPressed);

  const std::vector<MuiItemInfo*> items = list_->CheckedItems();
  EXPECT_EQ(items, std::vector<MuiItemInfo*>(
                       {top[0]->Item(), merged->ChildAt(0)->Item(), merged->ChildAt(2)->Item()}));
}

TEST_F(OperationsTest, MergingCopiesTheSelectionInTreeOrderAndLeavesItAsItWas) {
  for (const char* name : {"a.avi", "b.avi", "c.avi", "d.avi", "e.avi"}) {
    Add(Video(name, 10));
  }
  tree_.ClearSelection();
  EXPECT_EQ(list_->MergeSelected(mp4_, 3), nullptr) << "a merged item without parts could not be converted";
  EXPECT_EQ(tree_.TopLevelCount(), 5);

  SelectOnly({TopLevel()[2], TopLevel()[3], TopLevel()[4]});
  TaskNode* first = list_->MergeSelected(avi_, 4);
  EXPECT_EQ(first->Item()->outputName(), "Merge.avi");
  EXPECT_EQ(first->Item()->fileName, "Merge.avi");

  // Two singles and one merged item with three parts, and a part of that merged item: five parts.
  SelectOnly({TopLevel()[0], TopLevel()[1], first, first->ChildAt(1)});
  tree_.SetFocusedNode(TopLevel()[1]);
  TaskNode* second = list_->MergeSelected(mp4_, 5);
  EXPECT_EQ(Names(Children(second)), QStringList({"a.avi", "b.avi", "c.avi", "d.avi", "e.avi"}));
  EXPECT_EQ(TopNames(), QStringList({"a.mp4", "b.mp4", "c.mp4", "d.mp4", "e.mp4", "Merge.avi", "Merge.mp4"}));
  EXPECT_EQ(first->ChildCount(), 3);
  EXPECT_EQ(tree_.SelectedCount(), 4);
  EXPECT_EQ(tree_.FocusedNode(), TopLevel()[1]);

  const MuiItemInfo& merged = *second->Item();
  EXPECT_EQ(merged.itemKind(), kMergedItem);
  EXPECT_EQ(merged.mergedLength, 50);
  EXPECT_EQ(merged.mergedClipLength, 50);
  EXPECT_EQ(merged.input.media.duration, 1.0);
  EXPECT_EQ(merged.input.clipLength, 1.0);
  EXPECT_EQ(merged.audioIndex, -1);
  EXPECT_EQ(merged.subtitleIndex, -1);
  EXPECT_TRUE(merged.subtitles.empty());
  EXPECT_EQ(merged.groupId, 5);
  EXPECT_EQ(merged.watermark.refWidth, 640);
  EXPECT_EQ(second->GetCheckState(), CheckState::CheckedNormal);
  EXPECT_EQ(list_->GetText(second, 1), "00:00:50");
  EXPECT_EQ(list_->GetImageIndex(second, 0), 2);
  for (const TaskNode* part : Children(second)) {
    EXPECT_EQ(part->Item()->itemKind(), kMergePart);
    EXPECT_EQ(part->Item()->groupId, 5);
    EXPECT_EQ(part->Item()->profile.FormatExt, ".mp4");
    EXPECT_EQ(part->GetCheckType(), CheckType::None);
  }
  EXPECT_EQ(second->ChildAt(2)->Item()->outputName(), "c.mp4") << "names are copied, not made unique";
}

// A copy's watermark link designates the copy's own text, so removing the item it was made from
// leaves nothing dangling.
TEST_F(OperationsTest, EveryCopyPointsAtItsOwnWatermarkText) {
  TaskNode* source = Add(Video("marked.avi"));
  MuiItemInfo& item = *source->Item();
  item.watermark.enabled = true;
  item.watermark.markFile = "/pictures/logo-with-a-name-longer-than-small-strings.png";
  item.input.mark.markFile = item.watermark.markFile.c_str();
  SelectOnly({source});
  TaskNode* merged = list_->MergeSelected(mp4_, 3);
  SelectOnly({source});
  list_->RemoveSelected();

  const MuiItemInfo& part = *merged->FirstChild()->Item();
  EXPECT_EQ(part.input.mark.markFile, part.watermark.markFile.c_str());
  EXPECT_STREQ(part.input.mark.markFile, "/pictures/logo-with-a-name-longer-than-small-strings.png");
}

TEST_F(OperationsTest, ApplyToAllCopiesTheProfileAndChangesExtensionsButNotParts) {
  Add(Video("a.avi"));
  Add(Video("b.avi"), &avi_);
  Add(Video("a.mkv"), &avi_);
  SelectOnly({TopLevel()[1]});
  TaskNode* merged = list_->MergeSelected(avi_, 9);
  EXPECT_EQ(TopNames(), QStringList({"a.mp4", "b.avi", "a.avi", "Merge.avi"}));

  ProfileSetting special = mp4_;
  special.ProfileName = "Special";
  special.VideoBitRate = 1234;
  TopLevel()[0]->Item()->profile = special;
  TopLevel()[0]->Item()->groupId = 2;
  tree_.SetFocusedNode(TopLevel()[0]);
  list_->ApplyProfileToAll();

  EXPECT_EQ(TopNames(), QStringList({"a.mp4", "b.mp4", "a-1.mp4", "Merge.mp4"}));
  EXPECT_EQ(merged->FirstChild()->Item()->outputName(), "b.avi");
  for (const TaskNode* node = tree_.GetFirst(); node != nullptr; node = tree_.GetNext(node)) {
    EXPECT_EQ(node->Item()->profile.ProfileName, "Special");
    EXPECT_EQ(node->Item()->profile.VideoBitRate, 1234);
    EXPECT_EQ(node->Item()->groupId, 2);
  }
}

TEST_F(OperationsTest, AfterTheClipEditorEffectsSpreadAndMergedClipLengthsFollow) {
  Add(Video("a.avi", 10));
  Add(Video("b.avi", 10));
  SelectOnly(TopLevel());
  TaskNode* merged = list_->MergeSelected(mp4_, 3);
  TopLevel()[1]->Item()->input.effects.deinterlace = 1;

  MuiItemInfo& part = *merged->ChildAt(1)->Item();
  part.input.clipLength = 4;
  part.input.effects = EffectBlock{10, 20, 0, 30, 400, 0};
  list_->AfterClipEdit(&part, 10, true);

  EXPECT_EQ(merged->Item()->mergedClipLength, 14);
  EXPECT_EQ(merged->Item()->mergedLength, 20);
  for (const TaskNode* node : {TopLevel()[0], TopLevel()[1], merged->ChildAt(0)}) {
    const EffectBlock& effects = node->Item()->input.effects;
    EXPECT_EQ(effects.brightness, 10);
    EXPECT_EQ(effects.contrast, 20);
    EXPECT_EQ(effects.saturation, 30);
    EXPECT_EQ(effects.volume, 400);
  }
  EXPECT_EQ(TopLevel()[1]->Item()->input.effects.deinterlace, 1);
  EXPECT_EQ(merged->Item()->input.effects.volume, 0) << "a merged item has no effects of its own";

  list_->AfterClipEdit(TopLevel()[0]->Item(), 10, false);
  EXPECT_EQ(merged->Item()->mergedClipLength, 14);
}

TEST_F(OperationsTest, TrackChoicesKeepTheIndexAndTakeTheIdOfAnEntry) {
  MediaInfo media = VideoMedia(5);
  AddAudio(media, 1, "aac", "stereo", "eng");
  AddAudio(media, 2, "ac3", "5.1", "fre");
  AddSubtitle(media, 3, "eng");
  MuiItemInfo& item = *Add(Media("tracks.mkv", media))->Item();
  EXPECT_EQ(TrackLabels(item, TrackKind::Audio), QStringList({"0x1 aac stereo eng", "0x2 ac3 5.1 fre"}));
  EXPECT_EQ(TrackLabels(item, TrackKind::Subtitle), QStringList({"No Subtitle", "0x3 eng"}));

  ChooseTrack(item, TrackKind::Audio, 1);
  ChooseTrack(item, TrackKind::Subtitle, 1);
  EXPECT_EQ(item.audioIndex, 1);
  EXPECT_EQ(item.input.audioId, 2);
  EXPECT_EQ(item.input.subtitleId, 3);
  ChooseTrack(item, TrackKind::Subtitle, 0);
  EXPECT_EQ(item.input.subtitleId, -1);
  ChooseTrack(item, TrackKind::Audio, -1);
  EXPECT_EQ(TrackIndex(item, TrackKind::Audio), -1);
  EXPECT_EQ(item.input.audioId, 2) << "no entry, no id";
}

}  // namespace
