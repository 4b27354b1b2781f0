#pragma once

#include <chrono>
#include <mutex>

namespace ffengine {

// The preview's master clock, in seconds of the file. It runs on the steady clock from its last
// anchor; the sound output re-anchors it whenever the device has consumed sound, so with sound the
// device's pace leads and between its steps the steady clock fills in. Without sound (no stream, no
// device, or after the sound ended) the steady clock alone drives it. Safe from any thread.
class PlaybackClock {
 public:
  using Steady = std::chrono::steady_clock;

  double Now() const {
    std::lock_guard lock(mutex_);
    return NowLocked(Steady::now());
  }

  // Puts the clock at `seconds`, running on from there if it runs.
  void Set(double seconds) {
    std::lock_guard lock(mutex_);
    base_ = seconds;
    anchor_ = Steady::now();
  }

  void Run(bool running) {
    std::lock_guard lock(mutex_);
    const Steady::time_point now = Steady::now();
    base_ = NowLocked(now);
    anchor_ = now;
    running_ = running;
  }

  bool Running() const {
    std::lock_guard lock(mutex_);
    return running_;
  }

 private:
  double NowLocked(Steady::time_point now) const {
    return running_ ? base_ + std::chrono::duration<double>(now - anchor_).count() : base_;
  }

  mutable std::mutex mutex_;  // guards every field
  double base_ = 0.0;
  Steady::time_point anchor_ = Steady::now();
  bool running_ = false;
};

}  // namespace ffengine
