#pragma once

struct MuiContext;

namespace platform {
class Application;
}  // namespace platform

// What the run entry hands every window it creates: the process-wide facts and the application
// object with its services (dialogs, shell, shutdown, notifier). Both outlive every window.
struct UiContext {
  MuiContext& context;
  platform::Application& app;
};
