// What the media engine's probe costs over FFmpeg's own open and analysis of the same files.
//
// Each round probes every fixture once through the "FfPreview" component created by name from the
// built module, and once with a bare avformat_open_input + avformat_find_stream_info, alternately, so
// both see the same cache and clock. Prints the per-file medians in milliseconds and, last, the ratio
// of the summed medians (component / bare).
//
//   bench/probe [rounds]      default 200

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "components/i_ff_preview.h"
#include "plug/plug_ptr.h"
#include "plug/plug_table.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

using Clock = std::chrono::steady_clock;

// The files the probe accepts; refused ones are not comparable, as bare FFmpeg follows a playlist.
const char* const kFiles[] = {
    "video_audio.mp4",          "audio_only.ogg",     "cover_art.mp3",
    "length_0.9.mp4",           "length_1.0.mp4",     "tracks.mkv",
    "many_streams.mkv",         "interlaced.ts",      "interlaced_unmarked.avi",
    "progressive_unmarked.avi", "playlist_target.ts",
};

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

bool BareProbe(const std::string& path) {
  AVFormatContext* context = nullptr;
  if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0) {
    return false;
  }
  const bool analysed = avformat_find_stream_info(context, nullptr) >= 0;
  avformat_close_input(&context);
  return analysed;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const std::string module = std::string(KV_BENCH_PLUGIN_DIR) + "/libffengine.so";
  // Loading the module also silences FFmpeg's log for the bare loop: the setting is process-wide.
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", module.c_str(), ::dlerror());
    return 1;
  }
  int status = 0;
  {
    PlugPtr<I_FfPreview> engine;
    if (!CreateInto(engine, kFfPreviewName)) {
      std::fprintf(stderr, "no component \"%s\"\n", kFfPreviewName);
      return 1;
    }

    const size_t count = std::size(kFiles);
    std::vector<std::string> paths;
    for (const char* file : kFiles) {
      paths.push_back(std::string(KV_BENCH_FIXTURE_DIR) + "/" + file);
    }
    std::vector<std::vector<double>> component(count);
    std::vector<std::vector<double>> bare(count);
    for (int round = -1; round < rounds; ++round) {  // round -1 warms the caches and is not counted
      for (size_t i = 0; i < count; ++i) {
        // Whichever goes second finds the code and data the first one warmed, so the order alternates.
        MediaInfo info{};
        bool probed = false;
        bool opened = false;
        Clock::duration componentTime{};
        Clock::duration bareTime{};
        for (int turn = 0; turn < 2; ++turn) {
          const auto start = Clock::now();
          if ((turn == 0) == (round % 2 == 0)) {
            probed = engine->Probe(paths[i].c_str(), &info);
            componentTime = Clock::now() - start;
          } else {
            opened = BareProbe(paths[i]);
            bareTime = Clock::now() - start;
          }
        }
        if (!probed || !opened) {
          std::fprintf(stderr, "%s: component %s, bare %s\n", kFiles[i], probed ? "ok" : "failed",
                       opened ? "ok" : "failed");
          status = 1;
        }
        if (round >= 0) {
          component[i].push_back(Milliseconds(componentTime));
          bare[i].push_back(Milliseconds(bareTime));
        }
      }
    }

    double componentTotal = 0.0;
    double bareTotal = 0.0;
    std::printf("%-26s %12s %12s %8s   (medians of %d rounds)\n", "file", "component ms", "bare ms", "ratio",
                rounds);
    for (size_t i = 0; i < count; ++i) {
      const double c = Median(component[i]);
      const double b = Median(bare[i]);
      componentTotal += c;
      bareTotal += b;
      std::printf("%-26s %12.3f %12.3f %8.3f\n", kFiles[i], c, b, c / b);
    }
    std::printf("%-26s %12.3f %12.3f\n", "all files", componentTotal, bareTotal);
    std::printf("probe ratio: %.3f\n", componentTotal / bareTotal);
  }
  ::dlclose(handle);
  return status;
}
