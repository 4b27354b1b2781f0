#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
}

namespace ffengine {

// A profile's ExtraParam, "key=value;key=value", sorted by where each value goes. Only the keys the
// catalogue documents are known; anything else lands in `problems` and is left out, so a profile with a
// stray key still converts.
struct ExtraParams {
  AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;  // NONE = the encoder's own choice
  int gop = -1;                                 // frames between key frames, -1 = encoder default
  int64_t maxRate = -1;                         // bits per second, -1 = not set
  int64_t bufferSize = -1;                      // bits, -1 = not set
  AVRational aspect{0, 1};                      // display aspect; 0/1 = follow the picture
  std::string codecTag;                         // FourCC for the muxer, empty = the muxer's own
  // Private options of the video encoder (preset, profile, ...), applied before it opens.
  std::vector<std::pair<std::string, std::string>> encoderOptions;
  // Options of the muxer (movflags), given when the header is written.
  std::vector<std::pair<std::string, std::string>> muxerOptions;
  // One readable line per entry that was left out.
  std::vector<std::string> problems;
};

ExtraParams ParseExtraParam(std::string_view text);

}  // namespace ffengine
