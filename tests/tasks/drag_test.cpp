#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tests/tasks/task_test_support.h"

namespace {

// A drop inside the list. Nodes are named by labels: a, b, c, d for the single items, M1 (merged
// from a and b) and M2 (merged from c), and M1/a for a part of M1; lists of labels are separated by
// blanks.
struct DropCase {
  const char* name;
  const char* selected;
  const char* target;  // "" for empty space
  DropSpot spot;
  int y;  // the drag began at 100
  const char* top;
  const char* m1;  // the parts of M1 afterwards, by the items they were made from
};

QStringList Split(const char* labels) {
  return QString(labels).split(u' ', Qt::SkipEmptyParts);
}

void PrintTo(const DropCase& c, std::ostream* os) {
  *os << c.name;
}

class DragDrop : public TaskListTest, public ::testing::WithParamInterface<DropCase> {
 protected:
  void SetUp() override {
    TaskListTest::SetUp();
    for (const char* name : {"a.avi", "b.avi", "c.avi", "d.avi"}) {
      Add(Video(name, 10));
    }
    SelectOnly({TopLevel()[0], TopLevel()[1]});
    m1_ = list_->MergeSelected(mp4_, 3);
    SelectOnly({TopLevel()[2]});
    m2_ = list_->MergeSelected(mp4_, 3);
  }

  QString Label(const TaskNode* node) const {
    if (node == m1_) {
      return "M1";
    }
    if (node == m2_) {
      return "M2";
    }
    const QString letter = node->Item()->fileName.left(1);
    return node->Parent() == m1_ ? "M1/" + letter : node->Parent() == m2_ ? "M2/" + letter : letter;
  }
  TaskNode* Find(const QString& label) const {
    for (TaskNode* node = tree_.GetFirst(); node != nullptr; node = tree_.GetNext(node)) {
      if (Label(node) == label) {
        return node;
      }
    }
    ADD_FAILURE() << "no node " << label.toStdString();
    return nullptr;
  }
  QStringList Labels(const std::vector<TaskNode*>& nodes) const {
    QStringList labels;
    for (const TaskNode* node : nodes) {
      labels.push_back(Label(node));
    }
    return labels;
  }

  TaskNode* m1_ = nullptr;
  TaskNode* m2_ = nullptr;
};

TEST_P(DragDrop, FollowsTheDragRules) {
  const DropCase& c = GetParam();
  std::vector<TaskNode*> selected;
  for (const QString& label : Split(c.selected)) {
    selected.push_back(Find(label));
  }
  SelectOnly(selected);
  list_->StartDrag();
  ASSERT_TRUE(list_->DragOver(true, 100));
  ASSERT_TRUE(list_->DragOver(true, 140));
  TaskNode* target = QString(c.target).isEmpty() ? nullptr : Find(c.target);
  list_->DragDrop(target, c.spot, c.y);

  EXPECT_EQ(Labels(TopLevel()), Split(c.top));
  QStringList parts = Labels(Children(m1_));
  parts.replaceInStrings("M1/", "");
  EXPECT_EQ(parts, Split(c.m1));
  double length = 0;
  for (const TaskNode* part : Children(m1_)) {
    length += part->Item()->input.media.duration;
  }
  EXPECT_EQ(m1_->Item()->mergedLength, length) << "copies add their lengths";
  std::vector<TaskNode*> after = tree_.SelectedNodes();
  std::sort(after.begin(), after.end());
  std::sort(selected.begin(), selected.end());
  EXPECT_EQ(after, selected) << "the selection stays";
}

// clang-format off
constexpr char kTop[] = "a b c d M1 M2";
constexpr char kM1[] = "a b";
using enum DropSpot;

const DropCase kDrops[] = {
    // name, selected, target, spot, y, top-level labels after, M1's parts after
    {"dropped_lower_goes_after",     "a",        "c",    OnNode,     200, "b c a d M1 M2", kM1},
    {"dropped_higher_goes_before",   "d",        "b",    OnNode,     50,  "a d b c M1 M2", kM1},
    {"several_after_keep_order",     "a b",      "d",    OnNode,     200, "c d a b M1 M2", kM1},
    {"several_before_keep_order",    "c d",      "a",    OnNode,     50,  "c d a b M1 M2", kM1},
    {"selected_target_no_change",    "a c",      "c",    OnNode,     200, kTop,            kM1},
    {"between_nodes_no_change",      "a",        "c",    BelowNode,  200, kTop,            kM1},
    {"empty_space_below_goes_last",  "a b M1/a", "",     EmptySpace, 300, "c d M1 M2 a b", kM1},
    {"empty_space_top_goes_first",   "d M2",     "",     EmptySpace, 0,   "d M2 a b c M1", kM1},
    {"empty_space_selected_end",     "M2",       "",     EmptySpace, 300, kTop,            kM1},
    {"single_copied_onto_a_part",    "d",        "M1/b", OnNode,     50,  kTop,            "a d b"},
    {"copies_after_part_in_order",   "c d",      "M1/a", OnNode,     200, kTop,            "a c d b"},
    {"part_of_same_merge_moves",     "M1/b",     "M1/a", OnNode,     50,  kTop,            "b a"},
    {"merged_item_gives_parts",      "M2",       "M1/b", OnNode,     200, kTop,            "a b c"},
    {"merge_not_copied_into_itself", "M1 M1/a",  "M1/b", OnNode,     200, kTop,            "b a"},
    {"part_goes_with_its_merge",     "M2 M2/c",  "M1/a", OnNode,     50,  kTop,            "c a b"},
    {"only_target_level_moves",      "M1/a d",   "b",    OnNode,     50,  "a d b c M1 M2", kM1},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Cases, DragDrop, ::testing::ValuesIn(kDrops),
                         [](const ::testing::TestParamInfo<DropCase>& info) {
                           return std::string(info.param.name);
                         });

// Copied after a part, the parts of a merged item keep the order they will be joined in.
TEST_F(DragDrop, AMergedItemCopiedAfterAPartKeepsItsPartsInOrder) {
  Add(Video("e.avi", 10));
  SelectOnly({TopLevel()[2], TopLevel()[3], TopLevel()[6]});
  TaskNode* three = list_->MergeSelected(mp4_, 3);
  list_->CopyIntoMerge(m1_, three, m1_->ChildAt(0), AttachMode::InsertAfter);
  list_->CopyIntoMerge(m1_, three, m1_->ChildAt(0), AttachMode::InsertBefore);
  QStringList parts = Labels(Children(m1_));
  parts.replaceInStrings("M1/", "");
  EXPECT_EQ(parts, QStringList({"c", "d", "e", "a", "c", "d", "e", "b"}));
  EXPECT_EQ(m1_->Item()->mergedLength, 80);
}

TEST_F(TaskListTest, ADragRemembersWhereItsFirstMoveOverTheListWas) {
  EXPECT_EQ(list_->dragStartY(), TVirtualStringTreeHelper::kNoDragStart);
  EXPECT_FALSE(list_->DragOver(false, 30)) << "drags from elsewhere are not taken";
  EXPECT_EQ(list_->dragStartY(), TVirtualStringTreeHelper::kNoDragStart);
  list_->StartDrag();
  EXPECT_TRUE(list_->DragOver(true, 30));
  EXPECT_TRUE(list_->DragOver(true, 90));
  EXPECT_EQ(list_->dragStartY(), 30);
  list_->StartDrag();
  EXPECT_EQ(list_->dragStartY(), 2147483647);
}

}  // namespace
