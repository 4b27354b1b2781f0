#include "widgets/region_runs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using skin::RegionRect;

// A picture drawn in text: '.' is the key colour, '#' an ordinary colour, 'n' a colour one step away
// from the key (254, 0, 255), which is not the key.
struct TextPicture {
  std::vector<uint8_t> bits;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;

  TextPicture(const std::vector<std::string>& rows, int padding) {
    height = int(rows.size());
    width = height > 0 ? int(rows[0].size()) : 0;
    stride = 3 * width + padding;
    bits.assign(size_t(stride) * height, 0xAA);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint8_t* p = &bits[size_t(y * stride + 3 * x)];
        const char c = rows[size_t(y)][size_t(x)];
        const uint8_t rgb[3] = {uint8_t(c == '.'   ? 255
                                        : c == 'n' ? 254
                                                   : 40),
                                uint8_t(c == '#' ? 90 : 0), uint8_t(c == '#' ? 20 : 255)};
        std::copy(rgb, rgb + 3, p);
      }
    }
  }
  skin::Rgb888View View() const { return {width, height, bits.data(), stride}; }
};

std::set<std::pair<int, int>> Pixels(const std::vector<RegionRect>& rects) {
  std::set<std::pair<int, int>> pixels;
  for (const RegionRect& r : rects) {
    for (int y = r.top; y < r.top + r.height; ++y) {
      for (int x = r.left; x < r.left + r.width; ++x) {
        EXPECT_TRUE(pixels.insert({x, y}).second) << "rectangles overlap at " << x << "," << y;
      }
    }
  }
  return pixels;
}

struct RunCase {
  const char* name;
  std::vector<std::string> rows;
  std::vector<RegionRect> runs;
};

void PrintTo(const RunCase& c, std::ostream* os) {
  *os << c.name;
}

class OpaqueRunsTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(OpaqueRunsTest, GivesTheRunsOfNonKeyPixelsRowByRow) {
  const RunCase& c = GetParam();
  for (int padding : {0, 3}) {
    const TextPicture picture(c.rows, padding);
    EXPECT_EQ(skin::OpaqueRuns(picture.View(), skin::kKeyMagenta), c.runs) << "row padding " << padding;
    // Joining rows must cover exactly the same pixels.
    EXPECT_EQ(Pixels(skin::OpaqueBands(picture.View(), skin::kKeyMagenta)), Pixels(c.runs));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, OpaqueRunsTest,
    ::testing::Values(
        RunCase{"OpaqueRightmostColumnIsKept", {"..##", "...#"}, {{2, 0, 2, 1}, {3, 1, 1, 1}}},
        RunCase{"KeyRowAddsNothing", {"####", "....", "#..#"}, {{0, 0, 4, 1}, {0, 2, 1, 1}, {3, 2, 1, 1}}},
        RunCase{"KeyOnlyPictureIsEmpty", {"...", "..."}, {}},
        RunCase{"NearKeyColourIsOpaque", {".n.", "nnn"}, {{1, 0, 1, 1}, {0, 1, 3, 1}}},
        RunCase{"SeveralRunsInOneRow", {"#.##.#"}, {{0, 0, 1, 1}, {2, 0, 2, 1}, {5, 0, 1, 1}}},
        RunCase{"SinglePixel", {"#"}, {{0, 0, 1, 1}}}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST(OpaqueBands, JoinsRowsWithTheSameRunsIntoSortedBands) {
  const TextPicture picture({".##.", ".##.", "####", ".##.", "....", ".##."}, 0);
  const std::vector<RegionRect> expected = {
      {1, 0, 2, 2},
      {0, 2, 4, 1},
      {1, 3, 2, 1},
      {1, 5, 2, 1},
  };
  EXPECT_EQ(skin::OpaqueBands(picture.View(), skin::kKeyMagenta), expected);
}

TEST(OpaqueRuns, UnusablePicturesGiveNothing) {
  const TextPicture picture({"##"}, 0);
  EXPECT_TRUE(skin::OpaqueRuns({2, 1, nullptr, 6}, skin::kKeyMagenta).empty());
  EXPECT_TRUE(skin::OpaqueRuns({0, 1, picture.bits.data(), 6}, skin::kKeyMagenta).empty());
  // A stride too short for the row would read past each row.
  EXPECT_TRUE(skin::OpaqueBands({2, 1, picture.bits.data(), 5}, skin::kKeyMagenta).empty());
}

}  // namespace
