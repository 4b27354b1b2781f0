#include "engines/ffengine/worker_serve.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engines/ffengine/worker_wire.h"

namespace ffengine {

namespace {

// Positions are sent a few times a frame interval at most: the engine polls far less often.
constexpr auto kPositionInterval = std::chrono::milliseconds(50);
constexpr auto kControlWait = std::chrono::milliseconds(100);

std::atomic<bool> stopAsked{false};

class SocketHost final : public JobHost {
 public:
  explicit SocketHost(int fd) : fd_(fd) {}

  bool StopRequested() const override { return stopAsked.load() || stop_.load(); }

  void HoldWhilePaused() override {
    std::unique_lock lock(mutex_);
    // A stop asked by a signal notifies nobody: the wait looks again now and then.
    while (paused_ && !StopRequested()) {
      changed_.wait_for(lock, kControlWait);
    }
  }

  void ReportPosition(double seconds) override {
    const auto now = std::chrono::steady_clock::now();
    {
      std::lock_guard lock(mutex_);
      if (now < nextPosition_) {
        return;
      }
      nextPosition_ = now + kPositionInterval;
    }
    Send(wire::Kind::kPosition, &seconds, sizeof seconds);
  }

  void Log(const std::string& line) override { Send(wire::Kind::kLog, line.data(), line.size()); }

  void NoteFailure(int32_t kind, const std::string& reason) override {
    std::vector<uint8_t> body(sizeof kind);
    std::memcpy(body.data(), &kind, sizeof kind);
    body.insert(body.end(), reason.begin(), reason.end());
    Send(wire::Kind::kFailure, body.data(), body.size());
  }

  bool PreviewWanted(int& width, int& height) override {
    std::lock_guard lock(mutex_);
    if (!preview_) {
      return false;
    }
    width = preview_->first;
    height = preview_->second;
    preview_.reset();
    return true;
  }

  void Preview(std::vector<uint8_t> pixels) override {
    Send(wire::Kind::kPicture, pixels.data(), pixels.size());
  }

  void End(JobOutcome outcome) { Send(wire::Kind::kEnd, &outcome, sizeof outcome); }

  // Reads Pause, Resume, Stop and preview requests until the job ends or the engine goes away.
  void ReadControls(const std::atomic<bool>& jobEnded) {
    wire::Message message;
    while (!jobEnded.load()) {
      const wire::Read read = wire::Receive(fd_, kControlWait, message);
      if (read == wire::Read::kTimeout) {
        continue;
      }
      std::lock_guard lock(mutex_);
      if (read == wire::Read::kClosed) {
        stop_ = true;
        changed_.notify_all();
        return;
      }
      switch (message.kind) {
        case wire::Kind::kPause:
          paused_ = true;
          break;
        case wire::Kind::kResume:
          paused_ = false;
          break;
        case wire::Kind::kStop:
          stop_ = true;
          break;
        case wire::Kind::kPreview:
          if (message.body.size() == 2 * sizeof(int32_t)) {
            int32_t size[2];
            std::memcpy(size, message.body.data(), sizeof size);
            preview_ = std::make_pair(static_cast<int>(size[0]), static_cast<int>(size[1]));
          }
          break;
        default:
          break;
      }
      changed_.notify_all();
    }
  }

 private:
  void Send(wire::Kind kind, const void* body, size_t size) {
    // The job's threads report at once; one message must never cut into another.
    std::lock_guard lock(sendMutex_);
    wire::Send(fd_, kind, body, size);
  }

  int fd_;
  std::atomic<bool> stop_{false};
  std::mutex sendMutex_;
  std::mutex mutex_;  // guards everything below
  std::condition_variable changed_;
  bool paused_ = false;
  std::optional<std::pair<int, int>> preview_;
  std::chrono::steady_clock::time_point nextPosition_{};
};

}  // namespace

void StopServedJob() {
  stopAsked.store(true);
}

int ServeJob(int fd, const std::function<void(int32_t index)>& beforeJob) {
  wire::Message message;
  if (wire::Receive(fd, std::chrono::seconds(30), message) != wire::Read::kMessage ||
      message.kind != wire::Kind::kJob) {
    return 2;
  }
  int32_t index = 0;
  const std::optional<JobSpec> job = wire::DecodeJob(message.body, &index);
  if (!job) {
    return 2;
  }
  SocketHost host(fd);
  std::atomic<bool> jobEnded{false};
  std::thread controls([&] { host.ReadControls(jobEnded); });
  if (beforeJob) {
    beforeJob(index);
  }
  JobOutcome outcome = JobOutcome::kFailed;
  try {
    outcome = RunJob(*job, host);
  } catch (const std::exception& error) {
    host.Log(std::string("job failed: ") + error.what());
  }
  jobEnded = true;
  host.End(outcome);
  controls.join();
  return 0;
}

}  // namespace ffengine
