// What preview playback through the "FfPreview" engine costs next to the least any player must do for the
// same pictures: decode them and scale them to the view.
//
// A 1080p30 H.264/AAC source of 10 s is made in-process. Each round plays it once through the engine at
// normal speed into a 480x270 view delivered as a buffer (this program re-executed in preview mode,
// polling GetPosition as the preview window does), and once decodes its video stream with FFmpeg's own
// threads and scales every picture to 480x270 BGR24 as fast as it can, without pacing or sound. Each runs
// in a child process of its own, alternating which goes first, so that the CPU time is the child's
// alone and both see the same caches. Sound goes to SDL's dummy driver unless SDL_AUDIODRIVER says
// otherwise. Prints the playback's CPU seconds per second played, its dropped pictures, the clock's
// offset from each picture's time when it was shown, whether it had sound, and last the ratio of the
// median CPU times (preview / decode and scale).
//
//   bench/preview [rounds]      default 5, after one round that warms the caches and is not counted

#include <SDL2/SDL.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_source.h"
#include "components/engine_records.h"
#include "components/i_ff_preview.h"
#include "engines/ffengine/ff_log.h"
#include "engines/ffengine/ff_preview.h"
#include "engines/ffengine/media_probe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kSourceWidth = 1920;
constexpr int kSourceHeight = 1080;
constexpr int kSourceSeconds = 10;
constexpr int kViewWidth = 480;
constexpr int kViewHeight = 270;
// The preview window polls about this often; the end must be seen soon after it comes.
constexpr auto kPoll = std::chrono::milliseconds(15);

constexpr double kRatioGoal = 1.3;
constexpr double kDroppedGoal = 1.0;  // per cent of the pictures
constexpr double kOffsetGoal = 40.0;  // ms, 95th percentile of |offset|

template <size_t N>
void SetField(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(N - 1, text.size()));
}

// ---- Preview mode: one playback through the engine ---------------------------------------------------

class CountingSink final : public FfPreviewEvent {
 public:
  void OnSnapshotFrame(const void*, int32_t) override {}
  void OnCropFrame(const void*, int32_t) override {}
  void OnViewFrame(const void*, int32_t) override { ++views; }
  void OnLog(const char* text) override {
    std::lock_guard lock(mutex_);
    log_ += text != nullptr ? text : "";
  }
  void OnInfo(int32_t, int32_t, int32_t) override {}
  void OnNotify(int32_t, int32_t) override {}

  std::string Log() const {
    std::lock_guard lock(mutex_);
    return log_;
  }

  std::atomic<int64_t> views{0};

 private:
  mutable std::mutex mutex_;
  std::string log_;
};

// Written by the child, read by the parent: shown, dropped, sound, seconds played, wall seconds of the
// playback, then the offsets in seconds.
bool WriteStats(const std::string& file, const ffengine::PlaybackStats& stats, bool sound, double played,
                double wall) {
  std::ofstream out(file);
  out << stats.shown << ' ' << stats.dropped << ' ' << (sound ? 1 : 0) << ' ' << played << ' ' << wall
      << '\n';
  for (const double offset : stats.offsets) {
    out << offset << ' ';
  }
  out << '\n';
  return static_cast<bool>(out);
}

// Exit status 0 when the whole range played to its end.
int RunPreview(const std::string& source, const std::string& statsFile) {
  ffengine::SilenceFfmpegLog();
  CIInput input{};
  SetField(input.path, source);
  if (!ffengine::ProbeMedia(source.c_str(), input.media)) {
    std::fprintf(stderr, "cannot probe %s\n", source.c_str());
    return 2;
  }
  const MediaInfo& media = input.media;
  input.effects.volume = 256;
  input.clipStart = 0;
  input.clipLength = media.duration;
  input.cropWidth = media.width;
  input.cropHeight = media.height;
  input.zoomMode = 1;
  input.videoId = media.videoStreamId;
  input.audioId = media.audioCount > 0 ? int32_t{media.audioStreams[0].id} : -1;
  input.subtitleId = -1;

  CountingSink sink;
  PreviewOpen record{};
  record.events = &sink;
  record.viewToBuffer = 1;
  record.viewWidth = kViewWidth;
  record.viewHeight = kViewHeight;
  record.alwaysOne = 1;
  record.input = input;

  auto* preview = static_cast<FfPreview*>(CreateFfPreview());
  if (preview == nullptr || !preview->Open(&record)) {
    std::fprintf(stderr, "the preview does not open\n%s", sink.Log().c_str());
    if (preview != nullptr) {
      preview->Release();
    }
    return 2;
  }
  // The engine holds SDL's sound subsystem only while its sound device is open: it gives it back at
  // once when no device opens and plays on silently.
  const bool sound = SDL_WasInit(SDL_INIT_AUDIO) != 0;

  const auto start = Clock::now();
  const auto deadline = start + std::chrono::duration<double>(3 * media.duration + 30);
  preview->Play();
  int32_t status = 0;
  double position = 0;
  while (status == 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(kPoll);
    status = preview->GetPosition(&position);
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const ffengine::PlaybackStats stats = preview->Stats();
  preview->Close();
  preview->Release();

  if (status != 1) {
    std::fprintf(stderr, "playback: status %d at %.3f s\n%s", status, position, sink.Log().c_str());
    return 1;
  }
  return WriteStats(statsFile, stats, sound, input.clipLength, wall) ? 0 : 1;
}

// ---- Decode mode: the baseline -----------------------------------------------------------------------

// Every picture of the video stream decoded as the engine's decoders are set up and scaled to the view.
// Exit status 0 when every picture made it.
int RunDecode(const std::string& source) {
  av_log_set_level(AV_LOG_ERROR);
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, source.c_str(), nullptr, nullptr) < 0) {
    return 2;
  }
  const AVCodec* codec = nullptr;
  const int index = avformat_find_stream_info(format, nullptr) >= 0
                        ? av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0)
                        : -1;
  AVCodecContext* decoder = index >= 0 ? avcodec_alloc_context3(codec) : nullptr;
  bool ok =
      decoder != nullptr && avcodec_parameters_to_context(decoder, format->streams[index]->codecpar) >= 0;
  if (ok) {
    decoder->thread_count = 0;
    ok = avcodec_open2(decoder, codec, nullptr) >= 0;
  }
  for (unsigned i = 0; ok && i < format->nb_streams; ++i) {
    format->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  SwsContext* scaler = nullptr;
  uint8_t* view[4] = {};
  int viewStride[4] = {};
  ok = ok && av_image_alloc(view, viewStride, kViewWidth, kViewHeight, AV_PIX_FMT_BGR24, 1) >= 0;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  int pictures = 0;
  bool ended = false;
  while (ok && !ended) {
    const int read = av_read_frame(format, packet);
    if (read >= 0 && packet->stream_index != index) {
      av_packet_unref(packet);
      continue;
    }
    ended = read < 0;
    avcodec_send_packet(decoder, ended ? nullptr : packet);
    av_packet_unref(packet);
    while (ok && avcodec_receive_frame(decoder, frame) >= 0) {
      scaler = sws_getCachedContext(scaler, frame->width, frame->height,
                                    static_cast<AVPixelFormat>(frame->format), kViewWidth, kViewHeight,
                                    AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
      ok = scaler != nullptr &&
           sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, view, viewStride) == kViewHeight;
      ++pictures;
      av_frame_unref(frame);
    }
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  sws_freeContext(scaler);
  av_freep(&view[0]);
  avcodec_free_context(&decoder);
  avformat_close_input(&format);
  return ok && pictures > 0 ? 0 : 1;
}

// ---- The rounds --------------------------------------------------------------------------------------

struct Run {
  bool ok = false;
  double cpu = 0;  // user + system seconds
  double wall = 0;
};

Run RunChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  Run run;
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (child < 0) {
    return run;
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) {
    return run;
  }
  run.wall = std::chrono::duration<double>(Clock::now() - start).count();
  run.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
            usage.ru_stime.tv_usec / 1e6;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

struct Playback {
  bool ok = false;
  int64_t shown = 0;
  int64_t dropped = 0;
  bool sound = false;
  double played = 0;
  double wall = 0;
  std::vector<double> offsets;
};

Playback ReadStats(const std::string& file) {
  Playback playback;
  std::ifstream in(file);
  int sound = 0;
  if (!(in >> playback.shown >> playback.dropped >> sound >> playback.played >> playback.wall)) {
    return playback;
  }
  playback.sound = sound != 0;
  for (double offset = 0; in >> offset;) {
    playback.offsets.push_back(offset);
  }
  playback.ok = playback.played > 0;
  return playback;
}

double Median(std::vector<double> values) {
  if (values.empty()) {
    return 0;
  }
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Nearest rank.
double Percentile(std::vector<double> values, double share) {
  if (values.empty()) {
    return 0;
  }
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<size_t>(std::ceil(share * static_cast<double>(values.size())));
  return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

const char* Verdict(bool met) {
  return met ? "met" : "MISSED";
}

}  // namespace

int main(int argc, char** argv) {
  // Never the machine's sound; a driver the user chose is kept. Children inherit it.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  if (argc == 4 && std::strcmp(argv[1], "--preview") == 0) {
    return RunPreview(argv[2], argv[3]);
  }
  if (argc == 3 && std::strcmp(argv[1], "--decode") == 0) {
    return RunDecode(argv[2]);
  }
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  av_log_set_level(AV_LOG_ERROR);

  char pattern[] = "/tmp/kv-bench-preview-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path folder = pattern;
  const std::string source = (folder / "source.mp4").string();
  const std::string statsFile = (folder / "stats.txt").string();
  std::printf("making a %d s %dx%d 30 fps H.264/AAC source...\n", kSourceSeconds, kSourceWidth,
              kSourceHeight);
  std::fflush(stdout);
  if (!bench::MakeSource(source, kSourceWidth, kSourceHeight, kSourceSeconds)) {
    std::fprintf(stderr, "cannot make the source\n");
    fs::remove_all(folder);
    return 1;
  }
  const std::string self = fs::read_symlink("/proc/self/exe").string();

  std::vector<double> previewCpu, baselineCpu, cpuPerSecond, dropped, droppedShare, offsets, offsetSizes;
  int failures = 0;
  int withSound = 0;
  for (int round = -1; round < rounds; ++round) {
    Run preview, baseline;
    for (int turn = 0; turn < 2; ++turn) {
      // Whichever goes second finds the caches the first one warmed, so the order alternates.
      if ((turn == 0) == (round % 2 == 0)) {
        fs::remove(statsFile);
        preview = RunChild({self, "--preview", source, statsFile});
      } else {
        baseline = RunChild({self, "--decode", source});
      }
    }
    const Playback playback = ReadStats(statsFile);
    if (!preview.ok || !baseline.ok || !playback.ok) {
      std::fprintf(stderr, "round %d failed: preview %s, decode %s\n", round + 1,
                   preview.ok ? "ok" : "failed", baseline.ok ? "ok" : "failed");
      ++failures;
      continue;
    }
    std::printf(
        "%s: preview %.2f s cpu (%.2f s wall, %lld shown, %lld dropped), decode and scale %.2f s cpu\n",
        round < 0 ? "warm-up" : ("round " + std::to_string(round + 1)).c_str(), preview.cpu, playback.wall,
        static_cast<long long>(playback.shown), static_cast<long long>(playback.dropped), baseline.cpu);
    std::fflush(stdout);
    if (round < 0) {
      continue;
    }
    previewCpu.push_back(preview.cpu);
    baselineCpu.push_back(baseline.cpu);
    cpuPerSecond.push_back(preview.cpu / playback.played);
    const double pictures = static_cast<double>(playback.shown + playback.dropped);
    dropped.push_back(static_cast<double>(playback.dropped));
    droppedShare.push_back(pictures > 0 ? 100.0 * static_cast<double>(playback.dropped) / pictures : 0);
    for (const double offset : playback.offsets) {
      offsets.push_back(1000.0 * offset);
      offsetSizes.push_back(1000.0 * std::fabs(offset));
    }
    withSound += playback.sound ? 1 : 0;
  }
  fs::remove_all(folder);
  if (previewCpu.empty()) {
    std::fprintf(stderr, "no round completed\n");
    return 1;
  }

  const size_t counted = previewCpu.size();
  const double ratio = Median(previewCpu) / Median(baselineCpu);
  const double share = Median(droppedShare);
  const double offset95 = Percentile(offsetSizes, 0.95);
  std::printf("medians of %zu rounds, %dx%d view, sound driver %s\n", counted, kViewWidth, kViewHeight,
              std::getenv("SDL_AUDIODRIVER"));
  std::printf("cpu: preview %.3f s, decode and scale %.3f s, ratio %.3f   (goal <= %.1f: %s)\n",
              Median(previewCpu), Median(baselineCpu), ratio, kRatioGoal, Verdict(ratio <= kRatioGoal));
  std::printf("cpu per second played: %.3f s\n", Median(cpuPerSecond));
  std::printf("dropped: %.1f pictures, %.2f %%   (goal <= %.0f %%: %s)\n", Median(dropped), share,
              kDroppedGoal, Verdict(share <= kDroppedGoal));
  std::printf(
      "offset at presentation (%zu pictures): median %+.1f ms, |offset| median %.1f ms, "
      "95th percentile %.1f ms   (goal <= %.0f ms: %s)\n",
      offsets.size(), Median(offsets), Median(offsetSizes), offset95, kOffsetGoal,
      Verdict(offset95 <= kOffsetGoal));
  std::printf("sound: %s\n", withSound == static_cast<int>(counted) ? "yes, every round"
                             : withSound == 0                       ? "no (played on the steady clock)"
                                                                    : "in some rounds only");
  if (failures > 0) {
    std::printf("(%d failed rounds)\n", failures);
  }
  std::printf("preview ratio: %.3f\n", ratio);
  return failures > 0 ? 1 : 0;
}
