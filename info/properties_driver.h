#pragma once

#include "app/ui_context.h"

class QWidget;
struct MuiContext;
struct MuiItemInfo;

namespace platform {
class Application;
}  // namespace platform

// Opens the Properties window of `item` modally over `owner` and destroys it when it closes; always
// true.
bool ShowPropertiesWindow(const UiContext& ui, QWidget* owner, const MuiItemInfo& item);

// The driver through which the main window opens the Properties window.
class ConverterProperties {
 public:
  // `context` outlives the driver.
  explicit ConverterProperties(MuiContext& context) : context_(context) {}
  // The application object whose main form owns the window; always true.
  bool AttachApplication(platform::Application* application);
  // Shows the item's Properties window modally over the main form; true once it closed. False,
  // showing nothing, before an application is attached.
  bool ShowProperties(const MuiItemInfo& item);

 private:
  MuiContext& context_;
  platform::Application* application_ = nullptr;
};
