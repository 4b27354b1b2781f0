#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "tasks/task_tree.h"
#include "tasks/task_tree_model.h"

// Draws the rows and edits the output cell; holds a check box down while the mouse button is on it.
class TaskItemDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

  // The editor open now, if any.
  QWidget* OpenEditor() const { return editor_; }
  // Lets go of a box held down, wherever the button was released.
  void ReleasePressed(QAbstractItemModel* model);

 private:
  mutable QPointer<QWidget> editor_;
  QPersistentModelIndex pressed_;
};

// The task list's tree view. It owns the task tree and shows it through a TaskTreeModel: the tree is
// what is true, and the view's selection and current cell are kept equal to the tree's selection and
// focused node and column in both directions.
//
// The focus moves between nodes but never to none; drags start and end inside the view only, and
// where they end is handed to the tree's drag handlers.
class VstList final : public QTreeView, private TaskTreeObserver {
  Q_OBJECT

 public:
  explicit VstList(QWidget* parent = nullptr);
  ~VstList() override;

  TaskTree& Tree() { return tree_; }
  TaskTreeModel* Model() const { return model_; }
  TaskItemDelegate* Delegate() const { return delegate_; }

  // What a drop at `pos` (viewport coordinates) falls on, as the drag handlers take it; `target` is
  // null on empty space.
  DropSpot DropSpotAt(const QPoint& pos, TaskNode*& target) const;
  // A drag moving over or dropped at `pos`, as the drag events hand them on; true when accepted.
  bool DragMoveAt(const QPoint& pos, bool fromThisView);
  void DropAt(const QPoint& pos);

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void NodesRemoved(TaskNode* parent, int first, int last) override;
  void Cleared() override;
  void SelectionChanged(TaskNode* node, bool selected) override;
  void SelectionCleared() override;
  void FocusChanged(TaskNode* node, int column) override;
  void ScrollRequested(TaskNode* node, bool center, bool horizontally) override;
  void EditRequested(TaskNode* node, int column) override;
  void EndEditRequested() override;
  void RepaintRequested() override;

  // Makes the view's current cell the tree's focused one.
  void ShowTreeFocus();
  bool Quiet() const { return syncing_ || model_->Changing(); }
  int ContentY(const QPoint& pos) const { return pos.y() + verticalOffset(); }

  TaskTree tree_;
  TaskTreeModel* model_;
  TaskItemDelegate* delegate_;
  // Set while the view and the tree are being made equal, so neither echoes the other.
  bool syncing_ = false;
};
