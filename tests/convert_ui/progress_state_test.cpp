#include "convert/progress_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// A wall clock the test moves by hand.
class ProgressStateTest : public ::testing::Test {
 protected:
  ProgressState Make(const std::vector<double>& durations) {
    ProgressState state([this] { return now_; });
    for (size_t i = 0; i < durations.size(); ++i) {
      state.AddJob(durations[i], "/out/job" + std::to_string(i) + ".mp4");
    }
    return state;
  }

  int64_t now_ = 1'000'000;
};

TEST_F(ProgressStateTest, PercentagesStopAtAHundredWhenThePositionRunsPastTheJob) {
  ProgressState state = Make({10.0, 10.0});
  state.Started();

  const ProgressView within = state.Display(5.9);
  EXPECT_EQ(within.currentPercent, 50) << "the position counts in whole seconds";
  EXPECT_EQ(within.overallPercent, 25);

  const ProgressView past = state.Display(25.0);
  EXPECT_EQ(past.currentPercent, 100);
  EXPECT_EQ(past.overallPercent, 100) << "25 of 20 seconds";

  ASSERT_EQ(state.Advance(1), ProgressState::Step::JobChanged);
  const ProgressView last = state.Display(40.0);
  EXPECT_EQ(last.currentPercent, 100);
  EXPECT_EQ(last.overallPercent, 100);
}

TEST_F(ProgressStateTest, ASkipAddsOnlyTheDurationOfTheJobThatWasCurrent) {
  ProgressState state = Make({10.0, 20.0, 30.0});
  EXPECT_DOUBLE_EQ(state.TotalDuration(), 60.0);
  EXPECT_EQ(state.TaskIndexText(), "[1/3]");

  EXPECT_EQ(state.Advance(2), ProgressState::Step::JobChanged);
  EXPECT_DOUBLE_EQ(state.DoneDuration(), 10.0);
  EXPECT_EQ(state.CurrentIndex(), 2);
  EXPECT_EQ(state.TaskIndexText(), "[3/3]");
  EXPECT_EQ(state.CurrentFileName(), "job2.mp4");
  EXPECT_EQ(state.Display(0.0).overallPercent, 16) << "10 of 60 seconds";
}

TEST_F(ProgressStateTest, IndicesBehindTheCurrentJobOrOutsideTheListAreIgnored) {
  ProgressState state = Make({10.0, 20.0, 30.0});
  ASSERT_EQ(state.Advance(1), ProgressState::Step::JobChanged);

  const struct {
    int32_t index;
    ProgressState::Step step;
  } cases[] = {
      {1, ProgressState::Step::SameJob},
      {0, ProgressState::Step::Ignored},
      {-1, ProgressState::Step::Ignored},
      {3, ProgressState::Step::Ignored},
      {std::numeric_limits<int32_t>::max(), ProgressState::Step::Ignored},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(state.Advance(c.index), c.step) << c.index;
    EXPECT_EQ(state.CurrentIndex(), 1) << c.index;
    EXPECT_DOUBLE_EQ(state.DoneDuration(), 10.0) << c.index;
  }
}

TEST_F(ProgressStateTest, ElapsedAndRemainingFollowTheWallClock) {
  ProgressState state = Make({20.0});
  state.Started();
  now_ += 10;

  const ProgressView view = state.Display(5.0);
  ASSERT_TRUE(view.elapsed && view.remaining);
  EXPECT_EQ(*view.elapsed, 10);
  EXPECT_EQ(*view.remaining, 30) << "10 s for 5 s done, 15 s to go";
  EXPECT_EQ(view.lengthText, "00:00:05 / 00:00:20");
}

TEST_F(ProgressStateTest, TimesAreFrozenAtPositionZeroAndWhilePaused) {
  ProgressState state = Make({20.0});
  state.Started();
  now_ += 7;
  EXPECT_FALSE(state.Display(0.0).elapsed) << "nothing converted yet";
  EXPECT_FALSE(state.Display(0.4).elapsed) << "less than a whole second";

  state.Pause();
  EXPECT_FALSE(state.Running());
  now_ += 30;
  EXPECT_FALSE(state.Display(8.0).elapsed) << "paused";

  state.Continue();
  now_ += 3;
  const ProgressView resumed = state.Display(9.0);
  ASSERT_TRUE(resumed.elapsed);
  EXPECT_EQ(*resumed.elapsed, 10) << "the 30 paused seconds are not elapsed time";
}

TEST_F(ProgressStateTest, TwoPausesBeforeAnyRedrawBothCountAsPaused) {
  ProgressState state = Make({100.0});
  state.Started();
  now_ += 5;
  state.Pause();
  now_ += 20;
  state.Continue();
  now_ += 5;
  state.Pause();
  now_ += 40;
  state.Continue();
  now_ += 5;
  const ProgressView view = state.Display(10.0);
  ASSERT_TRUE(view.elapsed);
  EXPECT_EQ(*view.elapsed, 15);
}

TEST_F(ProgressStateTest, TimeInTheStopQuestionCountsAsPausedWhenDeclined) {
  ProgressState state = Make({100.0});
  state.Started();
  now_ += 10;
  state.BeginStopQuestion();
  EXPECT_FALSE(state.Running());
  now_ += 25;
  state.StopDeclined(true);
  EXPECT_TRUE(state.Running());
  const ProgressView view = state.Display(4.0);
  ASSERT_TRUE(view.elapsed);
  EXPECT_EQ(*view.elapsed, 10);
}

TEST_F(ProgressStateTest, AStopQuestionWhilePausedKeepsThePauseAndItsStart) {
  ProgressState state = Make({100.0});
  state.Started();
  now_ += 10;
  state.Pause();
  now_ += 20;
  state.BeginStopQuestion();
  now_ += 5;
  state.StopDeclined(false);
  EXPECT_FALSE(state.Running()) << "a paused conversion stays paused";
  EXPECT_FALSE(state.Display(6.0).elapsed);

  now_ += 15;
  state.Continue();
  const ProgressView view = state.Display(6.0);
  ASSERT_TRUE(view.elapsed);
  EXPECT_EQ(*view.elapsed, 10) << "paused from the Pause click on, not from the question";
}

TEST_F(ProgressStateTest, RemainingTimeIsNeverNegativeNorWrapped) {
  ProgressState past = Make({10.0});
  past.Started();
  now_ += 20;
  const ProgressView beyond = past.Display(15.0);
  ASSERT_TRUE(beyond.remaining);
  EXPECT_EQ(*beyond.remaining, 0);

  ProgressState longJob = Make({300000.0});
  longJob.Started();
  now_ += 20000;
  const ProgressView slow = longJob.Display(1.0);
  ASSERT_TRUE(slow.remaining);
  EXPECT_EQ(*slow.remaining, std::numeric_limits<int32_t>::max()) << "20000 * 299999 does not fit 32 bits";

  // A clock set back while converting (by hand, or by the time service) gives no negative times.
  ProgressState setBack = Make({100.0});
  setBack.Started();
  now_ -= 60;
  const ProgressView behind = setBack.Display(10.0);
  ASSERT_TRUE(behind.elapsed && behind.remaining);
  EXPECT_EQ(*behind.elapsed, 0);
  EXPECT_EQ(*behind.remaining, 0);
}

TEST_F(ProgressStateTest, JobsShorterThanASecondDivideByNothing) {
  ProgressState state = Make({0.4});
  state.Started();
  now_ += 3;
  const ProgressView running = state.Display(0.3);
  EXPECT_EQ(running.currentPercent, 0);
  EXPECT_EQ(running.overallPercent, 0);
  const ProgressView overrun = state.Display(2.0);
  EXPECT_EQ(overrun.currentPercent, 0);
  EXPECT_EQ(overrun.overallPercent, 0);
  const ProgressView end = state.DisplayEnd();
  EXPECT_EQ(end.currentPercent, 100);
  EXPECT_EQ(end.overallPercent, 100);
  EXPECT_EQ(end.lengthText, "00:00:00 / 00:00:00");

  // Among longer jobs the short one still shows, and the batch is measured by the others.
  ProgressState mixed = Make({0.5, 10.0});
  EXPECT_EQ(mixed.Display(0.0).currentPercent, 0);
  ASSERT_EQ(mixed.Advance(1), ProgressState::Step::JobChanged);
  EXPECT_EQ(mixed.Display(5.0).overallPercent, 50);
}

TEST_F(ProgressStateTest, TheEndShowsTheCurrentJobAtItsFullLength) {
  ProgressState state = Make({10.7, 20.0});
  const ProgressView end = state.DisplayEnd();
  EXPECT_EQ(end.currentPercent, 100);
  EXPECT_EQ(end.overallPercent, 33) << "10 of 30 seconds: the second job never ran";
  EXPECT_EQ(end.lengthText, "00:00:10 / 00:00:10");
}

TEST_F(ProgressStateTest, DamagedDurationsAndPositionsCountAsNothing) {
  ProgressState state = Make({std::nan(""), -5.0, 10.0});
  EXPECT_DOUBLE_EQ(state.TotalDuration(), 10.0);
  EXPECT_EQ(state.Display(std::nan("")).currentPercent, 0);
  EXPECT_EQ(state.Display(-3.0).lengthText, "00:00:00 / 00:00:00");
}

TEST(WholeSeconds, TruncatesAndSaturates) {
  const struct {
    double seconds;
    int32_t whole;
  } cases[] = {
      {0.0, 0},
      {0.99, 0},
      {1.0, 1},
      {61.9, 61},
      {-0.5, 0},
      {-100.0, 0},
      {std::nan(""), 0},
      {std::numeric_limits<double>::infinity(), std::numeric_limits<int32_t>::max()},
      {1e12, std::numeric_limits<int32_t>::max()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WholeSeconds(c.seconds), c.whole) << c.seconds;
  }
}

TEST(ProgressStateLabels, TheFileNameIsThePartAfterTheLastSlash) {
  ProgressState state;
  state.AddJob(1.0, "/home/me/Videos/out/clip.final.mp4");
  state.AddJob(1.0, "bare.mp4");
  EXPECT_EQ(state.CurrentFileName(), "clip.final.mp4");
  ASSERT_EQ(state.Advance(1), ProgressState::Step::JobChanged);
  EXPECT_EQ(state.CurrentFileName(), "bare.mp4");

  ProgressState empty;
  EXPECT_EQ(empty.CurrentFileName(), "");
  EXPECT_EQ(empty.TaskIndexText(), "[1/0]");
  EXPECT_EQ(empty.DisplayEnd().currentPercent, 100);
}

}  // namespace
