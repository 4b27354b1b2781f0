#include "tasks/task_tree.h"

#include <algorithm>
#include <unordered_map>

#include "tasks/mui_item_info.h"

namespace {

bool IsChecked(CheckState state) {
  return state == CheckState::CheckedNormal || state == CheckState::CheckedPressed;
}

bool IsUnchecked(CheckState state) {
  return state == CheckState::UncheckedNormal || state == CheckState::UncheckedPressed;
}

}  // namespace

bool IsPressedForm(CheckState state) {
  return state == CheckState::UncheckedPressed || state == CheckState::CheckedPressed ||
         state == CheckState::MixedPressed;
}

CheckState NormalForm(CheckState state) {
  switch (state) {
    case CheckState::UncheckedPressed:
      return CheckState::UncheckedNormal;
    case CheckState::CheckedPressed:
      return CheckState::CheckedNormal;
    case CheckState::MixedPressed:
      return CheckState::MixedNormal;
    default:
      return state;
  }
}

CheckState PressedForm(CheckState state) {
  switch (state) {
    case CheckState::UncheckedNormal:
      return CheckState::UncheckedPressed;
    case CheckState::CheckedNormal:
      return CheckState::CheckedPressed;
    case CheckState::MixedNormal:
      return CheckState::MixedPressed;
    default:
      return state;
  }
}

TaskNode::~TaskNode() = default;

int TaskNode::Index() const {
  return parent_ != nullptr && index_ >= parent_->gapStart_ + parent_->gapSize_ ? index_ - parent_->gapSize_
                                                                                : index_;
}

TaskNode* TaskNode::PrevSibling() const {
  const int index = Index();
  return parent_ == nullptr || index == 0 ? nullptr : parent_->ChildAt(index - 1);
}

TaskNode* TaskNode::NextSibling() const {
  const int index = Index();
  return parent_ == nullptr || index + 1 >= parent_->ChildCount() ? nullptr : parent_->ChildAt(index + 1);
}

TaskTree* TaskNode::Tree() const {
  const TaskNode* node = this;
  while (node->parent_ != nullptr) {
    node = node->parent_;
  }
  return node->tree_;
}

TaskTree::TaskTree() : root_(new TaskNode) {
  root_->tree_ = this;
}

TaskTree::~TaskTree() {
  Notify([](TaskTreeObserver* o) { o->TreeDestroyed(); });
  observers_.clear();
}

template <class F>
void TaskTree::Notify(F&& call) {
  // An observer may leave while being told something, so the list is walked as it was.
  const std::vector<TaskTreeObserver*> observers = observers_;
  for (TaskTreeObserver* observer : observers) {
    if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) {
      call(observer);
    }
  }
}

void TaskTree::AddObserver(TaskTreeObserver* observer) {
  if (observer != nullptr && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void TaskTree::RemoveObserver(TaskTreeObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

int TaskTree::NodeLevel(const TaskNode* node) const {
  int level = -1;
  for (; node != nullptr && node != root_.get(); node = node->parent_) {
    ++level;
  }
  return level;
}

TaskNode* TaskTree::Attach(TaskNode* parent, int row, std::unique_ptr<MuiItemInfo> item, CheckType type,
                           CheckState state) {
  Notify([&](TaskTreeObserver* o) { o->NodesAboutToBeAdded(parent, row, row); });
  std::unique_ptr<TaskNode> owned(new TaskNode);
  TaskNode* node = owned.get();
  node->parent_ = parent;
  node->item_ = std::move(item);
  if (node->item_ != nullptr) {
    node->item_->node_ = node;
  }
  node->checkType_ = type;
  node->checkState_ = state;
  parent->children_.insert(parent->children_.begin() + row, std::move(owned));
  Renumber(parent, row);
  Notify([&](TaskTreeObserver* o) { o->NodesAdded(parent, row, row); });
  return node;
}

TaskNode* TaskTree::AddChild(TaskNode* parent, std::unique_ptr<MuiItemInfo> item, CheckType checkType,
                             CheckState checkState) {
  if (parent == nullptr) {
    parent = root_.get();
  }
  return Attach(parent, parent->ChildCount(), std::move(item), checkType, checkState);
}

TaskNode* TaskTree::InsertNode(TaskNode* anchor, AttachMode mode, std::unique_ptr<MuiItemInfo> item,
                               CheckType checkType, CheckState checkState) {
  if (anchor == nullptr || anchor == root_.get()) {
    return AddChild(nullptr, std::move(item), checkType, checkState);
  }
  switch (mode) {
    case AttachMode::AddChildLast:
      return AddChild(anchor, std::move(item), checkType, checkState);
    case AttachMode::InsertBefore:
      return Attach(anchor->parent_, anchor->Index(), std::move(item), checkType, checkState);
    case AttachMode::InsertAfter:
      return Attach(anchor->parent_, anchor->Index() + 1, std::move(item), checkType, checkState);
  }
  return nullptr;
}

void TaskTree::Renumber(TaskNode* parent, int from) {
  const int count = parent->ChildCount();
  for (int i = from; i < count; ++i) {
    parent->children_[static_cast<size_t>(i)]->index_ = i;
  }
}

void TaskTree::LinkSelected(TaskNode* node) {
  node->prevSelected_ = nullptr;
  node->nextSelected_ = firstSelected_;
  if (firstSelected_ != nullptr) {
    firstSelected_->prevSelected_ = node;
  }
  firstSelected_ = node;
}

void TaskTree::UnlinkSelected(TaskNode* node) {
  (node->prevSelected_ != nullptr ? node->prevSelected_->nextSelected_ : firstSelected_) =
      node->nextSelected_;
  if (node->nextSelected_ != nullptr) {
    node->nextSelected_->prevSelected_ = node->prevSelected_;
  }
  node->prevSelected_ = nullptr;
  node->nextSelected_ = nullptr;
}

void TaskTree::ForgetSubtree(TaskNode* node) {
  if (node->selected_) {
    UnlinkSelected(node);
    node->selected_ = false;
    --selectedCount_;
  }
  if (node == focused_) {
    focused_ = nullptr;
  }
  for (const auto& child : node->children_) {
    ForgetSubtree(child.get());
  }
}

void TaskTree::DeleteNode(TaskNode* node) {
  DeleteNodes({node});
}

void TaskTree::DeleteNodes(const std::vector<TaskNode*>& nodes) {
  // Marks in the nodes stand for the sets of listed and of taken nodes: a large selection costs one
  // read of each node and its ancestors, which the loop reads anyway, instead of hashed look-ups.
  for (TaskNode* node : nodes) {
    if (node != nullptr && node != root_.get()) {
      node->mark_ = TaskNode::Mark::Listed;
    }
  }
  // Per parent, the positions to delete; parents in the order first met.
  std::vector<TaskNode*> parents;
  std::unordered_map<TaskNode*, std::vector<int>> rows;
  TaskNode* lastParent = nullptr;
  std::vector<int>* lastRows = nullptr;
  for (TaskNode* node : nodes) {
    if (node == nullptr || node->mark_ != TaskNode::Mark::Listed) {
      continue;
    }
    node->mark_ = TaskNode::Mark::Taken;
    bool inside = false;
    for (const TaskNode* up = node->parent_; up != nullptr && !inside; up = up->parent_) {
      inside = up->mark_ != TaskNode::Mark::None;
    }
    if (inside) {
      continue;
    }
    if (node->parent_ != lastParent) {
      auto [it, added] = rows.try_emplace(node->parent_);
      if (added) {
        parents.push_back(node->parent_);
      }
      lastParent = node->parent_;
      lastRows = &it->second;
    }
    lastRows->push_back(node->Index());
  }
  for (TaskNode* node : nodes) {
    if (node != nullptr) {
      node->mark_ = TaskNode::Mark::None;
    }
  }
  for (TaskNode* parent : parents) {
    DeleteChildren(parent, rows[parent]);
  }
}

// Runs of neighbours go from the last to the first, each announced as one change. The gap left by
// the runs already gone sits right after the run being deleted: the children between two runs move
// across it once, and the gap is closed when all runs are gone.
void TaskTree::DeleteChildren(TaskNode* parent, std::vector<int>& positions) {
  std::sort(positions.begin(), positions.end());
  auto& held = parent->children_;
  parent->gapStart_ = static_cast<int>(held.size());
  parent->gapSize_ = 0;
  const bool hadFocus = focused_ != nullptr;
  size_t end = positions.size();
  while (end > 0) {
    size_t begin = end - 1;
    while (begin > 0 && positions[begin - 1] + 1 == positions[begin]) {
      --begin;
    }
    const int first = positions[begin];
    const int last = positions[end - 1];
    end = begin;

    if (parent->gapSize_ > 0) {
      for (int slot = parent->gapStart_ - 1; slot > last; --slot) {
        const int to = slot + parent->gapSize_;
        held[static_cast<size_t>(to)] = std::move(held[static_cast<size_t>(slot)]);
        held[static_cast<size_t>(to)]->index_ = to;
      }
    }
    parent->gapStart_ = last + 1;

    Notify([&](TaskTreeObserver* o) { o->NodesAboutToBeRemoved(parent, first, last); });
    for (int slot = first; slot <= last; ++slot) {
      ForgetSubtree(held[static_cast<size_t>(slot)].get());
      held[static_cast<size_t>(slot)].reset();
    }
    parent->gapStart_ = first;
    parent->gapSize_ += last - first + 1;
    Notify([&](TaskTreeObserver* o) { o->NodesRemoved(parent, first, last); });
  }
  held.erase(held.begin() + parent->gapStart_, held.begin() + parent->gapStart_ + parent->gapSize_);
  parent->gapSize_ = 0;
  Renumber(parent, parent->gapStart_);
  parent->gapStart_ = 0;
  if (hadFocus && focused_ == nullptr) {
    // A deleted node takes the focus with it; no handler may keep it, so none is asked.
    Notify([&](TaskTreeObserver* o) { o->FocusChanged(nullptr, focusedColumn_); });
  }
}

void TaskTree::Clear() {
  if (root_->children_.empty()) {
    return;
  }
  Notify([](TaskTreeObserver* o) { o->AboutToBeCleared(); });
  const bool hadFocus = focused_ != nullptr;
  focused_ = nullptr;
  selectedCount_ = 0;
  firstSelected_ = nullptr;
  root_->children_.clear();
  Notify([](TaskTreeObserver* o) { o->Cleared(); });
  if (hadFocus) {
    Notify([&](TaskTreeObserver* o) { o->FocusChanged(nullptr, focusedColumn_); });
  }
}

void TaskTree::MoveTo(TaskNode* node, TaskNode* anchor, AttachMode mode) {
  if (node == nullptr || node == root_.get() || anchor == nullptr) {
    return;
  }
  for (const TaskNode* up = anchor; up != nullptr; up = up->parent_) {
    if (up == node) {
      return;
    }
  }
  TaskNode* newParent = anchor;
  int row = anchor->ChildCount();
  if (mode != AttachMode::AddChildLast) {
    if (anchor == root_.get()) {
      return;
    }
    newParent = anchor->parent_;
    row = anchor->Index() + (mode == AttachMode::InsertAfter ? 1 : 0);
  }
  TaskNode* oldParent = node->parent_;
  const int oldRow = node->Index();
  if (newParent == oldParent && (row == oldRow || row == oldRow + 1)) {
    return;
  }
  Notify([&](TaskTreeObserver* o) { o->NodeAboutToBeMoved(node, newParent, row); });
  std::unique_ptr<TaskNode> owned = std::move(oldParent->children_[static_cast<size_t>(oldRow)]);
  oldParent->children_.erase(oldParent->children_.begin() + oldRow);
  Renumber(oldParent, oldRow);
  if (newParent == oldParent && row > oldRow) {
    --row;
  }
  owned->parent_ = newParent;
  newParent->children_.insert(newParent->children_.begin() + row, std::move(owned));
  Renumber(newParent, row);
  Notify([&](TaskTreeObserver* o) { o->NodeMoved(node); });
}

TaskNode* TaskTree::GetNext(const TaskNode* node) const {
  if (node == nullptr) {
    return nullptr;
  }
  if (!node->children_.empty()) {
    return node->children_.front().get();
  }
  for (; node != nullptr && node != root_.get(); node = node->parent_) {
    if (TaskNode* next = node->NextSibling()) {
      return next;
    }
  }
  return nullptr;
}

void TaskTree::SetCheckType(TaskNode* node, CheckType type) {
  if (node != nullptr && node != root_.get() && node->checkType_ != type) {
    node->checkType_ = type;
    Notify([&](TaskTreeObserver* o) { o->NodeChanged(node); });
  }
}

void TaskTree::SetCheckStateRaw(TaskNode* node, CheckState state) {
  if (node->checkState_ != state) {
    node->checkState_ = state;
    Notify([&](TaskTreeObserver* o) { o->NodeChanged(node); });
  }
}

void TaskTree::SetStateDown(TaskNode* node, CheckState state) {
  for (const auto& child : node->children_) {
    if (child->checkType_ == CheckType::None) {
      continue;
    }
    SetCheckStateRaw(child.get(), state);
    if (child->checkType_ == CheckType::TriStateCheckBox) {
      SetStateDown(child.get(), state);
    }
  }
}

void TaskTree::UpdateParentState(TaskNode* parent) {
  for (; parent != nullptr && parent != root_.get() && parent->checkType_ == CheckType::TriStateCheckBox;
       parent = parent->parent_) {
    int boxes = 0;
    int checked = 0;
    int unchecked = 0;
    for (const auto& child : parent->children_) {
      if (child->checkType_ == CheckType::None) {
        continue;
      }
      ++boxes;
      checked += IsChecked(child->checkState_) ? 1 : 0;
      unchecked += IsUnchecked(child->checkState_) ? 1 : 0;
    }
    if (boxes == 0) {
      return;
    }
    const CheckState state = checked == boxes     ? CheckState::CheckedNormal
                             : unchecked == boxes ? CheckState::UncheckedNormal
                                                  : CheckState::MixedNormal;
    if (parent->checkState_ == state) {
      return;
    }
    SetCheckStateRaw(parent, state);
  }
}

void TaskTree::SetCheckState(TaskNode* node, CheckState state) {
  if (node == nullptr || node == root_.get()) {
    return;
  }
  SetCheckStateRaw(node, state);
  if (IsPressedForm(state)) {
    return;
  }
  if (node->checkType_ == CheckType::TriStateCheckBox && state != CheckState::MixedNormal) {
    SetStateDown(node, state);
  }
  if (node->checkType_ != CheckType::None) {
    UpdateParentState(node->parent_);
  }
}

void TaskTree::SetCheckPressed(TaskNode* node, bool pressed) {
  if (node != nullptr && node != root_.get()) {
    SetCheckStateRaw(node, pressed ? PressedForm(node->checkState_) : NormalForm(node->checkState_));
  }
}

CheckState TaskTree::ToggledState(CheckState state) {
  return IsChecked(state) ? CheckState::UncheckedNormal : CheckState::CheckedNormal;
}

std::vector<TaskNode*> TaskTree::SelectedNodes() const {
  // Tree order without walking the tree: siblings compare by position, others by their ancestors
  // at the level where their lines meet, and a node comes before the nodes inside it.
  struct Entry {
    TaskNode* node;
    int level;
    int index;
  };
  std::vector<Entry> entries;
  entries.reserve(static_cast<size_t>(selectedCount_));
  for (TaskNode* node = firstSelected_; node != nullptr; node = node->nextSelected_) {
    entries.push_back({node, NodeLevel(node), node->Index()});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.node->parent_ == b.node->parent_) {
      return a.index < b.index;
    }
    const TaskNode* x = a.node;
    const TaskNode* y = b.node;
    for (int level = a.level; level > b.level; --level) {
      x = x->parent_;
    }
    for (int level = b.level; level > a.level; --level) {
      y = y->parent_;
    }
    if (x == y) {
      return a.level < b.level;
    }
    while (x->parent_ != y->parent_) {
      x = x->parent_;
      y = y->parent_;
    }
    return x->Index() < y->Index();
  });
  std::vector<TaskNode*> selected;
  selected.reserve(entries.size());
  for (const Entry& entry : entries) {
    selected.push_back(entry.node);
  }
  return selected;
}

void TaskTree::SetSelected(TaskNode* node, bool selected) {
  if (node == nullptr || node == root_.get() || node->selected_ == selected) {
    return;
  }
  node->selected_ = selected;
  if (selected) {
    LinkSelected(node);
  } else {
    UnlinkSelected(node);
  }
  selectedCount_ += selected ? 1 : -1;
  Notify([&](TaskTreeObserver* o) { o->SelectionChanged(node, selected); });
}

void TaskTree::ClearSelection() {
  if (selectedCount_ == 0) {
    return;
  }
  for (TaskNode* node = firstSelected_; node != nullptr;) {
    TaskNode* next = node->nextSelected_;
    node->selected_ = false;
    node->prevSelected_ = nullptr;
    node->nextSelected_ = nullptr;
    node = next;
  }
  firstSelected_ = nullptr;
  selectedCount_ = 0;
  Notify([](TaskTreeObserver* o) { o->SelectionCleared(); });
}

bool TaskTree::SetFocus(TaskNode* node, int column) {
  if (node == root_.get()) {
    node = nullptr;
  }
  if (node == focused_ && column == focusedColumn_) {
    return true;
  }
  bool allowed = true;
  if (events.focusChanging) {
    events.focusChanging(focused_, node, focusedColumn_, column, allowed);
  }
  if (!allowed) {
    return false;
  }
  focused_ = node;
  focusedColumn_ = column;
  Notify([&](TaskTreeObserver* o) { o->FocusChanged(node, column); });
  if (events.focusChanged) {
    events.focusChanged(node, column);
  }
  return true;
}

void TaskTree::BeginUpdate() {
  if (updateCount_++ == 0) {
    Notify([](TaskTreeObserver* o) { o->UpdateBegun(); });
  }
}

void TaskTree::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) {
    Notify([](TaskTreeObserver* o) { o->UpdateEnded(); });
  }
}

void TaskTree::ScrollIntoView(TaskNode* node, bool center, bool horizontally) {
  if (node != nullptr && node != root_.get()) {
    Notify([&](TaskTreeObserver* o) { o->ScrollRequested(node, center, horizontally); });
  }
}

void TaskTree::EditNode(TaskNode* node, int column) {
  if (node != nullptr && node != root_.get()) {
    Notify([&](TaskTreeObserver* o) { o->EditRequested(node, column); });
  }
}

void TaskTree::EndEditNode() {
  Notify([](TaskTreeObserver* o) { o->EndEditRequested(); });
}

void TaskTree::Repaint() {
  Notify([](TaskTreeObserver* o) { o->RepaintRequested(); });
}

void TaskTree::InvalidateNode(TaskNode* node) {
  if (node != nullptr && node != root_.get()) {
    Notify([&](TaskTreeObserver* o) { o->NodeChanged(node); });
  }
}

void TaskTree::NotifyItemKeyChanging(TaskNode* node) {
  Notify([&](TaskTreeObserver* o) { o->ItemKeyChanging(node); });
}

void TaskTree::NotifyItemKeyChanged(TaskNode* node) {
  Notify([&](TaskTreeObserver* o) { o->ItemKeyChanged(node); });
  Notify([&](TaskTreeObserver* o) { o->NodeChanged(node); });
}
