#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "editor/edit_rules.h"
#include "tests/editor/edit_rules_test_support.h"

namespace {

struct Rect {
  int x, y, width, height;
};

void ExpectCrop(const CIInput& input, const Rect& want) {
  EXPECT_EQ(input.cropX, want.x);
  EXPECT_EQ(input.cropY, want.y);
  EXPECT_EQ(input.cropWidth, want.width);
  EXPECT_EQ(input.cropHeight, want.height);
}

// A 1920 x 1080 source keeping (100, 50) 1600 x 900: margins left 100, top 50, right 220, bottom 130.
CIInput CroppedInput() {
  CIInput input = LoadedInput(60, 1920, 1080);
  input.cropX = 100;
  input.cropY = 50;
  input.cropWidth = 1600;
  input.cropHeight = 900;
  return input;
}

TEST(CropMarginsOf, AreTheFourDistancesToTheFrame) {
  const CropMargins loaded = MarginsOf(LoadedInput(60, 1920, 1080));
  EXPECT_EQ(loaded.left, 0);
  EXPECT_EQ(loaded.top, 0);
  EXPECT_EQ(loaded.right, 0);
  EXPECT_EQ(loaded.bottom, 0);
  const CropMargins cropped = MarginsOf(CroppedInput());
  EXPECT_EQ(cropped.left, 100);
  EXPECT_EQ(cropped.top, 50);
  EXPECT_EQ(cropped.right, 220);
  EXPECT_EQ(cropped.bottom, 130);
}

TEST(CropMinimum, IsFifteenBoxPixelsInSourcePixels) {
  struct Case {
    int width, height, boxWidth, boxHeight;
    MinimumCrop want;
  };
  const std::vector<Case> cases = {
      {1920, 1080, 320, 180, {90, 90}}, {1920, 1080, 300, 170, {96, 95}},  // integer division
      {100, 100, 400, 400, {3, 3}},                                        // a box larger than the source
      {1920, 1080, 0, 180, {0, 90}},                                       // no box: no division by zero
      {1920, 1080, 320, 0, {90, 0}},    {0, 0, 320, 180, {0, 0}},          // no video
  };
  for (const Case& c : cases) {
    const MinimumCrop minimum = MinimumCropOf(LoadedInput(60, c.width, c.height), c.boxWidth, c.boxHeight);
    EXPECT_EQ(minimum.width, c.want.width)
        << c.width << "x" << c.height << " in " << c.boxWidth << "x" << c.boxHeight;
    EXPECT_EQ(minimum.height, c.want.height)
        << c.width << "x" << c.height << " in " << c.boxWidth << "x" << c.boxHeight;
  }
}

struct MarginCase {
  const char* name;
  bool (*set)(CIInput&, int, const MinimumCrop&);
  int value;
  bool accepted;
  Rect want;
};

// Cases show by name in test listings rather than as bytes.
void PrintTo(const MarginCase& c, std::ostream* os) {
  *os << c.name;
}

class CropMarginTest : public testing::TestWithParam<MarginCase> {};

// The minimum of a 300 x 170 crop box over the 1920 x 1080 source: 96 x 95.
TEST_P(CropMarginTest, KeepsTheOppositeSideAndTheMinimum) {
  const MarginCase& c = GetParam();
  CIInput input = CroppedInput();
  EXPECT_EQ(c.set(input, c.value, MinimumCrop{96, 95}), c.accepted);
  ExpectCrop(input, c.want);
}

constexpr Rect kUnchanged{100, 50, 1600, 900};

INSTANTIATE_TEST_SUITE_P(Crop, CropMarginTest,
                         testing::Values(
                             // The right edge stays at 1700.
                             MarginCase{"LeftInside", SetCropLeft, 200, true, {200, 50, 1500, 900}},
                             MarginCase{"LeftZero", SetCropLeft, 0, true, {0, 50, 1700, 900}},
                             MarginCase{"LeftAtMinimum", SetCropLeft, 1604, true, {1604, 50, 96, 900}},
                             MarginCase{"LeftBelowMinimum", SetCropLeft, 1605, false, kUnchanged},
                             MarginCase{"LeftNegative", SetCropLeft, -1, false, kUnchanged},
                             // The bottom edge stays at 950.
                             MarginCase{"TopInside", SetCropTop, 100, true, {100, 100, 1600, 850}},
                             MarginCase{"TopAtMinimum", SetCropTop, 855, true, {100, 855, 1600, 95}},
                             MarginCase{"TopBelowMinimum", SetCropTop, 856, false, kUnchanged},
                             MarginCase{"TopNegative", SetCropTop, -1, false, kUnchanged},
                             // The left edge stays at 100.
                             MarginCase{"RightInside", SetCropRight, 300, true, {100, 50, 1520, 900}},
                             MarginCase{"RightZero", SetCropRight, 0, true, {100, 50, 1820, 900}},
                             MarginCase{"RightAtMinimum", SetCropRight, 1724, true, {100, 50, 96, 900}},
                             MarginCase{"RightBelowMinimum", SetCropRight, 1725, false, kUnchanged},
                             MarginCase{"RightNegative", SetCropRight, -5, false, kUnchanged},
                             // The top edge stays at 50.
                             MarginCase{"BottomInside", SetCropBottom, 30, true, {100, 50, 1600, 1000}},
                             MarginCase{"BottomZero", SetCropBottom, 0, true, {100, 50, 1600, 1030}},
                             MarginCase{"BottomAtMinimum", SetCropBottom, 935, true, {100, 50, 1600, 95}},
                             MarginCase{"BottomBelowMinimum", SetCropBottom, 936, false, kUnchanged},
                             MarginCase{"BottomNegative", SetCropBottom, -1, false, kUnchanged}),
                         [](const testing::TestParamInfo<MarginCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(CropBox, ScalesBetweenSourceAndBoxPixels) {
  const BoxRect32 box = CropInBox(CroppedInput(), 320, 180);
  EXPECT_EQ(box.left, 16);  // 16.67 truncated
  EXPECT_EQ(box.top, 8);    // 8.33
  EXPECT_EQ(box.width, 266);
  EXPECT_EQ(box.height, 150);

  CIInput input = LoadedInput(60, 1920, 1080);
  CropFromBox(input, BoxRect32{16, 8, 266, 150}, 320, 180);
  ExpectCrop(input, {96, 48, 1596, 900});
}

TEST(CropBox, LargeSizesDoNotOverflow) {
  CIInput input = LoadedInput(60, 40000, 30000);
  const BoxRect32 box = CropInBox(input, 100000, 90000);
  EXPECT_EQ(box.width, 100000);
  EXPECT_EQ(box.height, 90000);
  CropFromBox(input, BoxRect32{50000, 45000, 50000, 45000}, 100000, 90000);
  ExpectCrop(input, {20000, 15000, 20000, 15000});
}

TEST(CropBox, ZeroSizesNeitherDivideNorChangeTheItem) {
  const BoxRect32 none = CropInBox(LoadedInput(60, 0, 0), 320, 180);
  EXPECT_EQ(none.left, 0);
  EXPECT_EQ(none.top, 0);
  EXPECT_EQ(none.width, 0);
  EXPECT_EQ(none.height, 0);

  for (const auto& [boxWidth, boxHeight] : std::vector<std::pair<int, int>>{{0, 180}, {320, 0}, {0, 0}}) {
    CIInput input = CroppedInput();
    CropFromBox(input, BoxRect32{1, 2, 3, 4}, boxWidth, boxHeight);
    ExpectCrop(input, kUnchanged);
  }
}

TEST(CropReset, KeepsTheWholeFrameAtItsOriginalSize) {
  CIInput input = CroppedInput();
  input.zoomMode = 3;
  ResetCrop(input);
  ExpectCrop(input, {0, 0, 1920, 1080});
  EXPECT_EQ(input.zoomMode, 1);
}

}  // namespace
