#pragma once

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

// A program the test starts, with its standard output in a file the test reads while it runs. The
// test only ever signals this child.
namespace termination_test {

class ChildProcess {
 public:
  // Starts `program` with `arguments`, its environment this process's with `environment` set on top.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment, const std::string& outputFile);
  // A child still running is killed: a failed test leaves no program behind.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  void Signal(int signal) const;
  // What it wrote so far.
  std::string Output() const;
  // Waits until `ready` holds or the child ends or `bound` passes; true when `ready` held.
  template <class Ready>
  bool WaitFor(Ready ready, std::chrono::seconds bound = std::chrono::seconds(60));
  // Waits for the end (killing it after `bound`); the wait status, or -1 after a kill for time.
  int Wait(std::chrono::seconds bound = std::chrono::seconds(60));
  bool Running();

 private:
  pid_t pid_ = -1;
  std::string outputFile_;
  bool reaped_ = false;
  int status_ = 0;
};

// Whether the process catches `signal` now (its handler is installed), from /proc.
bool Catches(pid_t pid, int signal);

template <class Ready>
bool ChildProcess::WaitFor(Ready ready, std::chrono::seconds bound) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < end) {
    if (ready()) {
      return true;
    }
    if (!Running()) {
      return ready();
    }
    ::usleep(10'000);
  }
  return false;
}

}  // namespace termination_test
