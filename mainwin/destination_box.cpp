#include "mainwin/destination_box.h"

#include <QFileInfo>
#include <QLineEdit>

#include "app/folders.h"
#include "app/helpfunction.h"
#include "platform/application.h"
#include "platform/shell.h"

DestinationBox::DestinationBox(QLineEdit* edit, QWidget* owner)
    : QObject(owner), edit_(edit), owner_(owner) {}

void DestinationBox::ReadDestination() {
  edit_->setText(PreferenceFolder(QStringLiteral("destination"), QStringLiteral("Output")));
  lastOutputFile_.clear();
}

void DestinationBox::Browse() {
  QString folder;
  if (!BrowseForFolder(owner_, QStringLiteral("Please Select Output Folder"), folder)) {
    return;
  }
  edit_->setText(folder);
  lastOutputFile_.clear();
}

void DestinationBox::Open() {
  platform::Application* app = platform::Application::Current();
  if (app == nullptr) {
    return;
  }
  if (!lastOutputFile_.isEmpty() && QFileInfo(lastOutputFile_).isFile()) {
    app->GetShell().ShowInFileManager(lastOutputFile_);
    return;
  }
  const QString destination = Destination();
  if (!destination.isEmpty()) {
    app->GetShell().Open(destination);
  }
}

QString DestinationBox::Destination() const {
  return edit_->text();
}
