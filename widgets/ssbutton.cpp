#include "widgets/ssbutton.h"

#include <QAction>
#include <QDialog>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

#include "widgets/skin_accessible.h"
#include "widgets/skin_catalog.h"
#include "widgets/skin_window.h"

TssCustomButton::TssCustomButton(QWidget* parent) : QWidget(parent), maskColor_(SkinKeyColor()) {
  // The button paints every pixel itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  // Tab reaches the button; a mouse click leaves the focus where it was, as on the artwork's peers.
  setFocusPolicy(Qt::TabFocus);
  InstallSkinAccessibility();
  AdjustSize();
}

void TssCustomButton::SetSkin(const QImage& skin) {
  skin_ = skin;
  caption_ = skin.text(QString::fromLatin1(skin::kCaptionTextKey));
  SkinChanged();
}

void TssCustomButton::SetDivNum(int divNum) {
  if (!skin::IsValidDivNum(divNum) || divNum == divNum_) {
    return;
  }
  divNum_ = divNum;
  SkinChanged();
}

void TssCustomButton::SetMask(bool on) {
  mask_ = on;
  MaskChanged();
}

void TssCustomButton::SetMaskColor(const QColor& color) {
  maskColor_ = color;
  MaskChanged();
}

void TssCustomButton::SetAction(QAction* action) {
  if (action_ != nullptr) {
    disconnect(action_, nullptr, this, nullptr);
  }
  action_ = action;
  if (action != nullptr) {
    connect(action, &QAction::changed, this, &TssCustomButton::FollowAction);
    FollowAction();
  }
}

void TssCustomButton::FollowAction() {
  if (action_ != nullptr) {
    setEnabled(action_->isEnabled());
    setVisible(action_->isVisible());
  }
}

void TssCustomButton::ChangeScale(int m, int d) {
  scaleM_ = m;
  scaleD_ = d;
  if (ScaleSkin()) {
    AdjustSize();
    MaskChanged();
    update();
  }
}

int TssCustomButton::CurrentFrame() const {
  return skin::ButtonFrameIndex(isEnabled(), pressed_, hover_, divNum_);
}

void TssCustomButton::SkinChanged() {
  ScaleSkin();
  AdjustSize();
  MaskChanged();
  update();
}

bool TssCustomButton::ScaleSkin() {
  if (!skin_.isNull() && scaleM_ != scaleD_) {
    const skin::Size size = skin::ScaledStripSize({skin_.width(), skin_.height()}, divNum_, scaleM_, scaleD_);
    if (size.width > 0 && size.height > 0) {
      scaledSkin_ = skin_.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
      return true;
    }
  }
  scaledSkin_ = skin_;
  return false;
}

void TssCustomButton::AdjustSize() {
  const skin::Size size = skin::ButtonSize({scaledSkin_.width(), scaledSkin_.height()}, divNum_);
  resize(size.width, size.height);
}

void TssCustomButton::MaskChanged() {
  const skin::Size frame = skin::ButtonSize({scaledSkin_.width(), scaledSkin_.height()}, divNum_);
  const bool wholeFrame = !scaledSkin_.isNull() && scaledSkin_.width() / divNum_ > 0;
  if (mask_ && wholeFrame) {
    SetBitmapWindow(this, scaledSkin_.copy(0, 0, frame.width, frame.height), maskColor_);
  } else {
    ResetWindow(this);
  }
}

void TssCustomButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (skin_.isNull()) {
    painter.fillRect(rect(), palette().window());
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, width(), 20), Qt::AlignCenter, objectName());
    return;
  }
  const skin::Size frame = skin::ButtonSize({scaledSkin_.width(), scaledSkin_.height()}, divNum_);
  if (scaledSkin_.width() / divNum_ <= 0) {
    painter.fillRect(rect(), palette().window());
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    return;
  }
  const QRect source(CurrentFrame() * frame.width, 0, frame.width, frame.height);
  painter.drawImage(QPoint(0, 0), scaledSkin_, source);
  if (hasFocus()) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(SkinFocusColor(), 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    // A white line inside keeps the ring visible on the accent-coloured buttons too.
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 3, 3);
  }
}

void TssCustomButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressed_ = true;
    update();
  }
  QWidget::mousePressEvent(event);
}

void TssCustomButton::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  // A release away from the button never clicks, even when no move reported the pointer leaving.
  const bool onButton = p.x() >= 0 && p.y() >= 0 && p.x() <= width() && p.y() <= height();
  if (event->button() == Qt::LeftButton && pressed_) {
    clicking_ = onButton;
    pressed_ = false;
    update();
    if (clicking_) {
      Click();
    }
    clicking_ = false;
  }
  QWidget::mouseReleaseEvent(event);
}

void TssCustomButton::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (p.x() < 0 || p.y() < 0 || p.x() > width() || p.y() > height()) {
    if (pressed_) {
      pressed_ = false;
      update();
    }
    SetHover(false);
  }
  QWidget::mouseMoveEvent(event);
}

void TssCustomButton::enterEvent(QEnterEvent* event) {
  SetHover(true);
  emit OnMouseEnter();
  QWidget::enterEvent(event);
}

void TssCustomButton::leaveEvent(QEvent* event) {
  SetHover(false);
  emit OnMouseExit();
  QWidget::leaveEvent(event);
}

void TssCustomButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    if (!isEnabled()) {
      pressed_ = false;
    }
    update();
  }
  QWidget::changeEvent(event);
}

void TssCustomButton::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && !event->isAutoRepeat()) {
    event->accept();
    Press();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TssCustomButton::focusInEvent(QFocusEvent* event) {
  const Qt::FocusReason reason = event->reason();
  if (titleBar_ && (reason == Qt::ActiveWindowFocusReason || reason == Qt::OtherFocusReason)) {
    // A window that opens or comes back gives the focus to its first control; a person starts at the
    // window's content, not on its close button. Tab still reaches the title bar.
    QWidget* top = window();
    for (QWidget* next = nextInFocusChain(); next != this && next != nullptr;
         next = next->nextInFocusChain()) {
      const auto* button = qobject_cast<const TssCustomButton*>(next);
      if (next != top && next->window() == top && (next->focusPolicy() & Qt::TabFocus) && next->isVisible() &&
          next->isEnabled() && (button == nullptr || !button->titleBar_)) {
        next->setFocus(Qt::OtherFocusReason);
        return;
      }
    }
  }
  update();
  QWidget::focusInEvent(event);
}

void TssCustomButton::focusOutEvent(QFocusEvent* event) {
  update();
  QWidget::focusOutEvent(event);
}

void TssCustomButton::Press() {
  if (!isEnabled() || !isVisible()) {
    return;
  }
  clicking_ = true;
  // The click may close the window and destroy the button with it.
  QPointer<TssCustomButton> self(this);
  Click();
  if (self != nullptr) {
    clicking_ = false;
  }
}

void TssCustomButton::SetHover(bool hover) {
  if (hover_ == hover) {
    return;
  }
  hover_ = hover;
  update();
  HoverChanged(hover);
}

void TssCustomButton::HoverChanged(bool) {}

void TssCustomButton::Click() {
  if (!clicking_ || !isEnabled()) {
    return;
  }
  QPointer<TssCustomButton> self(this);
  const bool handled = isSignalConnected(QMetaMethod::fromSignal(&TssCustomButton::OnClick));
  if (action_ != nullptr && !handled) {
    action_->trigger();
  } else {
    emit OnClick();
  }
  // A click handler may have closed the dialog, or destroyed the button with it.
  if (self == nullptr || modalResult_ == 0 || parentWidget() == nullptr) {
    return;
  }
  if (auto* dialog = qobject_cast<QDialog*>(window()); dialog != nullptr && dialog->isVisible()) {
    dialog->done(modalResult_);
  }
}

void TssLinkButton::HoverChanged(bool hover) {
  if (link_ != nullptr && link_ != this) {
    // Only the picture follows: the linked button's own events stay with its own pointer.
    link_->SetHover(hover);
  }
}

TssSkinButton* MakeSkinButton(QWidget* parent, const char* name, const QImage& picture, int x, int y) {
  auto* button = new TssSkinButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->SetDivNum(skin::kButtonFrames);
  button->SetSkin(picture);
  button->move(x, y);
  return button;
}
