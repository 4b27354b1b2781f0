#include "tasks/task_tree.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "tasks/mui_item_info.h"
#include "tests/tasks/task_test_support.h"

namespace {

std::unique_ptr<MuiItemInfo> Named(const char* name) {
  auto item = std::make_unique<MuiItemInfo>();
  item->fileName = name;
  return item;
}

QString NameOf(const TaskNode* node) {
  return node->Item()->fileName;
}

// Writes down what the tree announces, one line per event.
class EventLog final : public TaskTreeObserver {
 public:
  explicit EventLog(TaskTree& tree) : tree_(tree) { tree.AddObserver(this); }
  ~EventLog() { tree_.RemoveObserver(this); }
  std::vector<std::string> lines;

  void NodesAboutToBeRemoved(TaskNode* parent, int first, int last) override {
    lines.push_back("remove " + Where(parent) + " " + std::to_string(first) + "-" + std::to_string(last));
    ExpectPlaces(parent);
  }
  void NodesRemoved(TaskNode* parent, int, int) override { ExpectPlaces(parent); }

  // Whoever is told of a change sees every node in its place.
  static void ExpectPlaces(const TaskNode* parent) {
    for (int i = 0; i < parent->ChildCount(); ++i) {
      const TaskNode* child = parent->ChildAt(i);
      EXPECT_EQ(child->Index(), i);
      EXPECT_EQ(child->NextSibling(), i + 1 < parent->ChildCount() ? parent->ChildAt(i + 1) : nullptr);
    }
  }
  void ItemKeyChanging(TaskNode* node) override {
    lines.push_back("key changing " + NameOf(node).toStdString());
  }
  void ItemKeyChanged(TaskNode* node) override {
    lines.push_back("key changed " + NameOf(node).toStdString());
  }
  void FocusChanged(TaskNode* node, int column) override {
    lines.push_back("focus " + (node ? NameOf(node).toStdString() : std::string("none")) + " " +
                    std::to_string(column));
  }
  void UpdateBegun() override { lines.push_back("update begun"); }
  void UpdateEnded() override { lines.push_back("update ended"); }

 private:
  std::string Where(const TaskNode* node) const {
    return tree_.IsRoot(node) ? "root" : NameOf(node).toStdString();
  }
  TaskTree& tree_;
};

class TaskTreeTest : public ::testing::Test {
 protected:
  // Top-level a, b (with children b1, b2), c.
  void SetUp() override {
    a_ = tree_.AddChild(nullptr, Named("a"));
    b_ = tree_.AddChild(nullptr, Named("b"));
    c_ = tree_.AddChild(nullptr, Named("c"));
    b1_ = tree_.AddChild(b_, Named("b1"));
    b2_ = tree_.AddChild(b_, Named("b2"));
  }

  // The names in tree order, after checking that every node knows its place.
  QStringList InTreeOrder() {
    QStringList names;
    CheckPlaces(tree_.Root());
    for (const TaskNode* node = tree_.GetFirst(); node != nullptr; node = tree_.GetNext(node)) {
      names.push_back(NameOf(node));
    }
    return names;
  }

  void CheckPlaces(const TaskNode* parent) {
    for (int i = 0; i < parent->ChildCount(); ++i) {
      const TaskNode* child = parent->ChildAt(i);
      EXPECT_EQ(child->Index(), i) << NameOf(child).toStdString();
      EXPECT_EQ(child->Parent(), parent) << NameOf(child).toStdString();
      EXPECT_EQ(child->Item()->Node(), child);
      CheckPlaces(child);
    }
  }

  TaskTree tree_;
  TaskNode* a_;
  TaskNode* b_;
  TaskNode* c_;
  TaskNode* b1_;
  TaskNode* b2_;
};

TEST_F(TaskTreeTest, KeepsEveryNodesPlaceThroughInsertsAndMoves) {
  EXPECT_EQ(InTreeOrder(), QStringList({"a", "b", "b1", "b2", "c"}));
  tree_.InsertNode(a_, AttachMode::InsertBefore, Named("z"));
  tree_.InsertNode(b1_, AttachMode::InsertAfter, Named("b1x"));
  tree_.InsertNode(c_, AttachMode::AddChildLast, Named("c1"));
  EXPECT_EQ(InTreeOrder(), QStringList({"z", "a", "b", "b1", "b1x", "b2", "c", "c1"}));
  EXPECT_EQ(tree_.NodeLevel(b1_), 1);
  EXPECT_EQ(tree_.NodeLevel(a_), 0);

  tree_.MoveTo(a_, c_, AttachMode::InsertAfter);
  tree_.MoveTo(b2_, b1_, AttachMode::InsertBefore);
  tree_.MoveTo(c_, tree_.Root()->ChildAt(0), AttachMode::InsertBefore);
  EXPECT_EQ(InTreeOrder(), QStringList({"c", "c1", "z", "b", "b2", "b1", "b1x", "a"}));

  // Into its own subtree is refused; so is a move that changes nothing.
  tree_.MoveTo(b_, b1_, AttachMode::InsertAfter);
  tree_.MoveTo(b_, b_, AttachMode::InsertBefore);
  tree_.MoveTo(b2_, b1_, AttachMode::InsertBefore);
  EXPECT_EQ(InTreeOrder(), QStringList({"c", "c1", "z", "b", "b2", "b1", "b1x", "a"}));
  TaskNode* b1x = tree_.Root()->ChildAt(2)->ChildAt(2);
  tree_.MoveTo(b1x, tree_.Root(), AttachMode::AddChildLast);
  EXPECT_EQ(InTreeOrder(), QStringList({"c", "c1", "z", "b", "b2", "b1", "a", "b1x"}));
}

TEST_F(TaskTreeTest, DeletesSeveralNodesInRunsFromTheEnd) {
  for (const char* name : {"d", "e", "f", "g", "h"}) {
    tree_.AddChild(nullptr, Named(name));
  }
  tree_.SetSelected(b1_, true);
  tree_.SetSelected(c_, true);
  EventLog log(tree_);
  // b1 goes with b; listing a node twice deletes it once.
  const std::vector<TaskNode*> doomed = {
      tree_.Root()->ChildAt(3), a_, b1_, c_, b_, tree_.Root()->ChildAt(5), a_, tree_.Root()->ChildAt(7)};
  tree_.DeleteNodes(doomed);
  EXPECT_EQ(log.lines, std::vector<std::string>({"remove root 7-7", "remove root 5-5", "remove root 0-3"}));
  EXPECT_EQ(InTreeOrder(), QStringList({"e", "g"}));
  EXPECT_EQ(tree_.SelectedCount(), 0);
}

TEST_F(TaskTreeTest, TriStateBoxesFollowTheirChildrenAndDriveThem) {
  tree_.SetCheckType(b_, CheckType::TriStateCheckBox);
  tree_.SetCheckType(b1_, CheckType::CheckBox);
  tree_.SetCheckType(b2_, CheckType::CheckBox);
  const TaskNode* b3 = tree_.AddChild(b_, Named("b3"));  // no box: counts for nothing

  tree_.SetCheckState(b1_, CheckState::CheckedNormal);
  EXPECT_EQ(b_->GetCheckState(), CheckState::MixedNormal);
  tree_.SetCheckState(b2_, CheckState::CheckedNormal);
  EXPECT_EQ(b_->GetCheckState(), CheckState::CheckedNormal);
  tree_.SetCheckState(b_, CheckState::UncheckedNormal);
  EXPECT_EQ(b1_->GetCheckState(), CheckState::UncheckedNormal);
  EXPECT_EQ(b2_->GetCheckState(), CheckState::UncheckedNormal);
  EXPECT_EQ(b3->GetCheckState(), CheckState::UncheckedNormal);

  // Holding a box down changes nothing else; letting go keeps what it showed.
  tree_.SetCheckPressed(b1_, true);
  EXPECT_EQ(b1_->GetCheckState(), CheckState::UncheckedPressed);
  EXPECT_EQ(b_->GetCheckState(), CheckState::UncheckedNormal);
  tree_.SetCheckPressed(b1_, false);
  EXPECT_EQ(b1_->GetCheckState(), CheckState::UncheckedNormal);

  EXPECT_EQ(TaskTree::ToggledState(CheckState::MixedPressed), CheckState::CheckedNormal);
  EXPECT_EQ(TaskTree::ToggledState(CheckState::CheckedPressed), CheckState::UncheckedNormal);
  EXPECT_EQ(TaskTree::ToggledState(CheckState::UncheckedNormal), CheckState::CheckedNormal);
}

TEST_F(TaskTreeTest, FocusChangesAskTheHandlerButADeletedNodeTakesTheFocusWithIt) {
  std::vector<std::string> asked;
  bool allow = true;
  tree_.events.focusChanging = [&](TaskNode* from, TaskNode* to, int, int column, bool& allowed) {
    asked.push_back((from ? NameOf(from).toStdString() : "none") + ">" +
                    (to ? NameOf(to).toStdString() : "none") + " " + std::to_string(column));
    allowed = allow;
  };
  EventLog log(tree_);
  EXPECT_TRUE(tree_.SetFocus(b1_, 2));
  EXPECT_TRUE(tree_.SetFocusedColumn(3));
  allow = false;
  EXPECT_FALSE(tree_.SetFocusedNode(c_));
  EXPECT_EQ(tree_.FocusedNode(), b1_);
  allow = true;

  tree_.DeleteNode(b_);
  EXPECT_EQ(tree_.FocusedNode(), nullptr);
  EXPECT_EQ(asked, std::vector<std::string>({"none>b1 2", "b1>b1 3", "b1>c 3"}));
  EXPECT_EQ(log.lines,
            std::vector<std::string>({"focus b1 2", "focus b1 3", "remove root 1-1", "focus none 3"}));
}

TEST_F(TaskTreeTest, SelectionIsCountedAndWalkedInTreeOrder) {
  tree_.SetSelected(c_, true);
  tree_.SetSelected(b2_, true);
  tree_.SetSelected(a_, true);
  tree_.SetSelected(a_, true);
  ASSERT_EQ(tree_.SelectedCount(), 3);
  EXPECT_EQ(tree_.SelectedNodes(), std::vector<TaskNode*>({a_, b2_, c_}));
  tree_.DeleteNode(b_);
  EXPECT_EQ(tree_.SelectedCount(), 2);
  tree_.ClearSelection();
  EXPECT_EQ(tree_.SelectedCount(), 0);
  EXPECT_FALSE(a_->Selected());
}

TEST_F(TaskTreeTest, ItemsInTheTreeAnnounceChangesOfTheirOutputNameAndKind) {
  EventLog log(tree_);
  MuiItemInfo* item = a_->Item();
  item->SetOutputName("a.mp4");
  item->SetOutputName("a.mp4");
  item->SetItemKind(kMergedItem);
  // A copy belongs to no node until a tree adopts it.
  MuiItemInfo copy(*item);
  EXPECT_EQ(copy.Node(), nullptr);
  copy.SetOutputName("b.mp4");
  tree_.BeginUpdate();
  tree_.BeginUpdate();
  tree_.EndUpdate();
  tree_.EndUpdate();
  EXPECT_EQ(log.lines, std::vector<std::string>({"key changing a", "key changed a", "key changing a",
                                                 "key changed a", "update begun", "update ended"}));
}

}  // namespace
