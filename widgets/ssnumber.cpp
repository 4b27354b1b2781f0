#include "widgets/ssnumber.h"

#include <QPainter>
#include <optional>

#include "widgets/skin_math.h"
#include "widgets/skin_window.h"

namespace {

constexpr QSize kNoPictureSize(24, 40);

}  // namespace

TssSkinNumber::TssSkinNumber(QWidget* parent) : QWidget(parent), maskColor_(SkinKeyColor()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  Changed();
}

void TssSkinNumber::SetMin(int min) {
  min_ = min;
  if (value_ < min_) {
    value_ = min_;
  }
  Changed();
}

void TssSkinNumber::SetMax(int max) {
  max_ = max;
  if (value_ > max_) {
    value_ = max_;
  }
  Changed();
}

void TssSkinNumber::SetValue(int value) {
  if (value < min_ || value > max_) {
    return;
  }
  value_ = value;
  Changed();
}

void TssSkinNumber::SetSkin(const QImage& skin) {
  skin_ = skin;
  Changed();
}

void TssSkinNumber::SetMask(bool on) {
  mask_ = on;
  Changed();
}

void TssSkinNumber::SetMaskColor(const QColor& color) {
  maskColor_ = color;
  Changed();
}

void TssSkinNumber::Changed() {
  const std::optional<skin::StripSlice> frame =
      skin_.isNull() ? std::nullopt : skin::NumberFrame(skin_.width(), min_, max_, value_);
  if (frame) {
    resize(frame->width, skin_.height());
  } else {
    resize(kNoPictureSize);
  }
  if (mask_ && frame) {
    SetBitmapWindow(this, skin_.copy(frame->left, 0, frame->width, skin_.height()), maskColor_);
  } else {
    ResetWindow(this);
  }
  update();
}

void TssSkinNumber::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const std::optional<skin::StripSlice> frame =
      skin_.isNull() ? std::nullopt : skin::NumberFrame(skin_.width(), min_, max_, value_);
  if (frame) {
    painter.drawImage(QPoint(0, 0), skin_, QRect(frame->left, 0, frame->width, skin_.height()));
    return;
  }
  painter.fillRect(rect(), Qt::white);
  painter.setPen(Qt::black);
  painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Num"));
}
