#include "widgets/box_drag.h"

#include <algorithm>

namespace skin {

namespace {

struct HalfOpen {
  int left, top, right, bottom;
  bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
};

// Keeps v within the size limit first and the border limit last, so the border always holds.
int Clamp(int v, int sizeLimit, int borderLimit, bool borderIsLower) {
  if (borderIsLower) {
    return std::max(borderLimit, std::min(v, sizeLimit));
  }
  return std::min(borderLimit, std::max(v, sizeLimit));
}

}  // namespace

DragCursor CursorFor(DragState state) {
  switch (state) {
    case DragState::TopLeft:
    case DragState::BottomRight:
      return DragCursor::SizeNwSe;
    case DragState::Top:
    case DragState::Bottom:
      return DragCursor::SizeVertical;
    case DragState::TopRight:
    case DragState::BottomLeft:
      return DragCursor::SizeNeSw;
    case DragState::Right:
    case DragState::Left:
      return DragCursor::SizeHorizontal;
    case DragState::Move:
      return DragCursor::SizeAll;
    case DragState::Outside:
      break;
  }
  return DragCursor::Arrow;
}

DragState HitTest(const BoxRect& box, int h, int x, int y, DragState previous) {
  const int l = box.left, t = box.top;
  const int r = box.left + box.width, b = box.top + box.height;
  if (!HalfOpen{l, t, r, b}.Contains(x, y)) {
    return DragState::Outside;
  }
  const HalfOpen parts[] = {
      {l, t, l + h, t + h},     {l + h, t, r - h, t + h}, {r - h, t, r, t + h},
      {r - h, t + h, r, b - h}, {r - h, b - h, r, b},     {l + h, b - h, r - h, b},
      {l, b - h, l + h, b},     {l, t + h, l + h, b - h}, {l + h, t + h, r - h, b - h},
  };
  for (int i = 0; i < 9; ++i) {
    if (parts[i].Contains(x, y)) {
      return DragState(i + 1);
    }
  }
  return previous;
}

BoxRect DragStep(const BoxRect& box, DragState state, int dx, int dy, int panelWidth, int panelHeight,
                 int handleSize) {
  const int m = 3 * handleSize;
  int l = box.left, t = box.top;
  const int w = box.width, h = box.height;
  int rightMargin = panelWidth - (l + w);
  int bottomMargin = panelHeight - (t + h);

  const int s = int(state);
  const bool left = s == 1 || s == 8 || s == 7;
  const bool right = s == 3 || s == 4 || s == 5;
  const bool top = s == 1 || s == 2 || s == 3;
  const bool bottom = s == 7 || s == 6 || s == 5;

  if (state == DragState::Move) {
    dx = std::min(std::max(dx, -l), rightMargin);
    dy = std::min(std::max(dy, -t), bottomMargin);
    l += dx;
    t += dy;
    rightMargin -= dx;
    bottomMargin -= dy;
  } else {
    if (left) {
      dx = Clamp(dx, w - m, -l, true);
      l += dx;
    } else if (right) {
      dx = Clamp(dx, m - w, rightMargin, false);
      rightMargin -= dx;
    }
    if (top) {
      dy = Clamp(dy, h - m, -t, true);
      t += dy;
    } else if (bottom) {
      dy = Clamp(dy, m - h, bottomMargin, false);
      bottomMargin -= dy;
    }
  }
  return {l, t, panelWidth - (l + rightMargin), panelHeight - (t + bottomMargin)};
}

BoxOutline OutlineOf(const BoxRect& box) {
  const int l = box.left, t = box.top;
  const int r = l + box.width - 1, b = t + box.height - 1;
  const int mx = l + (box.width - 1) / 2, my = t + (box.height - 1) / 2;
  BoxOutline o;
  o.lines = {{
      {l + 3, t, mx - 3, t},
      {mx + 3, t, r - 3, t},
      {r, t + 3, r, my - 3},
      {r, my + 3, r, b - 3},
      {l + 3, b, mx - 3, b},
      {mx + 3, b, r - 3, b},
      {l, t + 3, l, my - 3},
      {l, my + 3, l, b - 3},
  }};
  const int centres[8][2] = {{l, t}, {mx, t}, {r, t}, {r, my}, {r, b}, {mx, b}, {l, b}, {l, my}};
  for (int i = 0; i < 8; ++i) {
    o.squareCorners[i] = {centres[i][0] - kHandleSquareSide / 2, centres[i][1] - kHandleSquareSide / 2};
  }
  return o;
}

int WrapTransparent(int value) {
  return ((value % 101) + 101) % 101;
}

}  // namespace skin
