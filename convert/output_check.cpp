#include "convert/output_check.h"

#include <cmath>
#include <cstdio>

#include "components/field_text.h"
#include "components/i_ff_preview.h"

namespace {

bool HasVideo(const CIInput& input) {
  return input.videoId != -1 && input.media.videoCount > 0;
}

bool HasAudio(const CIInput& input) {
  return input.audioId != -1 && input.media.audioCount > 0;
}

}  // namespace

ExpectedOutput ExpectOutput(const CIOutput& output, const CIInput* inputs, int32_t count) {
  ExpectedOutput expected;
  expected.path = std::string(FieldText(output.outputFile));
  bool anyVideo = false;
  bool anyAudio = false;
  for (int32_t i = 0; inputs != nullptr && i < count; ++i) {
    anyVideo = anyVideo || HasVideo(inputs[i]);
    anyAudio = anyAudio || HasAudio(inputs[i]);
    if (std::isfinite(inputs[i].clipLength) && inputs[i].clipLength > 0.0) {
      expected.duration += inputs[i].clipLength;
    }
  }
  expected.video = output.AudioFormat == 0 && !FieldText(output.VideoCodecName).empty() && anyVideo;
  expected.audio = !FieldText(output.AudioCodecName).empty() && anyAudio;
  return expected;
}

std::string LengthReason(double actual, double expected) {
  char text[96];
  std::snprintf(text, sizeof text, "the output lasts %.1f s instead of %.1f s", actual, expected);
  return text;
}

OutputCheck CheckOutput(I_FfPreview& probe, const ExpectedOutput& expected) {
  MediaInfo info{};
  if (expected.path.empty() || !probe.Probe(expected.path.c_str(), &info)) {
    return {false, "the output cannot be read"};
  }
  if (expected.video && info.videoCount <= 0) {
    return {false, "the output has no video"};
  }
  if (expected.audio && info.audioCount <= 0) {
    return {false, "the output has no audio"};
  }
  const double actual = std::isfinite(info.duration) ? info.duration : 0.0;
  if (std::fabs(actual - expected.duration) > kOutputLengthTolerance) {
    return {false, LengthReason(actual, expected.duration)};
  }
  return {true, {}};
}
