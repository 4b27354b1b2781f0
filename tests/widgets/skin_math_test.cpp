#include "widgets/skin_math.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>
#include <string>

namespace {

using skin::Size;

TEST(ButtonSize, IsOneFrameOfTheStripOrTheFallback) {
  const struct {
    Size strip;
    int divNum;
    Size size;
  } cases[] = {
      {{90, 30}, 3, {30, 30}},  // the 90-pixel strip of three frames
      {{90, 30}, 4, {22, 30}},  // frames are whole pixels; the remainder is not shown
      {{72, 18}, 4, {18, 18}}, {{14, 14}, 1, {14, 14}}, {{2, 30}, 3, {50, 30}},  // no whole frame
      {{90, 0}, 3, {50, 30}},                                                    // no height
      {{0, 0}, 3, {50, 30}},                                                     // no picture
      {{90, 30}, 0, {50, 30}},  // a frame count the strip cannot have
  };
  for (const auto& c : cases) {
    EXPECT_EQ(skin::ButtonSize(c.strip, c.divNum), c.size)
        << c.strip.width << "x" << c.strip.height << " / " << c.divNum;
  }
}

struct FrameCase {
  const char* name;
  bool enabled, pressed, hover;
  int divNum;
  int frame;
};

void PrintTo(const FrameCase& c, std::ostream* os) {
  *os << c.name;
}

class ButtonFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(ButtonFrameTest, PicksTheStateFrameOrFallsBackToNormal) {
  const FrameCase& c = GetParam();
  EXPECT_EQ(skin::ButtonFrameIndex(c.enabled, c.pressed, c.hover, c.divNum), c.frame);
}

INSTANTIATE_TEST_SUITE_P(States, ButtonFrameTest,
                         ::testing::Values(FrameCase{"NormalDiv4", true, false, false, 4, 0},
                                           FrameCase{"HoverDiv4", true, false, true, 4, 1},
                                           FrameCase{"PressedDiv4", true, true, false, 4, 2},
                                           FrameCase{"DisabledDiv4", false, false, false, 4, 3},
                                           FrameCase{"DisabledDiv3PaintsNormal", false, false, false, 3, 0},
                                           FrameCase{"PressedDiv2PaintsNormal", true, true, false, 2, 0},
                                           FrameCase{"HoverDiv1PaintsNormal", true, false, true, 1, 0},
                                           FrameCase{"DisabledWinsOverPressed", false, true, true, 4, 3},
                                           FrameCase{"PressedWinsOverHover", true, true, true, 3, 2}),
                         [](const ::testing::TestParamInfo<FrameCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(MulDiv, RoundsHalfAwayFromZeroAndNeverOverflows) {
  const struct {
    int a, b, c, result;
  } cases[] = {
      {5, 1, 2, 3},
      {-5, 1, 2, -3},
      {5, -1, 2, -3},
      {7, 3, 2, 11},
      {4, 1, 3, 1},
      {14, 144, 96, 21},
      {INT_MAX, 2, 1, INT_MAX},
      {INT_MIN, 2, 1, INT_MIN},
      {INT_MAX, 3, 3, INT_MAX},
      {9, 5, 0, 9},  // no divisor: unscaled
  };
  for (const auto& c : cases) {
    EXPECT_EQ(skin::MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
  }
}

TEST(ScaledStripSize, ScalesEachFrameAndTheWholeHeight) {
  // 150 % density: each 30-pixel frame becomes 45, the 31-pixel height 47 (46.5 rounded).
  EXPECT_EQ(skin::ScaledStripSize({90, 31}, 3, 3, 2), (Size{135, 47}));
  // A 4-frame strip 90 wide has 22-pixel frames; the strip shrinks to whole frames.
  EXPECT_EQ(skin::ScaledStripSize({90, 30}, 4, 1, 1), (Size{88, 30}));
  EXPECT_EQ(skin::ScaledPictureSize({850, 585}, 5, 4), (Size{1063, 731}));
}

TEST(NumberFrame, ShowsTheValuesFrameOnlyWhenTheStripHasIt) {
  const struct {
    int stripWidth, min, max, value;
    std::optional<skin::StripSlice> slice;
  } cases[] = {
      {160, 0, 9, 0, skin::StripSlice{0, 16}},
      {160, 0, 9, 3, skin::StripSlice{48, 16}},
      {160, 0, 9, 9, skin::StripSlice{144, 16}},
      {80, 5, 9, 6, skin::StripSlice{16, 16}},
      {160, 0, 9, 10, std::nullopt},  // above Max
      {160, 0, 9, -1, std::nullopt},  // below Min
      {160, 5, 4, 4, std::nullopt},   // Max below Min: no frames at all
      {5, 0, 9, 0, std::nullopt},     // narrower than one pixel a frame
      {160, INT_MIN, INT_MAX, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(skin::NumberFrame(c.stripWidth, c.min, c.max, c.value), c.slice)
        << c.stripWidth << " " << c.min << ".." << c.max << " = " << c.value;
  }
}

}  // namespace
