#include "tasks/task_tree_model.h"

#include <QMimeData>
#include <algorithm>

namespace {

constexpr char kNodesMime[] = "application/x-kestrelvine-task-nodes";

const char* const kHeaders[TaskTreeModel::kColumnCount] = {"File Name", "Original Length", "Trimmed Length",
                                                           "Output Name"};

Qt::CheckState QtState(CheckState state) {
  switch (NormalForm(state)) {
    case CheckState::CheckedNormal:
      return Qt::Checked;
    case CheckState::MixedNormal:
      return Qt::PartiallyChecked;
    default:
      return Qt::Unchecked;
  }
}

CheckState TreeState(Qt::CheckState state) {
  switch (state) {
    case Qt::Checked:
      return CheckState::CheckedNormal;
    case Qt::PartiallyChecked:
      return CheckState::MixedNormal;
    default:
      return CheckState::UncheckedNormal;
  }
}

}  // namespace

TaskTreeModel::TaskTreeModel(TaskTree& tree, QObject* parent) : QAbstractItemModel(parent), tree_(&tree) {
  flushTimer_.setSingleShot(true);
  connect(&flushTimer_, &QTimer::timeout, this, &TaskTreeModel::Flush);
  shownTopLevel_ = tree.TopLevelCount();
  tree.AddObserver(this);
}

TaskTreeModel::~TaskTreeModel() {
  if (tree_ != nullptr) {
    tree_->RemoveObserver(this);
  }
}

TaskNode* TaskTreeModel::NodeOf(const QModelIndex& index) const {
  if (tree_ == nullptr) {
    return nullptr;
  }
  return index.isValid() ? static_cast<TaskNode*>(index.internalPointer()) : tree_->Root();
}

bool TaskTreeModel::Shown(const TaskNode* node) const {
  while (node->Parent() != nullptr && !tree_->IsRoot(node->Parent())) {
    node = node->Parent();
  }
  return node->Index() < shownTopLevel_;
}

QModelIndex TaskTreeModel::IndexOf(const TaskNode* node, int column) {
  if (tree_ == nullptr || node == nullptr || tree_->IsRoot(node)) {
    return {};
  }
  if (!Shown(node)) {
    Flush();
  }
  return createIndex(node->Index(), column, const_cast<TaskNode*>(node));
}

void TaskTreeModel::SetImages(const QList<QIcon>& images) {
  images_ = images;
  AllChanged();
}

void TaskTreeModel::SetAppendInterval(int milliseconds) {
  appendInterval_ = std::max(0, milliseconds);
  if (appendInterval_ == 0) {
    Flush();
  }
}

void TaskTreeModel::Flush() {
  flushTimer_.stop();
  sinceFlush_.restart();
  if (tree_ == nullptr || tree_->TopLevelCount() <= shownTopLevel_) {
    return;
  }
  changing_ = true;
  beginInsertRows(QModelIndex(), shownTopLevel_, tree_->TopLevelCount() - 1);
  shownTopLevel_ = tree_->TopLevelCount();
  endInsertRows();
  changing_ = false;
}

int TaskTreeModel::RowsOf(const TaskNode* node) const {
  if (node == nullptr) {
    return 0;
  }
  return tree_->IsRoot(node) ? shownTopLevel_ : node->ChildCount();
}

QModelIndex TaskTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= kColumnCount || (parent.isValid() && parent.column() != 0)) {
    return {};
  }
  const TaskNode* node = NodeOf(parent);
  if (row >= RowsOf(node)) {
    return {};
  }
  return createIndex(row, column, node->ChildAt(row));
}

QModelIndex TaskTreeModel::parent(const QModelIndex& child) const {
  const TaskNode* node = child.isValid() ? NodeOf(child) : nullptr;
  if (node == nullptr) {
    return {};
  }
  TaskNode* up = node->Parent();
  if (up == nullptr || tree_->IsRoot(up)) {
    return {};
  }
  return createIndex(up->Index(), 0, up);
}

int TaskTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) {
    return 0;
  }
  return RowsOf(NodeOf(parent));
}

int TaskTreeModel::columnCount(const QModelIndex&) const {
  return kColumnCount;
}

bool TaskTreeModel::hasChildren(const QModelIndex& parent) const {
  return rowCount(parent) > 0;
}

QVariant TaskTreeModel::data(const QModelIndex& index, int role) const {
  const TaskNode* node = index.isValid() ? NodeOf(index) : nullptr;
  if (node == nullptr) {
    return {};
  }
  const TaskTreeEvents& events = tree_->events;
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return events.getText ? events.getText(node, column) : QString();
    case Qt::ToolTipRole: {
      const QString hint = events.getHint ? events.getHint(node, column) : QString();
      return hint.isEmpty() ? QVariant() : QVariant(hint);
    }
    case Qt::DecorationRole: {
      const int image = events.getImageIndex ? events.getImageIndex(node, column) : -1;
      return image >= 0 && image < images_.size() ? QVariant(images_[image]) : QVariant();
    }
    case Qt::CheckStateRole:
      if (column == 0 && node->GetCheckType() != CheckType::None) {
        return static_cast<int>(QtState(node->GetCheckState()));
      }
      return {};
    case kPressedRole:
      return IsPressedForm(node->GetCheckState());
    default:
      return {};
  }
}

bool TaskTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  TaskNode* node = index.isValid() ? NodeOf(index) : nullptr;
  if (node == nullptr) {
    return false;
  }
  const int column = index.column();
  const bool hasBox = column == 0 && node->GetCheckType() != CheckType::None;
  switch (role) {
    case Qt::EditRole:
      if (!(flags(index) & Qt::ItemIsEditable) || !tree_->events.newText) {
        return false;
      }
      tree_->events.newText(node, column, value.toString());
      return true;
    case Qt::CheckStateRole:
      if (!hasBox) {
        return false;
      }
      tree_->SetCheckState(node, TreeState(static_cast<Qt::CheckState>(value.toInt())));
      return true;
    case kPressedRole:
      if (!hasBox) {
        return false;
      }
      tree_->SetCheckPressed(node, value.toBool());
      return true;
    default:
      return false;
  }
}

Qt::ItemFlags TaskTreeModel::flags(const QModelIndex& index) const {
  const TaskNode* node = index.isValid() ? NodeOf(index) : nullptr;
  if (node == nullptr) {
    return Qt::ItemIsDropEnabled;
  }
  Qt::ItemFlags flags =
      Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
  if (index.column() == 0 && node->GetCheckType() != CheckType::None) {
    flags |= Qt::ItemIsUserCheckable;
  }
  if (tree_->events.editing && tree_->events.editing(node, index.column())) {
    flags |= Qt::ItemIsEditable;
  }
  return flags;
}

QVariant TaskTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumnCount) {
    return QString::fromLatin1(kHeaders[section]);
  }
  return {};
}

QStringList TaskTreeModel::mimeTypes() const {
  return {QString::fromLatin1(kNodesMime)};
}

QMimeData* TaskTreeModel::mimeData(const QModelIndexList&) const {
  // What is dragged is the tree's selection; the data only marks a drag of task nodes.
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kNodesMime), QByteArray());
  return data;
}

Qt::DropActions TaskTreeModel::supportedDragActions() const {
  return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions TaskTreeModel::supportedDropActions() const {
  return Qt::MoveAction | Qt::CopyAction;
}

bool TaskTreeModel::dropMimeData(const QMimeData*, Qt::DropAction, int, int, const QModelIndex&) {
  return false;
}

void TaskTreeModel::NodesAboutToBeAdded(TaskNode* parent, int first, int last) {
  if (tree_->IsRoot(parent) && first == tree_->TopLevelCount() && appendInterval_ > 0) {
    deferring_ = true;
    return;
  }
  Flush();
  changing_ = true;
  beginInsertRows(IndexOf(parent), first, last);
}

void TaskTreeModel::NodesAdded(TaskNode* parent, int first, int last) {
  if (deferring_) {
    deferring_ = false;
    if (!sinceFlush_.isValid() || sinceFlush_.elapsed() >= appendInterval_) {
      Flush();
    } else if (!flushTimer_.isActive()) {
      flushTimer_.start(appendInterval_ - static_cast<int>(sinceFlush_.elapsed()));
    }
    return;
  }
  if (tree_->IsRoot(parent)) {
    shownTopLevel_ += last - first + 1;
  }
  endInsertRows();
  changing_ = false;
}

void TaskTreeModel::NodesAboutToBeRemoved(TaskNode* parent, int first, int last) {
  Flush();
  changing_ = true;
  beginRemoveRows(IndexOf(parent), first, last);
}

void TaskTreeModel::NodesRemoved(TaskNode* parent, int first, int last) {
  if (tree_->IsRoot(parent)) {
    shownTopLevel_ -= last - first + 1;
  }
  endRemoveRows();
  changing_ = false;
}

void TaskTreeModel::NodeAboutToBeMoved(TaskNode* node, TaskNode* newParent, int row) {
  Flush();
  changing_ = true;
  const QModelIndex from = IndexOf(node->Parent());
  if (!beginMoveRows(from, node->Index(), node->Index(), IndexOf(newParent), row)) {
    // The tree never makes such a move; a reset keeps every view right if it ever did.
    beginResetModel();
    resetting_ = true;
  }
}

void TaskTreeModel::NodeMoved(TaskNode*) {
  shownTopLevel_ = tree_->TopLevelCount();
  if (resetting_) {
    resetting_ = false;
    endResetModel();
  } else {
    endMoveRows();
  }
  changing_ = false;
}

void TaskTreeModel::AboutToBeCleared() {
  flushTimer_.stop();
  changing_ = true;
  clearing_ = shownTopLevel_ > 0;
  if (clearing_) {
    beginRemoveRows(QModelIndex(), 0, shownTopLevel_ - 1);
  }
}

void TaskTreeModel::Cleared() {
  shownTopLevel_ = 0;
  if (clearing_) {
    clearing_ = false;
    endRemoveRows();
  }
  changing_ = false;
}

void TaskTreeModel::NodeChanged(TaskNode* node) {
  if (!Shown(node)) {
    return;
  }
  if (tree_->Updating()) {
    dirty_ = true;
    return;
  }
  emit dataChanged(IndexOf(node, 0), IndexOf(node, kColumnCount - 1));
}

void TaskTreeModel::UpdateEnded() {
  if (dirty_) {
    dirty_ = false;
    AllChanged();
  }
}

void TaskTreeModel::RepaintRequested() {
  if (tree_->Updating()) {
    dirty_ = true;
  } else {
    AllChanged();
  }
}

void TaskTreeModel::AllChanged() {
  if (tree_ == nullptr || shownTopLevel_ == 0) {
    return;
  }
  emit dataChanged(index(0, 0), index(shownTopLevel_ - 1, kColumnCount - 1));
  for (int row = 0; row < shownTopLevel_; ++row) {
    const TaskNode* node = tree_->Root()->ChildAt(row);
    if (node->ChildCount() > 0) {
      const QModelIndex parent = createIndex(row, 0, const_cast<TaskNode*>(node));
      emit dataChanged(index(0, 0, parent), index(node->ChildCount() - 1, kColumnCount - 1, parent));
    }
  }
}

void TaskTreeModel::TreeDestroyed() {
  beginResetModel();
  flushTimer_.stop();
  tree_ = nullptr;
  shownTopLevel_ = 0;
  endResetModel();
}
