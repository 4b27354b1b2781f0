#include "app/mui_context.h"

#include "platform/application.h"

MuiContext* CurrentContext() {
  platform::Application* app = platform::Application::Current();
  return app == nullptr ? nullptr : static_cast<MuiContext*>(app->Tag());
}
