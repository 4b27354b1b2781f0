// What a conversion through the "FfConverter" engine costs next to FFmpeg's own command-line tool doing
// the same job with the same codecs, settings and filters.
//
// A 720p30 H.264/AAC source of 10 s is made in-process, then each job runs in a child process of its own,
// once through the engine (this program re-executed in engine mode, polling GetProgress) and once through
// `ffmpeg`, alternating which goes first, so both see the same caches and clock. Prints the median wall
// and CPU time of each, the peak resident memory of each, and last the ratio of the median total wall
// times (engine / ffmpeg).
//
// The engine runs its job in the job program beside the host, as the product does; with --in-process it
// runs the job in its own process instead, as it does when the program is missing, for comparison.
//
//   bench/convert [rounds] [--in-process]     rounds default 5, after one round that warms the caches and
//                                             is not counted

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_source.h"
#include "components/engine_records.h"
#include "components/i_ff_converter.h"
#include "engines/ffengine/edit_filters.h"
#include "engines/ffengine/ff_converter.h"
#include "engines/ffengine/ff_log.h"
#include "engines/ffengine/media_probe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kSourceSeconds = 10;

// ---- The jobs ------------------------------------------------------------------------------------------

struct Edit {
  double clipStart = 0;
  double clipLength = 0;                                    // 0 = the whole source
  int cropX = 0, cropY = 0, cropWidth = 0, cropHeight = 0;  // 0 width = no crop
  double brightness = 0, contrast = 0, saturation = 0;
  bool watermark = false;
  int markLeft = 0, markTop = 0, markWidth = 0, markHeight = 0, markTransparency = 0;
};

struct Job {
  const char* name;
  // The output as a catalogue profile gives it.
  int width, height;
  int videoBitRate;
  const char* preset;  // libx264's, for both sides
  int sampleRate, channels, audioBitRate;
  Edit edit;
};

// The catalogue's "HD MP4 720p" profile on the whole source, and the first profile's settings with a
// trim, a crop, the three picture effects and a watermark.
const Job kJobs[] = {
    {"720p H.264/AAC", 1280, 720, 5000000, "medium", 48000, 2, 160000, Edit{}},
    {"edited 720p", 1280, 720, 2500000, "medium", 44100, 2, 128000,
     Edit{2.0, 6.0, 160, 90, 960, 540, 20, 10, 30, true, 40, 40, 200, 100, 30}},
};

// ---- The watermark -------------------------------------------------------------------------------------

// A half-transparent logo: a white field with a dark band, RGBA.
bool MakeMark(const std::string& path) {
  const AVCodec* png = avcodec_find_encoder(AV_CODEC_ID_PNG);
  AVCodecContext* codec = avcodec_alloc_context3(png);
  codec->width = 200;
  codec->height = 100;
  codec->pix_fmt = AV_PIX_FMT_RGBA;
  codec->time_base = AVRational{1, 1};
  bool ok = avcodec_open2(codec, png, nullptr) >= 0;
  AVFrame* frame = av_frame_alloc();
  frame->format = AV_PIX_FMT_RGBA;
  frame->width = 200;
  frame->height = 100;
  ok = ok && av_frame_get_buffer(frame, 0) >= 0;
  for (int y = 0; ok && y < 100; ++y) {
    for (int x = 0; x < 200; ++x) {
      uint8_t* p = frame->data[0] + y * frame->linesize[0] + 4 * x;
      const bool band = y > 40 && y < 60;
      p[0] = p[1] = p[2] = band ? 30 : 240;
      p[3] = x < 10 || x >= 190 ? 0 : 200;
    }
  }
  AVPacket* packet = av_packet_alloc();
  ok = ok && avcodec_send_frame(codec, frame) >= 0 && avcodec_send_frame(codec, nullptr) >= 0 &&
       avcodec_receive_packet(codec, packet) >= 0;
  if (ok) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ok = file != nullptr &&
         std::fwrite(packet->data, 1, packet->size, file) == static_cast<size_t>(packet->size);
    if (file != nullptr) {
      ok = std::fclose(file) == 0 && ok;
    }
  }
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&codec);
  return ok;
}

// ---- One run in a child ------------------------------------------------------------------------------

template <size_t N>
void SetField(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(N - 1, text.size()));
}

class LogSink : public FfConvertEvent {
 public:
  void OnPreviewFrame(const void*, int32_t) override {}
  void OnLog(const char* text) override { log += text != nullptr ? text : ""; }
  std::string log;
};

// Engine mode: one job through NewFfConverter, polled as the progress window does (but often, so
// that the end is seen at once). Exit status 0 when the job succeeded.
int RunEngine(const Job& job, const std::string& source, const std::string& mark, const std::string& out,
              const std::string& workFolder) {
  ffengine::SilenceFfmpegLog();
  CIInput input{};
  SetField(input.path, source);
  if (!ffengine::ProbeMedia(source.c_str(), input.media)) {
    std::fprintf(stderr, "cannot probe %s\n", source.c_str());
    return 2;
  }
  const MediaInfo& media = input.media;
  const Edit& e = job.edit;
  input.effects.brightness = e.brightness;
  input.effects.contrast = e.contrast;
  input.effects.saturation = e.saturation;
  input.effects.volume = 256;
  input.clipStart = e.clipStart;
  input.clipLength = e.clipLength > 0 ? e.clipLength : media.duration;
  input.cropX = e.cropWidth > 0 ? e.cropX : 0;
  input.cropY = e.cropWidth > 0 ? e.cropY : 0;
  input.cropWidth = e.cropWidth > 0 ? e.cropWidth : media.width;
  input.cropHeight = e.cropWidth > 0 ? e.cropHeight : media.height;
  input.zoomMode = e.cropWidth > 0 ? 0 : 1;
  if (e.watermark) {
    input.mark.markFile = mark.c_str();
    input.mark.markLeft = e.markLeft;
    input.mark.markTop = e.markTop;
    input.mark.markWidth = e.markWidth;
    input.mark.markHeight = e.markHeight;
    input.mark.markTransparency = e.markTransparency;
  }
  input.videoId = media.videoStreamId;
  input.audioId = media.audioStreams[0].id;
  input.subtitleId = -1;

  CIOutput output{};
  SetField(output.outputFile, out);
  SetField(output.FormatName, "mp4");
  SetField(output.VideoCodecName, "libx264");
  output.Width = job.width;
  output.Height = job.height;
  output.FrameRate = -1;
  output.VideoBitRate = job.videoBitRate;
  SetField(output.AudioCodecName, "libfaac");
  output.SampleRate = job.sampleRate;
  output.Channel = job.channels;
  output.AudioBitRate = job.audioBitRate;
  SetField(output.ExtraParam, std::string("preset=") + job.preset + ";pix_fmt=yuv420p;movflags=+faststart");

  LogSink sink;
  CISetup setup{};
  SetField(setup.workFolder, workFolder);
  setup.previewWidth = 320;
  setup.previewHeight = 240;
  setup.events = &sink;
  I_FfConverter* engine = NewFfConverter();
  if (engine == nullptr) {
    std::fprintf(stderr, "no engine\n");
    return 2;
  }
  engine->Configure(&setup);
  engine->AddJob(&output, &input);
  int32_t status = engine->Start() ? kConvertRunning : 1;
  while (status == kConvertRunning) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    double position = 0;
    int32_t index = 0;
    status = engine->GetProgress(&position, &index);
  }
  int32_t result = 0;
  engine->GetResults(1, &result);
  engine->Release();
  if (status != kConvertFinished || result == 0) {
    std::fprintf(stderr, "engine: status %d, result %d\n%s\n", status, result, sink.log.c_str());
    return 1;
  }
  return 0;
}

// The same job for the ffmpeg tool: input seeking for the trim, the engine's own filter values.
std::vector<std::string> FfmpegArguments(const Job& job, const std::string& source, const std::string& mark,
                                         const std::string& out) {
  const Edit& e = job.edit;
  std::vector<std::string> args = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
  if (e.clipLength > 0) {
    args.insert(args.end(), {"-ss", std::to_string(e.clipStart), "-t", std::to_string(e.clipLength)});
  }
  args.insert(args.end(), {"-i", source});
  char graph[1024];
  if (e.cropWidth > 0 || e.watermark) {
    if (e.watermark) {
      args.insert(args.end(), {"-i", mark});
    }
    std::string chain = "[0:v]";
    if (e.cropWidth > 0) {
      std::snprintf(graph, sizeof graph, "crop=%d:%d:%d:%d:exact=1,", e.cropWidth, e.cropHeight, e.cropX,
                    e.cropY);
      chain += graph;
    }
    std::snprintf(graph, sizeof graph,
                  "eq=brightness=%.4f:contrast=%.4f:saturation=%.4f,scale=%d:%d:flags=bicubic,setsar=1/1",
                  ffengine::EqBrightness(e.brightness), ffengine::EqContrast(e.contrast),
                  ffengine::EqSaturation(e.saturation), job.width, job.height);
    chain += graph;
    if (e.watermark) {
      std::snprintf(
          graph, sizeof graph,
          "[main];[1:v]format=rgba,scale=%d:%d,colorchannelmixer=aa=%.4f[mark];[main][mark]overlay=x=%d:y="
          "%d:format=auto",
          e.markWidth, e.markHeight, 1.0 - e.markTransparency / 100.0, e.markLeft, e.markTop);
      chain += graph;
    }
    chain += ",format=pix_fmts=yuv420p[v]";
    args.insert(args.end(), {"-filter_complex", chain, "-map", "[v]", "-map", "0:a:0"});
  } else {
    std::snprintf(graph, sizeof graph, "%dx%d", job.width, job.height);
    args.insert(args.end(), {"-map", "0:v:0", "-map", "0:a:0", "-s", graph, "-pix_fmt", "yuv420p"});
  }
  args.insert(args.end(),
              {"-c:v", "libx264", "-preset", job.preset, "-b:v", std::to_string(job.videoBitRate), "-c:a",
               "aac", "-b:a", std::to_string(job.audioBitRate), "-ar", std::to_string(job.sampleRate), "-ac",
               std::to_string(job.channels), "-movflags", "+faststart", out});
  return args;
}

struct Run {
  bool ok = false;
  double wall = 0;  // seconds
  double cpu = 0;   // user + system seconds
  double peakMb = 0;
};

Run RunChild(const std::vector<std::string>& args, bool searchPath) {
  std::vector<char*> argv;
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  Run run;
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (searchPath) {
      execvp(argv[0], argv.data());
    } else {
      execv(argv[0], argv.data());
    }
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
  run.peakMb = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

double Median(std::vector<double> values) {
  if (values.empty()) {
    return 0;
  }
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double Duration(const std::string& path) {
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
    return -1;
  }
  avformat_find_stream_info(format, nullptr);
  const double seconds = format->duration > 0 ? format->duration / 1e6 : -1;
  avformat_close_input(&format);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && std::strcmp(argv[1], "--engine") == 0) {
    const int job = std::atoi(argv[2]);
    if (job < 0 || job >= static_cast<int>(std::size(kJobs))) {
      return 2;
    }
    return RunEngine(kJobs[job], argv[3], argv[4], argv[5], argv[6]);
  }
  int rounds = 5;
  bool inProcess = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--in-process") == 0) {
      inProcess = true;
    } else {
      rounds = std::max(1, std::atoi(argv[i]));
    }
  }
  av_log_set_level(AV_LOG_ERROR);

  char pattern[] = "/tmp/kv-bench-convert-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path folder = pattern;
  const std::string source = (folder / "source.mp4").string();
  const std::string mark = (folder / "mark.png").string();
  std::printf("making a %d s 1280x720 30 fps H.264/AAC source...\n", kSourceSeconds);
  std::fflush(stdout);
  if (!bench::MakeSource(source, 1280, 720, kSourceSeconds) || !MakeMark(mark)) {
    std::fprintf(stderr, "cannot make the source\n");
    fs::remove_all(folder);
    return 1;
  }
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  // The engine looks for its job program in the work folder; the bench's own folder has none.
  const std::string workFolder = inProcess ? folder.string() + "/" : std::string(KV_BENCH_WORKER_DIR "/");
  std::printf("the engine runs its jobs %s\n", inProcess ? "in its own process" : "in the job program");

  const size_t jobCount = std::size(kJobs);
  struct Side {
    std::vector<double> wall, cpu;
    double peakMb = 0;
    int failures = 0;
  };
  std::vector<Side> engine(jobCount), ffmpeg(jobCount);
  std::vector<double> engineTotals, ffmpegTotals;
  for (int round = -1; round < rounds; ++round) {
    double engineTotal = 0, ffmpegTotal = 0;
    for (size_t j = 0; j < jobCount; ++j) {
      const std::string engineOut = (folder / ("engine_" + std::to_string(j) + ".mp4")).string();
      const std::string ffmpegOut = (folder / ("ffmpeg_" + std::to_string(j) + ".mp4")).string();
      Run engineRun, ffmpegRun;
      for (int turn = 0; turn < 2; ++turn) {
        // Whichever goes second finds the caches the first one warmed, so the order alternates.
        if ((turn == 0) == ((round + static_cast<int>(j)) % 2 == 0)) {
          engineRun =
              RunChild({self, "--engine", std::to_string(j), source, mark, engineOut, workFolder}, false);
        } else {
          ffmpegRun = RunChild(FfmpegArguments(kJobs[j], source, mark, ffmpegOut), true);
        }
      }
      if (round == -1) {
        std::printf("%-16s output length: engine %.3f s, ffmpeg %.3f s\n", kJobs[j].name, Duration(engineOut),
                    Duration(ffmpegOut));
      }
      fs::remove(engineOut);
      fs::remove(ffmpegOut);
      if (round < 0) {
        continue;
      }
      for (auto [side, run] : {std::pair{&engine[j], engineRun}, std::pair{&ffmpeg[j], ffmpegRun}}) {
        side->failures += run.ok ? 0 : 1;
        side->wall.push_back(run.wall);
        side->cpu.push_back(run.cpu);
        side->peakMb = std::max(side->peakMb, run.peakMb);
      }
      engineTotal += engineRun.wall;
      ffmpegTotal += ffmpegRun.wall;
    }
    if (round >= 0) {
      engineTotals.push_back(engineTotal);
      ffmpegTotals.push_back(ffmpegTotal);
    }
  }
  fs::remove_all(folder);

  int status = 0;
  std::printf("%-16s %-7s %9s %9s %9s %7s   (medians of %d rounds; peak is the largest)\n", "job", "side",
              "wall s", "cpu s", "peak MB", "ratio", rounds);
  for (size_t j = 0; j < jobCount; ++j) {
    const double ratio = Median(engine[j].wall) / Median(ffmpeg[j].wall);
    for (auto [label, side] : {std::pair{"engine", &engine[j]}, std::pair{"ffmpeg", &ffmpeg[j]}}) {
      std::printf("%-16s %-7s %9.3f %9.3f %9.1f", kJobs[j].name, label, Median(side->wall), Median(side->cpu),
                  side->peakMb);
      if (side == &engine[j]) {
        std::printf(" %7.3f", ratio);
      }
      if (side->failures > 0) {
        std::printf("   (%d failed runs)", side->failures);
        status = 1;
      }
      std::printf("\n");
    }
  }
  std::printf("total wall: engine %.3f s, ffmpeg %.3f s\n", Median(engineTotals), Median(ffmpegTotals));
  std::printf("convert ratio: %.3f\n", Median(engineTotals) / Median(ffmpegTotals));
  return status;
}
