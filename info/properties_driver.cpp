#include "info/properties_driver.h"

#include "info/properties_window.h"
#include "platform/application.h"

bool ShowPropertiesWindow(const UiContext& ui, QWidget* owner, const MuiItemInfo& item) {
  TPropertiesForm1 form(ui, owner);
  form.FillInfo(item);
  form.exec();
  return true;
}

bool ConverterProperties::AttachApplication(platform::Application* application) {
  application_ = application;
  return true;
}

bool ConverterProperties::ShowProperties(const MuiItemInfo& item) {
  if (application_ == nullptr) {
    return false;
  }
  return ShowPropertiesWindow(UiContext{context_, *application_}, application_->MainForm(), item);
}
