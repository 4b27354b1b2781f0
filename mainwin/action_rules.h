#pragma once

#include "tasks/task_tree.h"

// When each main-window action is enabled, decided from the bound task tree alone (no toolkit), so the
// idle re-evaluation stays cheap and the rules can be checked without a window.
enum class ActionRule {
  Always,
  FocusedNotPart,    // a focused item that is not a part of a merged item
  FocusedNotMerged,  // a focused item that is not a merged item
  FocusedWithVideo,  // as FocusedNotMerged, and the item has video
  HasPrevSibling,    // the focused node has a previous sibling
  HasNextSibling,    // the focused node has a next sibling
  NodeFocused,       // a node is focused
  HasItems,          // the list has at least one top-level node
  MultiSelected,     // more than one node is selected
  SomeNotChecked,    // some top-level node is not exactly checked
  SomeNotUnchecked,  // some top-level node is not exactly unchecked
};

// The facts the rules read, taken from the tree in one pass at most.
struct ActionFacts {
  bool nodeFocused = false;
  bool focusedIsPart = false;
  bool focusedIsMerged = false;
  bool focusedHasVideo = false;
  bool hasPrevSibling = false;
  bool hasNextSibling = false;
  bool hasItems = false;
  bool multiSelected = false;
  bool someNotChecked = false;
  bool someNotUnchecked = false;
};

// Walks the top-level nodes only until both check answers are known.
ActionFacts ReadActionFacts(const TaskTree& tree);
bool IsEnabled(ActionRule rule, const ActionFacts& facts);

// ReadActionFacts for the idle update, which runs on every turn of the message loop: the check answers
// need a walk of the whole list when every item is checked, so they are kept until the tree changes.
// The tree must outlive the reader or be destroyed first.
class ActionFactsReader final : private TaskTreeObserver {
 public:
  explicit ActionFactsReader(TaskTree& tree);
  ~ActionFactsReader();
  ActionFactsReader(const ActionFactsReader&) = delete;
  ActionFactsReader& operator=(const ActionFactsReader&) = delete;

  ActionFacts Read();

 private:
  void Changed() { checksKnown_ = false; }
  void NodesAdded(TaskNode*, int, int) override { Changed(); }
  void NodesRemoved(TaskNode*, int, int) override { Changed(); }
  void NodeMoved(TaskNode*) override { Changed(); }
  void Cleared() override { Changed(); }
  void NodeChanged(TaskNode*) override { Changed(); }
  void UpdateEnded() override { Changed(); }
  void TreeDestroyed() override { tree_ = nullptr; }

  TaskTree* tree_;
  bool checksKnown_ = false;
  bool someNotChecked_ = false;
  bool someNotUnchecked_ = false;
};
