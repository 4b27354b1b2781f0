#include "widgets/box_drag.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <random>
#include <string>

namespace skin {

void PrintTo(const BoxRect& r, std::ostream* os) {
  *os << "(" << r.left << "," << r.top << " " << r.width << "x" << r.height << ")";
}

}  // namespace skin

namespace {

using skin::BoxRect;
using skin::DragState;

constexpr BoxRect kBox{10, 10, 100, 50};  // columns 10..109, rows 10..59

TEST(HitTest, NamesThePartOfTheRectangleUnderThePoint) {
  const struct {
    int x, y;
    DragState state;
  } cases[] = {
      {9, 10, DragState::Outside},     {110, 30, DragState::Outside},  // the right edge is exclusive
      {60, 60, DragState::Outside},    {10, 10, DragState::TopLeft},      {14, 14, DragState::TopLeft},
      {15, 10, DragState::Top},        {104, 14, DragState::Top},         {105, 10, DragState::TopRight},
      {109, 30, DragState::Right},     {109, 59, DragState::BottomRight}, {60, 59, DragState::Bottom},
      {10, 59, DragState::BottomLeft}, {10, 30, DragState::Left},         {14, 54, DragState::Left},
      {15, 15, DragState::Move},       {104, 54, DragState::Move},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(skin::HitTest(kBox, skin::kHandleSize, c.x, c.y, DragState::Move), c.state)
        << c.x << "," << c.y;
  }
  // An empty or inverted rectangle has nothing to grab.
  EXPECT_EQ(skin::HitTest({10, 10, 0, 50}, 5, 10, 20, DragState::Move), DragState::Outside);
  EXPECT_EQ(skin::HitTest({10, 10, -5, 50}, 5, 8, 20, DragState::Move), DragState::Outside);
}

TEST(HitTest, ARectangleNarrowerThanTwoBandsIsAllEdgesAndCorners) {
  // Columns 10..17: the left band is 10..14, the right band 13..17; where they overlap the parts are
  // taken in their order, so the right edge comes before the left one.
  const BoxRect narrow{10, 10, 8, 40};
  EXPECT_EQ(skin::HitTest(narrow, 5, 12, 30, DragState::Outside), DragState::Left);
  EXPECT_EQ(skin::HitTest(narrow, 5, 14, 30, DragState::Outside), DragState::Right);
  EXPECT_EQ(skin::HitTest(narrow, 5, 14, 12, DragState::Outside), DragState::TopLeft);
  EXPECT_EQ(skin::HitTest(narrow, 5, 16, 12, DragState::Outside), DragState::TopRight);
}

struct StepCase {
  const char* name;
  BoxRect box;
  DragState state;
  int dx, dy;
  BoxRect result;
};

void PrintTo(const StepCase& c, std::ostream* os) {
  *os << c.name;
}

class DragStepTest : public ::testing::TestWithParam<StepCase> {};

constexpr int kPanelW = 320, kPanelH = 240;
constexpr BoxRect kStart{50, 40, 100, 80};

TEST_P(DragStepTest, MovesTheGrabbedSidesWithinTheirLimits) {
  const StepCase& c = GetParam();
  EXPECT_EQ(skin::DragStep(c.box, c.state, c.dx, c.dy, kPanelW, kPanelH, skin::kHandleSize), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DragStepTest,
    ::testing::Values(
        StepCase{"LeftEdgeRightStopsAtWidth15", kStart, DragState::Left, 200, 0, {135, 40, 15, 80}},
        StepCase{"LeftEdgeLeftStopsAtColumn0", kStart, DragState::Left, -500, 0, {0, 40, 150, 80}},
        StepCase{"MoveAgainstRightBorderKeepsWidth", kStart, DragState::Move, 1000, 0, {220, 40, 100, 80}},
        StepCase{"MoveToTopLeftCorner", kStart, DragState::Move, -1000, -1000, {0, 0, 100, 80}},
        StepCase{"TopEdgeIgnoresSidewaysMotion", kStart, DragState::Top, 300, -22, {50, 18, 100, 102}},
        StepCase{"BottomRightGrowsToPanel", kStart, DragState::BottomRight, 1000, 1000, {50, 40, 270, 200}},
        StepCase{"BottomRightShrinksTo15", kStart, DragState::BottomRight, -1000, -1000, {50, 40, 15, 15}},
        StepCase{"TopLeftShrinksTo15", kStart, DragState::TopLeft, 1000, 1000, {135, 105, 15, 15}},
        StepCase{"TopRightCorner", kStart, DragState::TopRight, 7, -9, {50, 31, 107, 89}},
        StepCase{"BottomLeftCorner", kStart, DragState::BottomLeft, -7, 9, {43, 40, 107, 89}},
        StepCase{"RightEdgeOnly", kStart, DragState::Right, 30, 30, {50, 40, 130, 80}},
        StepCase{"BottomEdgeOnly", kStart, DragState::Bottom, 30, 30, {50, 40, 100, 110}},
        StepCase{"OutsideChangesNothing", kStart, DragState::Outside, 30, 30, kStart},
        // Narrower than 15 at the left border: the border holds, the box only grows toward 15.
        StepCase{"NarrowBoxAtLeftBorderStaysInside", {2, 40, 10, 80}, DragState::Left, 0, 0, {0, 40, 12, 80}},
        StepCase{"NarrowBoxAtRightBorderStaysInside",
                 {308, 40, 10, 80},
                 DragState::Right,
                 0,
                 0,
                 {308, 40, 12, 80}},
        StepCase{"LowBoxAtTopBorderStaysInside", {50, 3, 100, 6}, DragState::Top, 0, 0, {50, 0, 100, 9}}),
    [](const ::testing::TestParamInfo<StepCase>& info) { return std::string(info.param.name); });

// Whatever the pointer does, a drag never takes the box out of the panel, an edge drag never makes it
// smaller than 15 pixels, the sides that were not grabbed stay, and a move keeps the size.
TEST(DragStep, RandomDragsKeepEveryPromise) {
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int> delta(-400, 400);
  std::uniform_int_distribution<int> state(1, 9);
  BoxRect box = kStart;
  for (int i = 0; i < 20000; ++i) {
    const DragState s = DragState(state(random));
    const int dx = delta(random), dy = delta(random);
    const BoxRect next = skin::DragStep(box, s, dx, dy, kPanelW, kPanelH, skin::kHandleSize);
    SCOPED_TRACE(::testing::PrintToString(box) + " state " + std::to_string(int(s)) + " by " +
                 std::to_string(dx) + "," + std::to_string(dy));
    ASSERT_GE(next.left, 0);
    ASSERT_GE(next.top, 0);
    ASSERT_LE(next.left + next.width, kPanelW);
    ASSERT_LE(next.top + next.height, kPanelH);
    ASSERT_GE(next.width, 15);
    ASSERT_GE(next.height, 15);
    const int si = int(s);
    const bool left = si == 1 || si == 7 || si == 8, right = si == 3 || si == 4 || si == 5;
    const bool top = si == 1 || si == 2 || si == 3, bottom = si == 5 || si == 6 || si == 7;
    if (s == DragState::Move) {
      ASSERT_EQ(next.width, box.width);
      ASSERT_EQ(next.height, box.height);
      continue;
    }
    if (!left) {
      ASSERT_EQ(next.left, box.left);
    }
    if (!right) {
      ASSERT_EQ(next.left + next.width, box.left + box.width);
    }
    if (!top) {
      ASSERT_EQ(next.top, box.top);
    }
    if (!bottom) {
      ASSERT_EQ(next.top + next.height, box.top + box.height);
    }
    box = next;
  }
}

TEST(WrapTransparent, WrapsEveryIntegerIntoAPercentage) {
  const struct {
    int value, stored;
  } cases[] = {{150, 49}, {-1, 100}, {101, 0}, {100, 100},    {0, 0},
               {50, 50},  {-101, 0}, {202, 0}, {INT_MAX, 33}, {INT_MIN, 67}};
  for (const auto& c : cases) {
    EXPECT_EQ(skin::WrapTransparent(c.value), c.stored) << c.value;
  }
}

}  // namespace
