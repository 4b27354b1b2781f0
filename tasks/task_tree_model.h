#pragma once

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QTimer>

#include "tasks/task_tree.h"

// The item model over a task tree: four columns, rows served on demand from the tree and its
// handlers (TaskTreeEvents), nothing cached per row.
//
// Nodes appended at the end of the top level while the user waits on a load are announced in
// batches, at most once per append interval: a tree view lays out every top-level row again after
// each insertion at the top level, which one row at a time would make a long load quadratic. Until
// announced they are simply not rows yet; any other change of the tree, and any question about such
// a node (IndexOf), announces them first.
class TaskTreeModel final : public QAbstractItemModel, private TaskTreeObserver {
  Q_OBJECT

 public:
  static constexpr int kColumnCount = 4;
  // Data role: whether the node's check box is held down (bool). Setting it presses or releases the
  // box without changing its state.
  static constexpr int kPressedRole = Qt::UserRole + 1;
  static constexpr int kDefaultAppendInterval = 100;  // milliseconds

  explicit TaskTreeModel(TaskTree& tree, QObject* parent = nullptr);
  ~TaskTreeModel() override;

  // The node of an index; the root for the invalid index; null once the tree is gone.
  TaskNode* NodeOf(const QModelIndex& index) const;
  // The index of a node in `column`; invalid for null and the root.
  QModelIndex IndexOf(const TaskNode* node, int column = 0);
  // The images by the handler's image index.
  void SetImages(const QList<QIcon>& images);
  // 0 announces every appended node at once.
  void SetAppendInterval(int milliseconds);
  // Announces the appended nodes that are not rows yet.
  void Flush();
  // True between the start and the end of a change of rows.
  bool Changing() const { return changing_; }

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override;
  Qt::DropActions supportedDropActions() const override;
  // Drops are the view's: it hands them to the tree's drag handlers.
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

 private:
  void NodesAboutToBeAdded(TaskNode* parent, int first, int last) override;
  void NodesAdded(TaskNode* parent, int first, int last) override;
  void NodesAboutToBeRemoved(TaskNode* parent, int first, int last) override;
  void NodesRemoved(TaskNode* parent, int first, int last) override;
  void NodeAboutToBeMoved(TaskNode* node, TaskNode* newParent, int row) override;
  void NodeMoved(TaskNode* node) override;
  void AboutToBeCleared() override;
  void Cleared() override;
  void NodeChanged(TaskNode* node) override;
  void UpdateEnded() override;
  void RepaintRequested() override;
  void TreeDestroyed() override;

  int RowsOf(const TaskNode* node) const;
  bool Shown(const TaskNode* node) const;
  void AllChanged();

  TaskTree* tree_;
  QList<QIcon> images_;
  int shownTopLevel_ = 0;   // top-level rows announced so far
  bool deferring_ = false;  // the append being made is left for a later announcement
  bool changing_ = false;
  bool resetting_ = false;  // a move announced as a reset
  bool clearing_ = false;   // a clear announced as a removal of every row
  bool dirty_ = false;      // something changed during a tree update
  int appendInterval_ = kDefaultAppendInterval;
  QElapsedTimer sinceFlush_;
  QTimer flushTimer_;
};
