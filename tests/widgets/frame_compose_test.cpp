#include "widgets/frame_compose.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <vector>

namespace {

using skin::BoxRect;
using skin::OutsideBox;

TEST(BlendByte, MovesThePanelColourTowardsTheFrameTruncatingTowardZero) {
  const struct {
    int work, source, transparent, result;
  } cases[] = {
      {0, 200, 50, 100}, {0, 201, 50, 100},  // over black at 50: 200 and 201 both give 100
      {201, 0, 50, 101},                     // −100.5 truncates toward zero, not down
      {255, 0, 75, 64},  {10, 20, 0, 10},   {10, 20, 100, 20}, {0, 255, 100, 255}, {255, 255, 37, 255},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(skin::BlendByte(uint8_t(c.work), uint8_t(c.source), c.transparent), c.result)
        << c.work << " towards " << c.source << " at " << c.transparent;
  }
}

// A 4 × 3 frame whose stored row r holds the bytes 10·r + byte index, so every byte says where it
// came from.
class ComposeTest : public ::testing::Test {
 protected:
  static constexpr int kW = 4, kH = 3, kStride = 3 * kW + 4;  // padded rows

  ComposeTest() : frameBits_(kStride * kH, 0xEE), workBits_(kStride * kH, 0xEE) {
    for (int r = 0; r < kH; ++r) {
      for (int i = 0; i < 3 * kW; ++i) {
        frameBits_[r * kStride + i] = uint8_t(100 + 10 * r + i);
      }
    }
  }

  bool Compose(const BoxRect& box, int transparent, OutsideBox outside, int frameW = kW, int frameH = kH) {
    return skin::ComposeBackground({frameW, frameH, frameBits_.data(), kStride},
                                   {kW, kH, workBits_.data(), kStride}, kPanel, box, transparent, outside);
  }
  int Work(int row, int i) const { return workBits_[row * kStride + i]; }
  int Source(int row, int i) const { return frameBits_[row * kStride + i]; }

  static constexpr std::array<uint8_t, 3> kPanel{0, 20, 40};
  std::vector<uint8_t> frameBits_;
  std::vector<uint8_t> workBits_;
};

TEST_F(ComposeTest, ShowsTheFrameInsideTheBoxAndBlendsTheRestUpsideDown) {
  const BoxRect box{1, 1, 2, 1};  // columns 1..2 of work row 1
  ASSERT_TRUE(Compose(box, 50, OutsideBox::Blend));
  for (int r = 0; r < kH; ++r) {
    const int src = kH - 1 - r;
    for (int i = 0; i < 3 * kW; ++i) {
      const bool inside = r == 1 && i >= 3 && i < 9;
      const int expected =
          inside ? Source(src, i) : skin::BlendByte(kPanel[i % 3], uint8_t(Source(src, i)), 50);
      EXPECT_EQ(Work(r, i), expected) << "row " << r << " byte " << i;
    }
  }
  // The padding after each row is not touched.
  EXPECT_EQ(workBits_[3 * kW], 0xEE);
}

TEST_F(ComposeTest, TransparencyZeroShowsOnlyThePanelColourOutside) {
  ASSERT_TRUE(Compose({0, 0, 1, 1}, 0, OutsideBox::Blend));
  EXPECT_EQ(Work(0, 0), Source(kH - 1, 0));  // inside
  for (int i = 3; i < 3 * kW; ++i) {
    EXPECT_EQ(Work(0, i), kPanel[i % 3]) << i;
  }
  ASSERT_TRUE(Compose({0, 0, 0, 0}, 100, OutsideBox::Blend));
  EXPECT_EQ(Work(2, 11), Source(0, 11));
}

TEST_F(ComposeTest, CopyModeCopiesEveryRowUpsideDown) {
  ASSERT_TRUE(Compose({0, 0, 0, 0}, 0, OutsideBox::Copy));
  for (int r = 0; r < kH; ++r) {
    for (int i = 0; i < 3 * kW; ++i) {
      EXPECT_EQ(Work(r, i), Source(kH - 1 - r, i));
    }
  }
}

TEST_F(ComposeTest, AFrameOfAnotherSizeIsNotDrawn) {
  EXPECT_FALSE(Compose({0, 0, 4, 3}, 50, OutsideBox::Blend, kW - 1, kH));
  EXPECT_FALSE(Compose({0, 0, 4, 3}, 50, OutsideBox::Copy, kW, kH + 1));
  EXPECT_EQ(Work(0, 0), 0xEE);
  EXPECT_FALSE(skin::ComposeBackground({kW, kH, nullptr, kStride}, {kW, kH, workBits_.data(), kStride},
                                       kPanel, {}, 50, OutsideBox::Copy));
}

TEST_F(ComposeTest, BoxesReachingPastThePanelAreClipped) {
  ASSERT_TRUE(Compose({-5, -5, INT_MAX, INT_MAX}, 0, OutsideBox::Blend));
  EXPECT_EQ(Work(0, 0), Source(kH - 1, 0));
  EXPECT_EQ(Work(2, 11), Source(0, 11));
  ASSERT_TRUE(Compose({INT_MAX, 0, INT_MAX, 3}, 0, OutsideBox::Blend));
  EXPECT_EQ(Work(0, 0), kPanel[0]);
}

}  // namespace
