#include "mainwin/main_actions.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

const std::vector<MainActions::Entry>& MainActions::Table() {
  using R = ActionRule;
  static const std::vector<Entry> table = {
      {&MainActions::AddFileAct, "AddFileAct", "Add File", R::Always, QKeySequence::Open},
      {&MainActions::AddFolderAct, "AddFolderAct", "Add Folder ...", R::Always, QKeySequence()},
      {&MainActions::Exit, "Exit", "Exit", R::Always, QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {&MainActions::Rename, "Rename", "Rename", R::FocusedNotPart, QKeySequence(Qt::Key_F2)},
      {&MainActions::MoveUp, "MoveUp", "Move Up", R::HasPrevSibling, QKeySequence(Qt::CTRL | Qt::Key_Up)},
      {&MainActions::MoveDown, "MoveDown", "Move Down", R::HasNextSibling,
       QKeySequence(Qt::CTRL | Qt::Key_Down)},
      {&MainActions::Remove, "Remove", "Remove", R::NodeFocused, QKeySequence(Qt::Key_Delete)},
      {&MainActions::ClearAll, "ClearAll", "Clear All", R::HasItems,
       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)},
      {&MainActions::SelectAll, "SelectAll", "Select All", R::HasItems, QKeySequence::SelectAll},
      {&MainActions::ActMerge, "ActMerge", "Merge", R::MultiSelected, QKeySequence(Qt::CTRL | Qt::Key_M)},
      {&MainActions::CheckAll, "CheckAll", "Check All", R::SomeNotChecked, QKeySequence()},
      {&MainActions::UnCheckAll, "UnCheckAll", "Uncheck All", R::SomeNotUnchecked, QKeySequence()},
      {&MainActions::Properties, "Properties", "Properties", R::FocusedNotMerged,
       QKeySequence(Qt::ALT | Qt::Key_Return)},
      {&MainActions::Trim, "Trim", "Trim", R::FocusedNotMerged, QKeySequence(Qt::CTRL | Qt::Key_T)},
      {&MainActions::Crop, "Crop", "Crop", R::FocusedWithVideo, QKeySequence()},
      {&MainActions::Effect, "Effect", "Effect", R::FocusedWithVideo, QKeySequence(Qt::CTRL | Qt::Key_E)},
      {&MainActions::WatermarkAct, "WatermarkAct", "Watermark", R::FocusedWithVideo, QKeySequence()},
      {&MainActions::Preferences, "Preferences", "Preferences", R::Always,
       QKeySequence(Qt::CTRL | Qt::Key_Comma)},
      {&MainActions::Settings, "Settings", "Settings", R::FocusedNotPart, QKeySequence()},
      {&MainActions::ActApplyToAll, "ActApplyToAll", "ActApplyToAll", R::FocusedNotPart, QKeySequence()},
      {&MainActions::StartConvertAct, "StartConvertAct", "StartConvert", R::SomeNotUnchecked,
       QKeySequence(Qt::CTRL | Qt::Key_Return)},
      {&MainActions::PreviewPlay, "PreviewPlay", "PreviewPlay", R::FocusedNotMerged, QKeySequence()},
      {&MainActions::PreviewStop, "PreviewStop", "PreviewStop", R::FocusedNotMerged, QKeySequence()},
      {&MainActions::PreviewPrev, "PreviewPrev", "PreviewPrev", R::HasPrevSibling, QKeySequence()},
      {&MainActions::PreviewNext, "PreviewNext", "PreviewNext", R::HasNextSibling, QKeySequence()},
      {&MainActions::SnapShot, "SnapShot", "SnapShot", R::FocusedWithVideo, QKeySequence()},
      {&MainActions::SnapShotFolder, "SnapShotFolder", "SnapShotFolder", R::Always, QKeySequence()},
      {&MainActions::HelpContent, "HelpContent", "Help Content", R::Always, QKeySequence::HelpContents},
      {&MainActions::HomePage, "HomePage", "Home Page", R::Always, QKeySequence()},
      {&MainActions::Support, "Support", "Support", R::Always, QKeySequence()},
      {&MainActions::About, "About", "About", R::Always, QKeySequence()},
  };
  return table;
}

void MainActions::Create(QWidget* owner) {
  for (const Entry& entry : Table()) {
    auto* action = new QAction(QString::fromUtf8(entry.caption), owner);
    action->setObjectName(QString::fromUtf8(entry.name));
    if (!entry.shortcut.isEmpty()) {
      action->setShortcut(entry.shortcut);
      // The window holds the actions, so the keys work wherever the focus is inside it.
      action->setShortcutContext(Qt::WindowShortcut);
    }
    owner->addAction(action);
    this->*entry.member = action;
  }
  // Folders mostly arrive by drops; the File menu keeps the action but does not offer it.
  AddFolderAct->setVisible(false);
}

void MainActions::Update(const ActionFacts& facts) {
  for (const Entry& entry : Table()) {
    if (entry.rule == ActionRule::Always) {
      continue;  // actions without an update handler stay as they are
    }
    QAction* action = this->*entry.member;
    const bool enabled = IsEnabled(entry.rule, facts);
    if (action->isEnabled() != enabled) {
      action->setEnabled(enabled);
    }
  }
}

std::vector<QAction*> MainActions::All() const {
  std::vector<QAction*> all;
  for (const Entry& entry : Table()) {
    all.push_back(this->*entry.member);
  }
  return all;
}

namespace {

QMenu* AddMenu(QToolBar* toolBar, const char* caption, const char* name) {
  auto* menu = new QMenu(toolBar);
  menu->setObjectName(QString::fromUtf8(name));
  menu->setTitle(QStringLiteral("   %1   ").arg(QString::fromUtf8(caption)));
  auto* button = new QToolButton(toolBar);
  button->setObjectName(QString::fromUtf8(name) + QStringLiteral("Button"));
  button->setText(menu->title());
  button->setMenu(menu);
  button->setPopupMode(QToolButton::InstantPopup);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setFixedHeight(22);
  toolBar->addWidget(button);
  return menu;
}

}  // namespace

void BuildMainMenu(QToolBar* toolBar, const MainActions& a) {
  QMenu* file = AddMenu(toolBar, "File", "MenuFile");
  file->addAction(a.AddFileAct);
  file->addAction(a.AddFolderAct);
  file->addSeparator();
  file->addAction(a.Properties);
  file->addSeparator();
  file->addAction(a.Exit);

  QMenu* edit = AddMenu(toolBar, "Edit", "MenuEdit");
  edit->addAction(a.Rename);
  edit->addAction(a.MoveUp);
  edit->addAction(a.MoveDown);
  edit->addSeparator();
  edit->addAction(a.Remove);
  edit->addAction(a.ClearAll);
  edit->addSeparator();
  edit->addAction(a.ActMerge);
  edit->addSeparator();
  edit->addAction(a.SelectAll);
  edit->addAction(a.CheckAll);
  edit->addAction(a.UnCheckAll);

  QMenu* clip = AddMenu(toolBar, "Clip", "MenuClip");
  clip->addAction(a.Effect);
  clip->addAction(a.Trim);
  clip->addAction(a.Crop);
  clip->addAction(a.WatermarkAct);

  QMenu* option = AddMenu(toolBar, "Option", "MenuOption");
  option->addAction(a.Preferences);

  QMenu* help = AddMenu(toolBar, "Help", "MenuHelp");
  help->addAction(a.HelpContent);
  help->addAction(a.Support);
  help->addSeparator();
  help->addAction(a.HomePage);
  help->addSeparator();
  help->addAction(a.About);
}

QMenu* BuildItemMenu(QWidget* parent, const MainActions& a) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("PMItem"));
  menu->addAction(a.Rename);
  menu->addAction(a.MoveUp);
  menu->addAction(a.MoveDown);
  menu->addSeparator();
  menu->addAction(a.Remove);
  menu->addAction(a.ClearAll);
  menu->addSeparator();
  menu->addAction(a.ActMerge);
  menu->addSeparator();
  menu->addAction(a.SelectAll);
  menu->addAction(a.CheckAll);
  menu->addAction(a.UnCheckAll);
  menu->addSeparator();
  menu->addAction(a.Properties);
  return menu;
}
