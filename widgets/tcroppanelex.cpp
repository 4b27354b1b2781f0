#include "widgets/tcroppanelex.h"

#include <QPainter>

TCropPanelEx::TCropPanelEx(QWidget* parent) : TBoxPanel(parent) {
  SetOnPaint([this](QPainter& painter) { BoxPaint(painter); });
}

void TCropPanelEx::fSetTransparent(int value) {
  transparent_ = skin::WrapTransparent(value);
  update();
}

void TCropPanelEx::StoreDraggedBox(const skin::BoxRect& box) {
  fSetCropLeft(box.left);
  fSetCropTop(box.top);
  fSetCropWidth(box.width);
  fSetCropHeight(box.height);
}
