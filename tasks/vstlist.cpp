#include "tasks/vstlist.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <utility>

namespace {

constexpr int kColumnWidths[TaskTreeModel::kColumnCount] = {130, 110, 110, 130};
constexpr int kFileNameMinimum = 110;

}  // namespace

QWidget* TaskItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  editor_ = editor;
  return editor;
}

bool TaskItemDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
  const bool mouse = event->type() == QEvent::MouseButtonPress ||
                     event->type() == QEvent::MouseButtonRelease ||
                     event->type() == QEvent::MouseButtonDblClick;
  if (!mouse || !(model->flags(index) & Qt::ItemIsUserCheckable)) {
    return QStyledItemDelegate::editorEvent(event, model, option, index);
  }
  const auto* press = static_cast<QMouseEvent*>(event);
  if (press->button() != Qt::LeftButton) {
    return QStyledItemDelegate::editorEvent(event, model, option, index);
  }
  QStyleOptionViewItem view(option);
  initStyleOption(&view, index);
  const QWidget* widget = option.widget;
  QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
  const QRect box = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &view, widget);
  const bool onBox = box.contains(press->position().toPoint());
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (!onBox) {
        return false;
      }
      pressed_ = index;
      model->setData(index, true, TaskTreeModel::kPressedRole);
      return true;
    case QEvent::MouseButtonRelease: {
      const bool toggles = onBox && pressed_ == index;
      ReleasePressed(model);
      if (!toggles) {
        return false;
      }
      const auto state = static_cast<Qt::CheckState>(index.data(Qt::CheckStateRole).toInt());
      model->setData(index, state == Qt::Checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
      return true;
    }
    default:
      return onBox;
  }
}

void TaskItemDelegate::ReleasePressed(QAbstractItemModel* model) {
  if (pressed_.isValid()) {
    model->setData(pressed_, false, TaskTreeModel::kPressedRole);
  }
  pressed_ = QPersistentModelIndex();
}

VstList::VstList(QWidget* parent) : QTreeView(parent) {
  setObjectName(QStringLiteral("VstList"));
  model_ = new TaskTreeModel(tree_, this);
  delegate_ = new TaskItemDelegate(this);
  setModel(model_);
  setItemDelegate(delegate_);
  tree_.AddObserver(this);

  setUniformRowHeights(true);
  setRootIsDecorated(true);
  setExpandsOnDoubleClick(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(false);
  setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setDropIndicatorShown(true);
  setIconSize(QSize(23, 16));

  QHeaderView* head = header();
  head->setStretchLastSection(false);
  head->setSectionsMovable(false);
  for (int column = 0; column < TaskTreeModel::kColumnCount; ++column) {
    head->setSectionResizeMode(column, QHeaderView::Interactive);
    head->resizeSection(column, kColumnWidths[column]);
  }
  connect(head, &QHeaderView::sectionResized, this, [head](int column, int, int size) {
    if (column == 0 && size < kFileNameMinimum) {
      head->resizeSection(0, kFileNameMinimum);
    }
  });
}

VstList::~VstList() {
  tree_.RemoveObserver(this);
  setModel(nullptr);
  delete model_;
  model_ = nullptr;
}

void VstList::ShowTreeFocus() {
  TaskNode* focused = tree_.FocusedNode();
  const QModelIndex index =
      focused != nullptr ? model_->IndexOf(focused, tree_.FocusedColumn()) : QModelIndex();
  if (index == selectionModel()->currentIndex()) {
    return;
  }
  const bool wasSyncing = syncing_;
  syncing_ = true;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  syncing_ = wasSyncing;
}

void VstList::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTreeView::currentChanged(current, previous);
  if (Quiet()) {
    return;
  }
  TaskNode* node = current.isValid() ? model_->NodeOf(current) : nullptr;
  syncing_ = true;
  const bool taken = tree_.SetFocus(node, current.isValid() ? current.column() : tree_.FocusedColumn());
  syncing_ = false;
  if (!taken) {
    ShowTreeFocus();
  }
}

void VstList::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  QTreeView::selectionChanged(selected, deselected);
  if (Quiet()) {
    return;
  }
  syncing_ = true;
  for (const auto& [ranges, state] : {std::pair{&deselected, false}, std::pair{&selected, true}}) {
    for (const QItemSelectionRange& range : *ranges) {
      for (int row = range.top(); row <= range.bottom(); ++row) {
        tree_.SetSelected(model_->NodeOf(model_->index(row, 0, range.parent())), state);
      }
    }
  }
  syncing_ = false;
}

DropSpot VstList::DropSpotAt(const QPoint& pos, TaskNode*& target) const {
  target = nullptr;
  const QModelIndex index = indexAt(pos);
  if (!index.isValid()) {
    return DropSpot::EmptySpace;
  }
  target = model_->NodeOf(index);
  // The bands a tree view draws its between-rows indicator for.
  const QRect rect = visualRect(index);
  const int margin = qBound(2, qRound(qreal(rect.height()) / 5.5), 12);
  if (pos.y() - rect.top() < margin) {
    return DropSpot::AboveNode;
  }
  if (rect.bottom() - pos.y() < margin) {
    return DropSpot::BelowNode;
  }
  return DropSpot::OnNode;
}

bool VstList::DragMoveAt(const QPoint& pos, bool fromThisView) {
  return tree_.events.dragOver && tree_.events.dragOver(fromThisView, ContentY(pos));
}

void VstList::DropAt(const QPoint& pos) {
  TaskNode* target = nullptr;
  const DropSpot spot = DropSpotAt(pos, target);
  if (tree_.events.dragDrop) {
    tree_.events.dragDrop(target, spot, ContentY(pos));
  }
}

void VstList::startDrag(Qt::DropActions supportedActions) {
  if (tree_.SelectedCount() == 0) {
    return;
  }
  if (tree_.events.startDrag) {
    tree_.events.startDrag();
  }
  auto* drag = new QDrag(this);
  drag->setMimeData(model_->mimeData(selectedIndexes()));
  // The drop did whatever it does inside the list; the outcome of the drag itself asks for nothing.
  drag->exec(supportedActions, Qt::MoveAction);
}

void VstList::dragEnterEvent(QDragEnterEvent* event) {
  if (event->source() != this) {
    event->ignore();
    return;
  }
  QTreeView::dragEnterEvent(event);
}

void VstList::dragMoveEvent(QDragMoveEvent* event) {
  QTreeView::dragMoveEvent(event);
  if (DragMoveAt(event->position().toPoint(), event->source() == this)) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void VstList::dropEvent(QDropEvent* event) {
  stopAutoScroll();
  setState(NoState);
  viewport()->update();
  if (event->source() != this) {
    event->ignore();
    return;
  }
  DropAt(event->position().toPoint());
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void VstList::mouseReleaseEvent(QMouseEvent* event) {
  QTreeView::mouseReleaseEvent(event);
  delegate_->ReleasePressed(model_);
}

void VstList::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  const QModelIndex first = index.siblingAtColumn(0);
  const bool wasExpanded = first.isValid() && isExpanded(first);
  QTreeView::mouseDoubleClickEvent(event);
  // A tree view opens an item from its first cell only; a merged item opens from any of its cells.
  if (index.isValid() && index.column() != 0 && expandsOnDoubleClick() && state() == NoState &&
      model_->hasChildren(first) && isExpanded(first) == wasExpanded) {
    setExpanded(first, !wasExpanded);
  }
}

void VstList::NodesRemoved(TaskNode*, int, int) {
  ShowTreeFocus();
}

void VstList::Cleared() {
  ShowTreeFocus();
}

void VstList::SelectionChanged(TaskNode* node, bool selected) {
  if (syncing_) {
    return;
  }
  syncing_ = true;
  selectionModel()->select(
      model_->IndexOf(node),
      (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows);
  syncing_ = false;
}

void VstList::SelectionCleared() {
  if (syncing_) {
    return;
  }
  syncing_ = true;
  selectionModel()->clearSelection();
  syncing_ = false;
}

void VstList::FocusChanged(TaskNode*, int) {
  if (!syncing_) {
    ShowTreeFocus();
  }
}

void VstList::ScrollRequested(TaskNode* node, bool center, bool horizontally) {
  const int horizontal = horizontalScrollBar()->value();
  scrollTo(model_->IndexOf(node),
           center ? QAbstractItemView::PositionAtCenter : QAbstractItemView::EnsureVisible);
  if (!horizontally) {
    horizontalScrollBar()->setValue(horizontal);
  }
}

void VstList::EditRequested(TaskNode* node, int column) {
  edit(model_->IndexOf(node, column));
}

void VstList::EndEditRequested() {
  if (QWidget* editor = delegate_->OpenEditor(); editor != nullptr && state() == EditingState) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

void VstList::RepaintRequested() {
  viewport()->update();
}
