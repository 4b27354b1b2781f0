#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "components/i_render_surface.h"

namespace surface_test {

struct Bgr {
  uint8_t b, g, r;
  QColor Colour() const { return QColor(r, g, b); }
};

// A frame as the preview engine hands it over: rows of B,G,R bytes, `stride` apart; the bytes past
// each row's pixels hold a colour of their own, so a frame read with the wrong stride shows it.
struct BgrFrame {
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;
  std::vector<uint8_t> bytes;
};

inline constexpr Bgr kPadding{0xee, 0x00, 0xee};

// Four quadrants, in reading order: top-left, top-right, bottom-left, bottom-right.
BgrFrame QuadrantFrame(int32_t width, int32_t height, int32_t stride, const Bgr (&quadrants)[4]);
BgrFrame SolidFrame(int32_t width, int32_t height, Bgr colour);

// Presents through the "RenderSurface" component on a thread of its own, as the engine does.
bool PresentFromThread(I_RenderSurface& surfaces, const std::string& handle, const BgrFrame& frame);

// What the widget shows now.
QImage Shown(QWidget& widget);

// Runs the event loop until `done` holds or five seconds pass; the last value of `done`.
bool RunEventsUntil(const std::function<bool()>& done);

}  // namespace surface_test
