#pragma once

#include <QString>

#include "components/media_info.h"

// What the Properties window shows of a probed file. A line whose stream the file lacks, or whose
// value the probe could not make sense of, reads kNotAvailable.
inline constexpr char kNotAvailable[] = "N/A";

struct PropertiesText {
  QString resolution = QString::fromLatin1(kNotAvailable);
  QString frameRate = QString::fromLatin1(kNotAvailable);
  QString videoEncoder = QString::fromLatin1(kNotAvailable);
  QString sampleRate = QString::fromLatin1(kNotAvailable);
  QString channels = QString::fromLatin1(kNotAvailable);
  QString audioEncoder = QString::fromLatin1(kNotAvailable);
};

// The texts of `media`, its audio lines from the track `audioIndex` of its audio table. An index that
// names no valid entry (-1 for "no choice made", or past the table) shows the first track, so a stale
// or hostile index never reads outside the table.
PropertiesText PropertiesTextOf(const MediaInfo& media, int audioIndex);
