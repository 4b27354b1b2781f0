#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace ffengine {

// A process of the engine's own program, talking over one end of a socket pair that it finds at file
// descriptor 3. It is killed and reaped when this goes, whatever happened.
class WorkerProcess {
 public:
  WorkerProcess() = default;
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;
  ~WorkerProcess();

  // Starts `program` with `mode` (the option naming its socket: "--job-socket", "--probe-socket") and
  // this process's id. False with the reason in `error` when it could not be started.
  bool Start(const std::string& program, const char* mode, std::string& error);

  bool Running() const { return pid_ > 0; }
  int fd() const { return fd_; }

  // Kills the process (never a group: a pid of 0 or -1 is not sent a signal) and reaps it.
  void Kill();
  // Waits up to `bound` for the process to end by itself, then kills it; its wait status.
  int ReapWithin(std::chrono::milliseconds bound);
  // Waits for the process to end; its wait status.
  int Reap();
  // Kills the process if it still runs and forgets it, so that this can start another.
  void Reset();

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  int status_ = 0;
};

// How a process ended, as a person reads it: "it was ended by signal 6 (Aborted)".
std::string HowItEnded(int status);

}  // namespace ffengine
