#include "mainwin/action_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tasks/mui_item_info.h"
#include "tasks/task_tree.h"

namespace {

TaskNode* AddItem(TaskTree& tree, CheckState state = CheckState::CheckedNormal) {
  return tree.AddChild(nullptr, std::make_unique<MuiItemInfo>(), CheckType::TriStateCheckBox, state);
}

// "Checked" and "unchecked" mean exactly those states: pressed and mixed boxes are neither, so they
// keep both Check All and Uncheck All (and the conversion) enabled.
struct CheckCase {
  std::string name;
  std::vector<CheckState> states;
  bool someNotChecked;
  bool someNotUnchecked;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
  *os << c.name;
}

class CheckRuleTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckRuleTest, CountsOnlyExactStates) {
  TaskTree tree;
  for (CheckState state : GetParam().states) {
    TaskNode* node = AddItem(tree, CheckState::CheckedNormal);
    if (IsPressedForm(state)) {
      tree.SetCheckPressed(node, true);
      if (NormalForm(state) != CheckState::CheckedNormal) {
        tree.SetCheckState(node, state);
      }
    } else {
      tree.SetCheckState(node, state);
    }
  }
  const ActionFacts facts = ReadActionFacts(tree);
  EXPECT_EQ(facts.someNotChecked, GetParam().someNotChecked);
  EXPECT_EQ(facts.someNotUnchecked, GetParam().someNotUnchecked);
  EXPECT_EQ(IsEnabled(ActionRule::SomeNotChecked, facts), GetParam().someNotChecked);
  EXPECT_EQ(IsEnabled(ActionRule::SomeNotUnchecked, facts), GetParam().someNotUnchecked);
}

INSTANTIATE_TEST_SUITE_P(
    States, CheckRuleTest,
    ::testing::Values(CheckCase{"Empty", {}, false, false},
                      CheckCase{
                          "AllChecked", {CheckState::CheckedNormal, CheckState::CheckedNormal}, false, true},
                      CheckCase{"AllUnchecked", {CheckState::UncheckedNormal}, true, false},
                      CheckCase{"Both", {CheckState::CheckedNormal, CheckState::UncheckedNormal}, true, true},
                      CheckCase{"PressedChecked", {CheckState::CheckedPressed}, true, true}),
    [](const auto& info) { return info.param.name; });

TEST(ActionRulesTest, WithoutFocusOnlyTheUnconditionalAndListRulesHold) {
  TaskTree tree;
  AddItem(tree);
  const ActionFacts facts = ReadActionFacts(tree);
  EXPECT_TRUE(IsEnabled(ActionRule::Always, facts));
  EXPECT_TRUE(IsEnabled(ActionRule::HasItems, facts));
  for (ActionRule rule : {ActionRule::FocusedNotPart, ActionRule::FocusedNotMerged,
                          ActionRule::FocusedWithVideo, ActionRule::NodeFocused, ActionRule::HasPrevSibling,
                          ActionRule::HasNextSibling, ActionRule::MultiSelected}) {
    EXPECT_FALSE(IsEnabled(rule, facts)) << static_cast<int>(rule);
  }
}

TEST(ActionRulesTest, SiblingsAreThoseOfTheFocusedNodeAtItsOwnLevel) {
  TaskTree tree;
  AddItem(tree);
  TaskNode* merged = AddItem(tree);
  merged->Item()->SetItemKind(kMergedItem);
  auto part = std::make_unique<MuiItemInfo>();
  part->SetItemKind(kMergePart);
  TaskNode* onlyPart = tree.AddChild(merged, std::move(part));
  tree.SetFocusedNode(onlyPart);

  ActionFacts facts = ReadActionFacts(tree);
  EXPECT_FALSE(facts.hasPrevSibling) << "the top-level item before the merge is not the part's sibling";
  EXPECT_FALSE(facts.hasNextSibling);
  EXPECT_FALSE(IsEnabled(ActionRule::FocusedNotPart, facts));
  EXPECT_TRUE(IsEnabled(ActionRule::FocusedNotMerged, facts));

  tree.SetFocusedNode(merged);
  facts = ReadActionFacts(tree);
  EXPECT_TRUE(facts.hasPrevSibling);
  EXPECT_FALSE(facts.hasNextSibling);
}

// The idle update's reader keeps the check answers between changes: every change of the tree that can
// alter them must be seen, so after each step the reader answers as a fresh walk does.
struct TreeStep {
  std::string name;
  std::function<void(TaskTree&)> change;
};

void PrintTo(const TreeStep& step, std::ostream* os) {
  *os << step.name;
}

class FactsReaderTest : public ::testing::TestWithParam<TreeStep> {};

TEST_P(FactsReaderTest, AnswersAsAFreshWalkAfterTheChange) {
  TaskTree tree;
  TaskNode* first = AddItem(tree);
  AddItem(tree);
  // A box of a lower level: it counts only once it is moved to the top.
  tree.AddChild(first, std::make_unique<MuiItemInfo>(), CheckType::CheckBox, CheckState::UncheckedNormal);
  ActionFactsReader reader(tree);
  // Known before the change, so a reader that misses the change answers from the old tree.
  ActionFacts before = reader.Read();
  ASSERT_FALSE(before.someNotChecked);
  ASSERT_TRUE(before.someNotUnchecked);

  GetParam().change(tree);
  const ActionFacts fresh = ReadActionFacts(tree);
  const ActionFacts kept = reader.Read();
  EXPECT_EQ(kept.someNotChecked, fresh.someNotChecked);
  EXPECT_EQ(kept.someNotUnchecked, fresh.someNotUnchecked);
  EXPECT_EQ(kept.hasItems, fresh.hasItems);
  EXPECT_EQ(kept.nodeFocused, fresh.nodeFocused);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, FactsReaderTest,
    ::testing::Values(
        TreeStep{"AddUnchecked", [](TaskTree& t) { AddItem(t, CheckState::UncheckedNormal); }},
        TreeStep{"Uncheck", [](TaskTree& t) { t.SetCheckState(t.GetFirst(), CheckState::UncheckedNormal); }},
        TreeStep{"UncheckAllInOneUpdate",
                 [](TaskTree& t) {
                   t.BeginUpdate();
                   for (TaskNode* n = t.GetFirst(); n != nullptr; n = t.GetNext(n)) {
                     t.SetCheckState(n, CheckState::UncheckedNormal);
                   }
                   t.EndUpdate();
                 }},
        TreeStep{"Press", [](TaskTree& t) { t.SetCheckPressed(t.GetFirst(), true); }},
        TreeStep{"Delete", [](TaskTree& t) { t.DeleteNode(t.GetFirst()); }},
        TreeStep{"DeleteAll",
                 [](TaskTree& t) {
                   t.DeleteNodes({t.GetFirst(), t.GetLastTopLevel()});
                 }},
        TreeStep{"Clear", [](TaskTree& t) { t.Clear(); }},
        TreeStep{"MoveAnUncheckedChildToTheTop",
                 [](TaskTree& t) {
                   t.MoveTo(t.GetFirst()->FirstChild(), t.GetLastTopLevel(), AttachMode::InsertAfter);
                 }},
        TreeStep{"Focus", [](TaskTree& t) { t.SetFocusedNode(t.GetLastTopLevel()); }}),
    [](const auto& info) { return info.param.name; });

// The idle update runs on every turn of the message loop; with a long list whose items are all checked
// a walk reaches the end of the list every time. Nothing changing, the reader must not walk again.
TEST(FactsReaderCostTest, RepeatedReadsOfAnUnchangedLongListCostLessThanAFewWalks) {
  TaskTree tree;
  for (int i = 0; i < 100000; ++i) {
    AddItem(tree);
  }
  using Clock = std::chrono::steady_clock;
  Clock::duration walk = Clock::duration::max();
  for (int round = 0; round < 5; ++round) {
    const auto start = Clock::now();
    ASSERT_FALSE(ReadActionFacts(tree).someNotChecked);
    walk = std::min(walk, Clock::now() - start);
  }
  ActionFactsReader reader(tree);
  // The best of a few rounds, so that a busy machine taking the processor away once does not count.
  Clock::duration reads = Clock::duration::max();
  for (int round = 0; round < 5; ++round) {
    const auto start = Clock::now();
    for (int i = 0; i < 1000; ++i) {
      ASSERT_FALSE(reader.Read().someNotChecked);
    }
    reads = std::min(reads, Clock::now() - start);
  }
  EXPECT_LT(reads, 20 * walk) << "1000 idle updates must not walk the list 1000 times";
}

}  // namespace
