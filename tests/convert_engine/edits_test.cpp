// The clip editor's values reach the output: trims and merges last what they should with sound and
// picture together, and crop, zoom, effects, volume, watermark and burned subtitles change the decoded
// pictures and sound the way the editor promised.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numeric>
#include <ostream>

#include "tests/convert_engine/engine_harness.h"
#include "tests/convert_engine/fixtures.h"
#include "tests/convert_engine/output_probe.h"
#include "tests/fakes/temp_folder.h"

namespace {

using engine_harness::OutputPlan;
using media_maker::Rgb;
using output_probe::Mean;
using output_probe::Picture;
using output_probe::Rect;

// MP4 with H.264 and AAC at the source's size and rate, at a bit rate that keeps flat colours exact.
OutputPlan Mp4(int width = 320, int height = 240) {
  OutputPlan plan;
  plan.format = "mp4";
  plan.width = width;
  plan.height = height;
  plan.videoBitRate = 2000000;
  return plan;
}

constexpr double kFrame = 1.0 / 25;

class Converting : public testing::Test {
 protected:
  std::string Out(const std::string& name) const { return target_.File(name); }
  TempFolder target_{"kv-edit"};
};

// ---- Trim ------------------------------------------------------------------------------------------

struct Trim {
  const char* name;
  double start;
  double length;
};

void PrintTo(const Trim& trim, std::ostream* os) {
  *os << trim.name << " (from " << trim.start << " s for " << trim.length << " s)";
}

class TrimmedClip : public Converting, public testing::WithParamInterface<Trim> {};

TEST_P(TrimmedClip, LastsItsLengthFromItsStartWithSoundInStep) {
  const Trim& trim = GetParam();
  const std::string& source = fixtures::Counter();
  ASSERT_FALSE(source.empty());
  CIInput input = engine_harness::InputFor(source);
  input.clipStart = trim.start;
  input.clipLength = trim.length;
  const std::string out = Out("trim.mp4");
  const auto converted = engine_harness::Convert(input, Mp4(), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  const auto pictures = output_probe::DecodePictures(out);
  ASSERT_FALSE(pictures.empty());
  EXPECT_NEAR(pictures.size() * kFrame, trim.length, kFrame + 1e-6) << pictures.size() << " frames";
  // The first and last pictures are the source's frames at the ends of the clip.
  EXPECT_NEAR(output_probe::CounterValue(pictures.front()), trim.start * 25, 1.0 + 1e-6);
  EXPECT_NEAR(output_probe::CounterValue(pictures.back()), (trim.start + trim.length) * 25 - 1, 1.0 + 1e-6);

  const auto sound = output_probe::DecodeSound(out);
  EXPECT_NEAR(sound.Seconds(), trim.length, kFrame + 1e-6);
  EXPECT_NEAR(sound.start, pictures.front().time, kFrame);

  // The beep plays with the frame that showed with it in the source.
  if (trim.start < fixtures::kBeepAt && trim.start + trim.length > fixtures::kBeepAt + 0.1) {
    const double heard = sound.start + output_probe::Onset(sound, 0.05);
    EXPECT_NEAR(heard - pictures.front().time, fixtures::kBeepAt - trim.start, kFrame);
    const Picture* seen = nullptr;
    for (const Picture& picture : pictures) {
      if (output_probe::CounterValue(picture) == static_cast<int>(fixtures::kBeepAt * 25)) {
        seen = &picture;
      }
    }
    ASSERT_NE(seen, nullptr) << "the beep's frame is missing";
    EXPECT_NEAR(heard, seen->time, kFrame) << "sound and picture apart";
  } else {
    EXPECT_LT(output_probe::Peak(sound, 0.0, sound.Seconds()), 0.02) << "a beep from outside the clip";
  }
}

INSTANTIATE_TEST_SUITE_P(Trims, TrimmedClip,
                         testing::Values(Trim{"FromTheStart", 0.0, 2.0}, Trim{"Middle", 0.8, 1.6},
                                         Trim{"ToTheEnd", 2.4, 1.6}, Trim{"BetweenFrames", 1.01, 1.5},
                                         Trim{"BeforeTheBeep", 0.0, 1.8}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Merge -----------------------------------------------------------------------------------------

TEST_F(Converting, MergeJoinsPartsOfDifferentShapesInOrderAndLastsTheirSum) {
  using fixtures::ClipPlan;
  ClipPlan small;  // another size, rate and sound format than the output
  small.width = 160;
  small.height = 120;
  small.fps = 30;
  small.seconds = 1.5;
  small.sampleRate = 44100;
  small.channels = 1;
  small.amplitude = 0.5;
  small.quadrants = {Rgb{200, 40, 200}, Rgb{200, 40, 200}, Rgb{200, 40, 200}, Rgb{200, 40, 200}};
  const std::string& third = engine_harness::Fixture("merge_small.mkv", small);
  ASSERT_FALSE(third.empty());
  ASSERT_FALSE(fixtures::Counter().empty());
  ASSERT_FALSE(fixtures::Square().empty());

  std::vector<CIInput> parts = {engine_harness::InputFor(fixtures::Counter()),
                                engine_harness::InputFor(fixtures::Square()),
                                engine_harness::InputFor(third)};
  parts[0].clipStart = 0.0;  // silent: the beep comes later
  parts[0].clipLength = 1.0;
  parts[1].clipStart = 0.0;
  parts[1].clipLength = 0.8;
  parts[1].zoomMode = 0;
  parts[1].effects.volume = 128;  // each part keeps its own edits
  parts[2].clipStart = 0.5;
  parts[2].clipLength = 1.0;
  const double total = 2.8;
  const std::string out = Out("merged.mp4");
  const auto converted = engine_harness::Convert(parts, Mp4(), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  const auto facts = output_probe::Probe(out);
  EXPECT_EQ(facts.video.width, 320);
  EXPECT_EQ(facts.video.height, 240);
  EXPECT_NEAR(facts.video.frameRate, 25.0, 0.01);
  EXPECT_EQ(facts.audio.sampleRate, 48000);
  EXPECT_EQ(facts.audio.channels, 2);

  const auto pictures = output_probe::DecodePictures(out);
  ASSERT_FALSE(pictures.empty());
  EXPECT_NEAR(pictures.size() * kFrame, total, kFrame + 1e-6) << pictures.size() << " frames";
  const double t0 = pictures.front().time;
  // Each part where it belongs: the counter, then the square's quadrants, then the flat magenta.
  const Picture* inFirst = output_probe::PictureAt(pictures, t0 + 0.5);
  const Picture* inSecond = output_probe::PictureAt(pictures, t0 + 1.4);
  const Picture* inThird = output_probe::PictureAt(pictures, t0 + 2.3);
  ASSERT_TRUE(inFirst && inSecond && inThird);
  EXPECT_NEAR(output_probe::CounterValue(*inFirst), 12, 1);
  const auto square = fixtures::SquarePlan();
  EXPECT_LT(output_probe::Distance(output_probe::MeanColour(*inSecond, {200, 20, 80, 60}),
                                   output_probe::MeanOf(square.quadrants[1])),
            30.0);
  EXPECT_LT(output_probe::Distance(output_probe::MeanColour(*inThird, {40, 40, 240, 120}),
                                   output_probe::MeanOf(small.quadrants[0])),
            30.0);

  const auto sound = output_probe::DecodeSound(out);
  EXPECT_NEAR(sound.Seconds(), total, kFrame + 1e-6);
  const double s0 = sound.start - t0;
  EXPECT_LT(output_probe::Rms(sound, 0.1 - s0, 0.9 - s0), 0.01) << "the first part is silent";
  EXPECT_NEAR(output_probe::Rms(sound, 1.1 - s0, 1.7 - s0), 0.25 / 2 / std::sqrt(2.0), 0.02);
  // The mono part is in both channels of the stereo output.
  EXPECT_NEAR(output_probe::Rms(sound, 1.9 - s0, 2.7 - s0), 0.5 / std::sqrt(2.0), 0.06);
}

// A part that starts inside the source keeps sound and picture together after the parts before it.
TEST_F(Converting, MergeKeepsEachPartsSoundWithItsPicture) {
  ASSERT_FALSE(fixtures::Counter().empty());
  std::vector<CIInput> parts(3, engine_harness::InputFor(fixtures::Counter()));
  parts[0].clipStart = 0.0;
  parts[0].clipLength = 1.0;
  parts[1].clipStart = 1.6;  // the beep at 2 s plays 0.4 s into this part
  parts[1].clipLength = 1.2;
  parts[2].clipStart = 3.0;
  parts[2].clipLength = 1.0;
  const std::string out = Out("merged_sync.mp4");
  const auto converted = engine_harness::Convert(parts, Mp4(), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  const auto pictures = output_probe::DecodePictures(out);
  ASSERT_FALSE(pictures.empty());
  EXPECT_NEAR(pictures.size() * kFrame, 3.2, kFrame + 1e-6) << pictures.size() << " frames";
  const double t0 = pictures.front().time;
  const Picture* seen = nullptr;
  for (const Picture& picture : pictures) {
    if (output_probe::CounterValue(picture) == static_cast<int>(fixtures::kBeepAt * 25)) {
      seen = &picture;
    }
  }
  ASSERT_NE(seen, nullptr) << "the beep's frame is missing";
  EXPECT_NEAR(seen->time - t0, 1.4, kFrame);
  const auto sound = output_probe::DecodeSound(out);
  EXPECT_NEAR(sound.Seconds(), 3.2, kFrame + 1e-6);
  const double heard = sound.start + output_probe::Onset(sound, 0.05);
  EXPECT_NEAR(heard - t0, 1.4, kFrame);
  EXPECT_NEAR(heard, seen->time, kFrame) << "sound and picture apart";
}

// ---- Crop ------------------------------------------------------------------------------------------

struct Crop {
  const char* name;
  Rect rect;
  // The source quadrant that fills each output quadrant, clockwise from the top left.
  int shows[4];
};

void PrintTo(const Crop& crop, std::ostream* os) {
  *os << crop.name << " (" << crop.rect.x << "," << crop.rect.y << " " << crop.rect.width << "x"
      << crop.rect.height << ")";
}

class CroppedClip : public Converting, public testing::WithParamInterface<Crop> {};

TEST_P(CroppedClip, ShowsOnlyTheKeptRectangle) {
  const Crop& crop = GetParam();
  ASSERT_FALSE(fixtures::Quadrants().empty());
  CIInput input = engine_harness::InputFor(fixtures::Quadrants());
  input.cropX = crop.rect.x;
  input.cropY = crop.rect.y;
  input.cropWidth = crop.rect.width;
  input.cropHeight = crop.rect.height;
  input.zoomMode = 0;
  const std::string out = Out("crop.mp4");
  const auto converted = engine_harness::Convert(input, Mp4(), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  const auto pictures = output_probe::DecodePictures(out, 5);
  ASSERT_FALSE(pictures.empty());
  const Picture& picture = pictures.back();
  const Rect quadrants[4] = {{40, 30, 80, 60}, {200, 30, 80, 60}, {200, 150, 80, 60}, {40, 150, 80, 60}};
  const auto plan = fixtures::QuadrantPlan();
  for (int q = 0; q < 4; ++q) {
    const Mean mean = output_probe::MeanColour(picture, quadrants[q]);
    EXPECT_LT(output_probe::Distance(mean, output_probe::MeanOf(plan.quadrants[crop.shows[q]])), 25.0)
        << "output quadrant " << q << " is " << mean.r << "," << mean.g << "," << mean.b;
  }
}

INSTANTIATE_TEST_SUITE_P(Crops, CroppedClip,
                         testing::Values(Crop{"TopLeftQuadrant", {0, 0, 160, 120}, {0, 0, 0, 0}},
                                         Crop{"BottomRightQuadrant", {160, 120, 160, 120}, {2, 2, 2, 2}},
                                         Crop{"LeftHalf", {0, 0, 160, 240}, {0, 0, 3, 3}},
                                         Crop{"TopHalf", {0, 0, 320, 120}, {0, 1, 1, 0}},
                                         Crop{"Whole", {0, 0, 320, 240}, {0, 1, 2, 3}},
                                         // A damaged record whose edges lie past the largest number.
                                         Crop{"BeyondTheLargestNumberKeepsAll",
                                              {INT32_MAX, INT32_MAX - 50, 100, 100},
                                              {0, 1, 2, 3}}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- A source whose frame size changes ----------------------------------------------------------

// A recording across a broadcast's breaks: one second at 320x240 with stereo sound at 48 kHz, then one
// at 160x120 with mono sound at 44.1 kHz, joined as bytes as a recorder writes them.
std::string SizeChangingSource(const std::string& path) {
  fixtures::ClipPlan first = fixtures::QuadrantPlan();
  first.format = "mpegts";
  first.seconds = 1.0;
  fixtures::ClipPlan second = first;
  second.width = 160;
  second.height = 120;
  second.startSeconds = 1.0;
  second.channels = 1;
  second.sampleRate = 44100;
  const std::string& a = engine_harness::Fixture("size_first.ts", first);
  const std::string& b = engine_harness::Fixture("size_second.ts", second);
  if (a.empty() || b.empty()) {
    return {};
  }
  std::ofstream joined(path, std::ios::binary);
  joined << std::ifstream(a, std::ios::binary).rdbuf() << std::ifstream(b, std::ios::binary).rdbuf();
  return joined ? path : std::string();
}

struct SizeChange {
  const char* name;
  Rect crop;  // source pixels of the first size
  int zoomMode;
  int width;  // output frame; 0 keeps the source's
  int height;
  int shows[4];  // the source quadrant that fills each output quadrant, clockwise from the top left
};

void PrintTo(const SizeChange& change, std::ostream* os) {
  *os << change.name;
}

class SizeChangingClip : public Converting, public testing::WithParamInterface<SizeChange> {};

TEST_P(SizeChangingClip, ConvertsBothSizesAndBothSoundsIntoTheOutputFormat) {
  const SizeChange& change = GetParam();
  const std::string source = SizeChangingSource(Out("changing.ts"));
  ASSERT_FALSE(source.empty());
  CIInput input = engine_harness::InputFor(source);
  ASSERT_EQ(input.media.width, 320);
  input.cropX = change.crop.x;
  input.cropY = change.crop.y;
  input.cropWidth = change.crop.width;
  input.cropHeight = change.crop.height;
  input.zoomMode = change.zoomMode;
  const std::string out = Out("changing.mp4");
  const auto converted = engine_harness::Convert(input, Mp4(change.width, change.height), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  const auto pictures = output_probe::DecodePictures(out);
  EXPECT_NEAR(pictures.size() * kFrame, 2.0, 2 * kFrame + 1e-6);
  ASSERT_FALSE(pictures.empty());
  // The last picture comes from the second size, brought to the first one before the edits.
  const Picture& picture = pictures.back();
  ASSERT_EQ(picture.width, 320);
  ASSERT_EQ(picture.height, 240);
  const Rect quadrants[4] = {{40, 30, 80, 60}, {200, 30, 80, 60}, {200, 150, 80, 60}, {40, 150, 80, 60}};
  const auto plan = fixtures::QuadrantPlan();
  for (int q = 0; q < 4; ++q) {
    const Mean mean = output_probe::MeanColour(picture, quadrants[q]);
    EXPECT_LT(output_probe::Distance(mean, output_probe::MeanOf(plan.quadrants[change.shows[q]])), 25.0)
        << "output quadrant " << q << " is " << mean.r << "," << mean.g << "," << mean.b;
  }
  // The tone goes on through the change of sound format.
  const auto sound = output_probe::DecodeSound(out);
  EXPECT_NEAR(sound.Seconds(), 2.0, 2 * kFrame);
  EXPECT_GT(output_probe::Rms(sound, 1.2, 1.9), 0.1) << "the sound after the change is lost";
}

INSTANTIATE_TEST_SUITE_P(
    SizeChanges, SizeChangingClip,
    testing::Values(SizeChange{"KeptSize", {0, 0, 320, 240}, 1, 0, 0, {0, 1, 2, 3}},
                    SizeChange{"CroppedToAQuadrant", {0, 0, 160, 120}, 0, 320, 240, {0, 0, 0, 0}},
                    SizeChange{"CroppedToTheRightHalf", {160, 0, 160, 240}, 0, 320, 240, {1, 1, 2, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Zoom ------------------------------------------------------------------------------------------

struct Zoom {
  const char* name;
  int mode;
  int width;  // output frame
  int height;
  int barWidth;   // black bars left and right, pixels
  int barHeight;  // black bars top and bottom
};

void PrintTo(const Zoom& zoom, std::ostream* os) {
  *os << zoom.name << " (mode " << zoom.mode << " into " << zoom.width << "x" << zoom.height << ")";
}

class ZoomedClip : public Converting, public testing::WithParamInterface<Zoom> {};

// A square source in a 4:3 and a 16:9 frame: each mode puts its bars in a different place.
TEST_P(ZoomedClip, FitsThePictureWithBarsWhereTheModeSays) {
  const Zoom& zoom = GetParam();
  ASSERT_FALSE(fixtures::Square().empty());
  CIInput input = engine_harness::InputFor(fixtures::Square());
  input.zoomMode = zoom.mode;
  const std::string out = Out("zoom.mp4");
  const auto converted = engine_harness::Convert(input, Mp4(zoom.width, zoom.height), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  const auto pictures = output_probe::DecodePictures(out, 5);
  ASSERT_FALSE(pictures.empty());
  const Picture& picture = pictures.back();
  ASSERT_EQ(picture.width, zoom.width);
  ASSERT_EQ(picture.height, zoom.height);
  auto isBlack = [&](Rect r) { return output_probe::MeanColour(picture, r).Luma() < 24; };
  auto isPicture = [&](Rect r) {
    return output_probe::Distance(output_probe::MeanColour(picture, r), {}) > 60;
  };
  const int midX = zoom.width / 2 - 10;
  const int midY = zoom.height / 2 - 10;
  // Left edge and the first columns inside where the picture should start.
  if (zoom.barWidth > 0) {
    EXPECT_TRUE(isBlack({2, midY, zoom.barWidth - 6, 20})) << "no bar on the left";
    EXPECT_TRUE(isBlack({zoom.width - zoom.barWidth + 4, midY, zoom.barWidth - 6, 20}))
        << "no bar on the right";
  }
  EXPECT_TRUE(isPicture({zoom.barWidth + 4, midY, 8, 20})) << "no picture after the left bar";
  EXPECT_TRUE(isPicture({zoom.width - zoom.barWidth - 12, midY, 8, 20})) << "no picture before the right bar";
  if (zoom.barHeight > 0) {
    EXPECT_TRUE(isBlack({midX, 2, 20, zoom.barHeight - 6})) << "no bar at the top";
    EXPECT_TRUE(isBlack({midX, zoom.height - zoom.barHeight + 4, 20, zoom.barHeight - 6}))
        << "no bar at the bottom";
  }
  EXPECT_TRUE(isPicture({midX, zoom.barHeight + 4, 20, 8})) << "no picture below the top bar";
  EXPECT_TRUE(isPicture({midX, zoom.height - zoom.barHeight - 12, 20, 8}))
      << "no picture above the bottom bar";
}

INSTANTIATE_TEST_SUITE_P(Zooms, ZoomedClip,
                         testing::Values(Zoom{"FullScreenIn4by3", 0, 320, 240, 0, 0},
                                         Zoom{"KeepOriginalIn4by3", 1, 320, 240, 40, 0},
                                         Zoom{"Wide16by9In4by3", 2, 320, 240, 0, 30},
                                         Zoom{"Standard4by3In4by3", 3, 320, 240, 0, 0},
                                         Zoom{"FullScreenIn16by9", 0, 320, 180, 0, 0},
                                         Zoom{"KeepOriginalIn16by9", 1, 320, 180, 70, 0},
                                         Zoom{"Wide16by9In16by9", 2, 320, 180, 0, 0},
                                         Zoom{"Standard4by3In16by9", 3, 320, 180, 40, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Picture effects -------------------------------------------------------------------------------

// What is measured on the mid-tone source: the mean luma of all four quadrants, the luma gap between
// its light and dark grey quadrants, and how far its reddish quadrant is from grey.
struct Look {
  double luma = 0;
  double spread = 0;
  double chroma = 0;
};

Look LookOf(const Picture& picture) {
  const Rect quadrants[4] = {{40, 30, 80, 60}, {200, 30, 80, 60}, {200, 150, 80, 60}, {40, 150, 80, 60}};
  Look look;
  for (const Rect& r : quadrants) {
    look.luma += output_probe::MeanColour(picture, r).Luma() / 4;
  }
  look.spread = output_probe::MeanColour(picture, quadrants[2]).Luma() -
                output_probe::MeanColour(picture, quadrants[3]).Luma();
  look.chroma = output_probe::MeanColour(picture, quadrants[0]).Chroma();
  return look;
}

Look SourceLook() {
  const auto plan = fixtures::MidTonePlan();
  Look look;
  for (const Rgb& c : plan.quadrants) {
    look.luma += output_probe::MeanOf(c).Luma() / 4;
  }
  look.spread =
      output_probe::MeanOf(plan.quadrants[2]).Luma() - output_probe::MeanOf(plan.quadrants[3]).Luma();
  look.chroma = output_probe::MeanOf(plan.quadrants[0]).Chroma();
  return look;
}

struct Effect {
  const char* name;
  double brightness;
  double contrast;
  double saturation;
  // Each expectation compares the output's look with the source's.
  bool (*holds)(const Look& out, const Look& in);
  const char* expectation;
};

void PrintTo(const Effect& effect, std::ostream* os) {
  *os << effect.name << " (brightness " << effect.brightness << ", contrast " << effect.contrast
      << ", saturation " << effect.saturation << ": " << effect.expectation << ")";
}

class EffectOnClip : public Converting, public testing::WithParamInterface<Effect> {};

TEST_P(EffectOnClip, ChangesThePictureAsTheSliderSays) {
  const Effect& effect = GetParam();
  ASSERT_FALSE(fixtures::MidTone().empty());
  CIInput input = engine_harness::InputFor(fixtures::MidTone());
  input.effects.brightness = effect.brightness;
  input.effects.contrast = effect.contrast;
  input.effects.saturation = effect.saturation;
  const std::string out = Out("effect.mp4");
  const auto converted = engine_harness::Convert(input, Mp4(), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  const auto pictures = output_probe::DecodePictures(out, 5);
  ASSERT_FALSE(pictures.empty());
  const Look in = SourceLook();
  const Look seen = LookOf(pictures.back());
  EXPECT_TRUE(effect.holds(seen, in))
      << effect.expectation << ": luma " << in.luma << " -> " << seen.luma << ", spread " << in.spread
      << " -> " << seen.spread << ", chroma " << in.chroma << " -> " << seen.chroma;
}

INSTANTIATE_TEST_SUITE_P(
    Effects, EffectOnClip,
    testing::Values(
        Effect{"Unchanged", 0, 0, 0,
               [](const Look& o, const Look& i) {
                 return std::fabs(o.luma - i.luma) < 4 && std::fabs(o.spread - i.spread) < 5 &&
                        std::fabs(o.chroma - i.chroma) < 5;
               },
               "the picture stays as it was"},
        Effect{"Brighter", 100, 0, 0, [](const Look& o, const Look& i) { return o.luma > i.luma + 25; },
               "mean luma rises"},
        Effect{"Darker", -100, 0, 0, [](const Look& o, const Look& i) { return o.luma < i.luma - 25; },
               "mean luma falls"},
        Effect{"SomewhatBrighter", 40, 0, 0,
               [](const Look& o, const Look& i) { return o.luma > i.luma + 8 && o.luma < 250; },
               "mean luma rises a little"},
        Effect{"MoreContrast", 0, 100, 0,
               [](const Look& o, const Look& i) { return o.spread > i.spread * 1.3; },
               "light and dark move apart"},
        Effect{"LessContrast", 0, -100, 0,
               [](const Look& o, const Look& i) { return o.spread < i.spread * 0.5; },
               "light and dark move together"},
        Effect{"Greyscale", 0, 0, -100, [](const Look& o, const Look&) { return o.chroma < 6; },
               "colour is gone"},
        Effect{"MoreSaturated", 0, 0, 100,
               [](const Look& o, const Look& i) { return o.chroma > i.chroma * 1.3; }, "colour is stronger"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Volume ----------------------------------------------------------------------------------------

struct Volume {
  const char* name;
  int32_t volume;
  double gain;  // the expected ratio of output to source level
};

void PrintTo(const Volume& volume, std::ostream* os) {
  *os << volume.name << " (volume " << volume.volume << ", gain " << volume.gain << ")";
}

class VolumeOnClip : public Converting, public testing::WithParamInterface<Volume> {};

TEST_P(VolumeOnClip, ScalesTheSound) {
  const Volume& volume = GetParam();
  ASSERT_FALSE(fixtures::Quadrants().empty());
  CIInput input = engine_harness::InputFor(fixtures::Quadrants());
  input.effects.volume = volume.volume;
  const std::string out = Out("volume.mp4");
  const auto converted = engine_harness::Convert(input, Mp4(), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  const auto sound = output_probe::DecodeSound(out);
  ASSERT_GT(sound.Seconds(), 1.5);
  const double sourceRms = fixtures::QuadrantPlan().amplitude / std::sqrt(2.0);
  const double rms = output_probe::Rms(sound, 0.3, 1.7);
  if (volume.gain == 0.0) {
    EXPECT_LT(output_probe::Peak(sound, 0.0, sound.Seconds()), 0.001) << "not silent";
  } else {
    EXPECT_NEAR(rms / sourceRms, volume.gain, volume.gain * 0.1);
    EXPECT_LT(output_probe::Peak(sound, 0.3, 1.7), 0.99) << "clipped";
  }
}

INSTANTIATE_TEST_SUITE_P(Volumes, VolumeOnClip,
                         testing::Values(Volume{"Silent", 0, 0.0}, Volume{"Half", 128, 0.5},
                                         Volume{"Unchanged", 256, 1.0}, Volume{"Double", 512, 2.0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Deinterlace -----------------------------------------------------------------------------------

TEST_F(Converting, DeinterlaceJoinsTheFieldsOfAMovingPicture) {
  fixtures::ClipPlan plan = fixtures::GreyPlan();
  plan.interlacedBar = true;
  const std::string& source = engine_harness::Fixture("interlaced_bar.mkv", plan);
  ASSERT_FALSE(source.empty());
  CIInput input = engine_harness::InputFor(source);
  input.effects.deinterlace = 0;
  const auto kept = engine_harness::Convert(input, Mp4(), Out("combed.mp4"));
  ASSERT_TRUE(kept.succeeded) << kept.log;
  input.effects.deinterlace = 1;
  const auto joined = engine_harness::Convert(input, Mp4(), Out("joined.mp4"));
  ASSERT_TRUE(joined.succeeded) << joined.log;

  const auto combed = output_probe::DecodePictures(Out("combed.mp4"), 12);
  const auto deinterlaced = output_probe::DecodePictures(Out("joined.mp4"), 12);
  ASSERT_EQ(combed.size(), 12u);
  ASSERT_EQ(deinterlaced.size(), 12u);
  EXPECT_GT(output_probe::Combing(combed.back()), 8.0) << "the source is not combed: the fixture is wrong";
  EXPECT_LT(output_probe::Combing(deinterlaced.back()), output_probe::Combing(combed.back()) * 0.4);
  EXPECT_EQ(deinterlaced.size(), combed.size()) << "deinterlacing changed the frame rate";
}

// ---- Audio track ----------------------------------------------------------------------------------

struct Track {
  const char* name;
  int index;         // in the probe's audio table
  double amplitude;  // of that track's tone
};

void PrintTo(const Track& track, std::ostream* os) {
  *os << track.name << " (audio entry " << track.index << ")";
}

class ChosenTrack : public Converting, public testing::WithParamInterface<Track> {};

TEST_P(ChosenTrack, IsTheSoundOfTheOutput) {
  const Track& track = GetParam();
  fixtures::ClipPlan plan;
  plan.seconds = 1.0;
  plan.amplitude = 0.1;
  plan.secondTrackAmplitude = 0.4;
  const std::string& source = engine_harness::Fixture("two_tracks.mkv", plan);
  ASSERT_FALSE(source.empty());
  CIInput input = engine_harness::InputFor(source);
  ASSERT_EQ(input.media.audioCount, 2);
  input.audioId = input.media.audioStreams[track.index].id;
  const std::string out = Out("track.mp4");
  const auto converted = engine_harness::Convert(input, Mp4(), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  EXPECT_EQ(output_probe::Probe(out).audioStreams, 1);
  const auto sound = output_probe::DecodeSound(out);
  EXPECT_NEAR(output_probe::Rms(sound, 0.2, 0.8), track.amplitude / std::sqrt(2.0), 0.02);
}

INSTANTIATE_TEST_SUITE_P(Tracks, ChosenTrack,
                         testing::Values(Track{"First", 0, 0.1}, Track{"Second", 1, 0.4}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Watermark -------------------------------------------------------------------------------------

struct Mark {
  const char* name;
  int pictureWidth;
  int pictureHeight;
  uint8_t alpha;
  Rect rect;  // in output pixels
  int32_t transparency;
  double opacity;  // the share of the mark's colour expected inside its rectangle
};

void PrintTo(const Mark& mark, std::ostream* os) {
  *os << mark.name << " (" << mark.pictureWidth << "x" << mark.pictureHeight << " alpha " << int{mark.alpha}
      << " at " << mark.rect.x << "," << mark.rect.y << " " << mark.rect.width << "x" << mark.rect.height
      << ", " << mark.transparency << " % transparent)";
}

class WatermarkedClip : public Converting, public testing::WithParamInterface<Mark> {};

TEST_P(WatermarkedClip, BlendsThePictureIntoItsRectangleOnly) {
  const Mark& mark = GetParam();
  const Rgb green{0, 255, 0};
  const std::string& picture = engine_harness::Picture(
      "mark_" + std::string(mark.name) + ".png", mark.pictureWidth, mark.pictureHeight, green, mark.alpha);
  ASSERT_FALSE(picture.empty());
  const std::string& source = engine_harness::Fixture("grey.mkv", fixtures::GreyPlan());
  ASSERT_FALSE(source.empty());
  CIInput input = engine_harness::InputFor(source);
  input.mark.markFile = picture.c_str();
  input.mark.markLeft = mark.rect.x;
  input.mark.markTop = mark.rect.y;
  input.mark.markWidth = mark.rect.width;
  input.mark.markHeight = mark.rect.height;
  input.mark.markTransparency = mark.transparency;
  const std::string out = Out("mark.mp4");
  const auto converted = engine_harness::Convert(input, Mp4(), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  const auto pictures = output_probe::DecodePictures(out, 5);
  ASSERT_FALSE(pictures.empty());
  const Picture& frame = pictures.back();
  const Mean grey = output_probe::MeanOf(fixtures::GreyPlan().quadrants[0]);
  const Mean want{grey.r + (green.r - grey.r) * mark.opacity, grey.g + (green.g - grey.g) * mark.opacity,
                  grey.b + (green.b - grey.b) * mark.opacity};
  const Rect inside{mark.rect.x + 4, mark.rect.y + 4, mark.rect.width - 8, mark.rect.height - 8};
  const Mean seen = output_probe::MeanColour(frame, inside);
  EXPECT_LT(output_probe::Distance(seen, want), 25.0)
      << "inside " << seen.r << "," << seen.g << "," << seen.b << ", expected " << want.r << "," << want.g
      << "," << want.b;
  // Around the rectangle the picture is the source's.
  const Rect around[4] = {{mark.rect.x, mark.rect.y - 12, mark.rect.width, 8},
                          {mark.rect.x, mark.rect.y + mark.rect.height + 4, mark.rect.width, 8},
                          {mark.rect.x - 12, mark.rect.y, 8, mark.rect.height},
                          {mark.rect.x + mark.rect.width + 4, mark.rect.y, 8, mark.rect.height}};
  for (const Rect& r : around) {
    EXPECT_LT(output_probe::Distance(output_probe::MeanColour(frame, r), grey), 12.0)
        << "outside at " << r.x << "," << r.y;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Watermarks, WatermarkedClip,
    testing::Values(Mark{"Opaque", 64, 48, 255, {40, 40, 64, 48}, 0, 1.0},
                    Mark{"HalfTransparent", 64, 48, 255, {40, 40, 64, 48}, 50, 0.5},
                    Mark{"MostlyTransparent", 64, 48, 255, {200, 120, 64, 48}, 90, 0.1},
                    Mark{"StretchedToItsRectangle", 32, 24, 255, {120, 80, 96, 72}, 0, 1.0},
                    Mark{"PictureAlphaCounts", 64, 48, 128, {40, 40, 64, 48}, 0, 0.5}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Burned subtitles ------------------------------------------------------------------------------

struct Subtitle {
  const char* name;
  const std::string& (*source)();
};

void PrintTo(const Subtitle& subtitle, std::ostream* os) {
  *os << subtitle.name;
}

class SubtitledClip : public Converting, public testing::WithParamInterface<Subtitle> {};

TEST_P(SubtitledClip, IsBurnedIntoTheLowerPictureOnlyWhenChosen) {
  const std::string& source = GetParam().source();
  ASSERT_FALSE(source.empty());
  CIInput plain = engine_harness::InputFor(source);
  ASSERT_EQ(plain.media.subtitleCount, 1);
  CIInput burned = plain;
  burned.subtitleId = plain.media.subtitleStreams[0].id;
  const auto withOut = engine_harness::Convert(plain, Mp4(), Out("plain.mp4"));
  ASSERT_TRUE(withOut.succeeded) << withOut.log;
  const auto with = engine_harness::Convert(burned, Mp4(), Out("burned.mp4"));
  ASSERT_TRUE(with.succeeded) << with.log;

  const auto plainPictures = output_probe::DecodePictures(Out("plain.mp4"));
  const auto burnedPictures = output_probe::DecodePictures(Out("burned.mp4"));
  ASSERT_GE(plainPictures.size(), 13u);
  ASSERT_GE(burnedPictures.size(), 13u);
  const Picture& a = plainPictures[12];
  const Picture& b = burnedPictures[12];
  const Mean grey = output_probe::MeanOf(fixtures::GreyPlan().quadrants[0]);
  EXPECT_LT(output_probe::Distance(output_probe::MeanColour(a, {0, 0, 320, 240}), grey), 6.0)
      << "a subtitle nobody chose is in the picture";
  // Both subtitles cover well over a few percent of the bottom rows: the text's two lines of glyphs,
  // the bitmap's white block.
  EXPECT_GT(output_probe::ChangedShare(a, b, {0, 170, 320, 70}, 40), 0.03) << "no subtitle at the bottom";
  EXPECT_LT(output_probe::ChangedShare(a, b, {0, 0, 320, 100}, 40), 0.01) << "the upper picture changed";
}

INSTANTIATE_TEST_SUITE_P(Subtitles, SubtitledClip,
                         testing::Values(Subtitle{"Text", &fixtures::TextSubtitled},
                                         Subtitle{"Bitmap", &fixtures::BitmapSubtitled}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
