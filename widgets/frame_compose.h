#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "widgets/box_drag.h"

namespace skin {

// Three bytes per pixel, rows `stride` bytes apart. The byte order only has to match between the
// frame and the panel colour: every byte is treated on its own.
struct PixelRows {
  int width = 0;
  int height = 0;
  const uint8_t* bits = nullptr;
  std::ptrdiff_t stride = 0;
};
struct MutablePixelRows {
  int width = 0;
  int height = 0;
  uint8_t* bits = nullptr;
  std::ptrdiff_t stride = 0;
};

// `work` moved `transparent` percent of the way towards `source`, truncating toward zero.
constexpr uint8_t BlendByte(uint8_t work, uint8_t source, int transparent) {
  return uint8_t(work + (int(source) - int(work)) * transparent / 100);
}

enum class OutsideBox { Blend, Copy };

// Composes a panel's background: the panel colour, with the frame over it row for row upside down
// (frames arrive with their rows stored top-down under a bottom-up header, so the decoded picture is
// upside down). Inside `box` the frame shows unchanged; outside it is blended with the panel colour by
// `transparent` percent, or copied. Returns false and leaves `work` alone when the frame's size is not
// the work area's, or either buffer cannot hold its rows.
bool ComposeBackground(const PixelRows& frame, const MutablePixelRows& work,
                       std::array<uint8_t, 3> panelColour, const BoxRect& box, int transparent,
                       OutsideBox outside);

}  // namespace skin
