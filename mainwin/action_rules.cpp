#include "mainwin/action_rules.h"

#include "tasks/mui_item_info.h"
#include "tasks/task_tree.h"

ActionFacts ReadActionFacts(const TaskTree& tree) {
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
  const TaskNode* root = tree.Root();
  const int count = root->ChildCount();
  facts.hasItems = count > 0;
  facts.multiSelected = tree.SelectedCount() > 1;
  for (int i = 0; i < count && !(facts.someNotChecked && facts.someNotUnchecked); ++i) {
    // Pressed and mixed states are neither checked nor unchecked.
    const CheckState state = root->ChildAt(i)->GetCheckState();
    facts.someNotChecked = facts.someNotChecked || state != CheckState::CheckedNormal;
    facts.someNotUnchecked = facts.someNotUnchecked || state != CheckState::UncheckedNormal;
  }
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
