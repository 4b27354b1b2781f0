#include "engines/ffengine/ff_log.h"

extern "C" {
#include <libavutil/log.h>
}

namespace ffengine {

void SilenceFfmpegLog() {
  av_log_set_level(AV_LOG_QUIET);
}

}  // namespace ffengine
