#pragma once

#include <QPointer>
#include <vector>

#include "tasks/list_environment.h"

class QProgressDialog;

namespace platform {
class Application;
}  // namespace platform

// The application's environment for the task list: its message loop, the busy cursor over every
// window, and message boxes through its dialogs service. Whoever binds a list to it keeps it alive
// as long as the list can load.
class ApplicationListEnvironment final : public ListEnvironment {
 public:
  explicit ApplicationListEnvironment(platform::Application& app) : app_(app) {}

  void ProcessMessages() override;
  void BeginBusy() override;
  void EndBusy() override;
  void ShowMessage(const QString& text) override;
  // A load that lasts shows a progress box over the main form with a Cancel button; closing the main
  // form cancels the load too.
  bool LoadProgress(int done, int total) override;
  void LoadEnded() override;

 private:
  platform::Application& app_;
  // Whether each begin could set a cursor, so that its end restores only what it set.
  std::vector<bool> pushed_;
  QPointer<QProgressDialog> progress_;
};
