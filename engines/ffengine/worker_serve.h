#pragma once

#include <cstdint>
#include <functional>

#include "engines/ffengine/convert_job.h"

namespace ffengine {

// The conversion process's side: reads one job from `fd`, runs it, and reports its position, log,
// failure reasons and preview frames back, then its outcome. Pause, Resume, Stop and preview requests
// are read on a thread of their own while the job runs; a closed socket (the engine is gone) stops the
// job the way Stop does, so that it leaves nothing behind. `beforeJob` (may be empty) is called with
// the job's index before it runs. Returns the process's exit status: 0 when an outcome was sent.
int ServeJob(int fd, const std::function<void(int32_t index)>& beforeJob = {});

// Asks a job served in this process to stop, as the engine's Stop does; safe in a signal handler.
void StopServedJob();

}  // namespace ffengine
