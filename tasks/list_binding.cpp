#include "tasks/output_names.h"
#include "tasks/task_list.h"

namespace {

// For a list nobody gave an environment: loads run without messages and without a message loop.
class QuietEnvironment final : public ListEnvironment {
 public:
  void ProcessMessages() override {}
  void BeginBusy() override {}
  void EndBusy() override {}
  void ShowMessage(const QString&) override {}
};

QuietEnvironment g_quiet;

}  // namespace

TVirtualStringTreeHelper::TVirtualStringTreeHelper(const MuiContext& context) : context_(context) {}

TVirtualStringTreeHelper::~TVirtualStringTreeHelper() {
  *alive_ = false;
  if (tree_ != nullptr) {
    tree_->Clear();
    Unbind();
  }
}

void TVirtualStringTreeHelper::Bind(TaskTree& tree, int outputColumn) {
  if (tree_ != nullptr) {
    Unbind();
  }
  tree_ = &tree;
  outputColumn_ = outputColumn;
  previousFocusChanging_ = tree.events.focusChanging;
  tree.events.getText = [this](const TaskNode* node, int column) { return GetText(node, column); };
  tree.events.getHint = [this](const TaskNode* node, int column) { return GetHint(node, column); };
  tree.events.getImageIndex = [this](const TaskNode* node, int column) {
    return GetImageIndex(node, column);
  };
  tree.events.editing = [this](const TaskNode* node, int column) { return EditingAllowed(node, column); };
  tree.events.newText = [this](TaskNode* node, int column, const QString& text) {
    NewText(node, column, text);
  };
  tree.events.focusChanging = [this](TaskNode* oldNode, TaskNode* newNode, int oldColumn, int newColumn,
                                     bool& allowed) {
    // The focus may move between nodes but never leave them all.
    allowed = newNode != nullptr;
    if (allowed && newNode != oldNode && previousFocusChanging_) {
      previousFocusChanging_(oldNode, newNode, oldColumn, newColumn, allowed);
    }
  };
  tree.events.startDrag = [this] { StartDrag(); };
  tree.events.dragOver = [this](bool fromThisTree, int y) { return DragOver(fromThisTree, y); };
  tree.events.dragDrop = [this](TaskNode* target, DropSpot spot, int y) { DragDrop(target, spot, y); };
  tree.AddObserver(this);
  names_.Clear();
  for (const TaskNode* node = tree.GetFirst(); node != nullptr; node = tree.GetNext(node)) {
    if (Counted(node->Item())) {
      names_.Add(node->Item()->outputName());
    }
  }
}

void TVirtualStringTreeHelper::Unbind() {
  tree_->RemoveObserver(this);
  TaskTreeEvents& events = tree_->events;
  events.getText = nullptr;
  events.getHint = nullptr;
  events.getImageIndex = nullptr;
  events.editing = nullptr;
  events.newText = nullptr;
  events.focusChanging = previousFocusChanging_;
  events.startDrag = nullptr;
  events.dragOver = nullptr;
  events.dragDrop = nullptr;
  tree_ = nullptr;
  names_.Clear();
}

void TVirtualStringTreeHelper::SetEnvironment(ListEnvironment* environment) {
  environment_ = environment;
}

ListEnvironment& TVirtualStringTreeHelper::Environment() const {
  return environment_ != nullptr ? *environment_ : g_quiet;
}

MuiItemInfo* TVirtualStringTreeHelper::ItemOf(const TaskNode* node) const {
  return node != nullptr ? node->Item() : nullptr;
}

MuiItemInfo* TVirtualStringTreeHelper::FocusedItem() const {
  return tree_ != nullptr ? ItemOf(tree_->FocusedNode()) : nullptr;
}

bool TVirtualStringTreeHelper::Counted(const MuiItemInfo* item) const {
  return item != nullptr && item->itemKind() != kMergePart && item->Node() != nullptr &&
         item->Node()->Tree() == tree_;
}

void TVirtualStringTreeHelper::IndexSubtree(const TaskNode* node, bool add) {
  const MuiItemInfo* item = node->Item();
  if (item != nullptr && item->itemKind() != kMergePart) {
    if (add) {
      names_.Add(item->outputName());
    } else {
      names_.Remove(item->outputName());
    }
  }
  for (int i = 0; i < node->ChildCount(); ++i) {
    IndexSubtree(node->ChildAt(i), add);
  }
}

void TVirtualStringTreeHelper::NodesAdded(TaskNode* parent, int first, int last) {
  for (int i = first; i <= last; ++i) {
    IndexSubtree(parent->ChildAt(i), true);
  }
}

void TVirtualStringTreeHelper::NodesAboutToBeRemoved(TaskNode* parent, int first, int last) {
  for (int i = first; i <= last; ++i) {
    IndexSubtree(parent->ChildAt(i), false);
  }
}

void TVirtualStringTreeHelper::AboutToBeCleared() {
  names_.Clear();
}

void TVirtualStringTreeHelper::ItemKeyChanging(TaskNode* node) {
  if (Counted(node->Item())) {
    names_.Remove(node->Item()->outputName());
  }
}

void TVirtualStringTreeHelper::ItemKeyChanged(TaskNode* node) {
  if (Counted(node->Item())) {
    names_.Add(node->Item()->outputName());
  }
}

void TVirtualStringTreeHelper::TreeDestroyed() {
  tree_ = nullptr;
  names_.Clear();
}

void TVirtualStringTreeHelper::MakeOutputNameUnique(const MuiItemInfo* self, QString& name) {
  name = names_.Unique(name, Counted(self) ? &self->outputName() : nullptr);
}

void TVirtualStringTreeHelper::ApplyProfileExtension(MuiItemInfo* item, bool replace) {
  if (item == nullptr || item->itemKind() == kMergePart) {
    return;
  }
  QString name = output_names::WithProfileExtension(item->outputName(), item->profile.FormatExt, replace);
  MakeOutputNameUnique(item, name);
  item->SetOutputName(name);
  if (tree_ != nullptr) {
    tree_->Repaint();
  }
}
