#include "widgets/frame_compose.h"

#include <algorithm>
#include <cstring>

namespace skin {

bool ComposeBackground(const PixelRows& frame, const MutablePixelRows& work,
                       std::array<uint8_t, 3> panelColour, const BoxRect& box, int transparent,
                       OutsideBox outside) {
  if (frame.bits == nullptr || work.bits == nullptr || frame.width != work.width ||
      frame.height != work.height || frame.width <= 0 || frame.height <= 0) {
    return false;
  }
  const std::ptrdiff_t rowBytes = std::ptrdiff_t(3) * frame.width;
  if (frame.stride < rowBytes || work.stride < rowBytes) {
    return false;
  }
  const int t = std::clamp(transparent, 0, 100);
  // Byte bounds of the box, widened to 64 bits so huge rectangles cannot overflow.
  const int64_t boxFirst = int64_t(3) * box.left;
  const int64_t boxEnd = int64_t(3) * (int64_t(box.left) + box.width);
  for (int r = 0; r < work.height; ++r) {
    const uint8_t* src = frame.bits + (frame.height - 1 - r) * frame.stride;
    uint8_t* dst = work.bits + r * work.stride;
    if (outside == OutsideBox::Copy) {
      std::memcpy(dst, src, rowBytes);
      continue;
    }
    const bool rowInBox = box.top <= r && int64_t(r) < int64_t(box.top) + box.height;
    for (std::ptrdiff_t i = 0; i < rowBytes; ++i) {
      const uint8_t base = panelColour[i % 3];
      if (rowInBox && boxFirst <= i && i < boxEnd) {
        dst[i] = src[i];
      } else {
        dst[i] = BlendByte(base, src[i], t);
      }
    }
  }
  return true;
}

}  // namespace skin
