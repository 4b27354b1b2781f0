#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <fstream>
#include <string>

// Files as a killed run leaves them: written some time before the program that finds them started.
namespace termination_test {

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
}

// Sets the file's times an hour back.
inline bool MakeOld(const std::string& path) {
  timespec times[2]{};
  ::clock_gettime(CLOCK_REALTIME, &times[0]);
  times[0].tv_sec -= 3600;
  times[1] = times[0];
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace termination_test
