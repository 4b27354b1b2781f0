#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

#include "engines/ffengine/ff_handles.h"

namespace ffengine {

// Packets from the preview's reading thread to one decoding thread. A null packet marks the end of
// what the reader will send until it seeks again. Every seek bumps the serial: packets carry the
// serial they were read under, and a decoder that sees a new one starts afresh.
class PacketQueue {
 public:
  struct Item {
    PacketPtr packet;  // null = no more packets until the next seek
    int serial = 0;
  };

  explicit PacketQueue(size_t capacity) : capacity_(capacity) {}

  // Waits while full; false when the queue was aborted, or flushed to `serial`'s successor meanwhile.
  bool Push(PacketPtr packet, int serial) {
    std::unique_lock lock(mutex_);
    notFull_.wait(lock, [&] { return aborted_ || serial != serial_ || items_.size() < capacity_; });
    if (aborted_ || serial != serial_) {
      return false;
    }
    items_.push_back(Item{std::move(packet), serial});
    notEmpty_.notify_one();
    return true;
  }

  // Waits for a packet; false when aborted.
  bool Pop(Item& item) {
    std::unique_lock lock(mutex_);
    notEmpty_.wait(lock, [&] { return aborted_ || !items_.empty(); });
    if (aborted_) {
      return false;
    }
    item = std::move(items_.front());
    items_.pop_front();
    notFull_.notify_one();
    return true;
  }

  enum class Got { kItem, kTimeout, kAborted };

  // Pop that gives up after `timeout`.
  template <class Duration>
  Got PopFor(Item& item, Duration timeout) {
    std::unique_lock lock(mutex_);
    if (!notEmpty_.wait_for(lock, timeout, [&] { return aborted_ || !items_.empty(); })) {
      return Got::kTimeout;
    }
    if (aborted_) {
      return Got::kAborted;
    }
    item = std::move(items_.front());
    items_.pop_front();
    notFull_.notify_one();
    return Got::kItem;
  }

  // Drops every packet and starts serial `serial`; a Push of an older serial gives up.
  void Flush(int serial) {
    std::lock_guard lock(mutex_);
    items_.clear();
    serial_ = serial;
    notFull_.notify_all();
  }

  void Abort() {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    items_.clear();
    notFull_.notify_all();
    notEmpty_.notify_all();
  }

  size_t Size() const {
    std::lock_guard lock(mutex_);
    return items_.size();
  }

 private:
  mutable std::mutex mutex_;  // guards items_, serial_ and aborted_
  std::condition_variable notFull_;
  std::condition_variable notEmpty_;
  std::deque<Item> items_;
  size_t capacity_;
  int serial_ = 0;
  bool aborted_ = false;
};

}  // namespace ffengine
