#pragma once

#include <QString>

#include "tasks/task_tree.h"

class ConverterSettings;
class QLabel;
class TVirtualStringTreeHelper;

// The label beside Convert that tells how large the checked items' outputs will be. It follows the
// list and recounts only after something changed, so an idle window with a long list costs nothing.
class SizeEstimate final : private TaskTreeObserver {
 public:
  SizeEstimate(TaskTree& tree, const TVirtualStringTreeHelper& list, const ConverterSettings& catalogue,
               QLabel* label);
  ~SizeEstimate();
  SizeEstimate(const SizeEstimate&) = delete;
  SizeEstimate& operator=(const SizeEstimate&) = delete;

  // Something the estimate reads outside the tree changed: a profile of the catalogue, an item's edit.
  void Invalidate() { stale_ = true; }
  // Recounts when stale.
  void Refresh();

  // "Output about 14.2 MB"; empty when nothing checked has a size.
  static QString Text(int64_t bytes);

 private:
  void NodesAdded(TaskNode*, int, int) override { stale_ = true; }
  void NodesRemoved(TaskNode*, int, int) override { stale_ = true; }
  void NodeMoved(TaskNode*) override { stale_ = true; }
  void Cleared() override { stale_ = true; }
  void NodeChanged(TaskNode*) override { stale_ = true; }
  void ItemKeyChanged(TaskNode*) override { stale_ = true; }
  void UpdateEnded() override { stale_ = true; }
  void TreeDestroyed() override { tree_ = nullptr; }

  TaskTree* tree_;
  const TVirtualStringTreeHelper& list_;
  const ConverterSettings& catalogue_;
  QLabel* label_;
  bool stale_ = true;
};
