#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "engines/ffengine/convert_job.h"

namespace ffengine {

// The program each job runs in, beside the host.
inline constexpr char kWorkerProgram[] = "kestrelvine-worker";

// How long a job may go without its output growing, while not paused, before its process counts as
// hung: far longer than any encoder of the shipped profiles takes for one frame, short enough that a
// hung job does not hold the batch for good.
inline constexpr std::chrono::seconds kStallBound{90};
// How long a stopped process may take to clean up before it is killed.
inline constexpr std::chrono::seconds kStopBound{15};

struct WorkerSettings {
  std::string program;  // the worker program's path
  std::chrono::milliseconds stallBound = kStallBound;
  std::chrono::milliseconds stopBound = kStopBound;
};

// Runs job `index` in a fresh process of `settings.program`, passing what it reports on to `host` on
// this thread, and Pause (while `paused` says so), Resume and Stop on to it at once. A process that
// dies, or makes no progress for the stall bound while not paused, fails that job with a log line
// saying so; its temporary output is removed. The process ends with the job, and by itself when the
// thread that started it is gone.
JobOutcome RunJobInWorker(const JobSpec& job, int32_t index, JobHost& host, const WorkerSettings& settings,
                          const std::function<bool()>& paused);

}  // namespace ffengine
