#include "base/routines.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// Rescaled values can leave the 32-bit range when a tiny frame is blown up; converting such a double
// to int32_t would be undefined, so the result saturates instead.
int32_t TruncateToInt32(double value) {
  const double clamped =
      std::clamp(std::trunc(value), static_cast<double>(std::numeric_limits<int32_t>::min()),
                 static_cast<double>(std::numeric_limits<int32_t>::max()));
  return static_cast<int32_t>(clamped);
}

}  // namespace

bool Occupied(const QString& path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

QString FreeOutputName(const QString& folder, const QString& name,
                       const std::function<bool(const QString& path)>& taken) {
  // ".mp4" splits into an empty base and its extension: the extension is what picks the container,
  // so it must survive the renaming ("_0.mp4").
  const qsizetype dot = name.lastIndexOf(u'.');
  const QString base = dot < 0 ? name : name.left(dot);
  const QString extension = dot < 0 ? QString() : name.mid(dot);
  for (qint64 n = 0;; ++n) {
    const QString numbered = folder + base + "_" + QString::number(n) + extension;
    if (!Occupied(numbered) && !(taken && taken(numbered))) {
      return numbered;
    }
  }
}

QString ResolveOutputName(const QString& folder, const QString& name,
                          const std::function<bool(const QString& name)>& mayReplace) {
  const QString candidate = folder + name;
  if (!Occupied(candidate) || (mayReplace && mayReplace(name))) {
    return candidate;
  }
  return FreeOutputName(folder, name);
}

std::string FormatHms(int32_t seconds) {
  // A negative span shows one sign in front ("-00:01:05"), not one on every field as plain division
  // would give; the magnitude is taken in 64 bits because -INT32_MIN does not fit in 32.
  const int64_t magnitude = seconds < 0 ? -static_cast<int64_t>(seconds) : seconds;
  const int hours = static_cast<int>(magnitude / 3600);
  const int minutes = static_cast<int>(magnitude % 3600 / 60);
  const int secs = static_cast<int>(magnitude % 60);
  char text[32];
  std::snprintf(text, sizeof text, "%s%.2d:%.2d:%.2d", seconds < 0 ? "-" : "", hours, minutes, secs);
  return text;
}

void RescaleRect(WatermarkBlock& mark, int32_t& frameW, int32_t& frameH, int32_t newW, int32_t newH) {
  if (static_cast<int64_t>(newW) * newH == 0) {
    return;
  }
  // A rectangle drawn before any frame was known has no scale to convert from; it is adopted as is.
  if (static_cast<int64_t>(frameW) * frameH != 0) {
    const double sx = static_cast<double>(frameW) / newW;
    const double sy = static_cast<double>(frameH) / newH;
    mark.markLeft = TruncateToInt32(mark.markLeft / sx);
    mark.markWidth = TruncateToInt32(mark.markWidth / sx);
    mark.markTop = TruncateToInt32(mark.markTop / sy);
    mark.markHeight = TruncateToInt32(mark.markHeight / sy);
  }
  frameW = newW;
  frameH = newH;
}

uint64_t FileSizeOf(const QString& path) {
  // Checked before opening: opening a pipe for reading would wait for a writer.
  if (!QFileInfo(path).isFile()) {
    return 0;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return 0;
  }
  return static_cast<uint64_t>(file.size());
}
