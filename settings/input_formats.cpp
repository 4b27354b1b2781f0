#include "settings/input_formats.h"

#include <algorithm>
#include <array>

#include "settings/edition.h"

namespace {

// What a row holds, which decides the editions that offer it.
enum class RowKind {
  kCommonVideo,
  kDiscVideo,
  kHdVideo,
  kCameraVideo,
  kRareVideo,
  kCommonAudio,
  kRareAudio,
  kAnyFile
};

bool Offers(EditionInput input, RowKind kind) {
  using enum RowKind;
  switch (input) {
    case EditionInput::kEverything:
      return true;
    case EditionInput::kEssentials:
      return kind == kCommonVideo || kind == kDiscVideo || kind == kHdVideo || kind == kCommonAudio;
    case EditionInput::kCamcorder:
      return kind == kCommonVideo || kind == kDiscVideo || kind == kHdVideo || kind == kCameraVideo;
    case EditionInput::kDiscFiles:
      return kind == kDiscVideo;
    case EditionInput::kAudio:
      return kind == kCommonAudio || kind == kRareAudio;
    case EditionInput::kNothing:
      return false;
  }
  return false;
}

struct RowSource {
  const char* description;
  const char* patterns;  // ";"-separated
  RowKind kind;
};

using enum RowKind;

constexpr std::array<RowSource, 34> kRows = {{
    {"High-Definition Video Files(*.ts;*.mts;*.m2ts)", "*.ts;*.mts;*.m2ts", kHdVideo},
    {"MPEG Files(*.mpg;*.mpeg;*.mpeg2;*.vob;*.dat)", "*.mpg;*.mpeg;*.mpeg2;*.vob;*.dat", kDiscVideo},
    {"MPEG2 HD Files(*.mpg;*.mpeg)", "*.mpg;*.mpeg", kHdVideo},
    {"MPEG4 Files(*.mp4;*.m4v)", "*.mp4;*.m4v", kCommonVideo},
    {"MPEG4 HD Files(*.mp4)", "*.mp4", kHdVideo},
    {"Video Transport Stream Files(*.ts;*.tp;*.trp)", "*.ts;*.tp;*.trp", kHdVideo},
    {"Real Media Files(*.rm;*.rmvb)", "*.rm;*.rmvb", kRareVideo},
    {"Windows Media Files(*.wmv;*.asf)", "*.wmv;*.asf", kCommonVideo},
    {"WMV HD Video Files(*.wmv)", "*.wmv", kHdVideo},
    {"MKV Files(*.mkv)", "*.mkv", kCommonVideo},
    {"AVI Files(*.avi)", "*.avi", kCommonVideo},
    {"3GP Files(*.3gp;*.3g2)", "*.3gp;*.3g2", kCommonVideo},
    {"Flash Video Files(*.flv;*.f4v;*.swf)", "*.flv;*.f4v;*.swf", kCommonVideo},
    {"MPV Files(*.mpv)", "*.mpv", kRareVideo},
    {"JVC Recorded MOD Files(*.mod)", "*.mod", kCameraVideo},
    {"TOD Files(*.tod)", "*.tod", kCameraVideo},
    {"QuickTime Files(*.qt;*.mov)", "*.qt;*.mov", kCommonVideo},
    {"QuickTime HD Files(*.mov)", "*.mov", kHdVideo},
    {"DV Files(*.dv;*.dif)", "*.dv;*.dif", kCameraVideo},
    {"MJPEG Files(*.mjpg;*.mjpeg)", "*.mjpg;*.mjpeg", kCameraVideo},
    {"MPEG Audio Files(*.mp3;*.mp2)", "*.mp3;*.mp2", kCommonAudio},
    {"AAC Files(*.aac)", "*.aac", kCommonAudio},
    {"Raw AC3 Files(*.ac3)", "*.ac3", kCommonAudio},
    {"WAV Files(*.wav)", "*.wav", kCommonAudio},
    {"WMA Files(*.wma)", "*.wma", kCommonAudio},
    {"M4A Files(*.m4a)", "*.m4a", kCommonAudio},
    {"Real Audio Files(*.ra;*.ram)", "*.ra;*.ram", kRareAudio},
    {"Ogg Audio Files(*.ogg)", "*.ogg", kCommonAudio},
    {"SUN AU Audio Files(*.au)", "*.au", kRareAudio},
    {"AIFF Audio Files(*.aif;*.aiff)", "*.aif;*.aiff", kCommonAudio},
    {"Monkey's Audio Files(*.ape)", "*.ape", kRareAudio},
    {"FLAC Audio Files(*.flac)", "*.flac", kCommonAudio},
    {"NUT Audio Files(*.nut)", "*.nut", kRareAudio},
    {"All Files(*.*)", "*.*", kAnyFile},
}};

std::vector<InputFormatRow> BuildTable() {
  std::vector<InputFormatRow> table;
  table.reserve(kRows.size());
  for (const RowSource& source : kRows) {
    InputFormatRow row{QString::fromUtf8(source.description),
                       QString::fromUtf8(source.patterns).split(u';', Qt::SkipEmptyParts),
                       {}};
    for (int edition = 0; edition <= kNoEdition; ++edition) {
      if (!Offers(InputOf(edition), source.kind)) {
        row.withheld.push_back(edition);
      }
    }
    table.push_back(std::move(row));
  }
  return table;
}

bool IsOffered(const InputFormatRow& row, int edition) {
  return !std::binary_search(row.withheld.begin(), row.withheld.end(), edition);
}

}  // namespace

const std::vector<InputFormatRow>& InputFormatTable() {
  static const std::vector<InputFormatRow> table = BuildTable();
  return table;
}

QString OpenFilterFor(int edition) {
  QStringList allPatterns;
  QStringList rows;
  for (const InputFormatRow& row : InputFormatTable()) {
    if (IsOffered(row, edition)) {
      allPatterns.append(row.patterns);
      rows.append(row.description + "|" + row.patterns.join(u';'));
    }
  }
  return "All Supported Formats|" + allPatterns.join(u';') + "|" + rows.join(u'|');
}

QString BuildOpenFilter(const MuiContext& context) {
  return OpenFilterFor(EditionIndex(context));
}

bool IsSupportedPatternFor(int edition, const QString& pattern) {
  const QString wanted = pattern.toLower();
  for (const InputFormatRow& row : InputFormatTable()) {
    if (!IsOffered(row, edition)) {
      continue;
    }
    for (const QString& offered : row.patterns) {
      if (offered == wanted || offered == u"*.*") {
        return true;
      }
    }
  }
  return false;
}

bool IsSupportedPattern(const MuiContext& context, const QString& pattern) {
  return IsSupportedPatternFor(EditionIndex(context), pattern);
}
