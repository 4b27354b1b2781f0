#pragma once

#include <cstdint>

#include "components/engine_records.h"
#include "plug/i_plug.h"

// The conversion engine's event sink, implemented by the progress window. The engine calls it only on
// the thread that calls GetProgress, because the window touches the same state without a lock.
class FfConvertEvent {
 public:
  // 24-bit top-down rows of the preview size given in CISetup; `size` is their byte count.
  virtual void OnPreviewFrame(const void* pixels, int32_t size) = 0;
  // UTF-8, appended to the conversion log as is.
  virtual void OnLog(const char* text) = 0;

 protected:
  ~FfConvertEvent() = default;
};

// GetProgress results; any other nonzero value means the conversion ended abnormally.
inline constexpr int32_t kConvertRunning = 0;
inline constexpr int32_t kConvertFinished = -2;
inline constexpr int32_t kConvertStopped = -3;

// GetJobFailure results: why a job failed. Separate from GetResults, whose nonzero entries keep
// meaning success for every caller that knows only them.
inline constexpr int32_t kJobNoFailure = 0;     // succeeded, not run yet, or the engine cannot tell
inline constexpr int32_t kJobFailed = -1;       // failed; the reason text says why
inline constexpr int32_t kJobNoSpace = -2;      // the output's device is full (ENOSPC, EDQUOT)
inline constexpr int32_t kJobCannotWrite = -3;  // the output folder or file refuses it (EACCES, EPERM,
                                                // EROFS, or a folder that is missing or no folder)

// The conversion engine, registered as "FfConverter": one output file per job. Protocol: Configure,
// jobs, Start, GetProgress polled (with Pause, Resume, TogglePreview) until Stop or a nonzero status,
// GetResults, Release. No operation throws; failures are results.
class I_FfConverter : public I_Plug {
 public:
  // Never called; keeps the operations after it in their slots.
  virtual void Reserved1() = 0;
  virtual void Configure(const CISetup* setup) = 0;
  // `input` is a temporary copy: the engine copies what it needs before returning. The text its
  // watermark block points at stays valid and unchanged until the engine is released.
  virtual void AddJob(const CIOutput* output, const CIInput* input) = 0;
  // One output from `count` contiguous inputs joined in order; same lifetime rules as AddJob.
  virtual void AddMergeJob(const CIOutput* output, int32_t count, const CIInput* inputs) = 0;
  // True when the conversion is running.
  virtual bool Start() = 0;
  virtual void Stop() = 0;
  // kConvertRunning with *position the seconds of the current job done and *jobIndex its 0-based
  // index in the order jobs were added; otherwise a final status.
  virtual int32_t GetProgress(double* position, int32_t* jobIndex) = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  virtual void TogglePreview() = 0;
  // Writes `count` entries, nonzero where that job succeeded.
  virtual void GetResults(int32_t count, int32_t* results) = 0;
  // Why job `index` (0-based, in the order jobs were added) failed: one of the kJob codes above, with
  // the engine's own words in `reason` (UTF-8, NUL-terminated, cut to `size` bytes; may be null when
  // size is 0). Added after GetResults so the earlier slots keep their places; an engine that cannot
  // tell keeps this default, which answers kJobNoFailure with an empty reason. Valid once the status
  // is final, like GetResults.
  virtual int32_t GetJobFailure(int32_t index, char* reason, int32_t size) {
    static_cast<void>(index);
    if (reason != nullptr && size > 0) {
      reason[0] = '\0';
    }
    return kJobNoFailure;
  }

 protected:
  ~I_FfConverter() = default;
};

inline constexpr char kFfConverterName[] = "FfConverter";
