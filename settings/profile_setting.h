#pragma once

#include <QList>
#include <QString>
#include <cstdint>

// One profile group of the catalogue. Profiles name the groups they are listed in by `GroupId`.
struct ProfileGroup {
  int32_t GroupId = 0;
  int32_t UserGroup = 0;  // nonzero: the group that receives the user's own profiles
  QString GroupName;
};

// One output profile and the choice lists the profile editor offers for it. A fresh profile has every
// number 0 and every text empty; copying copies every field. The fields keep the order of the file
// format (see profile_record.h).
//
// Choice lists are entries separated by ","; except `Resolutions`, every entry is "value$label", the
// value a codec name for the two codec lists and a decimal integer for the others.
struct ProfileSetting {
  int32_t ProfileId = 0;
  QList<int32_t> Groups;
  QString ProfileName;
  QString FormatExt;        // with its leading "."
  QString FormatName;       // the muxer the conversion engine writes with
  int32_t AudioFormat = 0;  // nonzero: audio-only output, the video fields are not used
  QString VideoCodecName;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t KeepOriFrameRate = 0;  // 1 exactly when FrameRate is negative
  int32_t FrameRate = 0;         // negative: keep the source's rate
  int32_t VideoBitRate = 0;      // bits per second
  QString AudioCodecName;
  int32_t SampleRate = 0;    // Hz
  int32_t AudioBitRate = 0;  // bits per second
  int32_t Channel = 0;
  QString ExtraParam;  // further engine parameters, passed on as they are (see data/Profile/README.md)
  QString Resolutions;
  QString FrameRates;
  QString VideoCodecs;
  QString VideoBitRates;
  QString SampleRates;
  QString Channels;
  QString AudioCodecs;
  QString AudioBitRates;
};

// The stored form of `Groups` read back: pieces between "," trimmed of blanks and control characters,
// empty pieces skipped. A piece that is not a decimal 32-bit number is skipped too, so one bad entry
// costs only itself, not the profile or the catalogue.
QList<int32_t> ParseGroupList(const QString& text);
// The stored form of `Groups`: plain decimal numbers joined with "," and no blanks.
QString JoinGroupList(const QList<int32_t>& groups);
