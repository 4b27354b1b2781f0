#pragma once

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "components/engine_records.h"
#include "components/i_ff_converter.h"
#include "tests/convert_engine/media_maker.h"

// Driving the conversion engine the way the progress window does: records filled like the task list
// and the conversion driver fill them, a sink that remembers where and what it was called with, and a
// polling loop.
namespace engine_harness {

// Copies `text` into a fixed field, cut at the field's width, zero-filling the rest.
template <size_t N>
void SetField(char (&field)[N], std::string_view text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(N, text.size()));
}

// A clip made once per test program in a folder removed at exit; the same name always gives the
// same file, so the plan of a name must not change between calls.
const std::string& Fixture(const std::string& name, const media_maker::ClipPlan& plan);
// A PNG watermark made once per test program.
const std::string& Picture(const std::string& name, int width, int height, media_maker::Rgb colour,
                           uint8_t alpha = 255);

// The input record as the task list fills it when a file is loaded: probed, whole clip, no crop,
// "Keep Original", volume unchanged, first audio track, no subtitle. A file the probe refuses gives a
// record with only the path (tests of broken files fill the rest from another file).
CIInput InputFor(const std::string& path);

// The encoder side of an output record, as a profile gives it.
struct OutputPlan {
  std::string format = "matroska";
  std::string videoCodec = "libx264";
  int width = 320;
  int height = 240;
  int frameRate = -1;
  int videoBitRate = 1000000;
  std::string audioCodec = "libfaac";
  int sampleRate = 48000;
  int channels = 2;
  int audioBitRate = 128000;
  std::string extra = "preset=ultrafast;pix_fmt=yuv420p";
  int audioOnly = 0;
};

CIOutput OutputFor(const std::string& file, const OutputPlan& plan);

// The progress window's sink: remembers the thread of every call, the log and the preview frames.
class RecordingSink : public FfConvertEvent {
 public:
  void OnPreviewFrame(const void* pixels, int32_t size) override;
  void OnLog(const char* text) override;

  std::vector<std::thread::id> CallThreads() const;
  std::string Log() const;
  int PreviewFrames() const;
  int32_t LastPreviewSize() const;
  std::vector<uint8_t> LastPreviewFrame() const;

 private:
  // The sink must be called on the polling thread only, so this lock exists just to let the test
  // observe a contract breach instead of a data race.
  mutable std::mutex mutex_;
  std::vector<std::thread::id> threads_;
  std::string log_;
  int previewFrames_ = 0;
  int32_t lastPreviewSize_ = 0;
  std::vector<uint8_t> lastPreview_;
};

struct EngineRelease {
  void operator()(I_FfConverter* engine) const {
    if (engine != nullptr) {
      engine->Release();
    }
  }
};
using EnginePtr = std::unique_ptr<I_FfConverter, EngineRelease>;

// A new engine configured with `sink` (no preview unless asked), the work folder a temporary one.
EnginePtr NewConfiguredEngine(RecordingSink* sink, bool showPreview = false);

struct Outcome {
  int32_t status = 0;  // the final GetProgress status; 0 when the run timed out
  bool timedOut = false;
  std::vector<int32_t> results;             // GetResults for the jobs given
  std::vector<double> positions;            // every position reported while running
  std::vector<int32_t> jobIndexes;          // and the job index reported with it
  std::chrono::duration<double> elapsed{};  // from Start to the final status
};

// Starts the engine and polls it every 20 ms until it reports an end or `bound` passes (then it is
// stopped, so a hanging engine fails one test rather than the run).
Outcome RunToEnd(I_FfConverter& engine, int jobCount, std::chrono::seconds bound = std::chrono::seconds(120));

// One job through a fresh engine: a one-input job, or a merge job when `inputs` holds more than one.
struct Converted {
  bool succeeded = false;  // GetResults said so and the run ended with "all done"
  int32_t status = 0;
  std::string log;
};
Converted Convert(const std::vector<CIInput>& inputs, const OutputPlan& plan, const std::string& outputPath);
inline Converted Convert(const CIInput& input, const OutputPlan& plan, const std::string& outputPath) {
  return Convert(std::vector<CIInput>{input}, plan, outputPath);
}

}  // namespace engine_harness
