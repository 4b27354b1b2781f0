#include <QApplication>
#include <QFileDialog>
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

QString QtDialogs::BrowseForFolder(QWidget* owner, const QString& title) {
  return QFileDialog::getExistingDirectory(OwnerOr(owner), title, QString(), QFileDialog::ShowDirsOnly);
}

void QtDialogs::ShowException(const QString& message) {
  QMessageBox::critical(OwnerOr(nullptr), AppTitle(), message);
}

}  // namespace platform
