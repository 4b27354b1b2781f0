#pragma once

#include <string>

namespace bench {

// Writes an H.264/AAC MP4 of `seconds` at `width`x`height`, 30 fps, made in-process so that a bench
// needs no sample files: testsrc2 (moving, detailed) and a 440 Hz stereo tone, encoded as a camera or
// phone would (libx264 at a quality setting, AAC at 128 kb/s). False when any step fails.
bool MakeSource(const std::string& path, int width, int height, int seconds);

}  // namespace bench
