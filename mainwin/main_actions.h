#pragma once

#include <QKeySequence>
#include <vector>

#include "mainwin/action_rules.h"

class QAction;
class QMenu;
class QToolBar;
class QWidget;

// Every action of the main window: its name (the QAction's objectName), caption, keyboard shortcut
// and enable rule. The actions belong to the window, so their shortcuts work wherever the focus is in
// it; the window connects their execute handlers.
struct MainActions {
  QAction* AddFileAct = nullptr;
  QAction* AddFolderAct = nullptr;
  QAction* Exit = nullptr;
  QAction* Rename = nullptr;
  QAction* MoveUp = nullptr;
  QAction* MoveDown = nullptr;
  QAction* Remove = nullptr;
  QAction* ClearAll = nullptr;
  QAction* SelectAll = nullptr;
  QAction* ActMerge = nullptr;
  QAction* CheckAll = nullptr;
  QAction* UnCheckAll = nullptr;
  QAction* Properties = nullptr;
  QAction* Trim = nullptr;
  QAction* Crop = nullptr;
  QAction* Effect = nullptr;
  QAction* WatermarkAct = nullptr;
  QAction* Preferences = nullptr;
  QAction* Settings = nullptr;
  QAction* ActApplyToAll = nullptr;
  QAction* StartConvertAct = nullptr;
  QAction* PreviewPlay = nullptr;
  QAction* PreviewStop = nullptr;
  QAction* PreviewPrev = nullptr;
  QAction* PreviewNext = nullptr;
  QAction* SnapShot = nullptr;
  QAction* SnapShotFolder = nullptr;
  QAction* HelpContent = nullptr;
  QAction* HomePage = nullptr;
  QAction* Support = nullptr;
  QAction* About = nullptr;

  struct Entry {
    QAction* MainActions::*member;
    const char* name;
    const char* caption;
    ActionRule rule;
    QKeySequence shortcut;
  };
  // The table the actions are made from, in menu order where they have one.
  static const std::vector<Entry>& Table();

  // Makes every action as a child of `owner` and adds it to `owner`.
  void Create(QWidget* owner);
  // The update handlers: enables each action by its rule.
  void Update(const ActionFacts& facts);
  // Every action made, in table order.
  std::vector<QAction*> All() const;
};

// The main menu on the tool bar, one drop-down button per menu, captions padded with three spaces.
void BuildMainMenu(QToolBar* toolBar, const MainActions& actions);
// The list's pop-up menu.
QMenu* BuildItemMenu(QWidget* parent, const MainActions& actions);
