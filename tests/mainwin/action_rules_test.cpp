#include "mainwin/action_rules.h"

#include <gtest/gtest.h>

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

}  // namespace
