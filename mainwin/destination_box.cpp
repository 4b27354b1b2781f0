#include "mainwin/destination_box.h"

#include <QFileInfo>
#include <QLineEdit>

#include "app/helpfunction.h"
#include "platform/application.h"
#include "platform/shell.h"
#include "settings/preferences/preference_values.h"

DestinationBox::DestinationBox(const UiContext& ui, QLineEdit* edit, QWidget* owner)
    : QObject(owner), ui_(ui), edit_(edit), owner_(owner) {}

void DestinationBox::ReadDestination() {
  edit_->setText(prefs::PreferenceFolder(ui_.context, prefs::kDestination, QStringLiteral("Output")));
  lastOutputFile_.clear();
}

void DestinationBox::Browse() {
  // The destination is the folder last chosen for it.
  QString folder = edit_->text();
  if (!BrowseForFolder(ui_.app.GetDialogs(), owner_, QStringLiteral("Please Select Output Folder"), folder)) {
    return;
  }
  edit_->setText(folder);
  lastOutputFile_.clear();
}

void DestinationBox::Open() {
  platform::Shell& shell = ui_.app.GetShell();
  if (!lastOutputFile_.isEmpty() && QFileInfo(lastOutputFile_).isFile()) {
    shell.ShowInFileManager(lastOutputFile_);
    return;
  }
  const QString destination = Destination();
  if (!destination.isEmpty()) {
    shell.Open(destination);
  }
}

QString DestinationBox::Destination() const {
  return edit_->text();
}
