// The media maker and the output checker against each other, without the engine: when an engine test
// fails, these tell whether the fixture or the engine is at fault.

#include <gtest/gtest.h>

#include <cmath>

#include "engines/ffengine/image_size.h"
#include "engines/ffengine/media_probe.h"
#include "tests/convert_engine/fixtures.h"
#include "tests/convert_engine/output_probe.h"
#include "tests/fakes/temp_folder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

using output_probe::Mean;
using output_probe::Rect;

TEST(MediaMaker, QuadrantClipDecodesWithItsColoursLengthAndTone) {
  const std::string& path = fixtures::Quadrants();
  ASSERT_FALSE(path.empty());
  const auto facts = output_probe::Probe(path);
  ASSERT_TRUE(facts.opened);
  EXPECT_EQ(facts.video.codec, "h264");
  EXPECT_EQ(facts.video.width, 320);
  EXPECT_EQ(facts.video.height, 240);
  EXPECT_NEAR(facts.video.frameRate, 25.0, 0.01);
  EXPECT_EQ(facts.audio.codec, "aac");
  EXPECT_EQ(facts.audio.sampleRate, 48000);
  EXPECT_EQ(facts.audio.channels, 2);

  const auto pictures = output_probe::DecodePictures(path);
  ASSERT_EQ(pictures.size(), 50u);
  const auto plan = fixtures::QuadrantPlan();
  const Rect quadrants[4] = {{20, 20, 120, 80}, {180, 20, 120, 80}, {180, 140, 120, 80}, {20, 140, 120, 80}};
  for (int q = 0; q < 4; ++q) {
    const Mean mean = output_probe::MeanColour(pictures[10], quadrants[q]);
    EXPECT_LT(output_probe::Distance(mean, output_probe::MeanOf(plan.quadrants[q])), 8.0) << "quadrant " << q;
  }

  const auto sound = output_probe::DecodeSound(path);
  EXPECT_NEAR(sound.Seconds(), 2.0, 0.03);
  EXPECT_NEAR(output_probe::Rms(sound, 0.2, 1.8), 0.25 / std::sqrt(2.0), 0.01);
}

TEST(MediaMaker, CounterClipShowsEveryFrameNumberAndBeepsOnce) {
  const std::string& path = fixtures::Counter();
  ASSERT_FALSE(path.empty());
  const auto pictures = output_probe::DecodePictures(path);
  ASSERT_EQ(pictures.size(), 100u);
  for (size_t i = 0; i < pictures.size(); ++i) {
    EXPECT_EQ(output_probe::CounterValue(pictures[i]), static_cast<int>(i));
  }
  const auto sound = output_probe::DecodeSound(path);
  EXPECT_NEAR(output_probe::Onset(sound, 0.05) + sound.start, fixtures::kBeepAt, 0.02);
  EXPECT_LT(output_probe::Peak(sound, 0.0, 1.9), 0.01);
  EXPECT_LT(output_probe::Peak(sound, 2.3, 4.0), 0.01);
}

TEST(MediaMaker, SubtitledClipsCarryOneSubtitleStreamTheProbeLists) {
  for (const std::string* path : {&fixtures::TextSubtitled(), &fixtures::BitmapSubtitled()}) {
    ASSERT_FALSE(path->empty());
    MediaInfo media{};
    ASSERT_TRUE(ffengine::ProbeMedia(path->c_str(), media)) << *path;
    EXPECT_EQ(media.subtitleCount, 1) << *path;
    EXPECT_EQ(media.videoCount, 1) << *path;
  }
}

// The bitmap subtitle must decode to the block the engine is expected to burn in.
TEST(MediaMaker, BitmapSubtitleDecodesToItsWhiteBlock) {
  const std::string& path = fixtures::BitmapSubtitled();
  ASSERT_FALSE(path.empty());
  AVFormatContext* format = nullptr;
  ASSERT_GE(avformat_open_input(&format, path.c_str(), nullptr, nullptr), 0);
  ASSERT_GE(avformat_find_stream_info(format, nullptr), 0);
  const int index = av_find_best_stream(format, AVMEDIA_TYPE_SUBTITLE, -1, -1, nullptr, 0);
  ASSERT_GE(index, 0);
  const AVCodec* decoder = avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
  AVCodecContext* codec = avcodec_alloc_context3(decoder);
  avcodec_parameters_to_context(codec, format->streams[index]->codecpar);
  ASSERT_GE(avcodec_open2(codec, decoder, nullptr), 0);
  AVPacket* packet = av_packet_alloc();
  int rects = 0;
  int width = 0;
  int height = 0;
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == index) {
      AVSubtitle subtitle{};
      int got = 0;
      if (avcodec_decode_subtitle2(codec, &subtitle, &got, packet) >= 0 && got != 0) {
        rects += static_cast<int>(subtitle.num_rects);
        if (subtitle.num_rects > 0) {
          width = subtitle.rects[0]->w;
          height = subtitle.rects[0]->h;
        }
        avsubtitle_free(&subtitle);
      }
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  avcodec_free_context(&codec);
  avformat_close_input(&format);
  EXPECT_EQ(rects, 1);
  EXPECT_EQ(width, 160);
  EXPECT_GE(height, 50);
}

TEST(MediaMaker, WatermarkPictureHasItsSize) {
  const std::string& path = engine_harness::Picture("mark_test.png", 40, 30, media_maker::Rgb{255, 0, 0});
  ASSERT_FALSE(path.empty());
  int32_t width = 0;
  int32_t height = 0;
  ASSERT_TRUE(ffengine::ReadImageSize(path.c_str(), width, height));
  EXPECT_EQ(width, 40);
  EXPECT_EQ(height, 30);
}

TEST(MediaMaker, CorruptFileIsRefusedByTheProbe) {
  TempFolder folder("kv-corrupt");
  const std::string path = folder.File("broken.mkv");
  ASSERT_TRUE(media_maker::MakeCorrupt(path));
  MediaInfo media{};
  EXPECT_FALSE(ffengine::ProbeMedia(path.c_str(), media));
}

}  // namespace
