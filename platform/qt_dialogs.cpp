#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

#include "platform/application.h"
#include "platform/dialogs.h"

namespace platform {

namespace {

QWidget* OwnerOr(QWidget* owner) {
  if (owner != nullptr) {
    return owner;
  }
  Application* app = Application::Current();
  return app != nullptr ? app->MainForm() : nullptr;
}

// "Description(*.a;*.b)|*.a;*.b|..." in the form Qt's chooser reads: "Description (*.a *.b);;...".
QString QtFilterOf(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    // The description names its patterns in brackets too; Qt takes the last bracket as the patterns.
    const int bracket = description.lastIndexOf(QLatin1Char('('));
    if (bracket > 0 && description.endsWith(QLatin1Char(')'))) {
      description = description.left(bracket).trimmed();
    }
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      pattern = pattern.trimmed();
    }
    entries.push_back(QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' '))));
  }
  return entries.join(QStringLiteral(";;"));
}

QString AppTitle() {
  Application* app = Application::Current();
  return app != nullptr ? app->Title() : QString();
}

}  // namespace

MsgAnswer QtDialogs::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                MsgButtons buttons, MsgIcon icon) {
  QMessageBox box(OwnerOr(owner));
  box.setWindowTitle(caption);
  box.setText(text);
  switch (icon) {
    case MsgIcon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case MsgIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MsgIcon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MsgIcon::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case MsgIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
  }
  switch (buttons) {
    case MsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return MsgAnswer::Yes;
    case QMessageBox::No:
      return MsgAnswer::No;
    case QMessageBox::Ok:
      return MsgAnswer::Ok;
    default:
      return MsgAnswer::Cancel;
  }
}

QString QtDialogs::BrowseForFolder(QWidget* owner, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(OwnerOr(owner), title, start, QFileDialog::ShowDirsOnly);
}

QStringList QtDialogs::OpenFiles(QWidget* owner, const QString& title, const QString& filter,
                                 const QString& start) {
  return QFileDialog::getOpenFileNames(OwnerOr(owner), title, start, QtFilterOf(filter));
}

QString QtDialogs::OpenFile(QWidget* owner, const QString& title, const QString& filter,
                            const QString& start) {
  return QFileDialog::getOpenFileName(OwnerOr(owner), title, start, QtFilterOf(filter));
}

bool QtDialogs::ChooseFont(QWidget* owner, QFont& font, QColor& colour) {
  // Qt's font chooser has no colour; the colour is chosen right after it, and cancelling either keeps
  // both as they were.
  bool accepted = false;
  const QFont chosenFont = QFontDialog::getFont(&accepted, font, OwnerOr(owner));
  if (!accepted) {
    return false;
  }
  const QColor chosenColour = QColorDialog::getColor(colour, OwnerOr(owner));
  if (!chosenColour.isValid()) {
    return false;
  }
  font = chosenFont;
  colour = chosenColour;
  return true;
}

void QtDialogs::ShowException(const QString& message) {
  QMessageBox::critical(OwnerOr(nullptr), AppTitle(), message);
}

}  // namespace platform
