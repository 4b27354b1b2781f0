#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "components/engine_records.h"

namespace ffengine {

// One input of a job, owned by the engine: the record plus the watermark file name its pointer named.
struct JobInput {
  CIInput input{};
  std::string markFile;  // empty = no watermark
};

// One output file made from one input, or from several joined in order.
struct JobSpec {
  CIOutput output{};
  std::vector<JobInput> inputs;
};

// What a running job needs from the engine. Called from the job's threads: every operation is safe to
// call from any thread.
class JobHost {
 public:
  virtual bool StopRequested() const = 0;
  // Returns when the conversion is not paused (or stops).
  virtual void HoldWhilePaused() = 0;
  // Seconds of the job's output written so far.
  virtual void ReportPosition(double seconds) = 0;
  virtual void Log(const std::string& line) = 0;
  // The preview size when a preview frame is wanted now, else false.
  virtual bool PreviewWanted(int& width, int& height) = 0;
  virtual void Preview(std::vector<uint8_t> pixels) = 0;
  // Why the job is failing, when it is known better than "it failed": `kind` is one of the engine
  // contract's kJob codes, `reason` the log's words for it. The first one noted for a job counts;
  // later ones are consequences. Hosts that report no failures keep the default, which drops it.
  virtual void NoteFailure(int32_t kind, const std::string& reason) {
    static_cast<void>(kind);
    static_cast<void>(reason);
  }

 protected:
  ~JobHost() = default;
};

// The interrupt callback of a job's format contexts: FFmpeg's blocking reads and writes give up once
// a stop is asked for. `host` is the job's JobHost.
inline int PollStop(void* host) {
  return static_cast<JobHost*>(host)->StopRequested() ? 1 : 0;
}

enum class JobOutcome { kDone, kFailed, kStopped };

// Converts one job into its output file. The output appears only when the job succeeds; a file that
// was at the output path before stays untouched otherwise.
JobOutcome RunJob(const JobSpec& job, JobHost& host);

}  // namespace ffengine
