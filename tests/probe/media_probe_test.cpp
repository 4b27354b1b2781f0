#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "components/field_text.h"
#include "components/media_info.h"
#include "components/stream_label.h"
#include "engines/ffengine/media_probe.h"
#include "tests/probe/probe_test_support.h"

namespace {

using namespace probe_test;

struct Audio {
  int32_t id;
  int32_t sampleRate;
  std::string channels;
  std::string codec;
  std::string tag;
};

struct Subtitle {
  int32_t id;
  std::string tag;
};

// What a person reads from each shipped file.
struct Expected {
  std::string file;
  double duration;
  int32_t videoCount;
  int32_t width;
  int32_t height;
  int32_t aspectNum;
  int32_t aspectDen;
  int32_t frameRateNum;
  int32_t frameRateDen;
  std::string videoCodec;
  int32_t interlaced;
  std::vector<Audio> audio;
  std::vector<Subtitle> subtitles;
};

void PrintTo(const Expected& expected, std::ostream* os) {
  *os << expected.file;
}

const Expected kFiles[] = {
    {"video_audio.mp4", 2.0, 1, 160, 120, 4, 3, 25, 1, "h264", 0, {{1, 44100, "stereo", "aac", ""}}, {}},
    {"audio_only.ogg", 2.0, 0, 0, 0, 0, 0, 0, 0, "", 0, {{0, 22050, "mono", "vorbis", ""}}, {}},
    // The cover picture is stream 1 and is not counted as video.
    {"cover_art.mp3", 2.04, 0, 0, 0, 0, 0, 0, 0, "", 0, {{0, 44100, "stereo", "mp3", ""}}, {}},
    {"length_0.9.mp4", 0.9, 1, 160, 120, 4, 3, 20, 1, "h264", 0, {{1, 44100, "stereo", "aac", ""}}, {}},
    {"length_1.0.mp4", 1.0, 1, 160, 120, 4, 3, 20, 1, "h264", 0, {{1, 44100, "stereo", "aac", ""}}, {}},
    // A 4:3 sample aspect ratio shows the 160x120 frame as 16:9.
    {"tracks.mkv",
     1.54,
     1,
     160,
     120,
     16,
     9,
     25,
     1,
     "h264",
     0,
     {{1, 48000, "stereo", "aac", "eng"}, {2, 48000, "5.1(side)", "ac3", "fre"}},
     {{3, "eng"}, {4, "spa"}}},
    {"interlaced.ts", 1.0, 1, 160, 120, 4, 3, 25, 1, "h264", 1, {}, {}},
    // Neither file says its field order: decoded frames decide.
    {"interlaced_unmarked.avi", 0.4, 1, 96, 64, 3, 2, 25, 1, "mpeg4", 1, {}, {}},
    {"progressive_unmarked.avi", 0.4, 1, 96, 64, 3, 2, 25, 1, "mpeg4", 0, {}, {}},
    {"playlist_target.ts", 3.0, 1, 96, 64, 3, 2, 10, 1, "h264", 0, {}, {}},
};

class ProbeFixture : public ::testing::TestWithParam<Expected> {};

TEST_P(ProbeFixture, ReadsWhatAPersonWouldRead) {
  const Expected& expected = GetParam();
  MediaInfo info{};
  ASSERT_TRUE(ffengine::ProbeMedia(Fixture(expected.file).c_str(), info));

  EXPECT_NEAR(info.duration, expected.duration, 0.05);
  EXPECT_EQ(info.videoCount, expected.videoCount);
  EXPECT_EQ(info.width, expected.width);
  EXPECT_EQ(info.height, expected.height);
  EXPECT_EQ(info.aspectNum, expected.aspectNum);
  EXPECT_EQ(info.aspectDen, expected.aspectDen);
  EXPECT_EQ(info.frameRateNum, expected.frameRateNum);
  if (expected.videoCount > 0) {
    EXPECT_EQ(info.videoStreamId, 0);
    EXPECT_EQ(info.frameRateDen, expected.frameRateDen);
  }
  EXPECT_EQ(FieldText(info.videoCodec), expected.videoCodec);
  EXPECT_EQ(info.interlaced, expected.interlaced);

  ASSERT_EQ(info.audioCount, static_cast<int32_t>(expected.audio.size()));
  for (size_t i = 0; i < expected.audio.size(); ++i) {
    SCOPED_TRACE("audio entry " + std::to_string(i));
    const AudioStreamEntry& entry = info.audioStreams[i];
    EXPECT_EQ(int32_t{entry.id}, expected.audio[i].id);
    EXPECT_EQ(int32_t{entry.sampleRate}, expected.audio[i].sampleRate);
    EXPECT_EQ(FieldText(entry.channels), expected.audio[i].channels);
    EXPECT_EQ(FieldText(entry.codec), expected.audio[i].codec);
    EXPECT_EQ(FieldText(entry.tag), expected.audio[i].tag);
  }
  ASSERT_EQ(info.subtitleCount, static_cast<int32_t>(expected.subtitles.size()));
  for (size_t i = 0; i < expected.subtitles.size(); ++i) {
    SCOPED_TRACE("subtitle entry " + std::to_string(i));
    EXPECT_EQ(int32_t{info.subtitleStreams[i].id}, expected.subtitles[i].id);
    EXPECT_EQ(FieldText(info.subtitleStreams[i].tag), expected.subtitles[i].tag);
  }
}

INSTANTIATE_TEST_SUITE_P(Shipped, ProbeFixture, ::testing::ValuesIn(kFiles),
                         [](const ::testing::TestParamInfo<Expected>& info) {
                           return NameOf(info.param.file);
                         });

// The list refuses a file whose duration truncates to 0: 0.9 s must not come out as 1, nor 1.0 s as
// 0.99.
TEST(ProbeDuration, WholeSecondsAreThoseOfTheFile) {
  MediaInfo shortFile{};
  MediaInfo oneSecond{};
  ASSERT_TRUE(ffengine::ProbeMedia(Fixture("length_0.9.mp4").c_str(), shortFile));
  ASSERT_TRUE(ffengine::ProbeMedia(Fixture("length_1.0.mp4").c_str(), oneSecond));
  EXPECT_EQ(static_cast<int>(shortFile.duration), 0) << shortFile.duration;
  EXPECT_EQ(static_cast<int>(oneSecond.duration), 1) << oneSecond.duration;
}

// Callers count whole seconds in an int. A file whose header claims more than that is refused rather
// than handed on; the same file claiming 5 s shows the header is what the probe reports.
TEST(ProbeDuration, AClaimBeyondAnIntOfSecondsIsRefused) {
  TempDir dir;
  const std::string path = dir.Copy("tracks.mkv", "claims.mkv");
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // The segment's Duration element: id 0x4489, an 8-byte big-endian double of milliseconds.
  const size_t element = bytes.find("\x44\x89\x88");
  ASSERT_NE(element, std::string::npos);
  const auto claim = [&](double milliseconds) {
    uint64_t bits = 0;
    std::memcpy(&bits, &milliseconds, sizeof bits);
    char big[8];
    for (int i = 0; i < 8; ++i) {
      big[i] = static_cast<char>(bits >> (56 - 8 * i));
    }
    file.seekp(static_cast<std::streamoff>(element + 3));
    file.write(big, sizeof big);
    file.flush();
  };

  MediaInfo info{};
  claim(5000.0);
  ASSERT_TRUE(ffengine::ProbeMedia(path.c_str(), info));
  EXPECT_DOUBLE_EQ(info.duration, 5.0);
  claim(1e13);
  EXPECT_FALSE(ffengine::ProbeMedia(path.c_str(), info));
}

// 10 audio and 40 subtitle streams: the tables hold the first 8 and 32 in file order, and nothing is
// written past the record, even when the caller forgot to zero-fill it and the counts start out
// as garbage.
TEST(ProbeTables, CountsStopAtTheTablesAndNothingIsWrittenBeyond) {
  struct Guarded {
    MediaInfo info;
    unsigned char guard[256];
  } record;
  std::memset(&record.info, 0xFF, sizeof record.info);
  std::memset(record.guard, 0xA5, sizeof record.guard);
  ASSERT_TRUE(ffengine::ProbeMedia(Fixture("many_streams.mkv").c_str(), record.info));

  ASSERT_EQ(record.info.audioCount, kMaxAudioStreams);
  ASSERT_EQ(record.info.subtitleCount, kMaxSubtitleStreams);
  for (int i = 0; i < kMaxAudioStreams; ++i) {
    EXPECT_EQ(int32_t{record.info.audioStreams[i].id}, i);
    EXPECT_EQ(FieldText(record.info.audioStreams[i].codec), "pcm_u8");
  }
  for (int i = 0; i < kMaxSubtitleStreams; ++i) {
    EXPECT_EQ(int32_t{record.info.subtitleStreams[i].id}, 10 + i);
    EXPECT_EQ(FieldText(record.info.subtitleStreams[i].tag), "eng");
  }
  for (unsigned char byte : record.guard) {
    ASSERT_EQ(byte, 0xA5);
  }
}

// The audio-track box labels its choices from the entries the probe wrote.
TEST(ProbeLabels, EntriesFormTheTrackBoxLabels) {
  MediaInfo info{};
  ASSERT_TRUE(ffengine::ProbeMedia(Fixture("tracks.mkv").c_str(), info));
  ASSERT_EQ(info.audioCount, 2);
  EXPECT_EQ(AudioStreamLabel(info.audioStreams[0]), "0x1 aac stereo eng");
  EXPECT_EQ(AudioStreamLabel(info.audioStreams[1]), "0x2 ac3 5.1(side) fre");
  ASSERT_EQ(info.subtitleCount, 2);
  EXPECT_EQ(SubtitleStreamLabel(info.subtitleStreams[1]), "0x4 spa");
}

}  // namespace
