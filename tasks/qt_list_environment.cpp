#include "tasks/qt_list_environment.h"

#include <QApplication>
#include <QCoreApplication>
#include <vector>

#include "platform/application.h"
#include "platform/dialogs.h"

namespace {

class QtListEnvironment final : public ListEnvironment {
 public:
  void ProcessMessages() override {
    if (platform::Application* app = platform::Application::Current()) {
      app->ProcessMessages();
    } else if (QCoreApplication::instance() != nullptr) {
      QCoreApplication::processEvents();
    }
  }

  // Qt keeps override cursors on a stack, which is what restores the cursor each begin found.
  void BeginBusy() override {
    const bool shown = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (shown) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    pushed_.push_back(shown);
  }

  void EndBusy() override {
    if (pushed_.empty()) {
      return;
    }
    const bool shown = pushed_.back();
    pushed_.pop_back();
    if (shown && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
      QApplication::restoreOverrideCursor();
    }
  }

  void ShowMessage(const QString& text) override {
    platform::Application* app = platform::Application::Current();
    if (app != nullptr) {
      app->GetDialogs().MessageBox(app->MainForm(), text, app->Title(), platform::MsgButtons::Ok,
                                   platform::MsgIcon::Warning);
    }
  }

 private:
  std::vector<bool> pushed_;
};

}  // namespace

ListEnvironment& ApplicationListEnvironment() {
  static QtListEnvironment environment;
  return environment;
}
