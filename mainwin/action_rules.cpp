#include "mainwin/action_rules.h"

#include "tasks/mui_item_info.h"
#include "tasks/task_tree.h"

namespace {

// Everything but the check answers: a few steps from the focused node.
ActionFacts ReadNodeFacts(const TaskTree& tree) {
  ActionFacts facts;
  if (const TaskNode* focused = tree.FocusedNode(); focused != nullptr) {
    facts.nodeFocused = true;
    facts.hasPrevSibling = focused->PrevSibling() != nullptr;
    facts.hasNextSibling = focused->NextSibling() != nullptr;
    if (const MuiItemInfo* item = focused->Item(); item != nullptr) {
      facts.focusedIsPart = item->itemKind() == kMergePart;
      facts.focusedIsMerged = item->itemKind() == kMergedItem;
      facts.focusedHasVideo = item->input.media.videoCount != 0;
    }
  }
  facts.hasItems = tree.Root()->ChildCount() > 0;
  facts.multiSelected = tree.SelectedCount() > 1;
  return facts;
}

void ReadCheckFacts(const TaskTree& tree, ActionFacts& facts) {
  const TaskNode* root = tree.Root();
  const int count = root->ChildCount();
  for (int i = 0; i < count && !(facts.someNotChecked && facts.someNotUnchecked); ++i) {
    // Pressed and mixed states are neither checked nor unchecked.
    const CheckState state = root->ChildAt(i)->GetCheckState();
    facts.someNotChecked = facts.someNotChecked || state != CheckState::CheckedNormal;
    facts.someNotUnchecked = facts.someNotUnchecked || state != CheckState::UncheckedNormal;
  }
}

}  // namespace

ActionFacts ReadActionFacts(const TaskTree& tree) {
  ActionFacts facts = ReadNodeFacts(tree);
  ReadCheckFacts(tree, facts);
  return facts;
}

ActionFactsReader::ActionFactsReader(TaskTree& tree) : tree_(&tree) {
  tree.AddObserver(this);
}

ActionFactsReader::~ActionFactsReader() {
  if (tree_ != nullptr) {
    tree_->RemoveObserver(this);
  }
}

ActionFacts ActionFactsReader::Read() {
  if (tree_ == nullptr) {
    return {};
  }
  ActionFacts facts = ReadNodeFacts(*tree_);
  if (!checksKnown_) {
    ReadCheckFacts(*tree_, facts);
    someNotChecked_ = facts.someNotChecked;
    someNotUnchecked_ = facts.someNotUnchecked;
    checksKnown_ = true;
  }
  facts.someNotChecked = someNotChecked_;
  facts.someNotUnchecked = someNotUnchecked_;
  return facts;
}

bool IsEnabled(ActionRule rule, const ActionFacts& facts) {
  // A focused node always carries an item; the item tests below rely on that.
  const bool item = facts.nodeFocused;
  switch (rule) {
    case ActionRule::Always:
      return true;
    case ActionRule::FocusedNotPart:
      return item && !facts.focusedIsPart;
    case ActionRule::FocusedNotMerged:
      return item && !facts.focusedIsMerged;
    case ActionRule::FocusedWithVideo:
      return item && !facts.focusedIsMerged && facts.focusedHasVideo;
    case ActionRule::HasPrevSibling:
      return facts.hasPrevSibling;
    case ActionRule::HasNextSibling:
      return facts.hasNextSibling;
    case ActionRule::NodeFocused:
      return facts.nodeFocused;
    case ActionRule::HasItems:
      return facts.hasItems;
    case ActionRule::MultiSelected:
      return facts.multiSelected;
    case ActionRule::SomeNotChecked:
      return facts.someNotChecked;
    case ActionRule::SomeNotUnchecked:
      return facts.someNotUnchecked;
  }
  return false;
}
