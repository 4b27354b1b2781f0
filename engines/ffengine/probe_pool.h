#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "components/i_ff_probe_pool.h"
#include "engines/ffengine/worker_process.h"

// The "FfProbePool" component: see I_FfProbePool.
class FfProbePool final : public I_FfProbePool {
 public:
  FfProbePool() = default;

  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++refs_; }
  void Release() override;

  bool Start(const char* program, int32_t processes, int32_t boundMs) override;
  void Submit(int64_t ticket, const char* path) override;
  int32_t Collect(int32_t waitMs, ProbeAnswer* answers, int32_t room) override;
  void Cancel() override;
  int32_t Pending() override;

 private:
  using Clock = std::chrono::steady_clock;

  struct Request {
    int64_t ticket;
    std::string path;
  };
  // A process and the probes sent to it, oldest first. The oldest is the one it works on, since
  // `since`; the next waits in its socket, so that it never waits for this side between two files.
  struct Slot {
    ffengine::WorkerProcess process;
    std::deque<Request> sent;
    Clock::time_point since{};
  };

  ~FfProbePool() = default;  // only Release destroys
  void Dispatch();
  void Wait(std::chrono::milliseconds wait);
  void Read(Slot& slot);
  void Fail(Slot& slot);

  int32_t refs_ = 1;
  std::string program_;
  std::chrono::milliseconds bound_{0};
  std::vector<Slot> slots_;
  std::deque<Request> queue_;
  std::deque<ProbeAnswer> done_;
};

I_Plug* CreateFfProbePool();
