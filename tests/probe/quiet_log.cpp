#include "engines/ffengine/ff_log.h"

namespace {

// The module silences FFmpeg when it is loaded; these tests use the engine without it.
const bool silenced = (ffengine::SilenceFfmpegLog(), true);

}  // namespace
