#include <gtest/gtest.h>

#include <sys/mount.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "components/text_utf.h"
#include "convert/profile_to_engine.h"
#include "convert/size_forecast.h"
#include "tests/convert_engine/engine_harness.h"
#include "tests/settings/settings_test_env.h"

namespace {

// An input record as a probe fills it: `seconds` long, with a picture at `fps` and/or stereo sound.
CIInput Input(double seconds, bool video, bool audio, int fps = 25) {
  CIInput input{};
  input.clipLength = seconds;
  input.videoId = video ? 0 : -1;
  input.audioId = audio ? 1 : -1;
  input.media.videoCount = video ? 1 : 0;
  input.media.frameRateNum = fps;
  input.media.frameRateDen = 1;
  input.media.audioCount = audio ? 1 : 0;
  input.media.audioStreams[0].sampleRate = 48000;
  CopyTextToField(input.media.audioStreams[0].channels, sizeof input.media.audioStreams[0].channels,
                  "stereo");
  return input;
}

CIOutput Encoder(const char* format, const char* video, int videoRate, const char* audio, int audioRate,
                 int audioOnly = 0) {
  CIOutput output{};
  CopyTextToField(output.FormatName, sizeof output.FormatName, format);
  CopyTextToField(output.VideoCodecName, sizeof output.VideoCodecName, video);
  CopyTextToField(output.AudioCodecName, sizeof output.AudioCodecName, audio);
  output.AudioFormat = audioOnly;
  output.Width = 640;
  output.Height = 360;
  output.FrameRate = -1;
  output.VideoBitRate = videoRate;
  output.SampleRate = 44100;
  output.Channel = 2;
  output.AudioBitRate = audioRate;
  return output;
}

int64_t Forecast(const CIOutput& encoder, const std::vector<CIInput>& inputs) {
  return ForecastJobBytes(encoder, inputs.data(), static_cast<int32_t>(inputs.size()));
}

TEST(SizeForecastTest, GrowsWithTheLengthAndCountsOnlyTheStreamsTheOutputGets) {
  const CIOutput mp4 = Encoder("mp4", "libvpx", 1'000'000, "mp2", 128'000);
  const int64_t ten = Forecast(mp4, {Input(10, true, true)});
  EXPECT_EQ(ten, (1'000'000 + 128'000) / 8 * 10) << "plain bit rates in a container that adds nothing";
  EXPECT_EQ(Forecast(mp4, {Input(20, true, true)}), 2 * ten);
  EXPECT_EQ(Forecast(mp4, {Input(4, true, true), Input(6, true, true)}), ten) << "a merge lasts its parts";

  EXPECT_EQ(Forecast(mp4, {Input(10, true, false)}), 1'000'000 / 8 * 10) << "a silent source";
  EXPECT_EQ(Forecast(mp4, {Input(10, false, true)}), 128'000 / 8 * 10) << "a sound-only source";
  EXPECT_EQ(Forecast(mp4, {Input(4, true, false), Input(6, false, true)}),
            (1'000'000 / 8 * 10) + (128'000 / 8 * 10))
      << "a merge has each stream when any part has it, for its whole length";
  EXPECT_EQ(Forecast(Encoder("mp3", "libvpx", 1'000'000, "libmp3lame", 128'000, 1), {Input(10, true, true)}),
            128'000 / 8 * 10)
      << "audio-only output";
  EXPECT_EQ(Forecast(Encoder("mp4", "libvpx", 1'000'000, "", 128'000), {Input(10, true, true)}),
            1'000'000 / 8 * 10)
      << "no audio codec";

  for (const double bad :
       {0.0, -5.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(Forecast(mp4, {Input(bad, true, true)}), 0) << bad;
  }
  EXPECT_EQ(Forecast(mp4, {}), 0);
}

TEST(SizeForecastTest, EstimatesWhatHasNoBitRate) {
  // Plain samples are exact: 44100 Hz, two channels, two bytes.
  EXPECT_EQ(Forecast(Encoder("wav", "", 0, "pcm_s16le", 0, 1), {Input(10, false, true)}), 44100 * 2 * 2 * 10);
  EXPECT_EQ(Forecast(Encoder("wav", "", 0, "pcm_s24le", 0, 1), {Input(10, false, true)}), 44100 * 2 * 3 * 10);
  const int64_t flac = Forecast(Encoder("flac", "", 0, "flac", 0, 1), {Input(10, false, true)});
  EXPECT_GT(flac, 44100 * 2 * 2 * 10 / 3);
  EXPECT_LT(flac, 44100 * 2 * 2 * 10);
  // A profile that keeps the source's rate and size takes them from the source.
  CIOutput keep = Encoder("wav", "", 0, "pcm_s16le", 0, 1);
  keep.SampleRate = 0;
  keep.Channel = 0;
  EXPECT_EQ(Forecast(keep, {Input(10, false, true)}), 48000 * 2 * 2 * 10);

  // A video without a bit rate grows with its picture and its frame rate, the source's when kept.
  const CIOutput open = Encoder("matroska", "mpeg4", 0, "", 0);
  const int64_t at25 = Forecast(open, {Input(10, true, false, 25)});
  EXPECT_GT(at25, 0);
  EXPECT_EQ(Forecast(open, {Input(10, true, false, 50)}), 2 * at25);
  CIOutput big = open;
  big.Width *= 2;
  EXPECT_EQ(Forecast(big, {Input(10, true, false, 25)}), 2 * at25);
  CIOutput fixed = open;
  fixed.FrameRate = 50;
  EXPECT_EQ(Forecast(fixed, {Input(10, true, false, 25)}), 2 * at25);
  EXPECT_EQ(Forecast(open, {Input(10, true, false, 0)}), at25) << "an unknown rate counts as 25";
}

TEST(SizeForecastTest, FfmpegsOwnEncodersSpendAtLeastTheirCoarsestRateOnTheSourcesDetail) {
  // H.263 at 128 kbps for a 176x144 picture at 15 fps: the rate is below what the coarsest
  // quantiser spends, so the estimate follows the picture.
  CIOutput h263 = Encoder("3gp", "h263", 128'000, "", 0);
  h263.Width = 176;
  h263.Height = 144;
  h263.FrameRate = 15;
  CIInput source = Input(10, true, false);
  source.media.width = 640;
  source.media.height = 360;
  const int64_t small = Forecast(h263, {source});
  EXPECT_GT(small, 128'000 / 8 * 10 * 5 / 4);
  h263.Width = 352;
  h263.Height = 288;
  EXPECT_EQ(Forecast(h263, {source}), 4 * small) << "four times the pixels, four times the detail";
  source.media.width = 176;
  source.media.height = 144;
  EXPECT_EQ(Forecast(h263, {source}), small) << "a picture scaled up gains no detail";
  h263.VideoBitRate = 10'000'000;
  EXPECT_EQ(Forecast(h263, {source}), 10'000'000 / 8 * 10) << "a rate above the floor is kept";
}

TEST(SizeForecastTest, SizesReadAsPeopleReadThem) {
  const struct {
    int64_t bytes;
    const char* text;
  } cases[] = {{-1, "0 KB"},
               {0, "0 KB"},
               {820'400, "820 KB"},
               {1'000'000, "1.00 MB"},
               {14'230'000, "14.2 MB"},
               {512'000'000, "512 MB"},
               {1'354'000'000, "1.35 GB"},
               {21'000'000'000, "21.0 GB"}};
  for (const auto& c : cases) {
    EXPECT_EQ(SizeText(c.bytes), QString::fromLatin1(c.text)) << c.bytes;
  }
}

TEST(FreeSpaceTest, WarnsBelowTheEstimateAndItsMargin) {
  const struct {
    int64_t estimate;
    int64_t available;
    bool enough;
  } cases[] = {
      {100'000'000, 200'000'000, true},
      {100'000'000, 120'000'000, true},  // a tenth on top: 110 MB
      {100'000'000, 109'999'999, false},
      {1'000'000, 20'999'999, false},  // the margin is at least 20 MB
      {1'000'000, 21'000'000, true},
      {0, 0, true},             // nothing to write
      {100'000'000, -1, true},  // the free space could not be read: no warning
      {5'000'000'000, 4'000'000'000, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EnoughSpace(c.estimate, c.available), c.enough) << c.estimate << " in " << c.available;
  }
  EXPECT_EQ(
      SpaceWarning(1'354'000'000, 820'400'000, "/srv/videos"),
      "The converted files need about 1.35 GB, but /srv/videos has only 820 MB free.\n\nConvert anyway?");
}

TEST(FreeSpaceTest, ADestinationNotYetMadeIsMeasuredOnItsParentsFileSystem) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const int64_t here = AvailableBytes(folder.path());
  EXPECT_GT(here, 0);
  const int64_t below = AvailableBytes(folder.path() + "/not/yet/made");
  EXPECT_NEAR(static_cast<double>(below), static_cast<double>(here), 64.0 * 1024 * 1024);
  EXPECT_FALSE(QFileInfo::exists(folder.path() + "/not")) << "measuring makes nothing";
}

TEST(FreeSpaceTest, ASmallFileSystemReportsItsOwnFreeSpace) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QByteArray where = QFile::encodeName(folder.path());
  if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=1m") != 0) {
    GTEST_SKIP() << "mounting a small file system needs root";
  }
  const int64_t free = AvailableBytes(folder.path());
  ::umount(where.constData());
  EXPECT_GT(free, 0);
  EXPECT_LE(free, 1024 * 1024);
}

// Every shipped profile converts a 10-second clip of grainy moving pictures with a hissing tone; the
// forecast must be within a quarter of the file written. The profiles are spread over six shards so
// that CTest runs them side by side.
constexpr int kShards = 6;
constexpr double kTolerance = 0.25;

class ShippedForecastTest : public settings_test::CatalogueTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    const QString source = qEnvironmentVariable("KV_SOURCE_DIR");
    ASSERT_FALSE(source.isEmpty()) << "CTest sets KV_SOURCE_DIR to the source tree";
    context_.productFolder = source + "/data/";
    ASSERT_TRUE(catalogue_.LoadCatalogue());
    ASSERT_GT(catalogue_.ProfileCount(), kShards);
  }

  static const std::string& Clip() {
    media_maker::ClipPlan plan;
    plan.width = 640;
    plan.height = 360;
    plan.fps = 10;  // rate control aims at bits per second; fewer frames only make the test quicker
    plan.seconds = 10.0;
    plan.grain = 24;
    plan.hiss = 0.2;
    return engine_harness::Fixture("grainy.mkv", plan);
  }

  ConverterSettings catalogue_{context_};
};

TEST_P(ShippedForecastTest, IsWithinAQuarterOfTheRealSize) {
  const std::string& clip = Clip();
  ASSERT_FALSE(clip.empty());
  const CIInput input = engine_harness::InputFor(clip);
  ASSERT_NEAR(input.clipLength, 10.0, 0.1);
  QTemporaryDir out;
  ASSERT_TRUE(out.isValid());
  for (int i = GetParam(); i < catalogue_.ProfileCount(); i += kShards) {
    const ProfileSetting& profile = *catalogue_.ProfileAt(i);
    CIOutput output{};
    ProfileToEngineRecord(profile, output);
    const std::string path =
        out.path().toStdString() + "/" + std::to_string(profile.ProfileId) + profile.FormatExt.toStdString();
    CopyTextToField(output.outputFile, sizeof output.outputFile, path);
    engine_harness::RecordingSink sink;
    engine_harness::EnginePtr engine = engine_harness::NewConfiguredEngine(&sink);
    engine->AddJob(&output, &input);
    const engine_harness::Outcome outcome = engine_harness::RunToEnd(*engine, 1, std::chrono::seconds(300));
    ASSERT_EQ(outcome.results, std::vector<int32_t>{1}) << profile.ProfileName.toStdString() << "\n"
                                                        << sink.Log();
    const double real = static_cast<double>(std::filesystem::file_size(path));
    const double forecast = static_cast<double>(ForecastJobBytes(output, &input, 1));
    const double ratio = forecast / real;
    std::printf("forecast %3d %-44s real %10.0f forecast %10.0f ratio %.3f\n", profile.ProfileId,
                profile.ProfileName.toStdString().c_str(), real, forecast, ratio);
    EXPECT_NEAR(ratio, 1.0, kTolerance) << profile.ProfileName.toStdString();
    std::filesystem::remove(path);
  }
}

INSTANTIATE_TEST_SUITE_P(Shards, ShippedForecastTest, ::testing::Range(0, kShards));

}  // namespace
