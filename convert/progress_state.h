#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The arithmetic of the progress window, apart from any window: the job list, the completed total,
// the current job, and the elapsed and remaining times with the paused time taken out. UI thread only.

// Whole seconds of passing time; windows take the system's steady clock, which nobody can set back,
// tests a clock they move by hand.
using WallClock = std::function<int64_t()>;
WallClock SystemWallClock();

// One job as the progress window knows it, in the order the jobs were given to the engine.
struct ItemInfoEx {
  double duration = 0.0;   // seconds: the clip length, or the sum of them for a merge job
  std::string outputPath;  // UTF-8, the job's output file
};

// What the window shows for one position of the current job.
struct ProgressView {
  int currentPercent = 0;  // 0 .. 100
  int overallPercent = 0;  // 0 .. 100
  // Set only when the times are to be redrawn: while the conversion runs and the position is not 0.
  std::optional<int32_t> elapsed;
  std::optional<int32_t> remaining;
  std::string lengthText;  // "<position> / <job duration>", both "hh:mm:ss"
};

class ProgressState {
 public:
  explicit ProgressState(WallClock clock = SystemWallClock());

  void AddJob(double duration, std::string outputPath);
  const std::vector<ItemInfoEx>& Jobs() const { return jobs_; }
  double TotalDuration() const { return totalDuration_; }
  double DoneDuration() const { return doneDuration_; }
  int CurrentIndex() const { return currentIndex_; }
  bool Running() const { return running_; }

  // The engine started: the elapsed time counts from now.
  void Started();

  enum class Step { Ignored, SameJob, JobChanged };
  // A tick of a running conversion reporting `jobIndex` as the current job. An index behind the
  // current job or outside the list is ignored; moving on adds the duration of the job that was
  // current (only that one, however far the index moved).
  Step Advance(int32_t jobIndex);

  // The display for `position` seconds (truncated to whole seconds) of the current job.
  ProgressView Display(double position);
  // The display at the end: the current job at its full duration. A job too short to count a whole
  // second shows as complete.
  ProgressView DisplayEnd();
  // The display at the end once each job's fate is known (`succeeded`, by job; missing entries count
  // as failed): the completed total is what succeeded, and the current job is complete only when it
  // succeeded. A failed job never shows as converted: it keeps the position last shown, short of
  // its end.
  ProgressView DisplayOutcome(const std::vector<bool>& succeeded);

  // Pause and Continue buttons. The paused time is taken out of the elapsed time when the conversion
  // continues.
  void Pause();
  void Continue();
  // The stop question is open: the time it stays open is paused time. A pause already pending keeps
  // its start, so the time paused before the question counts too.
  void BeginStopQuestion();
  // The stop question was declined; a conversion that ran before it runs on, a paused one stays
  // paused.
  void StopDeclined(bool wasRunning);

  // The job labels: "[<current+1>/<count>]" and the output file's name after its last "/".
  std::string TaskIndexText() const;
  std::string CurrentFileName() const;

 private:
  // `jobEnded` / `batchEnded`: the job / the batch is complete, so a length under a whole second
  // shows as 100 %.
  ProgressView Compute(int32_t position, bool jobEnded, bool batchEnded, double doneDuration);
  int32_t CurrentJobSeconds() const;

  WallClock clock_;
  std::vector<ItemInfoEx> jobs_;
  double totalDuration_ = 0.0;
  double doneDuration_ = 0.0;
  int currentIndex_ = 0;
  int64_t startTime_ = 0;
  bool running_ = true;
  std::optional<int64_t> pauseStart_;
  int32_t lastPosition_ = 0;  // whole seconds of the current job last shown
};

// Seconds as a whole number for display: truncated toward zero, NaN and negatives give 0, values beyond
// the 32-bit range saturate.
int32_t WholeSeconds(double seconds);
