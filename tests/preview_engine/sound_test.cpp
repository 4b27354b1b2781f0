#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/convert_engine/engine_harness.h"
#include "tests/convert_engine/media_maker.h"
#include "tests/fakes/temp_folder.h"
#include "tests/preview_engine/preview_harness.h"

namespace {

using namespace preview_harness;

// SDL's disk driver writes what the device would play into a file, in real time: interleaved signed
// 16-bit samples at the rate the engine asked for (the source's), silence while paused or starved.
class Sound : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
  }
  void TearDown() override { ::setenv("SDL_AUDIODRIVER", "dummy", 1); }

  // Plays `input` to its end and returns the samples the device was given.
  std::vector<int16_t> PlayToEnd(const CIInput& input) {
    RecordingSink sink;
    PreviewPtr preview = NewPreview();
    const PreviewOpen record = OpenRecord(input, &sink, ViewPlan{});
    if (!preview->Open(&record)) {
      ADD_FAILURE() << "open";
      return {};
    }
    preview->Play();
    EXPECT_TRUE(PollUntil(
        *preview, [](int32_t status, double) { return status != 0; }, 10s));
    preview->Close();
    std::ifstream in(file_, std::ios::binary);
    std::vector<int16_t> samples;
    int16_t sample = 0;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof(sample))) {
      samples.push_back(sample);
    }
    return samples;
  }

  static CIInput Tone(double clipStart, double clipLength) {
    media_maker::ClipPlan plan;
    plan.seconds = 3.0;
    plan.amplitude = 0.5;
    CIInput input = engine_harness::InputFor(engine_harness::Fixture("tone.mkv", plan));
    input.clipStart = clipStart;
    input.clipLength = clipLength;
    return input;
  }

  TempFolder folder_{"kv-preview-sound"};
  std::string file_ = folder_.File("device.raw");
};

// Seconds from the first to the last sample louder than a whisper (stereo, 48 kHz).
double Audible(const std::vector<int16_t>& samples) {
  constexpr int kLoud = 1000;
  size_t first = samples.size();
  size_t last = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(samples[i]) > kLoud) {
      first = std::min(first, i);
      last = i;
    }
  }
  return first < last ? static_cast<double>(last - first) / 2 / 48000 : 0.0;
}

TEST_F(Sound, LastsTheClipLength) {
  const std::vector<int16_t> samples = PlayToEnd(Tone(0.5, 1.5));
  ASSERT_FALSE(samples.empty());
  EXPECT_NEAR(Audible(samples), 1.5, 0.06);
}

TEST_F(Sound, VolumeActsOnTheSound) {
  struct Case {
    int32_t volume;
    double peakShare;  // of the unchanged peak
  };
  int unchanged = 0;
  for (const Case& c : {Case{256, 1.0}, Case{128, 0.5}, Case{0, 0.0}}) {
    CIInput input = Tone(0, 1.0);
    input.effects.volume = c.volume;
    const std::vector<int16_t> samples = PlayToEnd(input);
    ASSERT_FALSE(samples.empty());
    int peak = 0;
    for (const int16_t sample : samples) {
      peak = std::max(peak, std::abs(int{sample}));
    }
    if (c.volume == 256) {
      unchanged = peak;
      EXPECT_GT(peak, 8000);
    } else if (c.volume == 0) {
      EXPECT_EQ(peak, 0) << "volume 0 is silent";
    } else {
      EXPECT_NEAR(peak, unchanged * c.peakShare, unchanged * 0.05) << "volume " << c.volume;
    }
  }
}

TEST_F(Sound, PlaysTheChosenTrack) {
  media_maker::ClipPlan plan;
  plan.seconds = 1.0;
  plan.amplitude = 0.5;
  plan.secondTrackAmplitude = 0.1;
  CIInput input = engine_harness::InputFor(engine_harness::Fixture("two_tracks.mkv", plan));
  ASSERT_EQ(input.media.audioCount, 2);
  input.audioId = input.media.audioStreams[1].id;
  const std::vector<int16_t> samples = PlayToEnd(input);
  ASSERT_FALSE(samples.empty());
  int peak = 0;
  for (const int16_t sample : samples) {
    peak = std::max(peak, std::abs(int{sample}));
  }
  EXPECT_NEAR(peak, 0.1 * 32767, 0.03 * 32767) << "the quiet second track, not the loud first";
}

}  // namespace
