#pragma once

#include <cstdint>

#include "app/ui_context.h"

class QWidget;
struct MuiItemInfo;

// What the main window hands the clip editor: the output frame of the profile selected there (0 = not
// fixed), the page to show first (0 trim, 1 crop, 2 effect, 3 watermark), and, back from the editor
// after OK, whether the effects go to every item.
struct CropRequest {
  int32_t outWidth = 0;
  int32_t outHeight = 0;
  int32_t page = 0;
  bool applyToAll = false;
};

// The driver through which the main window opens the clip editor, one use at a time.
class ConverterCrop {
 public:
  // `ui` outlives the driver; the editor is shown over `owner`.
  ConverterCrop(const UiContext& ui, QWidget* owner) : ui_(ui), owner_(owner) {}

  // Edits `item` in the clip editor, shown modally; true exactly when it closed with OK. An item
  // without length is not edited (false, nothing shown). After Cancel the item is as it was.
  bool EditItem(MuiItemInfo& item, CropRequest& request);

 private:
  UiContext ui_;
  QWidget* owner_;
};
