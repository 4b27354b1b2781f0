#include <algorithm>

#include "tasks/item_factory.h"
#include "tasks/task_list.h"

namespace {

bool IsPart(const TaskNode* node) {
  return node->Item() != nullptr && node->Item()->itemKind() == kMergePart;
}

// A part whose merged item is dragged or merged as well travels with it.
bool TravelsWithItsMerge(const TaskNode* node) {
  return IsPart(node) && node->Parent()->Selected();
}

}  // namespace

TaskNode* TVirtualStringTreeHelper::MergeSelected(const ProfileSetting& profile, int32_t group) {
  if (tree_ == nullptr) {
    return nullptr;
  }
  const std::vector<TaskNode*> selected = tree_->SelectedNodes();
  // A merged item without parts could not be converted.
  if (selected.empty()) {
    return nullptr;
  }
  QString name = QStringLiteral("Merge") + profile.FormatExt;
  MakeOutputNameUnique(nullptr, name);
  tree_->BeginUpdate();
  TaskNode* merged = tree_->AddChild(nullptr, NewMergedItem(name, profile, group),
                                     CheckType::TriStateCheckBox, CheckState::CheckedNormal);
  for (TaskNode* node : selected) {
    if (!TravelsWithItsMerge(node)) {
      CopyIntoMerge(merged, node);
    }
  }
  tree_->EndUpdate();
  return merged;
}

void TVirtualStringTreeHelper::CopyIntoMerge(TaskNode* merged, TaskNode* source, TaskNode* anchor,
                                             AttachMode mode) {
  MuiItemInfo* mergedItem = ItemOf(merged);
  if (tree_ == nullptr || mergedItem == nullptr || mergedItem->itemKind() != kMergedItem ||
      ItemOf(source) == nullptr) {
    return;
  }
  if (anchor != nullptr && anchor->Parent() != merged) {
    anchor = nullptr;
  }
  std::vector<const MuiItemInfo*> copied;
  if (source->Item()->itemKind() == kMergedItem) {
    for (int i = 0; i < source->ChildCount(); ++i) {
      copied.push_back(source->ChildAt(i)->Item());
    }
  } else {
    copied.push_back(source->Item());
  }
  // After an anchor, each copy goes after the one before it, so the parts keep their order.
  TaskNode* place = anchor;
  for (const MuiItemInfo* from : copied) {
    mergedItem->mergedLength += from->input.media.duration;
    mergedItem->mergedClipLength += from->input.clipLength;
    auto part = std::make_unique<MuiItemInfo>(*from);
    part->SetItemKind(kMergePart);
    part->groupId = mergedItem->groupId;
    part->profile = mergedItem->profile;
    if (place == nullptr || mode == AttachMode::AddChildLast) {
      tree_->AddChild(merged, std::move(part));
      continue;
    }
    TaskNode* node = tree_->InsertNode(place, mode, std::move(part));
    if (mode == AttachMode::InsertAfter) {
      place = node;
    }
  }
  tree_->InvalidateNode(merged);
}

void TVirtualStringTreeHelper::StartDrag() {
  dragStartY_ = kNoDragStart;
}

bool TVirtualStringTreeHelper::DragOver(bool fromThisTree, int y) {
  if (!fromThisTree) {
    return false;
  }
  if (dragStartY_ == kNoDragStart) {
    dragStartY_ = y;
  }
  return true;
}

void TVirtualStringTreeHelper::MoveDragged(const std::vector<TaskNode*>& dragged, TaskNode* target,
                                           AttachMode mode, int level) {
  for (TaskNode* node : dragged) {
    if (tree_->NodeLevel(node) == level) {
      tree_->MoveTo(node, target, mode);
    }
  }
}

void TVirtualStringTreeHelper::DragDrop(TaskNode* target, DropSpot spot, int y) {
  if (tree_ == nullptr || spot == DropSpot::AboveNode || spot == DropSpot::BelowNode) {
    return;
  }
  std::vector<TaskNode*> dragged = tree_->SelectedNodes();
  if (dragged.empty()) {
    return;
  }
  bool after = false;
  if (spot == DropSpot::EmptySpace || target == nullptr) {
    after = y > 0;
    target = after ? tree_->GetLastTopLevel() : tree_->GetFirst();
  } else {
    // Dropped lower than where the drag began: the nodes follow the target.
    after = y > dragStartY_;
  }
  if (target == nullptr || target->Selected()) {
    return;
  }
  const AttachMode mode = after ? AttachMode::InsertAfter : AttachMode::InsertBefore;
  // Each node goes right next to the target, so going after it they are taken last first.
  if (after) {
    std::reverse(dragged.begin(), dragged.end());
  }
  tree_->BeginUpdate();
  if (spot == DropSpot::OnNode && IsPart(target)) {
    TaskNode* merged = target->Parent();
    for (TaskNode* node : dragged) {
      if (node->Parent() == merged) {
        tree_->MoveTo(node, target, mode);
      } else if (node != merged && !TravelsWithItsMerge(node)) {
        CopyIntoMerge(merged, node, target, mode);
      }
    }
  } else {
    MoveDragged(dragged, target, mode, tree_->NodeLevel(target));
  }
  tree_->EndUpdate();
}
