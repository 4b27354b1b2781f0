#include "engines/ffengine/leftover_parts.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "engines/ffengine/output_file.h"

namespace ffengine {

namespace {

timespec CoarseNow() {
  timespec now{};
  // The coarse clock is the one the kernel stamps file times with.
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return now;
}

const timespec g_loadedAt = CoarseNow();

bool Before(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Removes one candidate when it is a stale, unlocked regular file; true when it did.
bool RemoveIfLeftOver(int folder, const char* name, const timespec& startedAt) {
  // No following links and no blocking on a pipe someone named like our files.
  const Fd fd(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) {
    return false;
  }
  struct stat opened {};
  if (::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) || !Before(opened.st_mtim, startedAt)) {
    return false;
  }
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    return false;
  }
  // The name must still be the file that was locked: it may have been renamed into place meanwhile.
  struct stat named {};
  if (::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_dev != opened.st_dev ||
      named.st_ino != opened.st_ino) {
    return false;
  }
  return ::unlinkat(folder, name, 0) == 0;
}

}  // namespace

timespec ProgramStart() {
  return g_loadedAt;
}

std::vector<std::string> RemoveLeftoverOutputs(const std::string& folder, timespec startedAt) {
  std::vector<std::string> removed;
  const std::string shown = folder.empty() ? std::string(".") : folder;
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(shown.c_str()));
  if (!dir) {
    return removed;
  }
  const std::string prefix = shown.back() == '/' ? shown : shown + "/";
  while (const dirent* entry = ::readdir(dir.get())) {
    if (IsTempOutputName(entry->d_name) && RemoveIfLeftOver(::dirfd(dir.get()), entry->d_name, startedAt)) {
      removed.push_back(prefix + entry->d_name);
    }
  }
  return removed;
}

}  // namespace ffengine
