#include "widgets/skin_math.h"

#include <climits>
#include <cstdint>

namespace skin {

int MulDiv(int a, int b, int c) {
  if (c == 0) {
    return a;
  }
  const int64_t num = int64_t(a) * b;
  int64_t q = num / c;
  const int64_t r = num % c;
  // Round half away from zero: compare twice the remainder with the divisor by magnitude.
  if (2 * (r < 0 ? -r : r) >= (c < 0 ? -int64_t(c) : int64_t(c))) {
    q += ((num < 0) != (c < 0)) ? -1 : 1;
  }
  if (q > INT_MAX) {
    return INT_MAX;
  }
  if (q < INT_MIN) {
    return INT_MIN;
  }
  return int(q);
}

int ButtonFrameIndex(bool enabled, bool pressed, bool hover, int divNum) {
  ButtonFrame frame = ButtonFrame::Normal;
  if (!enabled) {
    frame = ButtonFrame::Disabled;
  } else if (pressed) {
    frame = ButtonFrame::MouseDown;
  } else if (hover) {
    frame = ButtonFrame::MouseOn;
  }
  const int index = int(frame);
  return index < divNum ? index : int(ButtonFrame::Normal);
}

Size ButtonSize(Size strip, int divNum) {
  if (!IsValidDivNum(divNum)) {
    return kButtonFallbackSize;
  }
  const int frameWidth = strip.width / divNum;
  if (frameWidth <= 0 || strip.height <= 0) {
    return kButtonFallbackSize;
  }
  return {frameWidth, strip.height};
}

Size ScaledStripSize(Size strip, int divNum, int m, int d) {
  if (!IsValidDivNum(divNum)) {
    return strip;
  }
  // Frames lie side by side, so only the width is divided among them; the height scales whole.
  return {MulDiv(strip.width / divNum, m, d) * divNum, MulDiv(strip.height, m, d)};
}

Size ScaledPictureSize(Size picture, int m, int d) {
  return {MulDiv(picture.width, m, d), MulDiv(picture.height, m, d)};
}

std::optional<StripSlice> NumberFrame(int stripWidth, int min, int max, int value) {
  const int64_t frames = int64_t(max) - min + 1;
  if (frames <= 0 || value < min || value > max) {
    return std::nullopt;
  }
  const int64_t width = stripWidth / frames;
  if (width <= 0) {
    return std::nullopt;
  }
  return StripSlice{int((int64_t(value) - min) * width), int(width)};
}

}  // namespace skin
