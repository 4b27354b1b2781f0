#pragma once

#include <chrono>

#include "components/media_info.h"
#include "engines/ffengine/input_policy.h"

namespace ffengine {

// Clears `info` and fills it with what a person reads from the file at `path` (UTF-8):
// - duration in seconds: the container's, else the longest stream's;
// - the video stream: the first one marked default, else the first; cover pictures and thumbnails are
//   not video, so a song with cover art is audio-only; display aspect from the sample aspect ratio;
//   interlaced from the field order, or from a few decoded frames when the file does not say;
// - audio and subtitle streams in file order, as many as the tables hold; channels as a person reads
//   them ("stereo", "5.1(side)"), the language as tag ("und" counts as none);
// - stream ids are AVStream::index (see I_FfPreview::Probe).
// False when the file is refused or unreadable (see input_policy.h), has neither audio nor video, or
// `bound` passes first.
bool ProbeMedia(const char* path, MediaInfo& info, std::chrono::steady_clock::duration bound = kOpenBound);

}  // namespace ffengine
