#include "engines/optionxml/option_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>

namespace optionxml {

namespace {

// The kernel's own bound on links followed in one lookup.
constexpr int kMaxLinkHops = 40;

constexpr std::string_view kTempInfix = ".tmp-";
// mkostemp's "XXXXXX".
constexpr size_t kTempLetters = 6;

timespec CoarseNow() {
  timespec now{};
  // The coarse clock is the one the kernel stamps file times with.
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return now;
}

// The store's library is loaded at the program's start: a file last changed before this moment cannot
// be a save of this program that is under way.
const timespec g_loadedAt = CoarseNow();

bool Before(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

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
  // close() reports a delayed write error on some file systems, so its result matters.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of links in the last path component ends at; the path itself when it is no
// link (or does not exist). Empty for a loop.
std::optional<std::string> FinalTarget(std::string path) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      return path;
    }
    std::string target(st.st_size > 0 ? static_cast<size_t>(st.st_size) : 4096, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0) {
      return std::nullopt;
    }
    target.resize(static_cast<size_t>(length));
    path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
  }
  return std::nullopt;
}

// Read from /proc, because umask() can only be read by setting it, which races with other threads
// creating files.
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    }
  }
  return 022;
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    content.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool KeepAsBad(const std::string& target) {
  const std::string bad = target + ".bad";
  if (::unlink(bad.c_str()) != 0 && errno != ENOENT) {
    return false;
  }
  // A hard link keeps the target in place until the new file replaces it; a file system without
  // hard links gets a rename, which leaves a short moment without the target.
  return ::link(target.c_str(), bad.c_str()) == 0 || ::rename(target.c_str(), bad.c_str()) == 0;
}

void SyncFolder(const std::string& folder) {
  const Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) {
    // Some file systems refuse to sync a folder; the rename has happened either way.
    ::fsync(fd.get());
  }
}

}  // namespace

ReadResult ReadSmallFile(const std::string& path, size_t maxBytes, std::string& out) {
  out.clear();
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) {
    return errno == ENOENT || errno == ENOTDIR ? ReadResult::kMissing : ReadResult::kFailed;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > maxBytes) {
    return ReadResult::kFailed;
  }
  // Read one byte past the bound: the file may have grown since fstat.
  out.resize(maxBytes + 1);
  size_t total = 0;
  while (total < out.size()) {
    const ssize_t got = ::read(fd.get(), out.data() + total, out.size() - total);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      out.clear();
      return ReadResult::kFailed;
    }
    if (got == 0) {
      break;
    }
    total += static_cast<size_t>(got);
  }
  if (total > maxBytes) {
    out.clear();
    return ReadResult::kFailed;
  }
  out.resize(total);
  return ReadResult::kRead;
}

bool ReplaceFile(const std::string& path, std::string_view content, bool keepOld) {
  const std::optional<std::string> target = FinalTarget(path);
  if (!target || target->empty() || target->back() == '/') {
    return false;
  }
  const std::string folder = FolderOf(*target);
  RemoveLeftoverSaves(*target);
  struct stat old {};
  const bool exists = ::stat(target->c_str(), &old) == 0;
  const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());

  // rfind gives npos for a bare name, and npos + 1 is 0: the whole name.
  std::string temp = folder + "/." + target->substr(target->rfind('/') + 1) + ".tmp-XXXXXX";
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    return false;
  }
  // A file system without locks still saves; the sweep keeps what it cannot lock.
  ::flock(fd.get(), LOCK_EX | LOCK_NB);
  // The lock belongs to the open file, not to a descriptor: this copy holds it past the close below,
  // whose result is checked, until the rename is done.
  const Fd lock(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0));
  bool ok = WriteAll(fd.get(), content) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0;
  ok = fd.Close() && ok;
  // Only a file is kept: a folder in the way must make the rename fail, not be moved aside.
  ok = ok && (!keepOld || !exists || !S_ISREG(old.st_mode) || KeepAsBad(*target));
  ok = ok && ::rename(temp.c_str(), target->c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

bool IsLeftoverSaveName(std::string_view name, std::string_view target) {
  if (target.empty() || name.size() != 1 + target.size() + kTempInfix.size() + kTempLetters ||
      name.front() != '.' || name.substr(1, target.size()) != target ||
      name.substr(1 + target.size(), kTempInfix.size()) != kTempInfix) {
    return false;
  }
  const std::string_view letters = name.substr(name.size() - kTempLetters);
  return std::all_of(letters.begin(), letters.end(), IsAsciiAlnum);
}

void RemoveLeftoverSaves(const std::string& path) {
  const std::optional<std::string> target = FinalTarget(path);
  if (!target || target->empty() || target->back() == '/') {
    return;
  }
  const std::string name = target->substr(target->rfind('/') + 1);
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(FolderOf(*target).c_str()));
  if (!dir) {
    return;
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!IsLeftoverSaveName(entry->d_name, name)) {
      continue;
    }
    const int folder = ::dirfd(dir.get());
    // No following links and no blocking on a pipe named like our files.
    const Fd fd(::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    struct stat named {};
    // Locked before the name is checked again: the name must still be the file that was locked.
    if (fd.get() >= 0 && ::fstat(fd.get(), &opened) == 0 && S_ISREG(opened.st_mode) &&
        Before(opened.st_mtim, g_loadedAt) && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(folder, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev &&
        named.st_ino == opened.st_ino) {
      ::unlinkat(folder, entry->d_name, 0);
    }
  }
}

}  // namespace optionxml
