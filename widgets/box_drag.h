#pragma once

#include <array>
#include <cstdint>

namespace skin {

// A rectangle in panel pixels: columns left .. left+width−1, rows top .. top+height−1.
struct BoxRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const BoxRect&, const BoxRect&) = default;
};

// Which part of the rectangle the pointer is on: 0 outside, 1..8 the corners and edges clockwise
// from the top-left corner, 9 the interior.
enum class DragState : uint8_t {
  Outside = 0,
  TopLeft = 1,
  Top = 2,
  TopRight = 3,
  Right = 4,
  BottomRight = 5,
  Bottom = 6,
  BottomLeft = 7,
  Left = 8,
  Move = 9,
};

enum class DragCursor { Arrow, SizeNwSe, SizeVertical, SizeNeSw, SizeHorizontal, SizeAll };
DragCursor CursorFor(DragState state);

// Width of the grip bands along the inside of the rectangle.
inline constexpr int kHandleSize = 5;

// The part of `box` under (x, y). A point inside the rectangle but in none of the nine parts (only
// possible when the rectangle is narrower or lower than two grip bands) keeps `previous`.
DragState HitTest(const BoxRect& box, int handleSize, int x, int y, DragState previous);

// One drag step of `state` by (dx, dy) inside a panel of panelWidth × panelHeight. Edges move alone
// and never leave less than three grip bands of width or height; a move keeps the size. No step takes
// the rectangle past the panel border: when the border and the smallest size cannot both hold, the
// border wins.
BoxRect DragStep(const BoxRect& box, DragState state, int dx, int dy, int panelWidth, int panelHeight,
                 int handleSize);

// The box's outline: eight line pieces between eight handle squares. Squares are given by their
// top-left corner and span 6 pixels; the lines run from the first point to the second.
struct BoxLine {
  int x1, y1, x2, y2;
  friend bool operator==(const BoxLine&, const BoxLine&) = default;
};
struct BoxOutline {
  std::array<BoxLine, 8> lines;
  std::array<std::array<int, 2>, 8> squareCorners;
};
inline constexpr int kHandleSquareSide = 6;
BoxOutline OutlineOf(const BoxRect& box);

// Every integer maps into 0..100 the way a percentage wraps: 101 → 0, 150 → 49, −1 → 100.
int WrapTransparent(int value);

}  // namespace skin
