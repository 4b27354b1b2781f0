#include "info/properties_text.h"

#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Copies `text` into a fixed field as a separately built engine would: no terminator when it fills
// the field.
template <size_t N>
void Put(char (&field)[N], std::string_view text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N));
}

struct Track {
  int32_t sampleRate;
  const char* channels;
  const char* codec;
};

MediaInfo Video(int32_t width, int32_t height, int32_t rateNum, int32_t rateDen, std::string_view codec) {
  MediaInfo media{};
  media.duration = 10.0;
  media.videoCount = 1;
  media.width = width;
  media.height = height;
  media.frameRateNum = rateNum;
  media.frameRateDen = rateDen;
  Put(media.videoCodec, codec);
  // The field after the codec holds something, so reading past the codec would show.
  media.interlaced = 1;
  return media;
}

// `media` with an audio table of `tracks` whose count says `count` (the table's own size unless given).
MediaInfo WithAudio(MediaInfo media, std::initializer_list<Track> tracks, std::optional<int32_t> count = {}) {
  int i = 0;
  for (const Track& track : tracks) {
    AudioStreamEntry entry{};
    entry.id = i + 1;
    entry.sampleRate = track.sampleRate;
    Put(entry.channels, track.channels);
    Put(entry.codec, track.codec);
    Put(entry.tag, "eng");
    media.audioStreams[i++] = entry;
  }
  media.audioCount = count.value_or(static_cast<int32_t>(tracks.size()));
  return media;
}

MediaInfo AudioOnly(std::initializer_list<Track> tracks, std::optional<int32_t> count = {}) {
  MediaInfo media{};
  media.duration = 10.0;
  // What a stale record might still hold: none of it may show while the count says there is no video.
  media.width = 640;
  media.height = 480;
  media.frameRateNum = 25;
  media.frameRateDen = 1;
  Put(media.videoCodec, "mpeg4");
  return WithAudio(media, tracks, count);
}

const std::string kFullCodec(36, 'c');
const std::string kFullVideoCodec = std::string(35, 'v') + "w";

struct Case {
  const char* name;
  MediaInfo media;
  int audioIndex;
  // resolution, frame rate, video encoder, sample rate, channels, audio encoder
  std::array<std::string, 6> expected;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

const Track kAac{48000, "stereo", "aac"};
const Track kAc3{44100, "5.1(side)", "ac3"};
const Track kJunk{12345, "junk", "junk"};

std::vector<Case> Cases() {
  const MediaInfo film = Video(1920, 1080, 30000, 1001, "h264");
  // The engine never reports more tracks than its table holds, but the window may not trust it.
  const MediaInfo fullTable = WithAudio(film, {kAac, kJunk, kJunk, kJunk, kJunk, kJunk, kJunk, kAc3}, 20);

  return {
      {"video and audio",
       WithAudio(film, {kAac}),
       0,
       {"1920*1080", "29.970 fps", "h264", "48000 Hz", "stereo", "aac"}},
      {"audio only", AudioOnly({kAac}), 0, {"N/A", "N/A", "N/A", "48000 Hz", "stereo", "aac"}},
      {"video only, a stale table behind a zero count",
       WithAudio(Video(720, 576, 25, 1, "mpeg2video"), {kAac}, 0),
       -1,
       {"720*576", "25.000 fps", "mpeg2video", "N/A", "N/A", "N/A"}},
      {"neither", AudioOnly({kAac}, 0), 0, {"N/A", "N/A", "N/A", "N/A", "N/A", "N/A"}},
      {"a negative count is no audio", AudioOnly({kAac}, -3), 0, {"N/A", "N/A", "N/A", "N/A", "N/A", "N/A"}},
      {"whole frame rate",
       WithAudio(Video(1280, 720, 50, 1, "vp9"), {kAac}),
       0,
       {"1280*720", "50.000 fps", "vp9", "48000 Hz", "stereo", "aac"}},
      {"frame rate rounds at three places",
       Video(320, 240, 2997, 125, "h263"),
       0,
       {"320*240", "23.976 fps", "h263", "N/A", "N/A", "N/A"}},
      {"zero denominator",
       Video(640, 480, 30, 0, "mpeg4"),
       0,
       {"640*480", "N/A", "mpeg4", "N/A", "N/A", "N/A"}},
      {"zero numerator", Video(640, 480, 0, 1, "mpeg4"), 0, {"640*480", "N/A", "mpeg4", "N/A", "N/A", "N/A"}},
      {"negative denominator",
       Video(640, 480, 25, -1, "mpeg4"),
       0,
       {"640*480", "N/A", "mpeg4", "N/A", "N/A", "N/A"}},
      {"the chosen second track",
       WithAudio(film, {kAac, kAc3}),
       1,
       {"1920*1080", "29.970 fps", "h264", "44100 Hz", "5.1(side)", "ac3"}},
      {"an index past the count falls back to the first track",
       WithAudio(film, {kAac, kAc3, kJunk}, 2),
       2,
       {"1920*1080", "29.970 fps", "h264", "48000 Hz", "stereo", "aac"}},
      {"no choice made (-1) shows the first track",
       WithAudio(film, {kAc3, kAac}),
       -1,
       {"1920*1080", "29.970 fps", "h264", "44100 Hz", "5.1(side)", "ac3"}},
      {"a count past the table: the last entry is still a choice",
       fullTable,
       kMaxAudioStreams - 1,
       {"1920*1080", "29.970 fps", "h264", "44100 Hz", "5.1(side)", "ac3"}},
      {"a count past the table: an index past the table falls back",
       fullTable,
       kMaxAudioStreams,
       {"1920*1080", "29.970 fps", "h264", "48000 Hz", "stereo", "aac"}},
      {"names that fill their fields",
       WithAudio(Video(640, 480, 25, 1, kFullVideoCodec), {{8000, "mono", kFullCodec.c_str()}}),
       0,
       {"640*480", "25.000 fps", kFullVideoCodec, "8000 Hz", "mono", kFullCodec}},
      {"UTF-8 names",
       WithAudio(Video(640, 480, 25, 1, "vid\xC3\xA9o"), {{22050, "st\xC3\xA9r\xC3\xA9o", "son"}}),
       0,
       {"640*480", "25.000 fps", "vid\xC3\xA9o", "22050 Hz", "st\xC3\xA9r\xC3\xA9o", "son"}},
  };
}

class PropertiesTextTest : public ::testing::TestWithParam<Case> {};

TEST_P(PropertiesTextTest, ShowsEachLineOrNotAvailable) {
  const Case& c = GetParam();
  const PropertiesText text = PropertiesTextOf(c.media, c.audioIndex);
  const std::array<QString, 6> got = {text.resolution, text.frameRate, text.videoEncoder,
                                      text.sampleRate, text.channels,  text.audioEncoder};
  const char* lines[] = {"resolution",  "frame rate", "video encoder",
                         "sample rate", "channels",   "audio encoder"};
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].toStdString(), c.expected[i]) << lines[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Items, PropertiesTextTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (char ch : std::string_view(info.param.name)) {
                             if (std::isalnum(static_cast<unsigned char>(ch))) {
                               name += ch;
                             }
                           }
                           return name;
                         });

}  // namespace
