#include "widgets/tmarkpanel.h"

#include <QPainter>

TMarkPanel::TMarkPanel(QWidget* parent) : TBoxPanel(parent) {}

void TMarkPanel::fSetEnableMark(bool value) {
  enableMark_ = value;
  if (value) {
    SetOnPaint([this](QPainter& painter) { BoxPaint(painter); });
  } else {
    SetOnPaint(nullptr);
    // A drag or a sizing cursor left from before would outlive the handlers that end them.
    ResetDrag();
  }
  update();
}

bool TMarkPanel::BoxMayShow() const {
  const skin::BoxRect box = Box();
  return box.width != 0 && box.height != 0;
}

void TMarkPanel::fSetMarkLeft(int value) {
  StoreBox(&skin::BoxRect::left, value);
  update();
}

void TMarkPanel::fSetMarkTop(int value) {
  StoreBox(&skin::BoxRect::top, value);
  update();
}

void TMarkPanel::fSetMarkWidth(int value) {
  StoreBox(&skin::BoxRect::width, value);
  update();
}

void TMarkPanel::fSetMarkHeight(int value) {
  StoreBox(&skin::BoxRect::height, value);
  update();
}

void TMarkPanel::StoreDraggedBox(const skin::BoxRect& box) {
  fSetMarkLeft(box.left);
  fSetMarkTop(box.top);
  fSetMarkWidth(box.width);
  fSetMarkHeight(box.height);
}
