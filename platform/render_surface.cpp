#include "platform/render_surface.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <utility>

namespace platform {
namespace {

// Every copy of the platform code registers its table; creation by name always finds the first
// registration, so the widgets of every copy and the engine all reach that one.
const AutoReg kRenderSurfaceRegistrar(kRenderSurfaceName, &CreateRenderSurfaceTable);

}  // namespace

RenderSurface::RenderSurface(QWidget* parent) : QWidget(parent) {
  // Every pixel is painted, so Qt need not clear the background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The table is taken through the component table, not from this copy's own code, so that the widget
  // lands in the table the engine finds. The component is the table whose registration came first; it
  // is built from the same declaration as this copy's, which makes the cast sound.
  *table_.Receive() = static_cast<RenderSurfaceTable*>(CreateComponent(kRenderSurfaceName));
  if (!table_.IsEmpty()) {
    listedAs_ = table_->Add(this);
  }
  const uint64_t handle = listedAs_ != 0 ? listedAs_ : UnlistedSurfaceHandle();
  handle_ = QString::number(handle);
}

RenderSurface::~RenderSurface() {
  // Waits for a Present running inside this widget; none reaches it afterwards. A repaint it already
  // posted is dropped by Qt together with the object.
  if (listedAs_ != 0) {
    table_->Remove(listedAs_);
  }
}

void RenderSurface::Clear() {
  {
    std::lock_guard guard(frameLock_);
    frame_ = QImage();
  }
  update();
}

void RenderSurface::TakeFrame(QImage frame) {
  {
    std::lock_guard guard(frameLock_);
    // The old frame is released under the lock; a paint holding its own reference keeps it alive.
    frame_ = std::move(frame);
  }
  if (!repaintPosted_.exchange(true)) {
    QMetaObject::invokeMethod(
        this,
        [this] {
          repaintPosted_ = false;
          update();
        },
        Qt::QueuedConnection);
  }
}

void RenderSurface::paintEvent(QPaintEvent* event) {
  QImage frame;
  {
    std::lock_guard guard(frameLock_);
    frame = frame_;
  }
  QPainter painter(this);
  if (frame.isNull()) {
    painter.fillRect(event->rect(), Qt::black);
    return;
  }
  if (frame.size() == size()) {
    painter.drawImage(QPoint(0, 0), frame);
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), frame);
}

}  // namespace platform
