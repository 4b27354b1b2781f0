#include <QHash>
#include <QSet>

#include "tasks/output_names.h"
#include "tasks/task_list.h"

void TVirtualStringTreeHelper::BeginRename() {
  MuiItemInfo* item = FocusedItem();
  if (item == nullptr || item->itemKind() == kMergePart) {
    return;
  }
  tree_->SetFocusedColumn(outputColumn_);
  tree_->EditNode(tree_->FocusedNode(), outputColumn_);
}

void TVirtualStringTreeHelper::NewText(TaskNode* node, int column, const QString& text) {
  MuiItemInfo* item = ItemOf(node);
  if (item == nullptr || !EditingAllowed(node, column)) {
    return;
  }
  const QString name = output_names::TrimTyped(text);
  if (name.isEmpty()) {
    return;
  }
  if (output_names::HasForbiddenCharacter(name)) {
    Environment().ShowMessage(QStringLiteral("The file name can not contain the following characters:\n") +
                              QString::fromUtf16(output_names::kForbiddenShown));
    return;
  }
  item->SetOutputName(name);
  ApplyProfileExtension(item, false);
}

bool TVirtualStringTreeHelper::MoveUp() {
  TaskNode* node = tree_ != nullptr ? tree_->FocusedNode() : nullptr;
  TaskNode* previous = node != nullptr ? node->PrevSibling() : nullptr;
  if (previous == nullptr) {
    return false;
  }
  tree_->EndEditNode();
  tree_->MoveTo(node, previous, AttachMode::InsertBefore);
  tree_->ScrollIntoView(node, false, false);
  return true;
}

bool TVirtualStringTreeHelper::MoveDown() {
  TaskNode* node = tree_ != nullptr ? tree_->FocusedNode() : nullptr;
  TaskNode* next = node != nullptr ? node->NextSibling() : nullptr;
  if (next == nullptr) {
    return false;
  }
  tree_->EndEditNode();
  tree_->MoveTo(node, next, AttachMode::InsertAfter);
  tree_->ScrollIntoView(node, false, false);
  return true;
}

// The selected nodes go one by one, each time the first selected one in tree order, and the first
// that has an unselected neighbour or parent names the node that takes the focus. The decisions are
// made first and the nodes deleted afterwards in runs, so a large selection costs one pass instead
// of one search and one shift of the list per node.
void TVirtualStringTreeHelper::RemoveSelected() {
  if (tree_ == nullptr) {
    return;
  }
  tree_->EndEditNode();
  tree_->BeginUpdate();

  const std::vector<TaskNode*> selected = tree_->SelectedNodes();
  QSet<const TaskNode*> doomed;
  // For a doomed node, the nearest earlier sibling that stays: what its next sibling's previous
  // sibling will be once it is gone.
  QHash<const TaskNode*, TaskNode*> keptBefore;
  QHash<const TaskNode*, int> partsGone;
  doomed.reserve(static_cast<qsizetype>(selected.size()));
  keptBefore.reserve(static_cast<qsizetype>(selected.size()));
  auto isDoomed = [&](const TaskNode* node) {
    for (; node != nullptr; node = node->Parent()) {
      if (doomed.contains(node)) {
        return true;
      }
    }
    return false;
  };
  auto previousKept = [&](const TaskNode* node) {
    TaskNode* previous = node->PrevSibling();
    if (previous != nullptr && doomed.contains(previous)) {
      previous = keptBefore.value(previous);
    }
    return previous;
  };
  auto doom = [&](TaskNode* node) {
    keptBefore[node] = previousKept(node);
    doomed.insert(node);
  };

  TaskNode* successor = nullptr;
  std::vector<TaskNode*> deleting;
  deleting.reserve(selected.size());
  for (TaskNode* node : selected) {
    if (isDoomed(node)) {
      continue;
    }
    if (successor == nullptr) {
      TaskNode* next = node->NextSibling();
      TaskNode* previous = previousKept(node);
      TaskNode* parent = node->Parent();
      if (next != nullptr && !next->Selected()) {
        successor = next;
      } else if (previous != nullptr && !previous->Selected()) {
        successor = previous;
      } else if (!tree_->IsRoot(parent) && !parent->Selected()) {
        successor = parent;
      }
    }
    TaskNode* merged = node->Parent();
    MuiItemInfo* mergedItem = ItemOf(merged);
    if (node->Item()->itemKind() == kMergePart && mergedItem != nullptr) {
      if (merged->ChildCount() - partsGone[merged] == 1) {
        doom(merged);
        deleting.push_back(merged);
        if (successor == merged) {
          successor = nullptr;
        }
        continue;
      }
      mergedItem->mergedLength -= node->Item()->input.media.duration;
      mergedItem->mergedClipLength -= node->Item()->input.clipLength;
      ++partsGone[merged];
      tree_->InvalidateNode(merged);
    }
    doom(node);
    deleting.push_back(node);
  }
  if (successor != nullptr && isDoomed(successor)) {
    successor = nullptr;
  }
  // Every selected node is going; letting go of the selection first spares whoever mirrors it
  // following each deleted run.
  tree_->ClearSelection();
  tree_->DeleteNodes(deleting);
  tree_->EndUpdate();

  if (successor == nullptr) {
    successor = tree_->GetFirst();
  }
  if (successor != nullptr) {
    tree_->ScrollIntoView(successor, false, false);
    tree_->ClearSelection();
    tree_->SetFocusedNode(successor);
    tree_->SetSelected(successor, true);
  }
}

void TVirtualStringTreeHelper::ClearAll() {
  if (tree_ != nullptr) {
    tree_->Clear();
  }
}

void TVirtualStringTreeHelper::SetAllChecked(bool checked) {
  if (tree_ == nullptr) {
    return;
  }
  const CheckState state = checked ? CheckState::CheckedNormal : CheckState::UncheckedNormal;
  tree_->BeginUpdate();
  // A merged item's children are its parts, which have no box.
  std::vector<TaskNode*> pending{tree_->Root()};
  while (!pending.empty()) {
    TaskNode* node = pending.back();
    pending.pop_back();
    for (int i = 0; i < node->ChildCount(); ++i) {
      TaskNode* child = node->ChildAt(i);
      tree_->SetCheckState(child, state);
      if (child->Item()->itemKind() != kMergedItem) {
        pending.push_back(child);
      }
    }
  }
  tree_->EndUpdate();
  tree_->Repaint();
}

void TVirtualStringTreeHelper::ApplyProfileToAll() {
  const MuiItemInfo* focused = FocusedItem();
  if (focused == nullptr) {
    return;
  }
  const ProfileSetting profile = focused->profile;
  const int32_t group = focused->groupId;
  tree_->BeginUpdate();
  for (TaskNode* node = tree_->GetFirst(); node != nullptr; node = tree_->GetNext(node)) {
    MuiItemInfo* item = node->Item();
    const bool otherExtension = item->profile.FormatExt != profile.FormatExt;
    item->groupId = group;
    item->profile = profile;
    if (otherExtension) {
      ApplyProfileExtension(item, true);
    }
  }
  tree_->EndUpdate();
}

void TVirtualStringTreeHelper::AfterClipEdit(MuiItemInfo* item, double oldClipLength, bool applyToAll) {
  if (item == nullptr || tree_ == nullptr) {
    return;
  }
  tree_->BeginUpdate();
  if (applyToAll) {
    const EffectBlock effects = item->input.effects;
    for (TaskNode* node = tree_->GetFirst(); node != nullptr; node = tree_->GetNext(node)) {
      MuiItemInfo* other = node->Item();
      if (other->itemKind() == kMergedItem) {
        continue;
      }
      other->input.effects.brightness = effects.brightness;
      other->input.effects.contrast = effects.contrast;
      other->input.effects.saturation = effects.saturation;
      other->input.effects.volume = effects.volume;
    }
  }
  TaskNode* node = item->Node();
  if (item->itemKind() == kMergePart && node != nullptr) {
    if (MuiItemInfo* merged = ItemOf(node->Parent())) {
      merged->mergedClipLength = merged->mergedClipLength - oldClipLength + item->input.clipLength;
      tree_->InvalidateNode(node->Parent());
    }
  }
  tree_->EndUpdate();
  tree_->Repaint();
}

std::vector<MuiItemInfo*> TVirtualStringTreeHelper::CheckedItems() const {
  std::vector<MuiItemInfo*> items;
  if (tree_ == nullptr) {
    return items;
  }
  // Depth first, children in order: each frame is a node whose children are still being taken.
  struct Frame {
    const TaskNode* node;
    int next;
  };
  std::vector<Frame> frames{{tree_->Root(), 0}};
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.next >= frame.node->ChildCount()) {
      frames.pop_back();
      continue;
    }
    const TaskNode* child = frame.node->ChildAt(frame.next++);
    if (child->GetCheckState() == CheckState::CheckedNormal) {
      items.push_back(child->Item());
    } else if (child->GetCheckState() == CheckState::MixedNormal) {
      frames.push_back({child, 0});
    }
  }
  return items;
}
