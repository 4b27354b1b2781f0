#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

// A fresh folder per test, removed with everything in it.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "kv-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 protected:
  std::filesystem::path path_;
};
