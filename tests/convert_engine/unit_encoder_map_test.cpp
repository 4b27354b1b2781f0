#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engines/ffengine/encoder_map.h"

namespace {

using namespace ffengine;

struct Name {
  const char* catalogue;
  const char* encoder;
};

void PrintTo(const Name& n, std::ostream* os) {
  *os << '"' << n.catalogue << '"';
}

class CatalogueName : public testing::TestWithParam<Name> {};

// Every codec name the catalogue may hold reaches an encoder this FFmpeg build really has.
TEST_P(CatalogueName, MapsOntoAnEncoderOfThisBuild) {
  const std::string name = EncoderName(GetParam().catalogue);
  EXPECT_EQ(name, GetParam().encoder);
  const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
  ASSERT_NE(codec, nullptr) << name;
  EXPECT_EQ(codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL, 0) << name << " is experimental";
}

INSTANTIATE_TEST_SUITE_P(
    Names, CatalogueName,
    testing::Values(Name{"libx264", "libx264"}, Name{"libx265", "libx265"}, Name{"mpeg4", "mpeg4"},
                    Name{"libxvid", "libxvid"}, Name{"mpeg2video", "mpeg2video"},
                    Name{"mpeg1video", "mpeg1video"}, Name{"wmv2", "wmv2"}, Name{"wmv1", "wmv1"},
                    Name{"flv", "flv"}, Name{"h263", "h263"}, Name{"libvpx", "libvpx"},
                    Name{"libvpx-vp9", "libvpx-vp9"}, Name{"libfaac", "aac"}, Name{" libfaac\t", "aac"},
                    Name{"libmp3lame", "libmp3lame"}, Name{"ac3", "ac3"}, Name{"mp2", "mp2"},
                    Name{"pcm_s16le", "pcm_s16le"}, Name{"pcm_s24le", "pcm_s24le"}, Name{"flac", "flac"},
                    Name{"alac", "alac"}, Name{"libvorbis", "libvorbis"}, Name{"vorbis", "libvorbis"},
                    Name{"libopus", "libopus"}, Name{"opus", "libopus"}, Name{"wmav2", "wmav2"},
                    Name{"wmav1", "wmav1"}),
    [](const auto& info) {
      std::string name;
      for (const char c : std::string(info.param.catalogue)) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
          name += c;
        }
      }
      return name + (std::string(info.param.catalogue).front() == ' ' ? "Padded" : "");
    });

TEST(EncoderName, BlankNameMeansNoEncoder) {
  EXPECT_EQ(EncoderName(""), "");
  EXPECT_EQ(EncoderName(" \t\r\n"), "");
}

TEST(NearestOf, PicksTheClosestAndTheHigherOnATie) {
  const std::vector<int> rates = {11025, 22050, 44100};
  EXPECT_EQ(NearestOf(rates, 48000), 44100);
  EXPECT_EQ(NearestOf(rates, 8000), 11025);
  EXPECT_EQ(NearestOf(rates, 22050), 22050);
  EXPECT_EQ(NearestOf(std::vector<int>{10, 20}, 15), 20);
  EXPECT_EQ(NearestOf(std::vector<int>{}, 12345), 12345);
}

struct RateCase {
  const char* name;
  const char* encoder;
  const char* muxer;
  int wanted;
  int expected;
};

void PrintTo(const RateCase& r, std::ostream* os) {
  *os << r.encoder << " in " << r.muxer << " at " << r.wanted;
}

class SampleRate : public testing::TestWithParam<RateCase> {};

// The rate a job gets is one the encoder opens with and the container can signal.
TEST_P(SampleRate, IsTheNearestTheEncoderAndContainerTake) {
  const RateCase& c = GetParam();
  const AVCodec* codec = avcodec_find_encoder_by_name(c.encoder);
  ASSERT_NE(codec, nullptr);
  const std::vector<int> allowed = AllowedSampleRates(codec, c.muxer);
  const int chosen = allowed.empty() || std::ranges::find(allowed, c.wanted) != allowed.end()
                         ? c.wanted
                         : NearestOf(allowed, c.wanted);
  EXPECT_EQ(chosen, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rates, SampleRate,
                         testing::Values(RateCase{"Mp3InFlvAt48000", "libmp3lame", "flv", 48000, 44100},
                                         RateCase{"Mp3InFlvAt16000", "libmp3lame", "flv", 16000, 11025},
                                         RateCase{"AacInFlvKeepsItsRate", "aac", "flv", 48000, 48000},
                                         RateCase{"Mp3InMp4KeepsItsRate", "libmp3lame", "mp4", 48000, 48000},
                                         RateCase{"OpusAt44100", "libopus", "webm", 44100, 48000},
                                         RateCase{"Ac3At22050", "ac3", "ac3", 22050, 32000},
                                         RateCase{"Mp2At11025", "mp2", "mpeg", 11025, 16000},
                                         RateCase{"WmaAt96000", "wmav2", "asf", 96000, 48000},
                                         RateCase{"PcmTakesAny", "pcm_s16le", "wav", 12345, 12345}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SizeCase {
  const char* name;
  AVCodecID codec;
  int width;
  int height;
  int expectedWidth;
  int expectedHeight;
};

void PrintTo(const SizeCase& s, std::ostream* os) {
  *os << s.width << "x" << s.height;
}

class FrameSize : public testing::TestWithParam<SizeCase> {};

TEST_P(FrameSize, IsOneTheEncoderTakes) {
  const SizeCase& c = GetParam();
  int width = c.width;
  int height = c.height;
  FitFrameSize(c.codec, width, height);
  EXPECT_EQ(width, c.expectedWidth);
  EXPECT_EQ(height, c.expectedHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FrameSize,
    testing::Values(SizeCase{"H263Qcif", AV_CODEC_ID_H263, 176, 144, 176, 144},
                    SizeCase{"H263FromVga", AV_CODEC_ID_H263, 640, 480, 704, 576},
                    SizeCase{"H263From320x240", AV_CODEC_ID_H263, 320, 240, 352, 288},
                    SizeCase{"H263FromTiny", AV_CODEC_ID_H263, 100, 80, 128, 96},
                    SizeCase{"H263FromLargeCif", AV_CODEC_ID_H263, 1408, 1152, 1408, 1152},
                    SizeCase{"H263FromHd", AV_CODEC_ID_H263, 1920, 1080, 1408, 1152},
                    SizeCase{"OddMadeEven", AV_CODEC_ID_H264, 321, 241, 320, 240},
                    SizeCase{"EvenKept", AV_CODEC_ID_MPEG4, 426, 240, 426, 240},
                    SizeCase{"Mpeg2Limit", AV_CODEC_ID_MPEG2VIDEO, 8000, 5000, 4094, 4094},
                    SizeCase{"NeverBelowTwo", AV_CODEC_ID_H264, 1, 0, 2, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameRate, MpegVideoGetsAStandardRateAndOthersKeepTheirs) {
  const AVCodec* mpeg2 = avcodec_find_encoder_by_name("mpeg2video");
  ASSERT_NE(mpeg2, nullptr);
  EXPECT_EQ(av_cmp_q(FitFrameRate(mpeg2, AVRational{25, 1}), AVRational{25, 1}), 0);
  const AVRational fifteen = FitFrameRate(mpeg2, AVRational{15, 1});
  bool listed = false;
  for (const AVRational* rate = mpeg2->supported_framerates; rate->num != 0; ++rate) {
    listed = listed || av_cmp_q(*rate, fifteen) == 0;
  }
  EXPECT_TRUE(listed) << fifteen.num << "/" << fifteen.den;

  // MPEG-1 lists rates it then refuses to open with: every rate chosen must open the encoder.
  const AVCodec* mpeg1 = avcodec_find_encoder_by_name("mpeg1video");
  ASSERT_NE(mpeg1, nullptr);
  for (const AVRational wanted : {AVRational{5, 1}, AVRational{10, 1}, AVRational{12, 1}, AVRational{15, 1},
                                  AVRational{25, 1}, AVRational{120, 1}}) {
    const AVRational chosen = FitFrameRate(mpeg1, wanted);
    AVCodecContext* encoder = avcodec_alloc_context3(mpeg1);
    ASSERT_NE(encoder, nullptr);
    encoder->width = 352;
    encoder->height = 288;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->framerate = chosen;
    encoder->time_base = av_inv_q(chosen);
    encoder->bit_rate = 1150000;
    EXPECT_EQ(avcodec_open2(encoder, mpeg1, nullptr), 0)
        << wanted.num << " fps: " << chosen.num << "/" << chosen.den;
    avcodec_free_context(&encoder);
  }
  EXPECT_EQ(av_cmp_q(FitFrameRate(mpeg1, AVRational{25, 1}), AVRational{25, 1}), 0);

  const AVCodec* x264 = avcodec_find_encoder_by_name("libx264");
  ASSERT_NE(x264, nullptr);
  EXPECT_EQ(av_cmp_q(FitFrameRate(x264, AVRational{15, 1}), AVRational{15, 1}), 0);
  EXPECT_EQ(av_cmp_q(FitFrameRate(x264, AVRational{0, 1}), AVRational{25, 1}), 0) << "an unknown rate";
  const AVRational odd = FitFrameRate(x264, AVRational{2997003, 100000});
  EXPECT_LE(odd.den, 65535);
  EXPECT_NEAR(av_q2d(odd), 29.97003, 1e-4);
}

TEST(PixelFormat, TheProfilesChoiceWhenTakenElseYuv420) {
  const AVCodec* x264 = avcodec_find_encoder_by_name("libx264");
  const AVCodec* mpeg4 = avcodec_find_encoder_by_name("mpeg4");
  ASSERT_TRUE(x264 && mpeg4);
  EXPECT_EQ(ChoosePixelFormat(x264, AV_PIX_FMT_YUV444P), AV_PIX_FMT_YUV444P);
  EXPECT_EQ(ChoosePixelFormat(mpeg4, AV_PIX_FMT_YUV444P), AV_PIX_FMT_YUV420P);
  EXPECT_EQ(ChoosePixelFormat(x264, AV_PIX_FMT_NONE), AV_PIX_FMT_YUV420P);
}

TEST(Channels, StayWithinWhatTheEncoderTakes) {
  const AVCodec* wma = avcodec_find_encoder_by_name("wmav2");
  const AVCodec* aac = avcodec_find_encoder_by_name("aac");
  const AVCodec* mp2 = avcodec_find_encoder_by_name("mp2");
  ASSERT_TRUE(wma && aac && mp2);
  EXPECT_EQ(FitChannels(wma, 6), 2);
  EXPECT_EQ(FitChannels(mp2, 6), 2);
  EXPECT_EQ(FitChannels(aac, 2), 2);
  EXPECT_EQ(FitChannels(aac, 1), 1);
  EXPECT_EQ(FitChannels(aac, 0), 1);
}

}  // namespace
