#include "widgets/skin_window.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "widgets/region_runs.h"

QRegion BitmapRegion(const QImage& picture, const QColor& key) {
  if (picture.isNull()) {
    return {};
  }
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  const skin::Rgb888View view{rgb.width(), rgb.height(), rgb.constBits(), rgb.bytesPerLine()};
  const std::vector<skin::RegionRect> bands =
      skin::OpaqueBands(view, skin::MakeColorRef(key.red(), key.green(), key.blue()));
  std::vector<QRect> rects;
  rects.reserve(bands.size());
  for (const skin::RegionRect& b : bands) {
    rects.emplace_back(b.left, b.top, b.width, b.height);
  }
  QRegion region;
  // The bands are already sorted and banded, so the region adopts them without a union per rectangle.
  region.setRects(rects.data(), int(rects.size()));
  return region;
}

QImage KeyedOut(const QImage& picture, const QColor& key) {
  QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
  const QRgb k = key.rgb() & RGB_MASK;
  for (int y = 0; y < keyed.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x) {
      if ((row[x] & RGB_MASK) == k) {
        row[x] = 0;
      }
    }
  }
  return keyed;
}

void SetBitmapWindow(QWidget* window, const QImage& picture, const QColor& key) {
  if (window == nullptr) {
    return;
  }
  window->setMask(BitmapRegion(picture, key));
  window->update();
}

void ResetWindow(QWidget* window) {
  if (window != nullptr) {
    window->clearMask();
  }
}

WindowDragger::WindowDragger(QWidget* handle, Qt::MouseButtons buttons)
    : QObject(handle), handle_(handle), buttons_(buttons) {
  handle->installEventFilter(this);
}

bool WindowDragger::eventFilter(QObject* watched, QEvent* event) {
  if (watched != handle_) {
    return false;
  }
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (!(mouse->button() & buttons_)) {
        break;
      }
      QWidget* window = handle_->window();
      QWindow* handle = window->windowHandle();
      following_ = handle == nullptr || !handle->startSystemMove();
      grabOffset_ = mouse->globalPosition().toPoint() - window->frameGeometry().topLeft();
      break;
    }
    case QEvent::MouseMove:
      if (following_) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        handle_->window()->move(mouse->globalPosition().toPoint() - grabOffset_);
      }
      break;
    case QEvent::MouseButtonRelease:
      following_ = false;
      break;
    default:
      break;
  }
  return false;
}
