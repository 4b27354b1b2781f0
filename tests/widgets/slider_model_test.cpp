#include "widgets/slider_model.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using skin::SliderModel;

// The main window's preview slider: track at column 40 of its window, 263 wide, range 1..262, and a
// 14-pixel thumb.
class SliderModelTest : public ::testing::Test {
 protected:
  static constexpr int kLeft = 40, kThumb = 14, kHalf = kThumb / 2;

  SliderModelTest() {
    model_.SetLeft(kLeft);
    model_.SetThumb(true, kThumb);
    model_.SetExtRange(1, 261);
  }
  int ThumbCentre() const { return model_.ThumbLeft() + kHalf; }
  int RangeStart() const { return kLeft + 1; }

  SliderModel model_;
};

TEST_F(SliderModelTest, StartsEmptyWithTheThumbOnTheRangeStart) {
  EXPECT_EQ(model_.FillLeft(), RangeStart());
  EXPECT_EQ(model_.FillWidth(), 0);
  EXPECT_EQ(ThumbCentre(), RangeStart());
  EXPECT_EQ(model_.Getprocess(), 0);
}

TEST_F(SliderModelTest, FiftyPercentOf261IsPixel130AndReads49) {
  model_.Setprocess(50);
  EXPECT_EQ(ThumbCentre() - RangeStart(), 130);
  EXPECT_EQ(model_.FillWidth(), 130);
  EXPECT_EQ(model_.Getprocess(), 49);  // 130 / 261 = 49.8 %, truncated
}

TEST_F(SliderModelTest, PositionsBeyondTheRangeKeepTheThumbInsideButNotTheFill) {
  model_.Setprocess(150);
  EXPECT_EQ(ThumbCentre(), RangeStart() + 261);
  EXPECT_EQ(model_.FillWidth(), 391);
  EXPECT_EQ(model_.Getprocess(), 100);
  model_.Setprocess(-10);
  EXPECT_EQ(ThumbCentre(), RangeStart());
  EXPECT_EQ(model_.FillWidth(), -26);
}

TEST_F(SliderModelTest, EveryWholePercentOfAHundredPixelsReadsBackExactly) {
  model_.SetExtRange(0, 100);
  for (int p = 0; p <= 100; ++p) {
    model_.Setprocess(p);
    ASSERT_EQ(model_.Getprocess(), p) << p;
    ASSERT_EQ(model_.FillWidth(), p);
  }
}

TEST_F(SliderModelTest, ClicksCentreTheThumbOnThePointAndReportIt) {
  // Track coordinates: x = 100 is column 140 of the window, 99 pixels into the range.
  EXPECT_EQ(model_.ClickTrack(100), 37);
  EXPECT_EQ(ThumbCentre(), kLeft + 100);
  EXPECT_EQ(model_.FillWidth(), 99);
  EXPECT_EQ(model_.ClickTrack(5000), 100);
  EXPECT_EQ(ThumbCentre(), RangeStart() + 261);
  EXPECT_EQ(model_.ClickTrack(-20), 0);
  // A press on the fill counts from the fill's own left edge.
  EXPECT_EQ(model_.ClickFill(99), 37);
  EXPECT_EQ(ThumbCentre(), kLeft + 100);
}

TEST_F(SliderModelTest, DragsReportOnlyAtTheEndUnlessMovesAreNotified) {
  model_.ThumbDown(3);
  EXPECT_EQ(model_.ThumbMove(3 + 50), std::nullopt);
  EXPECT_EQ(model_.ThumbMove(3 + 50), std::nullopt);
  EXPECT_EQ(ThumbCentre(), RangeStart() + 100);
  EXPECT_EQ(model_.FillWidth(), 100);
  EXPECT_EQ(model_.ThumbUp(), 38);
  EXPECT_FALSE(model_.ThumbDragging());
  // Moves after the release do nothing.
  EXPECT_EQ(model_.ThumbMove(300), std::nullopt);
  EXPECT_EQ(ThumbCentre(), RangeStart() + 100);

  model_.SetMoveChangeNotify(true);
  model_.ThumbDown(0);
  EXPECT_EQ(model_.ThumbMove(-261), 0);
  EXPECT_EQ(model_.ThumbMove(1000), 100);
}

TEST_F(SliderModelTest, RangeModeHoldsTheThumbToTheFillStretchUnlessFree) {
  model_.SetImage2Range(51, 100);        // the fill marks columns 91..190
  EXPECT_EQ(ThumbCentre(), kLeft + 51);  // pulled in from the range start
  model_.ThumbDown(0);
  model_.ThumbMove(1000);
  EXPECT_EQ(ThumbCentre(), kLeft + 151);
  EXPECT_EQ(model_.FillWidth(), 100);  // the fill no longer follows
  model_.ThumbMove(-1000);
  EXPECT_EQ(ThumbCentre(), kLeft + 51);
  model_.Setprocess(100);
  EXPECT_EQ(ThumbCentre(), kLeft + 151);

  model_.SetFreeMode(true);
  model_.ThumbMove(-1000);
  EXPECT_EQ(ThumbCentre(), RangeStart());
  model_.ThumbMove(1000);
  EXPECT_EQ(ThumbCentre(), RangeStart() + 261);
  EXPECT_EQ(model_.FillWidth(), 100);
}

TEST_F(SliderModelTest, MovingTheTrackCarriesFillAndThumb) {
  model_.Setprocess(50);
  const int thumb = model_.ThumbLeft();
  model_.MoveBy(-15);
  EXPECT_EQ(model_.ThumbLeft(), thumb - 15);
  EXPECT_EQ(model_.FillLeft(), RangeStart() - 15);
  EXPECT_EQ(model_.Getprocess(), 49);
}

TEST(SliderModel, WithoutAThumbOnlyTheFillFollows) {
  SliderModel bar;
  bar.SetExtRange(0, 200);
  bar.Setprocess(40);
  EXPECT_EQ(bar.FillWidth(), 80);
  EXPECT_EQ(bar.Getprocess(), 0);
  EXPECT_EQ(bar.ClickTrack(100), std::nullopt);
  bar.ThumbDown(1);
  EXPECT_FALSE(bar.ThumbDragging());
  EXPECT_EQ(bar.ThumbUp(), std::nullopt);
}

TEST(SliderModel, AnEmptyRangeReadsZero) {
  SliderModel model;
  model.SetThumb(true, 10);
  model.SetExtRange(1, 0);
  model.Setprocess(50);
  EXPECT_EQ(model.Getprocess(), 0);
  EXPECT_EQ(model.ClickTrack(30), 0);
}

}  // namespace
