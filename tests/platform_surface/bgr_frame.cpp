#include "tests/platform_surface/bgr_frame.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <thread>

namespace surface_test {

BgrFrame QuadrantFrame(int32_t width, int32_t height, int32_t stride, const Bgr (&quadrants)[4]) {
  BgrFrame frame{width, height, stride, std::vector<uint8_t>(static_cast<size_t>(stride) * height)};
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = frame.bytes.data() + static_cast<size_t>(y) * stride;
    const uint8_t padding[3] = {kPadding.b, kPadding.g, kPadding.r};
    for (int32_t i = 3 * width; i < stride; ++i) {
      row[i] = padding[i % 3];
    }
    for (int32_t x = 0; x < width; ++x) {
      const Bgr& c = quadrants[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
      row[3 * x] = c.b;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.r;
    }
  }
  return frame;
}

BgrFrame SolidFrame(int32_t width, int32_t height, Bgr colour) {
  return QuadrantFrame(width, height, width * 3, {colour, colour, colour, colour});
}

bool PresentFromThread(I_RenderSurface& surfaces, const std::string& handle, const BgrFrame& frame) {
  bool accepted = false;
  std::thread presenter([&] {
    accepted = surfaces.Present(handle.c_str(), frame.bytes.data(), frame.width, frame.height, frame.stride);
  });
  presenter.join();
  return accepted;
}

QImage Shown(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool RunEventsUntil(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > 5000) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

}  // namespace surface_test
