#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct MuiItemInfo;
class TaskTree;

// The check state of a node. A pressed form lasts while the mouse button is held on the box; callers
// that ask whether a node is checked mean the normal form only.
enum class CheckState : uint8_t {
  UncheckedNormal,
  UncheckedPressed,
  CheckedNormal,
  CheckedPressed,
  MixedNormal,
  MixedPressed,
};

bool IsPressedForm(CheckState state);
CheckState NormalForm(CheckState state);
CheckState PressedForm(CheckState state);

enum class CheckType : uint8_t {
  None,
  CheckBox,
  TriStateCheckBox,  // follows its children and drives them
};

// Where a node goes relative to another.
enum class AttachMode : uint8_t {
  AddChildLast,  // as the last child of the anchor
  InsertBefore,  // as the anchor's previous sibling
  InsertAfter,   // as the anchor's next sibling
};

// Where a drag inside the tree was released.
enum class DropSpot : uint8_t {
  OnNode,
  AboveNode,
  BelowNode,
  EmptySpace,
};

// One node: its place among its siblings, its check box, its selected state, and the one item it owns.
// Nodes are made and destroyed only by their TaskTree.
class TaskNode {
 public:
  TaskNode(const TaskNode&) = delete;
  TaskNode& operator=(const TaskNode&) = delete;
  ~TaskNode();

  // The invisible root for top-level nodes; null for the root itself.
  TaskNode* Parent() const { return parent_; }
  // Position among the parent's children.
  int Index() const;
  int ChildCount() const { return static_cast<int>(children_.size()) - gapSize_; }
  TaskNode* ChildAt(int index) const {
    return children_[static_cast<size_t>(index < gapStart_ ? index : index + gapSize_)].get();
  }
  TaskNode* FirstChild() const { return ChildCount() == 0 ? nullptr : ChildAt(0); }
  TaskNode* LastChild() const { return ChildCount() == 0 ? nullptr : ChildAt(ChildCount() - 1); }
  TaskNode* PrevSibling() const;
  TaskNode* NextSibling() const;

  CheckState GetCheckState() const { return checkState_; }
  CheckType GetCheckType() const { return checkType_; }
  bool Selected() const { return selected_; }
  // Null only for the root.
  MuiItemInfo* Item() const { return item_.get(); }
  TaskTree* Tree() const;

 private:
  friend class TaskTree;
  TaskNode() = default;

  TaskNode* parent_ = nullptr;
  int index_ = 0;  // place in the parent's children_, the gap included
  std::vector<std::unique_ptr<TaskNode>> children_;
  // While several children are being deleted, the slots of those already gone form one gap, so that
  // each child that stays moves once however many runs go (see TaskTree::DeleteNodes).
  int gapStart_ = 0;
  int gapSize_ = 0;
  std::unique_ptr<MuiItemInfo> item_;
  TaskTree* tree_ = nullptr;  // set on the root only; the others find it through it
  CheckState checkState_ = CheckState::UncheckedNormal;
  CheckType checkType_ = CheckType::None;
  bool selected_ = false;
  // The selected nodes form a list in the order they were selected, so that the selection is found
  // and let go of without visiting the nodes that are not in it.
  TaskNode* prevSelected_ = nullptr;
  TaskNode* nextSelected_ = nullptr;
  // Set only while TaskTree::DeleteNodes sorts out what it was given.
  enum class Mark : uint8_t { None, Listed, Taken };
  Mark mark_ = Mark::None;
};

// What the tree tells those who mirror it (the item model, the list's output-name index). Every
// structural change comes as a pair around the moment it happens; rows are positions among the
// children of `parent`.
class TaskTreeObserver {
 public:
  virtual void NodesAboutToBeAdded(TaskNode* parent, int first, int last) {}
  virtual void NodesAdded(TaskNode* parent, int first, int last) {}
  virtual void NodesAboutToBeRemoved(TaskNode* parent, int first, int last) {}
  virtual void NodesRemoved(TaskNode* parent, int first, int last) {}
  // `row` is the destination as a position among the children before the move.
  virtual void NodeAboutToBeMoved(TaskNode* node, TaskNode* newParent, int row) {}
  virtual void NodeMoved(TaskNode* node) {}
  virtual void AboutToBeCleared() {}
  virtual void Cleared() {}
  // Something shown for the node changed: its check state or its item.
  virtual void NodeChanged(TaskNode* node) {}
  // The item's output name or kind is about to change, and has changed.
  virtual void ItemKeyChanging(TaskNode* node) {}
  virtual void ItemKeyChanged(TaskNode* node) {}
  virtual void SelectionChanged(TaskNode* node, bool selected) {}
  virtual void SelectionCleared() {}
  virtual void FocusChanged(TaskNode* node, int column) {}
  virtual void UpdateBegun() {}
  virtual void UpdateEnded() {}
  virtual void ScrollRequested(TaskNode* node, bool center, bool horizontally) {}
  virtual void EditRequested(TaskNode* node, int column) {}
  virtual void EndEditRequested() {}
  virtual void RepaintRequested() {}
  virtual void TreeDestroyed() {}

 protected:
  ~TaskTreeObserver() = default;
};

// The handlers a tree view calls; one of each, installed by whoever binds the tree (see
// TVirtualStringTreeHelper::Bind). Unset handlers give empty answers and allow everything.
struct TaskTreeEvents {
  std::function<QString(const TaskNode* node, int column)> getText;
  std::function<QString(const TaskNode* node, int column)> getHint;
  // -1 for no image.
  std::function<int(const TaskNode* node, int column)> getImageIndex;
  std::function<bool(const TaskNode* node, int column)> editing;
  std::function<void(TaskNode* node, int column, const QString& text)> newText;
  std::function<void(TaskNode* oldNode, TaskNode* newNode, int oldColumn, int newColumn, bool& allowed)>
      focusChanging;
  std::function<void(TaskNode* node, int column)> focusChanged;
  std::function<void()> startDrag;
  // `y` is the pointer's vertical position; the answer says whether a drop would be taken.
  std::function<bool(bool fromThisTree, int y)> dragOver;
  std::function<void(TaskNode* target, DropSpot spot, int y)> dragDrop;
};

// A tree of task nodes with check boxes, selection and a focused node and column: the toolkit-free
// stand-in for the list's tree view control. Single-threaded; observers are called synchronously.
//
// Node pointers stay valid until their node is deleted. Positions are kept in every node, so asking a
// node's index is constant time; inserting, moving or deleting one node among n siblings costs O(n)
// for the siblings after it, appending costs amortised O(1), and deleting k nodes at once costs
// O(n + k) however they lie. Reading or clearing a selection of k nodes costs O(k log k) and O(k),
// whatever the size of the tree.
class TaskTree {
 public:
  TaskTree();
  ~TaskTree();
  TaskTree(const TaskTree&) = delete;
  TaskTree& operator=(const TaskTree&) = delete;

  TaskTreeEvents events;

  void AddObserver(TaskTreeObserver* observer);
  void RemoveObserver(TaskTreeObserver* observer);

  // The invisible root; its children are the top-level nodes.
  TaskNode* Root() const { return root_.get(); }
  bool IsRoot(const TaskNode* node) const { return node == root_.get(); }
  int TopLevelCount() const { return root_->ChildCount(); }
  // 0 for top-level nodes.
  int NodeLevel(const TaskNode* node) const;

  // Adds a node owning `item` as the last child of `parent` (null: the root).
  TaskNode* AddChild(TaskNode* parent, std::unique_ptr<MuiItemInfo> item,
                     CheckType checkType = CheckType::None,
                     CheckState checkState = CheckState::UncheckedNormal);
  // Adds a node next to `anchor`, or as its last child.
  TaskNode* InsertNode(TaskNode* anchor, AttachMode mode, std::unique_ptr<MuiItemInfo> item,
                       CheckType checkType = CheckType::None,
                       CheckState checkState = CheckState::UncheckedNormal);
  // Deletes the node with its children and their items.
  void DeleteNode(TaskNode* node);
  // Deletes several nodes at once, each with its children. A node inside another one listed is
  // deleted with it. Runs of neighbours are announced as one change.
  void DeleteNodes(const std::vector<TaskNode*>& nodes);
  void Clear();
  // Moves `node` next to `anchor` or to the end of its children; nothing when that would put a node
  // inside itself.
  void MoveTo(TaskNode* node, TaskNode* anchor, AttachMode mode);

  // Tree order: a node, then its children's subtrees in order.
  TaskNode* GetFirst() const { return root_->FirstChild(); }
  TaskNode* GetNext(const TaskNode* node) const;
  TaskNode* GetLastTopLevel() const { return root_->LastChild(); }

  void SetCheckType(TaskNode* node, CheckType type);
  // Sets the state with automatic tri-state tracking: a checked or unchecked tri-state node passes
  // its state down to the children that have a box, and tri-state parents follow their children.
  void SetCheckState(TaskNode* node, CheckState state);
  // Holds the node's box down or lets it go, keeping what it shows.
  void SetCheckPressed(TaskNode* node, bool pressed);
  // The state a click on the node's box gives: unchecked and mixed become checked, checked unchecked.
  static CheckState ToggledState(CheckState state);

  int SelectedCount() const { return selectedCount_; }
  std::vector<TaskNode*> SelectedNodes() const;  // tree order
  void SetSelected(TaskNode* node, bool selected);
  void ClearSelection();

  TaskNode* FocusedNode() const { return focused_; }
  int FocusedColumn() const { return focusedColumn_; }
  // Asks events.focusChanging first; false when it refused. focusChanged follows an accepted change.
  bool SetFocus(TaskNode* node, int column);
  bool SetFocusedNode(TaskNode* node) { return SetFocus(node, focusedColumn_); }
  bool SetFocusedColumn(int column) { return SetFocus(focused_, column); }

  // Nested; observers hear of the outermost pair only.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }

  // Requests for whoever shows the tree.
  void ScrollIntoView(TaskNode* node, bool center, bool horizontally);
  void EditNode(TaskNode* node, int column);
  void EndEditNode();
  void Repaint();
  // Tells the observers that a node's item changed in a way they show.
  void InvalidateNode(TaskNode* node);

  // Called by MuiItemInfo around a change of its output name or kind.
  void NotifyItemKeyChanging(TaskNode* node);
  void NotifyItemKeyChanged(TaskNode* node);

 private:
  TaskNode* Attach(TaskNode* parent, int row, std::unique_ptr<MuiItemInfo> item, CheckType type,
                   CheckState state);
  void DeleteChildren(TaskNode* parent, std::vector<int>& rows);
  void ForgetSubtree(TaskNode* node);
  void Renumber(TaskNode* parent, int from);
  void LinkSelected(TaskNode* node);
  void UnlinkSelected(TaskNode* node);
  void SetStateDown(TaskNode* node, CheckState state);
  void UpdateParentState(TaskNode* parent);
  void SetCheckStateRaw(TaskNode* node, CheckState state);
  template <class F>
  void Notify(F&& call);

  std::unique_ptr<TaskNode> root_;
  std::vector<TaskTreeObserver*> observers_;
  TaskNode* focused_ = nullptr;
  int focusedColumn_ = 0;
  int selectedCount_ = 0;
  TaskNode* firstSelected_ = nullptr;  // the most recently selected node
  int updateCount_ = 0;
};
