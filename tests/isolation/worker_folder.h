#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "engines/ffengine/worker_job.h"

namespace isolation_test {

// A temporary folder holding `program` under the name the engine looks for beside the host, and the
// files of a test; removed with everything in it.
class WorkerFolder {
 public:
  explicit WorkerFolder(const std::string& program) {
    char name[] = "/tmp/kv_worker_XXXXXX";
    path_ = ::mkdtemp(name);
    std::filesystem::create_symlink(program, path_ / ffengine::kWorkerProgram);
  }
  ~WorkerFolder() { std::filesystem::remove_all(path_); }
  WorkerFolder(const WorkerFolder&) = delete;
  WorkerFolder& operator=(const WorkerFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The folder with a trailing separator, as the engine and the list take a program's folder.
  std::string Folder() const { return path_.string() + "/"; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Sets an environment variable for one test; the processes started meanwhile inherit it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) { ::setenv(name, value, 1); }
  ~ScopedEnv() { ::unsetenv(name_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
};

}  // namespace isolation_test
