#pragma once

class TaskTree;

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
