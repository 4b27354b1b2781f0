#include <string>

#include <gtest/gtest.h>

#include "engines/ffengine/edit_filters.h"
#include "engines/ffengine/filter_graph.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavutil/avstring.h>
#include <libavutil/display.h>
#include <libavutil/mem.h>
}

namespace {

using namespace ffengine;

// ---- Zoom ------------------------------------------------------------------------------------------

struct Zoom {
  const char* name;
  int mode;
  int pictureWidth;
  int pictureHeight;
  AVRational sar;
  int frameWidth;
  int frameHeight;
  Placement expected;
  AVRational frameSar{1, 1};
};

void PrintTo(const Zoom& z, std::ostream* os) {
  *os << "mode " << z.mode << " " << z.pictureWidth << "x" << z.pictureHeight << " into " << z.frameWidth
      << "x" << z.frameHeight;
}

class ZoomPlacementCase : public testing::TestWithParam<Zoom> {};

TEST_P(ZoomPlacementCase, PutsThePictureWhereTheModeSays) {
  const Zoom& z = GetParam();
  const Placement p =
      ZoomPlacement(z.mode, z.pictureWidth, z.pictureHeight, z.sar, z.frameWidth, z.frameHeight, z.frameSar);
  EXPECT_EQ(p.width, z.expected.width);
  EXPECT_EQ(p.height, z.expected.height);
  EXPECT_EQ(p.x, z.expected.x);
  EXPECT_EQ(p.y, z.expected.y);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ZoomPlacementCase,
    testing::Values(
        Zoom{"FullScreenStretches", 0, 240, 240, {1, 1}, 320, 240, {320, 240, 0, 0}},
        Zoom{"KeepShapeSquareIn4by3", 1, 240, 240, {1, 1}, 320, 240, {240, 240, 40, 0}},
        Zoom{"KeepShapeWideIn4by3", 1, 320, 180, {1, 1}, 320, 240, {320, 180, 0, 30}},
        Zoom{"KeepShapeSameShapeFills", 1, 640, 480, {1, 1}, 320, 240, {320, 240, 0, 0}},
        Zoom{"KeepShapeHonoursPixelShape", 1, 160, 240, {2, 1}, 320, 240, {320, 240, 0, 0}},
        Zoom{"Wide16by9In4by3", 2, 240, 240, {1, 1}, 320, 240, {320, 180, 0, 30}},
        Zoom{"Standard4by3In16by9", 3, 240, 240, {1, 1}, 320, 180, {240, 180, 40, 0}},
        Zoom{"Standard4by3In4by3", 3, 100, 300, {1, 1}, 320, 240, {320, 240, 0, 0}},
        Zoom{"BarsAreEvenForChroma", 1, 250, 240, {1, 1}, 320, 240, {250, 240, 34, 0}},
        // A 16:9 DVD frame has wide pixels: a 16:9 picture fills it, a 4:3 one gets side bars.
        Zoom{"WidePictureFillsAWideDvdFrame", 1, 1280, 720, {1, 1}, 720, 576, {720, 576, 0, 0}, {64, 45}},
        Zoom{"StandardPictureInAWideDvdFrame", 1, 640, 480, {1, 1}, 720, 576, {540, 576, 90, 0}, {64, 45}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Graph descriptions ----------------------------------------------------------------------------

PictureEdit BaseEdit() {
  PictureEdit edit;
  edit.sourceWidth = 320;
  edit.sourceHeight = 240;
  edit.cropWidth = 320;
  edit.cropHeight = 240;
  edit.outWidth = 640;
  edit.outHeight = 360;
  edit.frameRate = AVRational{30, 1};
  edit.clipStart = 1.5;
  edit.clipLength = 2.0;
  return edit;
}

struct PictureCase {
  const char* name;
  void (*change)(PictureEdit&);
  const char* mustContain;  // a filter the edit needs; empty = none in particular
  const char* mustLack;     // a filter the edit must not add; empty = none in particular
};

void PrintTo(const PictureCase& c, std::ostream* os) {
  *os << c.name;
}

class PictureChainCase : public testing::TestWithParam<PictureCase> {};

// Every edit gives a description FFmpeg accepts, ending in the encoder's frame.
TEST_P(PictureChainCase, BuildsAGraphThatEndsInTheOutputFrame) {
  PictureEdit edit = BaseEdit();
  GetParam().change(edit);
  const std::string chain = PictureChain(edit);
  if (*GetParam().mustContain != '\0') {
    EXPECT_NE(chain.find(GetParam().mustContain), std::string::npos) << chain;
  }
  if (*GetParam().mustLack != '\0') {
    EXPECT_EQ(chain.find(GetParam().mustLack), std::string::npos) << chain;
  }
  std::vector<FilterGraph::Source> sources = {
      {"vin", "buffer", "video_size=320x240:pix_fmt=0:time_base=1/1000:pixel_aspect=1/1"}};
  if (edit.watermark) {
    sources.push_back({"wm", "buffer", "video_size=32x32:pix_fmt=26:time_base=1/1:pixel_aspect=1/1"});
  }
  FilterGraph graph;
  std::string error;
  ASSERT_TRUE(graph.Build(chain, sources, true, "vout", error)) << error;
  EXPECT_EQ(av_buffersink_get_w(graph.Sink()), edit.outWidth);
  EXPECT_EQ(av_buffersink_get_h(graph.Sink()), edit.outHeight);
  EXPECT_EQ(av_buffersink_get_format(graph.Sink()), AV_PIX_FMT_YUV420P);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, PictureChainCase,
    testing::Values(
        PictureCase{"Plain", [](PictureEdit&) {}, "fps=fps=30/1", "crop="},
        // A preview paces and seeks itself: pictures pass one for one with the file's times.
        PictureCase{"PreviewKeepsTheRate", [](PictureEdit& e) { e.retime = false; }, "", "fps="},
        PictureCase{"PreviewCutsNothing", [](PictureEdit& e) { e.retime = false; }, "", "trim"},
        PictureCase{"Cropped",
                    [](PictureEdit& e) {
                      e.cropX = 16;
                      e.cropY = 8;
                      e.cropWidth = 200;
                      e.cropHeight = 100;
                    },
                    "crop=200:100:16:8", ""},
        PictureCase{"CropOutsideTheFrameIsIgnored",
                    [](PictureEdit& e) {
                      e.cropX = 300;
                      e.cropWidth = 100;
                    },
                    "", "crop="},
        // A damaged record: the rectangle's right and bottom edges lie past the largest number.
        PictureCase{"CropBeyondTheLargestNumberIsIgnored",
                    [](PictureEdit& e) {
                      e.cropX = INT32_MAX;
                      e.cropY = INT32_MAX - 50;
                      e.cropWidth = 100;
                      e.cropHeight = 100;
                    },
                    "", "crop="},
        PictureCase{"KeepShapeAddsBars", [](PictureEdit& e) { e.zoomMode = 1; }, "pad=640:360:80:0", ""},
        PictureCase{"FullScreenHasNoBars", [](PictureEdit& e) { e.zoomMode = 0; }, "scale=640:360", "pad="},
        PictureCase{"Effects",
                    [](PictureEdit& e) {
                      e.brightness = 100;
                      e.contrast = -100;
                      e.saturation = -100;
                    },
                    "eq=brightness=0.5000:contrast=0.0000:saturation=0.0000", ""},
        PictureCase{"NoEffectsNoEq", [](PictureEdit&) {}, "", "eq="},
        PictureCase{"Deinterlaced", [](PictureEdit& e) { e.deinterlace = true; }, "yadif", ""},
        PictureCase{"Watermarked",
                    [](PictureEdit& e) {
                      e.watermark = true;
                      e.markLeft = 10;
                      e.markTop = 20;
                      e.markWidth = 64;
                      e.markHeight = 48;
                      e.markTransparency = 25;
                    },
                    "overlay=x=10:y=20", ""},
        PictureCase{"WholeFileWithoutLength", [](PictureEdit& e) { e.clipLength = 0; }, "", "duration="},
        PictureCase{"KeptSizeNeedsNoScaling",
                    [](PictureEdit& e) {
                      e.outWidth = 320;
                      e.outHeight = 240;
                    },
                    "", "scale="}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Turned pictures -------------------------------------------------------------------------------

TEST(DisplayRotation, ReadsTheTurnAPlayerWouldApply) {
  const struct {
    double clockwise;  // as av_display_rotation_set takes it
    int turn;
  } cases[] = {{0, 0}, {90, 90}, {-90, 270}, {180, 180}, {-180, 180}, {89.6, 90}, {-270, 90}, {450, 90}};
  for (const auto& c : cases) {
    int32_t matrix[9] = {};
    av_display_rotation_set(matrix, c.clockwise);
    EXPECT_EQ(DisplayRotation(matrix), c.turn) << c.clockwise;
  }
  EXPECT_EQ(DisplayRotation(nullptr), 0);
}

TEST(PictureChain, AQuarterTurnSwapsThePicturesShapeBeforeTheZoom) {
  PictureEdit edit = BaseEdit();
  edit.rotation = 90;
  edit.zoomMode = 1;
  edit.outWidth = 240;
  edit.outHeight = 320;
  const std::string chain = PictureChain(edit);
  EXPECT_NE(chain.find("transpose=clock"), std::string::npos) << chain;
  // Turned, the 320x240 picture is 240x320 and fills the frame without bars.
  EXPECT_EQ(chain.find("pad="), std::string::npos) << chain;
  FilterGraph graph;
  std::string error;
  ASSERT_TRUE(graph.Build(
      chain, {{"vin", "buffer", "video_size=320x240:pix_fmt=0:time_base=1/1000:pixel_aspect=1/1"}}, true,
      "vout", error))
      << error;
  EXPECT_EQ(av_buffersink_get_w(graph.Sink()), 240);
  EXPECT_EQ(av_buffersink_get_h(graph.Sink()), 320);
}

TEST(PictureChain, BlackPictureForAPartWithoutVideo) {
  PictureEdit edit = BaseEdit();
  FilterGraph graph;
  std::string error;
  ASSERT_TRUE(graph.Build(BlackPictureChain(edit), {}, true, "vout", error)) << error;
  EXPECT_EQ(av_buffersink_get_w(graph.Sink()), 640);
  EXPECT_EQ(av_buffersink_get_h(graph.Sink()), 360);
}

struct SoundCase {
  const char* name;
  int volume;
  int sourceChannels;
  const char* mustContain;
  const char* mustLack;
};

void PrintTo(const SoundCase& c, std::ostream* os) {
  *os << c.name;
}

class SoundChainCase : public testing::TestWithParam<SoundCase> {};

TEST_P(SoundChainCase, BuildsAGraphInTheEncodersFormat) {
  SoundEdit edit;
  edit.clipStart = 0.5;
  edit.clipLength = 1.0;
  edit.volume = GetParam().volume;
  edit.sourceChannels = GetParam().sourceChannels;
  edit.sampleRate = 44100;
  edit.sampleFormat = "s16";
  const std::string chain = SoundChain(edit);
  if (*GetParam().mustContain != '\0') {
    EXPECT_NE(chain.find(GetParam().mustContain), std::string::npos) << chain;
  }
  if (*GetParam().mustLack != '\0') {
    EXPECT_EQ(chain.find(GetParam().mustLack), std::string::npos) << chain;
  }
  const std::string layout = GetParam().sourceChannels == 1 ? "mono" : "stereo";
  FilterGraph graph;
  std::string error;
  ASSERT_TRUE(graph.Build(
      chain,
      {{"ain", "abuffer", "time_base=1/48000:sample_rate=48000:sample_fmt=fltp:channel_layout=" + layout}},
      false, "aout", error))
      << error;
  EXPECT_EQ(av_buffersink_get_sample_rate(graph.Sink()), 44100);
  EXPECT_EQ(av_buffersink_get_channels(graph.Sink()), 2);
  EXPECT_EQ(av_buffersink_get_format(graph.Sink()), AV_SAMPLE_FMT_S16);
}

INSTANTIATE_TEST_SUITE_P(Volumes, SoundChainCase,
                         testing::Values(SoundCase{"Unchanged", 256, 2, "atrim=end_sample=44100", "volume="},
                                         SoundCase{"Silent", 0, 2, "volume=0.000000", ""},
                                         SoundCase{"Double", 512, 2, "volume=2.000000", ""},
                                         SoundCase{"MonoGoesToBothChannels", 256, 1, "pan=stereo|c0=c0|c1=c0",
                                                   ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SoundChain, PreviewKeepsTheFilesTimesAndAddsNoSilence) {
  SoundEdit edit;
  edit.retime = false;
  edit.clipStart = 0.5;
  edit.clipLength = 1.0;
  edit.volume = 128;
  edit.sampleFormat = "s16";
  const std::string chain = SoundChain(edit);
  for (const char* filter : {"atrim", "asetpts", "apad", "async"}) {
    EXPECT_EQ(chain.find(filter), std::string::npos) << filter << " in " << chain;
  }
  EXPECT_NE(chain.find("volume=0.5"), std::string::npos) << chain;
  FilterGraph graph;
  std::string error;
  ASSERT_TRUE(graph.Build(
      chain,
      {{"ain", "abuffer", "time_base=1/48000:sample_rate=48000:sample_fmt=fltp:channel_layout=stereo"}},
      false, "aout", error))
      << error;
}

TEST(SoundChain, SilenceLastsTheClipExactly) {
  SoundEdit edit;
  edit.clipLength = 0.5;
  edit.sampleRate = 48000;
  FilterGraph graph;
  std::string error;
  ASSERT_TRUE(graph.Build(SilenceChain(edit), {}, false, "aout", error)) << error;
  int64_t samples = 0;
  AVFrame* frame = av_frame_alloc();
  while (av_buffersink_get_frame(graph.Sink(), frame) >= 0) {
    samples += frame->nb_samples;
    av_frame_unref(frame);
  }
  av_frame_free(&frame);
  EXPECT_EQ(samples, 24000);
}

TEST(Effects, SliderEndsStayWithinTheFiltersRange) {
  EXPECT_DOUBLE_EQ(EqBrightness(0), 0.0);
  EXPECT_DOUBLE_EQ(EqContrast(0), 1.0);
  EXPECT_DOUBLE_EQ(EqSaturation(0), 1.0);
  EXPECT_DOUBLE_EQ(EqBrightness(-100), -0.5);
  EXPECT_DOUBLE_EQ(EqContrast(100), 2.0);
  EXPECT_DOUBLE_EQ(EqSaturation(-100), 0.0);
  EXPECT_DOUBLE_EQ(EqBrightness(1000), 0.5) << "out-of-range values are clamped";
}

// ---- Paths inside a description --------------------------------------------------------------------

class PathValue : public testing::TestWithParam<const char*> {};

// The graph parser and then the filter's option parser each take one level of quoting away.
TEST_P(PathValue, ComesBackUnchangedThroughBothParsers) {
  const std::string path = GetParam();
  const std::string description = "ass=filename=" + FilterPathValue(path) + ",null";
  const char* cursor = description.c_str() + 4;  // past "ass="
  char* arguments = av_get_token(&cursor, "[],;");
  ASSERT_NE(arguments, nullptr);
  EXPECT_EQ(*cursor, ',') << "the value ran into the next filter";
  const char* inner = arguments + 9;  // past "filename="
  char* value = av_get_token(&inner, ":");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(std::string(value), path);
  EXPECT_EQ(*inner, '\0');
  av_free(value);
  av_free(arguments);
}

INSTANTIATE_TEST_SUITE_P(Paths, PathValue,
                         testing::Values("/tmp/kv-subtitle-abc123", "/a b/c:d.ass", "/it's/[x],y;z.ass",
                                         "/back\\slash.ass"));

}  // namespace
