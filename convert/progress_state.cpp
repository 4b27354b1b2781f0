#include "convert/progress_state.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "base/routines.h"

WallClock SystemWallClock() {
  // Only differences are shown, so a clock nobody can set is the one to count them with.
  return [] {
    return static_cast<int64_t>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
  };
}

int32_t WholeSeconds(double seconds) {
  if (!(seconds > 0.0)) {
    return 0;
  }
  if (seconds >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(seconds);
}

namespace {

int Percent(int64_t part, int64_t whole) {
  return static_cast<int>(std::clamp<int64_t>(part * 100 / whole, 0, 100));
}

int32_t Saturate(int64_t value) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

ProgressState::ProgressState(WallClock clock) : clock_(std::move(clock)) {}

void ProgressState::AddJob(double duration, std::string outputPath) {
  // A damaged clip length must not poison the totals every percentage is taken from.
  if (!std::isfinite(duration) || duration < 0.0) {
    duration = 0.0;
  }
  jobs_.push_back({duration, std::move(outputPath)});
  totalDuration_ += duration;
}

void ProgressState::Started() {
  startTime_ = clock_();
  pauseStart_.reset();
}

ProgressState::Step ProgressState::Advance(int32_t jobIndex) {
  if (jobIndex < currentIndex_ || jobIndex >= static_cast<int32_t>(jobs_.size())) {
    return Step::Ignored;
  }
  if (jobIndex == currentIndex_) {
    return Step::SameJob;
  }
  doneDuration_ += jobs_[static_cast<size_t>(currentIndex_)].duration;
  currentIndex_ = jobIndex;
  lastPosition_ = 0;
  return Step::JobChanged;
}

int32_t ProgressState::CurrentJobSeconds() const {
  if (currentIndex_ < 0 || currentIndex_ >= static_cast<int>(jobs_.size())) {
    return 0;
  }
  return WholeSeconds(jobs_[static_cast<size_t>(currentIndex_)].duration);
}

ProgressView ProgressState::Display(double position) {
  lastPosition_ = WholeSeconds(position);
  return Compute(lastPosition_, false, false, doneDuration_);
}

ProgressView ProgressState::DisplayEnd() {
  return Compute(CurrentJobSeconds(), true, true, doneDuration_);
}

ProgressView ProgressState::DisplayOutcome(const std::vector<bool>& succeeded) {
  const auto ok = [&](size_t job) { return job < succeeded.size() && job < jobs_.size() && succeeded[job]; };
  double done = 0.0;
  for (size_t job = 0; job < jobs_.size(); ++job) {
    if (ok(job) && static_cast<int>(job) != currentIndex_) {
      done += jobs_[job].duration;
    }
  }
  const int32_t d = CurrentJobSeconds();
  const bool currentOk = currentIndex_ >= 0 && ok(static_cast<size_t>(currentIndex_));
  // A job that failed in its last second must not round up to complete.
  const int32_t p = currentOk ? d : std::min(lastPosition_, std::max<int32_t>(d - 1, 0));
  bool allOk = true;
  for (size_t job = 0; job < jobs_.size(); ++job) {
    allOk = allOk && ok(job);
  }
  return Compute(p, currentOk, allOk, done);
}

ProgressView ProgressState::Compute(int32_t p, bool jobEnded, bool batchEnded, double doneDuration) {
  ProgressView view;
  const int32_t d = CurrentJobSeconds();
  // A job shorter than a second has no whole second to divide by: it is complete once it has ended.
  view.currentPercent = d > 0 ? Percent(p, d) : (jobEnded ? 100 : 0);

  const int64_t done = WholeSeconds(static_cast<double>(p) + doneDuration);
  const int64_t total = WholeSeconds(totalDuration_);
  view.overallPercent = total > 0 ? Percent(done, total) : (batchEnded ? 100 : 0);

  if (p != 0 && running_ && done > 0) {
    // A clock set back since the start would give negative times.
    const int64_t elapsed = std::max<int64_t>(clock_() - startTime_, 0);
    // Past the end of the batch nothing remains; the engine may report a position beyond a job's
    // length.
    const int64_t left = std::max<int64_t>(total - done, 0);
    view.elapsed = Saturate(elapsed);
    view.remaining = Saturate(elapsed * left / done);
  }

  view.lengthText = FormatHms(p) + " / " + FormatHms(d);
  return view;
}

void ProgressState::Pause() {
  running_ = false;
  pauseStart_ = clock_();
}

void ProgressState::Continue() {
  running_ = true;
  // Taken out at once rather than at the next redraw, so that a second pause before any redraw
  // cannot lose the first one.
  if (pauseStart_) {
    startTime_ += clock_() - *pauseStart_;
    pauseStart_.reset();
  }
}

void ProgressState::BeginStopQuestion() {
  running_ = false;
  if (!pauseStart_) {
    pauseStart_ = clock_();
  }
}

void ProgressState::StopDeclined(bool wasRunning) {
  if (wasRunning) {
    Continue();
  }
}

std::string ProgressState::TaskIndexText() const {
  char text[48];
  std::snprintf(text, sizeof text, "[%d/%d]", currentIndex_ + 1, static_cast<int>(jobs_.size()));
  return text;
}

std::string ProgressState::CurrentFileName() const {
  if (currentIndex_ < 0 || currentIndex_ >= static_cast<int>(jobs_.size())) {
    return {};
  }
  const std::string& path = jobs_[static_cast<size_t>(currentIndex_)].outputPath;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
