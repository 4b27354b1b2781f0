#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>

#include "components/media_info.h"
#include "engines/ffengine/input_policy.h"
#include "engines/ffengine/media_probe.h"
#include "tests/probe/probe_test_support.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

using namespace probe_test;
using Clock = std::chrono::steady_clock;

// Well inside the open bound: a refusal must not be the bound running out.
constexpr auto kQuick = std::chrono::seconds(2);

// Reports whether a file was opened or read while it was watched.
class AccessWatch {
 public:
  explicit AccessWatch(const std::string& path) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0) {
      watch_ = inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_ACCESS);
    }
  }
  ~AccessWatch() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  AccessWatch(const AccessWatch&) = delete;
  AccessWatch& operator=(const AccessWatch&) = delete;

  bool Ready() const { return fd_ >= 0 && watch_ >= 0; }
  // True when any event arrived since the last call.
  bool Touched() {
    alignas(inotify_event) char buffer[4096];
    bool any = false;
    while (read(fd_, buffer, sizeof buffer) > 0) {
      any = true;
    }
    return any;
  }

 private:
  int fd_;
  int watch_ = -1;
};

// A file the probe must refuse, made in a private folder (so that no other test's reads show up in
// the watch) together with the file it names, which must stay untouched.
struct Refused {
  std::string name;
  // Makes the refused file in `dir` and returns its path; `bait` is set to the file it refers to, if
  // any.
  std::function<std::string(const TempDir& dir, std::string& bait)> make;
};

void PrintTo(const Refused& refused, std::ostream* os) {
  *os << refused.name;
}

std::string WriteText(const TempDir& dir, const std::string& name, const std::string& text) {
  std::ofstream(dir.File(name), std::ios::binary) << text;
  return dir.File(name);
}

const Refused kRefused[] = {
    {"empty", [](const TempDir& dir, std::string&) { return dir.Copy("empty.mp4", "empty.mp4"); }},
    {"text", [](const TempDir& dir, std::string&) { return dir.Copy("text.mp4", "text.mp4"); }},
    {"truncated",
     [](const TempDir& dir, std::string&) { return dir.Copy("truncated.mp4", "truncated.mp4"); }},
    {"missing", [](const TempDir& dir, std::string&) { return dir.File("missing.mp4"); }},
    {"subtitles_only",
     [](const TempDir& dir, std::string&) {
       return WriteText(dir, "subtitles.srt", "1\n00:00:00,000 --> 00:00:02,000\nOnly words\n");
     }},
    {"folder",
     [](const TempDir& dir, std::string&) {
       std::filesystem::create_directory(dir.File("folder.mp4"));
       return dir.File("folder.mp4");
     }},
    // Opening a FIFO blocks until a writer comes, which none will.
    {"fifo",
     [](const TempDir& dir, std::string&) {
       mkfifo(dir.File("fifo.mp4").c_str(), 0600);
       return dir.File("fifo.mp4");
     }},
    {"hls_playlist",
     [](const TempDir& dir, std::string& bait) {
       bait = dir.Copy("playlist_target.ts", "playlist_target.ts");
       return dir.Copy("hls_playlist.mp4", "hls_playlist.mp4");
     }},
    {"concat_script",
     [](const TempDir& dir, std::string& bait) {
       bait = dir.Copy("playlist_target.ts", "playlist_target.ts");
       return dir.Copy("concat_script.mp4", "concat_script.mp4");
     }},
    // A numbered name makes FFmpeg read it as a picture sequence and open shot001.jpg.
    {"picture_sequence",
     [](const TempDir& dir, std::string& bait) {
       bait = dir.Copy("picture.jpg", "shot001.jpg");
       return dir.Copy("picture.jpg", "shot%03d.jpg");
     }},
};

class RefusedInput : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedInput, ProbeReturnsFalseQuicklyAndReadsNothingElse) {
  TempDir dir;
  std::string bait;
  const std::string path = GetParam().make(dir, bait);
  std::unique_ptr<AccessWatch> watch;
  if (!bait.empty()) {
    watch = std::make_unique<AccessWatch>(bait);
    ASSERT_TRUE(watch->Ready());
  }

  MediaInfo info{};
  const auto start = Clock::now();
  EXPECT_FALSE(ffengine::ProbeMedia(path.c_str(), info));
  EXPECT_LT(Clock::now() - start, kQuick);
  if (watch) {
    EXPECT_FALSE(watch->Touched()) << "the named file was opened or read";
    // The watch does see a read of the bait, so its silence above means something.
    MediaInfo baitInfo{};
    ffengine::ProbeMedia(bait.c_str(), baitInfo);
    EXPECT_TRUE(watch->Touched());
  }
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedInput, ::testing::ValuesIn(kRefused),
                         [](const ::testing::TestParamInfo<Refused>& info) { return info.param.name; });

// The playlist fixture is a working indirection: FFmpeg left to itself, even limited to the file
// protocol, follows it to its target's three seconds. It is the engine's policy that refuses it.
TEST(InputPolicy, ThePlaylistWouldBeFollowedWithoutThePolicy) {
  TempDir dir;
  dir.Copy("playlist_target.ts", "playlist_target.ts");
  const std::string playlist = dir.Copy("hls_playlist.mp4", "hls_playlist.mp4");
  AVFormatContext* context = nullptr;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int opened = avformat_open_input(&context, playlist.c_str(), nullptr, &options);
  av_dict_free(&options);
  ASSERT_GE(opened, 0);
  ASSERT_GE(avformat_find_stream_info(context, nullptr), 0);
  EXPECT_STREQ(context->iformat->name, "hls");
  EXPECT_NEAR(static_cast<double>(context->duration) / AV_TIME_BASE, 3.0, 0.1);
  avformat_close_input(&context);

  MediaInfo info{};
  EXPECT_FALSE(ffengine::ProbeMedia(playlist.c_str(), info));
}

TEST(InputPolicy, RefusesDemuxersThatOpenOtherInputs) {
  for (const char* name : {"hls", "concat", "image2", "dash", "imf", "sdp", "rtsp"}) {
    const AVInputFormat* format = av_find_input_format(name);
    if (format != nullptr) {
      EXPECT_TRUE(ffengine::IsRefusedFormat(format)) << name;
    }
  }
  for (const char* name : {"mov", "matroska", "avi", "mpegts", "mp3", "ogg", "image2pipe"}) {
    const AVInputFormat* format = av_find_input_format(name);
    ASSERT_NE(format, nullptr) << name;
    EXPECT_FALSE(ffengine::IsRefusedFormat(format)) << name;
  }
  EXPECT_TRUE(ffengine::IsRefusedFormat(nullptr));
}

// The bound reaches the analysis: with no time at all even a good file is refused, at once.
TEST(InputPolicy, AProbeThatRunsOutOfTimeIsRefused) {
  MediaInfo info{};
  const auto start = Clock::now();
  EXPECT_FALSE(ffengine::ProbeMedia(Fixture("video_audio.mp4").c_str(), info, std::chrono::seconds(0)));
  EXPECT_LT(Clock::now() - start, kQuick);
  EXPECT_TRUE(ffengine::ProbeMedia(Fixture("video_audio.mp4").c_str(), info));
}

// A user's path is a path: a name that starts like a protocol ("pipe:") is still the file of that
// name.
TEST(InputPolicy, ANameThatLooksLikeAUrlIsAFileName) {
  TempDir dir;
  dir.Copy("video_audio.mp4", "pipe:clip.mp4");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.File(""));
  MediaInfo info{};
  const bool probed = ffengine::ProbeMedia("pipe:clip.mp4", info);
  std::filesystem::current_path(previous);
  EXPECT_TRUE(probed);
  EXPECT_EQ(info.videoCount, 1);
}

TEST(InputPolicy, NoPathIsNoFile) {
  MediaInfo info{};
  EXPECT_FALSE(ffengine::ProbeMedia(nullptr, info));
  EXPECT_FALSE(ffengine::ProbeMedia("", info));
}

}  // namespace
