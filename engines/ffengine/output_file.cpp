#include "engines/ffengine/output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

#include "components/i_ff_converter.h"

namespace ffengine {

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  if (a.empty() || b.empty() || ::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) {
    return false;
  }
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsReplaceable(const std::string& path, int* error) {
  if (error != nullptr) {
    *error = 0;
  }
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) {
      return true;
    }
    if (error != nullptr) {
      *error = errno;
    }
    return false;
  }
  return S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
}

int32_t OutputFailureKind(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return kJobNoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOTDIR:
    case ENOENT:
      return kJobCannotWrite;
    default:
      return kJobFailed;
  }
}

namespace {

constexpr size_t kLongestKeptName = 200;
constexpr char kShortName[] = "kv-output";
constexpr char kSuffix[] = ".part";
constexpr size_t kNumberDigits = 8;

bool IsLowerHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

}  // namespace

std::string TempOutputName(const std::string& name, uint32_t number) {
  char suffix[24];
  std::snprintf(suffix, sizeof(suffix), ".%08x%s", static_cast<unsigned>(number), kSuffix);
  return "." + (name.size() > kLongestKeptName ? std::string(kShortName) : name) + suffix;
}

bool IsTempOutputName(std::string_view name) {
  const std::string_view suffix(kSuffix);
  // "." + at least one character + "." + the digits + the suffix.
  if (name.size() < 3 + kNumberDigits + suffix.size() || name.front() != '.' ||
      name.substr(name.size() - suffix.size()) != suffix) {
    return false;
  }
  name.remove_suffix(suffix.size());
  const std::string_view digits = name.substr(name.size() - kNumberDigits);
  if (!std::all_of(digits.begin(), digits.end(), IsLowerHex)) {
    return false;
  }
  name.remove_suffix(kNumberDigits);
  if (name.back() != '.') {
    return false;
  }
  const std::string_view kept = name.substr(1, name.size() - 2);
  return !kept.empty() && kept.size() <= kLongestKeptName && kept.find('/') == std::string_view::npos;
}

TempOutput::TempOutput(std::string outputPath) : outputPath_(std::move(outputPath)) {
  if (outputPath_.empty() || outputPath_.back() == '/') {
    return;
  }
  const size_t slash = outputPath_.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : outputPath_.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? outputPath_ : outputPath_.substr(slash + 1);
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string candidate = folder + TempOutputName(name, static_cast<uint32_t>(random()));
    // 0666 lets the umask decide, as for any file the user creates.
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      // A file system without locks still gets its output: the sweeper then keeps the file, as it
      // keeps every file it cannot lock.
      ::flock(fd, LOCK_EX | LOCK_NB);
      lockFd_ = fd;
      tempPath_ = candidate;
      return;
    }
    if (errno != EEXIST) {
      error_ = errno;
      return;
    }
  }
  error_ = EEXIST;
}

TempOutput::~TempOutput() {
  Discard();
}

bool TempOutput::Commit() {
  if (tempPath_.empty() || committed_) {
    return committed_;
  }
  // The data reaches the disk before the name does: a power cut after the rename must not leave an
  // empty file where the user's older output was. fsync covers the muxer's writes through its own
  // descriptor: it syncs the file, not one descriptor's writes.
  if (::fsync(lockFd_) != 0) {
    error_ = errno;
    return false;
  }
  // Renamed while still locked: no sweeper can take the file between the last write and the rename.
  if (::rename(tempPath_.c_str(), outputPath_.c_str()) != 0) {
    error_ = errno;
    return false;
  }
  committed_ = true;
  ::close(lockFd_);
  lockFd_ = -1;
  return true;
}

void TempOutput::Discard() {
  if (!tempPath_.empty() && !committed_) {
    ::unlink(tempPath_.c_str());
  }
  tempPath_.clear();
  // Unlocked only once the name is gone.
  if (lockFd_ >= 0) {
    ::close(lockFd_);
    lockFd_ = -1;
  }
}

}  // namespace ffengine
