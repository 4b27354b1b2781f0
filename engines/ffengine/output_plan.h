#pragma once

#include <memory>
#include <string>
#include <vector>

#include "components/engine_records.h"
#include "engines/ffengine/extra_param.h"
#include "engines/ffengine/input_policy.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace ffengine {

// The streams of one input a job uses, as AVStream indexes; -1 = none.
struct InputStreams {
  int video = -1;
  int audio = -1;
  int subtitle = -1;
};

// An id that names a stream of the right kind is taken; -1 means none; any other id (a record that was
// never filled in) falls back to the file's best stream of that kind. Attached pictures are no video.
InputStreams ChooseStreams(const AVFormatContext* context, const CIInput& input);

// What the job writes, settled before any file is touched: one set of encoder settings that every part
// of a merge is brought to.
struct OutputPlan {
  std::string muxer;
  const AVCodec* videoEncoder = nullptr;  // null = no video stream
  const AVCodec* audioEncoder = nullptr;  // null = no audio stream
  int width = 0;
  int height = 0;
  AVRational sar{1, 1};
  AVRational frameRate{25, 1};
  AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;
  int64_t videoBitRate = 0;
  int sampleRate = 44100;
  int channels = 2;
  AVSampleFormat sampleFormat = AV_SAMPLE_FMT_FLTP;
  int64_t audioBitRate = 0;
  ExtraParams extra;
};

struct PlannedInput {
  std::unique_ptr<OpenedMedia> media;
  InputStreams streams;
};

// Fills `plan` from the output record and the opened inputs; adjustments go to `notes`. False with the
// reason in `error` when nothing sensible can be written.
bool MakePlan(const CIOutput& output, const std::vector<PlannedInput>& inputs,
              const std::vector<CIInput>& records, OutputPlan& plan, std::vector<std::string>& notes,
              std::string& error);

// The clockwise turn a video stream asks for on display (0, 90, 180, 270).
int StreamRotation(const AVStream* stream);

// The channel layout name the filters and encoders agree on for a channel count ("stereo", "5.1").
std::string LayoutName(int channels);

}  // namespace ffengine
