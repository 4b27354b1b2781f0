#pragma once

#include <chrono>

extern "C" {
#include <libavformat/avio.h>
}

namespace ffengine {

// A time limit FFmpeg polls through its interrupt callback, so that a hostile, huge or stalled file
// ends a blocking call instead of freezing the caller. The callback refers to this object: it must
// outlive every FFmpeg object it was given to.
class Deadline {
 public:
  explicit Deadline(std::chrono::steady_clock::duration bound)
      : end_(std::chrono::steady_clock::now() + bound) {}
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;

  // A new limit from now. Only while no FFmpeg call polls it.
  void Renew(std::chrono::steady_clock::duration bound) { end_ = std::chrono::steady_clock::now() + bound; }

  bool Passed() const { return std::chrono::steady_clock::now() >= end_; }
  AVIOInterruptCB Callback() { return AVIOInterruptCB{&Deadline::Poll, this}; }

 private:
  static int Poll(void* self) { return static_cast<Deadline*>(self)->Passed() ? 1 : 0; }

  std::chrono::steady_clock::time_point end_;
};

}  // namespace ffengine
