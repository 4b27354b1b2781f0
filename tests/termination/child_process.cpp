#include "tests/termination/child_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace termination_test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment,
                           const std::string& outputFile)
    : outputFile_(outputFile) {
  // Everything the child needs is made before the fork: after it only async-signal-safe calls.
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text(*entry);
    if (environment.count(text.substr(0, text.find('='))) == 0) {
      env.push_back(text);
    }
  }
  for (const auto& [name, value] : environment) {
    env.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (std::string& text : env) {
    envp.push_back(text.data());
  }
  envp.push_back(nullptr);
  std::vector<std::string> args{program};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : args) {
    argv.push_back(text.data());
  }
  argv.push_back(nullptr);
  const int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(out, STDOUT_FILENO);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(out);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && Running()) {
    ::kill(pid_, SIGKILL);
    Wait();
  }
}

void ChildProcess::Signal(int signal) const {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, signal);
  }
}

std::string ChildProcess::Output() const {
  std::ifstream file(outputFile_);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool ChildProcess::Running() {
  if (pid_ <= 0 || reaped_) {
    return false;
  }
  if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
    reaped_ = true;
    return false;
  }
  return true;
}

int ChildProcess::Wait(std::chrono::seconds bound) {
  if (pid_ <= 0) {
    return -1;
  }
  const auto end = std::chrono::steady_clock::now() + bound;
  while (Running()) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status_, 0);
      reaped_ = true;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return status_;
}

bool Catches(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("SigCgt:", 0) == 0) {
      const unsigned long long mask = std::strtoull(line.c_str() + 7, nullptr, 16);
      return (mask >> (signal - 1)) & 1u;
    }
  }
  return false;
}

}  // namespace termination_test
