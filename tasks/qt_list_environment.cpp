#include "tasks/qt_list_environment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProgressDialog>
#include <QWidget>

#include "platform/application.h"
#include "platform/dialogs.h"

void ApplicationListEnvironment::ProcessMessages() {
  app_.ProcessMessages();
}

// Qt keeps override cursors on a stack, which is what restores the cursor each begin found.
void ApplicationListEnvironment::BeginBusy() {
  const bool shown = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
  if (shown) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  pushed_.push_back(shown);
}

void ApplicationListEnvironment::EndBusy() {
  if (pushed_.empty()) {
    return;
  }
  const bool shown = pushed_.back();
  pushed_.pop_back();
  if (shown && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
    QApplication::restoreOverrideCursor();
  }
}

void ApplicationListEnvironment::ShowMessage(const QString& text) {
  app_.GetDialogs().MessageBox(app_.MainForm(), text, app_.Title(), platform::MsgButtons::Ok,
                               platform::MsgIcon::Warning);
}

bool ApplicationListEnvironment::LoadProgress(int done, int total) {
  QWidget* form = app_.MainForm();
  if (form != nullptr && !form->isVisible()) {
    return false;
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    return true;
  }
  if (progress_ == nullptr) {
    progress_ =
        new QProgressDialog(QStringLiteral("Adding files..."), QStringLiteral("Cancel"), 0, total, form);
    progress_->setObjectName(QStringLiteral("LoadProgress"));
    progress_->setWindowTitle(app_.Title());
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    // A load that ends within half a second shows nothing.
    progress_->setMinimumDuration(500);
    progress_->setValue(0);
  }
  if (progress_->wasCanceled()) {
    return false;
  }
  progress_->setMaximum(total);
  progress_->setLabelText(QStringLiteral("Adding files: %1 of %2").arg(done).arg(total));
  progress_->setValue(done);
  return !progress_->wasCanceled();
}

void ApplicationListEnvironment::LoadEnded() {
  if (progress_ != nullptr) {
    progress_->hide();
    progress_->deleteLater();
    progress_ = nullptr;
  }
}
