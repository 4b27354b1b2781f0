#include "editor/editor_driver.h"

#include "editor/editor_window.h"
#include "tasks/mui_item_info.h"

bool ConverterCrop::EditItem(MuiItemInfo& item, CropRequest& request) {
  TCropForm1 window(ui_, owner_);
  if (!window.Prepare(item, request)) {
    return false;
  }
  return window.exec() == QDialog::Accepted;
}
