#include "widgets/ssform.h"

#include <QPainter>

#include "widgets/skin_math.h"
#include "widgets/skin_window.h"

TssSkinForm::TssSkinForm(QWidget* form) : QWidget(form), form_(form), transparentColor_(SkinKeyColor()) {
  if (form != nullptr && form->isWindow()) {
    form->setWindowFlag(Qt::FramelessWindowHint, true);
  }
  resize(200, 100);
  lower();
  new WindowDragger(this, Qt::AllButtons);
}

void TssSkinForm::SetPicture(const QImage& glyph) {
  glyph_ = glyph;
  PictureChanged();
}

void TssSkinForm::SetColor(const QColor& color) {
  transparentColor_ = color;
  ReSetWndRgn();
  update();
}

void TssSkinForm::ChangeScale(int m, int d) {
  scaleM_ = m;
  scaleD_ = d;
  if (ScalePicture()) {
    ReSetWndRgn();
    update();
  }
}

void TssSkinForm::PictureChanged() {
  ScalePicture();
  ReSetWndRgn();
  update();
}

bool TssSkinForm::ScalePicture() {
  if (glyph_.isNull() || scaleM_ == scaleD_) {
    return false;
  }
  const skin::Size size = skin::ScaledPictureSize({glyph_.width(), glyph_.height()}, scaleM_, scaleD_);
  if (size.width <= 0 || size.height <= 0) {
    return false;
  }
  // Nearest-pixel scaling keeps the key colour exact, so the outline stays clean.
  glyph_ = glyph_.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  return true;
}

void TssSkinForm::ReSetWndRgn() {
  if (glyph_.isNull()) {
    // An outline left from an earlier picture would cut holes into the plain frame drawn instead.
    ResetWindow(form_);
    return;
  }
  if (form_ != nullptr) {
    ResetWindow(form_);
    SetBitmapWindow(form_, glyph_, transparentColor_);
  }
  resize(glyph_.size());
  move(0, 0);
  if (form_ != nullptr) {
    form_->resize(size());
  }
  emit OnRegionChanged();
}

void TssSkinForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!glyph_.isNull()) {
    painter.drawImage(0, 0, glyph_);
    return;
  }
  painter.setPen(Qt::black);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
