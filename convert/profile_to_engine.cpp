#include "convert/profile_to_engine.h"

#include <QString>
#include <cstring>
#include <string>

#include "components/text_utf.h"

namespace {

bool Blank(QChar ch) {
  return ch.unicode() <= 0x20 || ch.category() == QChar::Other_Control || ch.isSpace();
}

QString TrimBlanks(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && Blank(text[first])) {
    ++first;
  }
  while (last > first && Blank(text[last - 1])) {
    --last;
  }
  return text.mid(first, last - first);
}

// Unlike the record's path fields, a profile text may fill its field entirely: the copy is cut as a
// field one byte wider would be, and that extra byte (the terminator) is dropped.
template <size_t N>
void FillField(char (&field)[N], const QString& text) {
  const std::string utf8 = text.toStdString();
  char wider[N + 1];
  CopyTextToField(wider, sizeof wider, utf8);
  std::memcpy(field, wider, N);
}

}  // namespace

void ProfileToEngineRecord(const ProfileSetting& profile, CIOutput& out) {
  FillField(out.FormatName, profile.FormatName);
  out.AudioFormat = profile.AudioFormat;
  FillField(out.VideoCodecName, TrimBlanks(profile.VideoCodecName));
  out.Width = profile.Width;
  out.Height = profile.Height;
  out.FrameRate = profile.FrameRate;
  out.VideoBitRate = profile.VideoBitRate;
  FillField(out.AudioCodecName, TrimBlanks(profile.AudioCodecName));
  out.SampleRate = profile.SampleRate;
  out.Channel = profile.Channel;
  out.AudioBitRate = profile.AudioBitRate;
  FillField(out.ExtraParam, profile.ExtraParam);
}
