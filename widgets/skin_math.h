#pragma once

#include <optional>

namespace skin {

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// a × b / c in 64 bits, rounded half away from zero. A zero divisor leaves `a` unscaled.
int MulDiv(int a, int b, int c);

// Button state strips hold 1 to 4 frames side by side: normal, mouse over, pressed, disabled.
inline constexpr int kMinDivNum = 1;
inline constexpr int kMaxDivNum = 4;
inline constexpr int kDefaultDivNum = 3;
constexpr bool IsValidDivNum(int divNum) {
  return divNum >= kMinDivNum && divNum <= kMaxDivNum;
}

enum class ButtonFrame { Normal = 0, MouseOn = 1, MouseDown = 2, Disabled = 3 };

// The frame a button paints: disabled before pressed before hovered. A state whose frame the strip
// does not hold falls back to the normal frame.
int ButtonFrameIndex(bool enabled, bool pressed, bool hover, int divNum);

// A button's size: one frame of the strip, or 50 × 30 when the strip has no whole frame.
Size ButtonSize(Size strip, int divNum);
inline constexpr Size kButtonFallbackSize{50, 30};

// The strip scaled by M/D frame by frame, so every frame stays equally wide.
Size ScaledStripSize(Size strip, int divNum, int m, int d);
// A window picture scaled by M/D.
Size ScaledPictureSize(Size picture, int m, int d);

// Which part of a digit strip a number display shows: the left edge and width of frame
// value − min, or nothing when the strip has no frame for it.
struct StripSlice {
  int left = 0;
  int width = 0;
  friend bool operator==(const StripSlice&, const StripSlice&) = default;
};
std::optional<StripSlice> NumberFrame(int stripWidth, int min, int max, int value);

}  // namespace skin
