#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

#include "engines/ffengine/ff_handles.h"

namespace ffengine {

enum class FrameKind { kVideo, kAudio };

struct QueuedFrame {
  FrameKind kind;
  FramePtr frame;
};

// Hands filtered frames from the decoding thread to the encoding thread. Bounded, so a fast decoder
// cannot pile up frames in memory while the encoder lags. Close ends the hand-over from either side:
// Push then refuses, and Pop returns what is left and then false.
class FrameQueue {
 public:
  explicit FrameQueue(size_t capacity) : capacity_(capacity) {}

  bool Push(QueuedFrame item) {
    std::unique_lock lock(mutex_);
    notFull_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
    if (closed_) {
      return false;
    }
    items_.push_back(std::move(item));
    notEmpty_.notify_one();
    return true;
  }

  bool Pop(QueuedFrame& item) {
    std::unique_lock lock(mutex_);
    notEmpty_.wait(lock, [&] { return closed_ || !items_.empty(); });
    if (items_.empty()) {
      return false;
    }
    item = std::move(items_.front());
    items_.pop_front();
    notFull_.notify_one();
    return true;
  }

  // Lets the consumer finish what was queued.
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    notEmpty_.notify_all();
    notFull_.notify_all();
  }

  // Drops what was queued as well: the consumer gave up.
  void Abort() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    items_.clear();
    notEmpty_.notify_all();
    notFull_.notify_all();
  }

 private:
  std::mutex mutex_;  // guards items_ and closed_
  std::condition_variable notFull_;
  std::condition_variable notEmpty_;
  std::deque<QueuedFrame> items_;
  size_t capacity_;
  bool closed_ = false;
};

}  // namespace ffengine
