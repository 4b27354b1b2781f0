#include "tasks/qt_list_environment.h"

#include <QApplication>
#include <QCoreApplication>

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
