#include "widgets/box_panel.h"

#include <QIODevice>
#include <QMouseEvent>
#include <QPainter>
#include <utility>

namespace {

Qt::CursorShape ShapeOf(skin::DragCursor cursor) {
  switch (cursor) {
    case skin::DragCursor::SizeNwSe:
      return Qt::SizeFDiagCursor;
    case skin::DragCursor::SizeVertical:
      return Qt::SizeVerCursor;
    case skin::DragCursor::SizeNeSw:
      return Qt::SizeBDiagCursor;
    case skin::DragCursor::SizeHorizontal:
      return Qt::SizeHorCursor;
    case skin::DragCursor::SizeAll:
      return Qt::SizeAllCursor;
    case skin::DragCursor::Arrow:
      break;
  }
  return Qt::ArrowCursor;
}

}  // namespace

TBoxPanel::TBoxPanel(QWidget* parent) : QWidget(parent), color_(Qt::black) {
  // The background is always painted whole: the frame, or the panel colour without one.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  boxPen_ = QPen(QColor(255, 255, 0), 1, Qt::DashDotDotLine);
  boxPen_.setCosmetic(true);
}

TBoxPanel::~TBoxPanel() {
  FreeBkBmp();
}

void TBoxPanel::UpdateBkBmp(QIODevice& stream) {
  if (!stream.isOpen() || !stream.seek(0)) {
    return;
  }
  UpdateBkBmp(stream.readAll());
}

void TBoxPanel::UpdateBkBmp(const QByteArray& bitmapFile) {
  // Decoding happens outside the lock, so painting never waits for it.
  QImage frame;
  if (!frame.loadFromData(bitmapFile, "BMP")) {
    return;
  }
  frame.convertTo(QImage::Format_RGB888);
  {
    std::lock_guard<std::mutex> guard(lock_);
    bkBmp_.swap(frame);
  }
  QMetaObject::invokeMethod(
      this, [this] { update(); }, Qt::QueuedConnection);
}

void TBoxPanel::FreeBkBmp() {
  QImage old;
  std::lock_guard<std::mutex> guard(lock_);
  bkBmp_.swap(old);
}

bool TBoxPanel::HasBkBmp() const {
  std::lock_guard<std::mutex> guard(lock_);
  return !bkBmp_.isNull();
}

void TBoxPanel::SetColor(const QColor& color) {
  color_ = color;
  update();
}

void TBoxPanel::SetBevelOuter(TBevelCut cut) {
  bevelOuter_ = cut;
  update();
}

void TBoxPanel::SetBevelInner(TBevelCut cut) {
  bevelInner_ = cut;
  update();
}

void TBoxPanel::SetBevelWidth(int width) {
  bevelWidth_ = std::max(0, width);
  update();
}

void TBoxPanel::SetBoxPen(const QPen& pen) {
  boxPen_ = pen;
  update();
}

void TBoxPanel::SetOnPaint(PaintHandler handler) {
  onPaint_ = std::move(handler);
  update();
}

skin::BoxRect TBoxPanel::Box() const {
  std::lock_guard<std::mutex> guard(lock_);
  return box_;
}

void TBoxPanel::StoreBox(int32_t skin::BoxRect::*field, int32_t value) {
  std::lock_guard<std::mutex> guard(lock_);
  box_.*field = value;
}

void TBoxPanel::BoxPaint(QPainter& painter) const {
  const skin::BoxOutline outline = skin::OutlineOf(Box());
  painter.save();
  painter.setPen(boxPen_);
  painter.setBrush(Qt::NoBrush);
  for (const skin::BoxLine& line : outline.lines) {
    painter.drawLine(line.x1, line.y1, line.x2, line.y2);
  }
  for (const auto& corner : outline.squareCorners) {
    const int x = corner[0], y = corner[1], s = skin::kHandleSquareSide;
    const QPoint square[] = {{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}, {x, y}};
    painter.drawPolyline(square, 5);
  }
  painter.restore();
}

void TBoxPanel::DrawBevel(QPainter& painter, QRect& rect, TBevelCut cut) const {
  if (cut == bvNone) {
    return;
  }
  QColor topLeft = palette().color(QPalette::Light);
  QColor bottomRight = palette().color(QPalette::Dark);
  if (cut == bvLowered) {
    std::swap(topLeft, bottomRight);
  }
  for (int i = 0; i < bevelWidth_ && rect.width() > 0 && rect.height() > 0; ++i) {
    painter.setPen(topLeft);
    painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
    painter.drawLine(rect.left(), rect.top(), rect.left(), rect.bottom());
    painter.setPen(bottomRight);
    painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    rect.adjust(1, 1, -1, -1);
  }
}

void TBoxPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QImage work(size(), QImage::Format_RGB888);
  bool composed = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!bkBmp_.isNull() && !work.isNull()) {
      const skin::PixelRows frame{bkBmp_.width(), bkBmp_.height(), bkBmp_.constBits(), bkBmp_.bytesPerLine()};
      const skin::MutablePixelRows target{work.width(), work.height(), work.bits(), work.bytesPerLine()};
      const std::array<uint8_t, 3> panel{uint8_t(color_.red()), uint8_t(color_.green()),
                                         uint8_t(color_.blue())};
      composed = skin::ComposeBackground(frame, target, panel, box_, Transparency(), Outside());
    }
  }
  if (composed) {
    painter.drawImage(0, 0, work);
  } else {
    painter.fillRect(rect(), color_);
  }
  QRect bevel = rect();
  DrawBevel(painter, bevel, bevelOuter_);
  DrawBevel(painter, bevel, bevelInner_);
  if (onPaint_ && BoxMayShow()) {
    onPaint_(painter);
  }
}

void TBoxPanel::UpdateDragState(int x, int y) {
  dragState_ = skin::HitTest(Box(), skin::kHandleSize, x, y, dragState_);
  setCursor(ShapeOf(skin::CursorFor(dragState_)));
}

void TBoxPanel::UpdateDrag(int x, int y) {
  const int dx = x - lastX_, dy = y - lastY_;
  lastX_ = x;
  lastY_ = y;
  StoreDraggedBox(skin::DragStep(Box(), dragState_, dx, dy, width(), height(), skin::kHandleSize));
  update();
  DragStepped();
}

void TBoxPanel::ResetDrag() {
  dragging_ = false;
  dragState_ = skin::DragState::Outside;
  unsetCursor();
}

void TBoxPanel::mousePressEvent(QMouseEvent* event) {
  if (!MouseActive()) {
    QWidget::mousePressEvent(event);
    return;
  }
  if (event->buttons() & Qt::LeftButton) {
    const QPoint p = event->position().toPoint();
    UpdateDragState(p.x(), p.y());
    lastX_ = p.x();
    lastY_ = p.y();
    dragging_ = true;
  }
}

void TBoxPanel::mouseMoveEvent(QMouseEvent* event) {
  if (!MouseActive()) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  const QPoint p = event->position().toPoint();
  if (dragging_ && (event->buttons() & Qt::LeftButton)) {
    UpdateDrag(p.x(), p.y());
  } else {
    dragging_ = false;
    UpdateDragState(p.x(), p.y());
  }
}

void TBoxPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (!MouseActive()) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  dragging_ = false;
}
