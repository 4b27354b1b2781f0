#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/fakes/temp_folder.h"

namespace probe_test {

namespace fs = std::filesystem;

// The shipped media (tools/make-probe-fixtures makes them). CTest names the source tree; a hand run
// of the program falls back to the tree it was built from.
inline fs::path FixturePath(const std::string& name) {
  const char* source = std::getenv("KV_SOURCE_DIR");
  return fs::path(source != nullptr ? source : KV_TEST_SOURCE_DIR) / "tests" / "fixtures" / "probe" / name;
}

inline std::string Fixture(const std::string& name) {
  return FixturePath(name).string();
}

class TempDir : public TempFolder {
 public:
  TempDir() : TempFolder("kv-probe") {}

  // Copies a shipped fixture in under `name`.
  std::string Copy(const std::string& fixture, const std::string& name) const {
    fs::copy_file(FixturePath(fixture), path_ / name, fs::copy_options::overwrite_existing);
    return File(name);
  }
};

// A test name made of a file name: letters and digits kept, everything else "_".
inline std::string NameOf(std::string text) {
  for (char& c : text) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
      c = '_';
    }
  }
  return text;
}

}  // namespace probe_test
