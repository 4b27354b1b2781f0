#pragma once

namespace ffengine {

// Keeps FFmpeg's diagnostics off the program's standard error. FFmpeg's log settings belong to the
// whole process, so the module makes this call once, when it is loaded.
void SilenceFfmpegLog();

}  // namespace ffengine
