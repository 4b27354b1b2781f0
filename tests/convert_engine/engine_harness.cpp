#include "tests/convert_engine/engine_harness.h"

#include <map>

#include "engines/ffengine/ff_converter.h"
#include "engines/ffengine/media_probe.h"
#include "tests/fakes/temp_folder.h"

namespace engine_harness {
namespace {

TempFolder& FixtureFolder() {
  static TempFolder folder("kv-convert-fixtures");
  return folder;
}

}  // namespace

const std::string& Fixture(const std::string& name, const media_maker::ClipPlan& plan) {
  static std::map<std::string, std::string> made;
  auto found = made.find(name);
  if (found == made.end()) {
    const std::string path = FixtureFolder().File(name);
    std::string error;
    if (!media_maker::MakeClip(path, plan, &error)) {
      // An empty path makes the test fail at its first look at the file, with this reason logged.
      std::fprintf(stderr, "cannot make %s: %s\n", name.c_str(), error.c_str());
      found = made.emplace(name, std::string()).first;
    } else {
      found = made.emplace(name, path).first;
    }
  }
  return found->second;
}

const std::string& Picture(const std::string& name, int width, int height, media_maker::Rgb colour,
                           uint8_t alpha) {
  static std::map<std::string, std::string> made;
  auto found = made.find(name);
  if (found == made.end()) {
    const std::string path = FixtureFolder().File(name);
    found =
        made.emplace(name, media_maker::MakePicture(path, width, height, colour, alpha) ? path : "").first;
  }
  return found->second;
}

CIInput InputFor(const std::string& path) {
  CIInput input{};
  SetField(input.path, path);
  MediaInfo media{};
  if (!ffengine::ProbeMedia(path.c_str(), media)) {
    return input;
  }
  input.media = media;
  input.effects.volume = 256;
  input.effects.deinterlace = media.interlaced;
  input.clipStart = 0.0;
  input.clipLength = media.duration;
  input.cropX = 0;
  input.cropY = 0;
  input.cropWidth = media.width;
  input.cropHeight = media.height;
  input.zoomMode = 1;
  input.videoId = media.videoCount > 0 ? media.videoStreamId : -1;
  input.audioId = media.audioCount > 0 ? int32_t{media.audioStreams[0].id} : -1;
  input.subtitleId = -1;
  return input;
}

CIOutput OutputFor(const std::string& file, const OutputPlan& plan) {
  CIOutput output{};
  SetField(output.outputFile, file);
  SetField(output.FormatName, plan.format);
  output.AudioFormat = plan.audioOnly;
  SetField(output.VideoCodecName, plan.videoCodec);
  output.Width = plan.width;
  output.Height = plan.height;
  output.FrameRate = plan.frameRate;
  output.VideoBitRate = plan.videoBitRate;
  SetField(output.AudioCodecName, plan.audioCodec);
  output.SampleRate = plan.sampleRate;
  output.Channel = plan.channels;
  output.AudioBitRate = plan.audioBitRate;
  SetField(output.ExtraParam, plan.extra);
  return output;
}

void RecordingSink::OnPreviewFrame(const void* pixels, int32_t size) {
  std::lock_guard lock(mutex_);
  threads_.push_back(std::this_thread::get_id());
  ++previewFrames_;
  lastPreviewSize_ = pixels != nullptr ? size : -1;
  if (pixels != nullptr && size > 0) {
    const auto* bytes = static_cast<const uint8_t*>(pixels);
    lastPreview_.assign(bytes, bytes + size);
  }
}

void RecordingSink::OnLog(const char* text) {
  std::lock_guard lock(mutex_);
  threads_.push_back(std::this_thread::get_id());
  if (text != nullptr) {
    log_ += text;
  }
}

std::vector<std::thread::id> RecordingSink::CallThreads() const {
  std::lock_guard lock(mutex_);
  return threads_;
}

std::string RecordingSink::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

int RecordingSink::PreviewFrames() const {
  std::lock_guard lock(mutex_);
  return previewFrames_;
}

int32_t RecordingSink::LastPreviewSize() const {
  std::lock_guard lock(mutex_);
  return lastPreviewSize_;
}

std::vector<uint8_t> RecordingSink::LastPreviewFrame() const {
  std::lock_guard lock(mutex_);
  return lastPreview_;
}

EnginePtr NewConfiguredEngine(RecordingSink* sink, bool showPreview) {
  EnginePtr engine(NewFfConverter());
  if (!engine) {
    return engine;
  }
  CISetup setup{};
  SetField(setup.workFolder, FixtureFolder().path().string() + "/");
  setup.showPreview = showPreview ? 1 : 0;
  setup.previewWidth = 320;
  setup.previewHeight = 240;
  setup.events = sink;
  engine->Configure(&setup);
  return engine;
}

Outcome RunToEnd(I_FfConverter& engine, int jobCount, std::chrono::seconds bound) {
  using Clock = std::chrono::steady_clock;
  Outcome outcome;
  const auto start = Clock::now();
  if (!engine.Start()) {
    outcome.status = 1;  // any nonzero end; the caller checks Start itself where it matters
    outcome.results.assign(jobCount, 0);
    return outcome;
  }
  for (;;) {
    double position = 0.0;
    int32_t index = 0;
    const int32_t status = engine.GetProgress(&position, &index);
    if (status != kConvertRunning) {
      outcome.status = status;
      break;
    }
    outcome.positions.push_back(position);
    outcome.jobIndexes.push_back(index);
    if (Clock::now() - start > bound) {
      outcome.timedOut = true;
      engine.Stop();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  outcome.elapsed = Clock::now() - start;
  outcome.results.assign(jobCount, 0);
  if (!outcome.timedOut && jobCount > 0) {
    engine.GetResults(jobCount, outcome.results.data());
  }
  return outcome;
}

Converted Convert(const std::vector<CIInput>& inputs, const OutputPlan& plan, const std::string& outputPath) {
  Converted converted;
  RecordingSink sink;
  EnginePtr engine = NewConfiguredEngine(&sink);
  if (!engine) {
    converted.log = "no engine";
    return converted;
  }
  const CIOutput output = OutputFor(outputPath, plan);
  if (inputs.size() == 1) {
    engine->AddJob(&output, &inputs[0]);
  } else {
    engine->AddMergeJob(&output, static_cast<int32_t>(inputs.size()), inputs.data());
  }
  const Outcome outcome = RunToEnd(*engine, 1);
  converted.status = outcome.status;
  converted.succeeded = outcome.status == kConvertFinished && outcome.results[0] != 0;
  converted.log = sink.Log();
  if (outcome.timedOut) {
    converted.log += "\n(timed out)";
  }
  return converted;
}

}  // namespace engine_harness
