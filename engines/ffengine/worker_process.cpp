#include "engines/ffengine/worker_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace ffengine {

namespace {

using Clock = std::chrono::steady_clock;

// The file descriptor the process finds its socket at.
constexpr int kWorkerFd = 3;

}  // namespace

WorkerProcess::~WorkerProcess() {
  Reset();
}

bool WorkerProcess::Start(const std::string& program, const char* mode, std::string& error) {
  Reset();
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    error = std::string("no socket for the engine's process: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // dup2 clears close-on-exec on the copy: only that end reaches the process.
  posix_spawn_file_actions_adddup2(&actions, ends[1], kWorkerFd);
  const std::string parent = std::to_string(::getpid());
  const std::string fd = std::to_string(kWorkerFd);
  std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(mode),
                          const_cast<char*>(fd.c_str()),      const_cast<char*>("--parent"),
                          const_cast<char*>(parent.c_str()),  nullptr};
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(ends[1]);
  if (spawned != 0) {
    ::close(ends[0]);
    error = "cannot start the engine's process \"" + program + "\": " + std::strerror(spawned);
    return false;
  }
  pid_ = pid;
  fd_ = ends[0];
  status_ = 0;
  return true;
}

void WorkerProcess::Kill() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    Reap();
  }
}

int WorkerProcess::ReapWithin(std::chrono::milliseconds bound) {
  const Clock::time_point until = Clock::now() + bound;
  while (pid_ > 0 && Clock::now() < until) {
    int status = 0;
    const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
    if (ended == pid_) {
      pid_ = -1;
      status_ = status;
      return status_;
    }
    if (ended < 0 && errno != EINTR) {
      break;
    }
    ::usleep(10000);
  }
  Kill();
  return status_;
}

int WorkerProcess::Reap() {
  int status = 0;
  if (pid_ > 0) {
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    status_ = status;
  }
  return status_;
}

void WorkerProcess::Reset() {
  Kill();
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

std::string HowItEnded(int status) {
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    const char* name = ::strsignal(signal);
    return "it was ended by signal " + std::to_string(signal) +
           (name != nullptr ? std::string(" (") + name + ")" : "");
  }
  if (WIFEXITED(status)) {
    return "it exited with status " + std::to_string(WEXITSTATUS(status));
  }
  return "it ended";
}

}  // namespace ffengine
