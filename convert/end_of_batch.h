#pragma once

#include <cstdint>
#include <vector>

// What the progress window does when the engine reports the end of a batch, apart from any window.

// The end status the engine reports, and the two ticks of the window at that moment.
struct BatchEndFacts {
  int32_t status = 0;           // kConvertFinished, kConvertStopped or an error status
  bool windowActive = false;    // the progress window has the user's attention
  bool shutDownTicked = false;  // "Shut down the computer when conversion completed"
  bool openFolderTicked = false;
};

enum class BatchEndAction {
  kClose,      // the user stopped it, or will open the folder: nothing to tell
  kCountdown,  // write the log first (a power-off never reaches the close), then count down
  kSummary,    // "Converting <n> Files Done." in a message box
};

struct BatchEnd {
  // A desktop notification, for a user who is looking elsewhere; never after a stop.
  bool notify = false;
  BatchEndAction action = BatchEndAction::kClose;
};

// The decision table: a stop closes quietly; a finished batch with shut-down ticked counts down,
// otherwise with open-folder ticked closes; anything else (an error included) shows the summary.
BatchEnd DecideBatchEnd(const BatchEndFacts& facts);

// The summary counts: jobs whose result is non-zero succeeded.
struct BatchCounts {
  int total = 0;
  int success = 0;
  int failed() const { return total - success; }
};
BatchCounts CountResults(const std::vector<int32_t>& results);
