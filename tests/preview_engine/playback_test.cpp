#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/convert_engine/engine_harness.h"
#include "tests/convert_engine/media_maker.h"
#include "tests/preview_engine/preview_harness.h"

namespace {

using namespace preview_harness;
using engine_harness::Fixture;
using engine_harness::InputFor;

// 25 pictures a second, each carrying its number, and a key frame only every 100 pictures, so that a
// seek that lands on the key frame before its second shows the wrong number.
const std::string& Counted() {
  media_maker::ClipPlan plan;
  plan.seconds = 6.0;
  plan.frameCounter = true;
  plan.keyframeEvery = 100;
  return Fixture("counted.mkv", plan);
}

int ShownNumber(const RecordingSink& sink, Kind kind = Kind::kView) {
  return output_probe::CounterValue(ToPicture(sink.Last(kind), 320, 240));
}

// Waits for the next view picture after the ones counted so far and returns its number.
int NextShown(const RecordingSink& sink, int seen) {
  return sink.WaitFor(Kind::kView, seen + 1) ? ShownNumber(sink) : -2;
}

class Playback : public testing::Test {
 protected:
  bool Open(const CIInput& input, const ViewPlan& plan = {}) {
    const PreviewOpen record = OpenRecord(input, &sink_, plan);
    return preview_->Open(&record);
  }

  RecordingSink sink_;
  PreviewPtr preview_ = NewPreview();
};

TEST_F(Playback, OpensPausedOnTheFirstPictureOfTheRange) {
  CIInput input = InputFor(Counted());
  input.clipStart = 2.0;
  input.clipLength = 2.0;
  ASSERT_TRUE(Open(input));
  ASSERT_TRUE(sink_.WaitFor(Kind::kView, 1));
  EXPECT_EQ(ShownNumber(sink_), 50);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(sink_.Count(Kind::kView), 1) << "nothing plays before Play";
  double position = -1;
  EXPECT_EQ(preview_->GetPosition(&position), 0);
  EXPECT_NEAR(position, 2.0, 0.04) << "the time of that picture";
}

TEST_F(Playback, SeekShowsThePictureOfThatSecondAlsoWhilePaused) {
  ASSERT_TRUE(Open(InputFor(Counted())));
  ASSERT_TRUE(sink_.WaitFor(Kind::kView, 1));
  struct Case {
    int second;
    int number;
  };
  int seen = sink_.Count(Kind::kView);
  for (const Case& c : {Case{3, 75}, Case{1, 25}, Case{5, 125}, Case{0, 0}}) {
    preview_->Seek(c.second);
    EXPECT_EQ(NextShown(sink_, seen), c.number) << "Seek(" << c.second << ")";
    seen = sink_.Count(Kind::kView);
    double position = -1;
    EXPECT_EQ(preview_->GetPosition(&position), 0);
    EXPECT_NEAR(position, c.second, 0.04) << "the time of that picture";
  }
}

TEST_F(Playback, StepFrameShowsTheNextPictureAndStaysPaused) {
  ASSERT_TRUE(Open(InputFor(Counted())));
  ASSERT_TRUE(sink_.WaitFor(Kind::kView, 1));
  preview_->Seek(2);
  ASSERT_EQ(NextShown(sink_, 1), 50);
  for (int expected = 51; expected <= 53; ++expected) {
    const int seen = sink_.Count(Kind::kView);
    preview_->StepFrame();
    EXPECT_EQ(NextShown(sink_, seen), expected);
  }
  const int seen = sink_.Count(Kind::kView);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(sink_.Count(Kind::kView), seen) << "a step leaves the preview paused";
  double position = 0;
  preview_->GetPosition(&position);
  EXPECT_NEAR(position, 53 / 25.0, 0.04);

  // Playing on from a step, then a step while playing pauses again.
  preview_->Play();
  ASSERT_TRUE(sink_.WaitFor(Kind::kView, seen + 3));
  preview_->StepFrame();
  std::this_thread::sleep_for(100ms);
  const int paused = sink_.Count(Kind::kView);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(sink_.Count(Kind::kView), paused);
}

TEST_F(Playback, PlaysTheRangeInRealTimeAndReportsItsEnd) {
  CIInput input = InputFor(Counted());
  input.clipStart = 1.0;
  input.clipLength = 1.0;
  ASSERT_TRUE(Open(input));
  ASSERT_TRUE(sink_.WaitFor(Kind::kView, 1));
  const auto start = std::chrono::steady_clock::now();
  preview_->Play();
  double end = 0;
  ASSERT_TRUE(PollUntil(
      *preview_,
      [&](int32_t status, double position) {
        end = position;
        return status != 0;
      },
      5s));
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_NEAR(took, 1.0, 0.25) << "the range lasts one second";
  EXPECT_NEAR(end, 2.0, 0.1);
  EXPECT_GE(ShownNumber(sink_), 47) << "the range's last pictures were shown";
  EXPECT_LE(ShownNumber(sink_), 49) << "no picture past the range";
  const ffengine::PlaybackStats stats = preview_->Stats();
  EXPECT_GE(stats.shown, 23);
  EXPECT_LE(stats.dropped, 2);

  // A seek back into the range plays again.
  preview_->Seek(1);
  double position = 0;
  EXPECT_EQ(preview_->GetPosition(&position), 0);
}

TEST_F(Playback, SoundOnlyFilesPlayOnTheirOwnClock) {
  media_maker::ClipPlan plan;
  plan.video = false;
  plan.seconds = 2.0;
  CIInput input = InputFor(Fixture("tone.mka", plan));
  input.clipLength = 1.0;
  ASSERT_TRUE(Open(input));
  preview_->Play();
  ASSERT_TRUE(PollUntil(
      *preview_, [](int32_t status, double) { return status != 0; }, 5s));
  EXPECT_EQ(sink_.Count(Kind::kView), 0);
  EXPECT_FALSE(preview_->Snapshot()) << "no picture to take";
}

TEST_F(Playback, WithoutASoundDevicePlaysSilentlyOnTheSteadyClock) {
  ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  CIInput input = InputFor(Counted());
  input.clipLength = 1.0;
  ASSERT_TRUE(Open(input));
  const auto start = std::chrono::steady_clock::now();
  preview_->Play();
  ASSERT_TRUE(PollUntil(
      *preview_, [](int32_t status, double) { return status != 0; }, 5s));
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_NEAR(took, 1.0, 0.25);
  EXPECT_NE(sink_.Log().find("no sound device"), std::string::npos) << "the log says why it is silent";
  EXPECT_FALSE(preview_->HasSound());

  // A file of sound only runs its time silently too.
  media_maker::ClipPlan plan;
  plan.video = false;
  plan.seconds = 2.0;
  CIInput sound = InputFor(Fixture("tone.mka", plan));
  sound.clipLength = 1.0;
  ASSERT_TRUE(Open(sound));
  const auto soundStart = std::chrono::steady_clock::now();
  preview_->Play();
  ASSERT_TRUE(PollUntil(
      *preview_, [](int32_t status, double) { return status != 0; }, 5s));
  EXPECT_NEAR(std::chrono::duration<double>(std::chrono::steady_clock::now() - soundStart).count(), 1.0,
              0.25);
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST_F(Playback, CloseWhilePlayingIsQuickAndFinal) {
  ASSERT_TRUE(Open(InputFor(Counted()), ViewPlan().WithCropView(160, 120)));
  preview_->Play();
  ASSERT_TRUE(sink_.WaitFor(Kind::kView, 10));
  const auto start = std::chrono::steady_clock::now();
  preview_->Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);
  const int calls = sink_.Calls();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(sink_.Calls(), calls) << "nothing is delivered after Close";
  double position = 0;
  EXPECT_NE(preview_->GetPosition(&position), 0) << "a closed preview is over";
  // Every call came from the engine's own threads.
  for (const std::thread::id& thread : sink_.Threads()) {
    EXPECT_NE(thread, std::this_thread::get_id());
  }
}

// The window calls these on its own thread while the engine works: each only leaves a request.
TEST_F(Playback, ControlsReturnAtOnceWhilePlaying) {
  media_maker::ClipPlan plan;
  plan.width = 640;
  plan.height = 360;
  plan.seconds = 4.0;
  plan.frameCounter = true;
  plan.keyframeEvery = 100;
  CIInput input = InputFor(Fixture("busy.mkv", plan));
  ASSERT_TRUE(Open(input, ViewPlan().Sized(640, 360).WithCropView(320, 180).WithSnapshot(640, 360)));
  preview_->Play();
  const std::string mark = engine_harness::Picture("busy_mark.png", 64, 48, media_maker::Rgb{0, 255, 0});
  std::vector<double> took;
  const auto end = std::chrono::steady_clock::now() + 1500ms;
  for (int call = 0; std::chrono::steady_clock::now() < end; ++call) {
    const auto start = std::chrono::steady_clock::now();
    double position = 0;
    switch (call % 9) {
      case 0:
        preview_->Pause();
        break;
      case 1:
        preview_->Play();
        break;
      case 2:
        preview_->Seek(call % 4);
        break;
      case 3:
        preview_->StepFrame();
        break;
      case 4:
        preview_->GetPosition(&position);
        break;
      case 5:
        preview_->SetCrop(call % 100, 0, 320, 240, call % 4);
        break;
      case 6: {
        EffectBlock effects = input.effects;
        effects.brightness = call % 50;
        preview_->SetEffects(&effects);
        break;
      }
      case 7: {
        WatermarkBlock block{mark.c_str(), call % 200, 10, 64, 48, call % 100};
        preview_->SetWatermark(&block);
        break;
      }
      case 8:
        preview_->Snapshot();
        break;
    }
    took.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    std::this_thread::sleep_for(5ms);
  }
  std::sort(took.begin(), took.end());
  ASSERT_FALSE(took.empty());
  EXPECT_LT(took[took.size() * 95 / 100], 3.0) << "95th percentile, ms";
  EXPECT_LT(took.back(), 30.0) << "slowest call, ms (a busy machine may delay one)";
  // After the storm the preview still plays.
  preview_->Play();
  EXPECT_TRUE(sink_.WaitFor(Kind::kView, sink_.Count(Kind::kView) + 10, 3s));
}

TEST_F(Playback, RefusedFilesLeaveNoThreadAndDeliverNothing) {
  const std::string corrupt = Counted() + ".corrupt";
  ASSERT_TRUE(media_maker::MakeCorrupt(corrupt));
  const std::string sources[] = {
      corrupt,
      "/nonexistent/clip.mp4",
      std::string(KV_TEST_SOURCE_DIR) + "/tests/fixtures/probe/hls_playlist.mp4",
      std::string(KV_TEST_SOURCE_DIR) + "/tests/fixtures/probe/concat_script.mp4",
      "/tmp",
  };
  const int threads = ThreadCount();
  for (const std::string& source : sources) {
    CIInput input = InputFor(Counted());
    engine_harness::SetField(input.path, source);
    EXPECT_FALSE(Open(input)) << source;
    EXPECT_EQ(ThreadCount(), threads) << source;
  }
  EXPECT_EQ(sink_.Calls(), 0);
}

}  // namespace
