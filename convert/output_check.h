#pragma once

#include <cstdint>
#include <string>

#include "components/engine_records.h"

class I_FfPreview;

// Whether a finished output is what its job asked for: it opens, holds the streams its profile and
// sources call for, and lasts the job's length. An engine can report success for a file that a crash,
// a full disk or a muxer fault left short or without a stream; this is the last word on it.

// How far the output's length may be from the job's: encoders pad or cut the last frame or audio
// packet, and containers round their durations.
inline constexpr double kOutputLengthTolerance = 0.5;

// What a job's output must hold.
struct ExpectedOutput {
  std::string path;       // UTF-8, the job's output file
  bool video = false;     // a video stream
  bool audio = false;     // an audio stream
  double duration = 0.0;  // seconds: the clip length, or the sum of them for a merge job
};

// From the job's output record and its `count` input records. Video is wanted unless the output is
// audio-only, audio when the profile names an audio codec; either only when some input has such a
// stream to convert (the engine writes none from nothing).
ExpectedOutput ExpectOutput(const CIOutput& output, const CIInput* inputs, int32_t count);

struct OutputCheck {
  bool passed = false;
  std::string reason;  // why it failed: "the output has no audio", ...; empty when it passed
};

// Probes the file through `probe` (an "FfPreview" instance the caller owns) and compares it with the
// expectation.
OutputCheck CheckOutput(I_FfPreview& probe, const ExpectedOutput& expected);

// The reason for an output that lasts `actual` seconds instead of `expected`: "the output lasts 3.2 s
// instead of 4.0 s".
std::string LengthReason(double actual, double expected);
