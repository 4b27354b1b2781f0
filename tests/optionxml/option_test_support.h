#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "components/i_save_option_xml.h"
#include "components/text_utf.h"
#include "engines/optionxml/save_option_xml.h"
#include "plug/plug_ptr.h"
#include "tests/fakes/temp_folder.h"

namespace optionxml_test {

namespace fs = std::filesystem;

class TempDir : public TempFolder {
 public:
  TempDir() : TempFolder("kv-optionxml") {}
};

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Names in a folder, to see that a save leaves nothing of its own behind.
inline std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

inline std::u16string U16(const std::string& path) {
  return Utf8ToUtf16(path);
}

// A store made by the component's own factory, holding the one reference it was created with.
inline PlugPtr<I_SaveOptionXml> NewStore() {
  PlugPtr<I_SaveOptionXml> store;
  *store.Receive() = static_cast<I_SaveOptionXml*>(CreateSaveOptionXml());
  return store;
}

}  // namespace optionxml_test
