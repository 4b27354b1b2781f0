#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

// A colour in the packed form the skins compare: red in the low byte, blue in the third byte.
using ColorRef = uint32_t;
constexpr ColorRef MakeColorRef(uint8_t r, uint8_t g, uint8_t b) {
  return ColorRef(r) | (ColorRef(g) << 8) | (ColorRef(b) << 16);
}
// The key colour of every window outline and button mask.
inline constexpr ColorRef kKeyMagenta = MakeColorRef(255, 0, 255);

// Top-down rows of three bytes per pixel, red first. `stride` is the distance between rows in bytes.
struct Rgb888View {
  int width = 0;
  int height = 0;
  const uint8_t* bits = nullptr;
  std::ptrdiff_t stride = 0;
};

struct RegionRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const RegionRect&, const RegionRect&) = default;
};

// The one-row rectangles of the pixels that differ from `key`: row by row from the top, each
// maximal run of non-key pixels from left to right. A run that reaches the last column includes it.
std::vector<RegionRect> OpaqueRuns(const Rgb888View& picture, ColorRef key);

// The same area with rows of identical runs joined into taller rectangles. The result is sorted
// top to bottom and left to right, and the rectangles of one band share their top and height, which
// is the form a region can adopt without re-sorting.
std::vector<RegionRect> OpaqueBands(const Rgb888View& picture, ColorRef key);

}  // namespace skin
