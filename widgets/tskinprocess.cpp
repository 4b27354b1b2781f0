#include "widgets/tskinprocess.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>

#include "widgets/skin_accessible.h"
#include "widgets/skin_math.h"
#include "widgets/skin_window.h"
#include "widgets/ssbutton.h"

// The fill: its picture stretched over the whole widget, key-coloured pixels left out.
class SkinFillImage : public QWidget {
 public:
  SkinFillImage(QWidget* parent, const QImage& picture)
      : QWidget(parent), picture_(KeyedOut(picture, SkinKeyColor())) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(rect(), picture_);
  }

 private:
  QImage picture_;
};

namespace {

// Stand-ins for pictures that cannot be read, so a slider stays usable and visible.
QImage FallbackFill() {
  QImage fill(4, 4, QImage::Format_RGB32);
  fill.fill(QColor(240, 138, 60));
  return fill;
}

QImage FallbackThumb() {
  constexpr int kSide = 12;
  QImage strip(3 * kSide, kSide, QImage::Format_RGB32);
  strip.fill(SkinKeyColor());
  QPainter painter(&strip);
  const QColor faces[] = {QColor(236, 239, 244), QColor(255, 255, 255), QColor(240, 138, 60)};
  for (int i = 0; i < 3; ++i) {
    painter.setPen(QColor(60, 66, 80));
    painter.setBrush(faces[i]);
    painter.drawEllipse(QRect(i * kSide, 0, kSide - 1, kSide - 1));
  }
  return strip;
}

QImage LoadImageA(const QString& path) {
  QImage picture;
  if (!path.isEmpty()) {
    picture.load(path);
  }
  return picture;
}

}  // namespace

TSkinProcess::TSkinProcess(QWidget* parent) : QWidget(parent) {
  model_.SetLeft(Origin().x());
  InstallSkinAccessibility();
}

// Move events wait until a hidden track is shown, so the place is also taken before every step.
void TSkinProcess::FollowTrack() {
  const int dx = Origin().x() - model_.Left();
  if (dx != 0) {
    model_.MoveBy(dx);
  }
}

TSkinProcess::~TSkinProcess() {
  delete thumb_.data();
  delete fill_.data();
}

QWidget* TSkinProcess::Image2() const {
  return fill_.data();
}

TssSkinButton* TSkinProcess::Image3() const {
  return thumb_.data();
}

// Without a parent the fill and thumb live on the track itself, in its own coordinates.
QWidget* TSkinProcess::Host() {
  return parentWidget() != nullptr ? parentWidget() : this;
}

QPoint TSkinProcess::Origin() const {
  return parentWidget() != nullptr ? pos() : QPoint(0, 0);
}

void TSkinProcess::SetPicture(const QImage& track) {
  track_ = track.isNull() ? QImage() : KeyedOut(track, SkinKeyColor());
  update();
}

bool TSkinProcess::SetImage2(const QString& path) {
  FollowTrack();
  QImage picture = LoadImageA(path);
  const bool read = !picture.isNull();
  if (!read) {
    picture = FallbackFill();
  }
  delete fill_.data();
  fill_ = new SkinFillImage(Host(), picture);
  fill_->resize(picture.size());
  ChangeControlScale(fill_);
  fill_->installEventFilter(this);
  fill_->setEnabled(isEnabled());
  fill_->setVisible(isVisibleTo(Host()) || Host() == this);
  if (thumb_ != nullptr) {
    thumb_->raise();
  }
  Place();
  return read;
}

bool TSkinProcess::SetImage3(const QString& path) {
  FollowTrack();
  QImage picture = LoadImageA(path);
  const bool read = !picture.isNull();
  if (!read) {
    picture = FallbackThumb();
  }
  delete thumb_.data();
  thumb_ = new TssSkinButton(Host());
  thumb_->setObjectName(QStringLiteral("Image3"));
  // The keys reach the slider itself; the thumb is only its picture.
  thumb_->setFocusPolicy(Qt::NoFocus);
  thumb_->setProperty(kSliderThumbProperty, true);
  thumb_->SetSkin(picture);
  thumb_->SetMask(true);
  thumb_->ChangeScale(scaleM_, scaleD_);
  thumb_->installEventFilter(this);
  thumb_->setEnabled(isEnabled());
  thumb_->setVisible(isVisibleTo(Host()) || Host() == this);
  model_.SetThumb(true, thumb_->width());
  setFocusPolicy(Qt::TabFocus);
  Place();
  return read;
}

void TSkinProcess::SetBaseLine(int y) {
  baseLine_ = skin::MulDiv(y, scaleM_, scaleD_);
  Place();
}

void TSkinProcess::SetExtRange(int start, int length) {
  FollowTrack();
  model_.SetExtRange(start, length);
  Place();
}

void TSkinProcess::SetImage2Range(int start, int width) {
  FollowTrack();
  model_.SetImage2Range(start, width);
  Place();
}

void TSkinProcess::Setprocess(int percent) {
  FollowTrack();
  model_.Setprocess(percent);
  Place();
}

void TSkinProcess::ChangeScale(int m, int d) {
  scaleM_ = m;
  scaleD_ = d;
}

void TSkinProcess::ChangeControlScale(QWidget* control) const {
  if (scaleM_ == scaleD_) {
    return;
  }
  control->setGeometry(
      skin::MulDiv(control->x(), scaleM_, scaleD_), skin::MulDiv(control->y(), scaleM_, scaleD_),
      skin::MulDiv(control->width(), scaleM_, scaleD_), skin::MulDiv(control->height(), scaleM_, scaleD_));
}

void TSkinProcess::Place() {
  FollowTrack();
  const int centre = Origin().y() + baseLine_;
  if (fill_ != nullptr) {
    const int h = fill_->height();
    // A negative width (a position below 0 %) shows no fill.
    fill_->setGeometry(model_.FillLeft(), centre - h / 2, std::max(0, model_.FillWidth()), h);
  }
  if (thumb_ != nullptr) {
    thumb_->move(model_.ThumbLeft(), centre - thumb_->height() / 2);
  }
}

void TSkinProcess::Report(std::optional<int> percent) {
  if (percent) {
    emit OnProcessChange(*percent);
  }
}

void TSkinProcess::setVisible(bool visible) {
  QWidget::setVisible(visible);
  if (Host() != this) {
    if (fill_ != nullptr) {
      fill_->setVisible(visible);
    }
    if (thumb_ != nullptr) {
      thumb_->setVisible(visible);
    }
  }
}

void TSkinProcess::paintEvent(QPaintEvent*) {
  if (track_.isNull()) {
    return;
  }
  QPainter painter(this);
  painter.drawImage(rect(), track_);
  if (hasFocus()) {
    painter.setPen(SkinFocusColor());
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void TSkinProcess::mousePressEvent(QMouseEvent* event) {
  FollowTrack();
  const QPoint p = event->position().toPoint();
  std::optional<int> percent = model_.ClickTrack(p.x());
  Place();
  emit OnMouseDown(event->button(), p.x(), p.y());
  Report(percent);
  event->accept();
}

void TSkinProcess::MoveByUser(int percent) {
  if (!Interactive() || !isEnabled()) {
    return;
  }
  FollowTrack();
  const int from = model_.Getprocess();
  const int target = std::clamp(percent, 0, 100);
  if (target == from) {
    return;
  }
  // Positions are whole pixels: a percent that lands on the current one's pixel is stepped past, so
  // that a key always moves the thumb when it can move at all.
  const int step = target > from ? 1 : -1;
  for (int next = target; next >= 0 && next <= 100; next += step) {
    model_.Setprocess(next);
    if (model_.Getprocess() != from) {
      break;
    }
  }
  Place();
  if (model_.Getprocess() != from) {
    emit OnProcessChange(model_.Getprocess());
  }
}

int TSkinProcess::Shown() const {
  if (Interactive()) {
    return model_.Getprocess();
  }
  return model_.RangeLength() > 0 ? std::clamp(model_.FillWidth() * 100 / model_.RangeLength(), 0, 100) : 0;
}

void TSkinProcess::keyPressEvent(QKeyEvent* event) {
  const int at = model_.Getprocess();
  std::optional<int> target;
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
      target = at - 1;
      break;
    case Qt::Key_Right:
    case Qt::Key_Up:
      target = at + 1;
      break;
    case Qt::Key_PageDown:
      target = at - 10;
      break;
    case Qt::Key_PageUp:
      target = at + 10;
      break;
    case Qt::Key_Home:
      target = 0;
      break;
    case Qt::Key_End:
      target = 100;
      break;
    default:
      break;
  }
  if (!target || !Interactive()) {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  MoveByUser(*target);
}

void TSkinProcess::focusInEvent(QFocusEvent* event) {
  update();
  QWidget::focusInEvent(event);
}

void TSkinProcess::focusOutEvent(QFocusEvent* event) {
  update();
  QWidget::focusOutEvent(event);
}

void TSkinProcess::moveEvent(QMoveEvent* event) {
  Place();
  QWidget::moveEvent(event);
}

void TSkinProcess::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    if (fill_ != nullptr) {
      fill_->setEnabled(isEnabled());
    }
    if (thumb_ != nullptr) {
      thumb_->setEnabled(isEnabled());
    }
  }
  QWidget::changeEvent(event);
}

bool TSkinProcess::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) {
    return false;
  }
  FollowTrack();
  const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
  if (watched == fill_ && type == QEvent::MouseButtonPress && model_.HasThumb()) {
    std::optional<int> percent = model_.ClickFill(p.x());
    Place();
    const QPoint inTrack = fill_->pos() + p - Origin();
    emit OnMouseDown(static_cast<QMouseEvent*>(event)->button(), inTrack.x(), inTrack.y());
    Report(percent);
    return true;
  }
  if (watched == thumb_) {
    if (type == QEvent::MouseButtonPress) {
      model_.ThumbDown(p.x());
    } else if (type == QEvent::MouseMove) {
      if (model_.ThumbDragging()) {
        std::optional<int> percent = model_.ThumbMove(p.x());
        Place();
        Report(percent);
      }
    } else {
      Report(model_.ThumbUp());
    }
  }
  // The thumb still shows its own pressed and mouse-over pictures.
  return false;
}
