#include "engines/ffengine/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    char suffix[24];
    std::snprintf(suffix, sizeof(suffix), ".%08llx.part",
                  static_cast<unsigned long long>(random() & 0xffffffffu));
    // Hidden, so a file manager showing the folder does not offer a half-written file.
    // A name near the file system's limit leaves no room for the suffix: such a file gets a short one.
    const std::string candidate =
        folder + "." + (name.size() > 200 ? std::string("kv-output") : name) + suffix;
    // 0666 lets the umask decide, as for any file the user creates.
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
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
  // empty file where the user's older output was.
  const int fd = ::open(tempPath_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  const bool synced = ::fsync(fd) == 0;
  if (!synced) {
    error_ = errno;
  }
  ::close(fd);
  if (!synced) {
    return false;
  }
  if (::rename(tempPath_.c_str(), outputPath_.c_str()) != 0) {
    error_ = errno;
    return false;
  }
  committed_ = true;
  return true;
}

void TempOutput::Discard() {
  if (!tempPath_.empty() && !committed_) {
    ::unlink(tempPath_.c_str());
  }
  tempPath_.clear();
}

}  // namespace ffengine
