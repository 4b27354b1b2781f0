#pragma once

#include <QAccessible>
#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <set>

namespace polish_test {

// The roles a person acts on.
inline bool IsInteractive(QAccessible::Role role) {
  switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::PageTab:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
      return true;
    default:
      return false;
  }
}

// The interactive controls of `window` that show, as a screen reader finds them.
inline QList<QWidget*> InteractiveControls(QWidget* window) {
  QList<QWidget*> controls;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisible()) {
      continue;
    }
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(widget);
    if (access != nullptr && IsInteractive(access->role())) {
      controls.push_back(widget);
    }
  }
  return controls;
}

inline QString Describe(QWidget* widget) {
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(widget);
  return widget->objectName() + QLatin1Char(' ') + QString::fromLatin1(widget->metaObject()->className()) +
         (access != nullptr ? QStringLiteral(" role %1").arg(int(access->role())) : QString());
}

// Every interactive control that shows has a name to be read by.
inline QStringList Unnamed(QWidget* window) {
  QStringList unnamed;
  for (QWidget* widget : InteractiveControls(window)) {
    if (QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).trimmed().isEmpty()) {
      unnamed << Describe(widget);
    }
  }
  return unnamed;
}

// Presses Tab from the first control until the focus comes round again; the controls it reached in
// order. The window must be active.
inline QList<QWidget*> TabWalk(QWidget* window, int bound = 200) {
  QList<QWidget*> reached;
  std::set<QWidget*> seen;
  for (int i = 0; i < bound; ++i) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : window, Qt::Key_Tab);
    focus = QApplication::focusWidget();
    if (focus == nullptr || !seen.insert(focus).second) {
      break;
    }
    reached.push_back(focus);
  }
  return reached;
}

// The enabled interactive controls that Tab never reaches (a tree or list reached through its
// viewport counts as reached).
inline QStringList Unreached(QWidget* window) {
  const QList<QWidget*> reached = TabWalk(window);
  QStringList unreached;
  for (QWidget* widget : InteractiveControls(window)) {
    if (!widget->isEnabled()) {
      continue;
    }
    bool found = false;
    for (QWidget* focus : reached) {
      found = found || focus == widget || widget->isAncestorOf(focus) || focus->focusProxy() == widget;
    }
    if (!found) {
      unreached << Describe(widget);
    }
  }
  return unreached;
}

}  // namespace polish_test
