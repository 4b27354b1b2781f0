#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <filesystem>
#include <set>
#include <string>

#include "tests/fakes/temp_folder.h"

namespace edit_test {

namespace fs = std::filesystem;

inline QString Q(const fs::path& path) {
  return QString::fromStdString(path.string());
}

inline const char16_t* U16(const QString& text) {
  return reinterpret_cast<const char16_t*>(text.utf16());
}

// The names in a folder, to show that a failed operation left nothing behind (no temporary file
// either).
inline std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

std::string Bytes(const fs::path& file);
void WriteBytes(const fs::path& file, const std::string& bytes);

// Opaque blocks of distinct, saturated and mid-tone colours, kBlock pixels square. Odd sizes catch
// rows padded or counted wrongly.
inline constexpr int kBlock = 15;
inline constexpr int kColumns = 5;
inline constexpr int kRows = 3;
QColor BlockColour(int column, int row);
QImage BlockPicture();
// Many colours in a busy pattern: compressed files of it are mostly picture data.
QImage BusyPicture();

// A picture decoded by the conversion engine's own reader (ReadPicture), as straight RGBA; null
// when it cannot read it. `hasAlpha` says whether the decoded pixel format carries alpha.
QImage DecodedByEngine(const fs::path& file, bool* hasAlpha = nullptr);

// The largest difference of one colour channel between two colours.
int ChannelDistance(QColor a, QColor b);

}  // namespace edit_test
