#include "preview/preview_rules.h"

#include <QtEndian>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Pictures larger than this are no preview's; the bound also keeps every size below in int range.
constexpr qint64 kMaxPixelBytes = qint64(1) << 30;

void PutLe32(QByteArray& bytes, int offset, uint32_t value) {
  qToLittleEndian(value, bytes.data() + offset);
}

void PutLe16(QByteArray& bytes, int offset, uint16_t value) {
  qToLittleEndian(value, bytes.data() + offset);
}

// Truncation toward zero that stays defined for values an int cannot hold (and NaN, which gives 0):
// durations come from files, and a damaged one must not make the slider arithmetic undefined.
int TruncToInt(double value) {
  if (std::isnan(value)) {
    return 0;
  }
  if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
    return std::numeric_limits<int>::min();
  }
  return static_cast<int>(value);
}

}  // namespace

ViewPlace FitView(int areaWidth, int areaHeight, double aspect) {
  if (!(aspect > 0) || !std::isfinite(aspect) || areaWidth <= 0 || areaHeight <= 0) {
    return {};
  }
  int width = areaWidth;
  int height = TruncToInt(width / aspect);
  if (height > areaHeight) {
    height = areaHeight;
    width = TruncToInt(aspect * height);
  }
  width -= width % 4;
  height -= height % 2;
  return ViewPlace{(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

void SnapshotSize(int width, int height, int& outWidth, int& outHeight) {
  width = width > 0 ? width : 0;
  height = height > 0 ? height : 0;
  const int rest = width % 8;
  // Rounding up past the largest int would wrap; such a width is no picture anyway.
  outWidth = rest >= 4 && width <= std::numeric_limits<int>::max() - 8 ? width - rest + 8 : width - rest;
  outHeight = height - height % 2;
}

QByteArray MakeBitmapFile(int width, int height) {
  if (width <= 0 || height <= 0) {
    return QByteArray();
  }
  const qint64 pixels = static_cast<qint64>(width) * height * 3;
  if (pixels > kMaxPixelBytes) {
    return QByteArray();
  }
  QByteArray bytes(static_cast<qsizetype>(kBitmapHeaderSize + pixels), '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutLe32(bytes, 2, static_cast<uint32_t>(bytes.size()));
  PutLe32(bytes, 10, kBitmapHeaderSize);
  PutLe32(bytes, 14, 40);
  PutLe32(bytes, 18, static_cast<uint32_t>(width));
  PutLe32(bytes, 22, static_cast<uint32_t>(height));
  PutLe16(bytes, 26, 1);
  PutLe16(bytes, 28, 24);
  return bytes;
}

QByteArray FlipBitmapRows(const QByteArray& bitmapFile) {
  if (bitmapFile.size() < kBitmapHeaderSize || !bitmapFile.startsWith("BM")) {
    return bitmapFile;
  }
  const char* bytes = bitmapFile.constData();
  const qint64 width = qFromLittleEndian<qint32>(bytes + 18);
  const qint64 height = qFromLittleEndian<qint32>(bytes + 22);
  if (qFromLittleEndian<quint32>(bytes + 10) != kBitmapHeaderSize ||
      qFromLittleEndian<quint16>(bytes + 28) != 24 || width <= 0 || height <= 0) {
    return bitmapFile;
  }
  const qint64 stride = (width * 3 + 3) & ~qint64{3};
  if (kBitmapHeaderSize + stride * height != bitmapFile.size()) {
    return bitmapFile;
  }
  QByteArray flipped = bitmapFile;
  char* rows = flipped.data() + kBitmapHeaderSize;
  const char* from = bytes + kBitmapHeaderSize;
  for (qint64 row = 0; row < height; ++row) {
    std::memcpy(rows + row * stride, from + (height - 1 - row) * stride, static_cast<size_t>(stride));
  }
  return flipped;
}

int SliderPercent(double position, double duration) {
  return duration > 0 ? TruncToInt(position * 100 / duration) : 0;
}

int SeekSecond(int percent, double duration) {
  return TruncToInt(percent * duration * 0.01);
}

void ClipRangeOnSlider(int sliderWidth, double clipStart, double clipLength, double duration, int& start,
                       int& length) {
  const int span = sliderWidth - 2;
  if (!(duration > 0)) {
    start = 1;
    length = span;
    return;
  }
  start = TruncToInt(span * clipStart / duration) + 1;
  length = TruncToInt(span * clipLength / duration);
}

QString SnapshotFile(const QString& folder, const QString& outputName, const QDateTime& when) {
  QString path = folder;
  if (!path.endsWith(QLatin1Char('/'))) {
    path += QLatin1Char('/');
  }
  const qsizetype dot = outputName.lastIndexOf(QLatin1Char('.'));
  const QString base = dot >= 0 ? outputName.left(dot) : outputName;
  // "HH" is the 24-hour clock whatever the locale; "hh" would follow an AM/PM marker.
  return path + base + QLatin1Char('_') + when.toString(QStringLiteral("yyyyMMddHHmmss")) +
         QStringLiteral(".bmp");
}

QString ConvertedSnapshotFile(const QString& bitmapFile, const QString& type) {
  const qsizetype dot = bitmapFile.lastIndexOf(QLatin1Char('.'));
  return (dot >= 0 ? bitmapFile.left(dot + 1) : bitmapFile + QLatin1Char('.')) + type.toLower();
}

double DisplayAspect(const MediaInfo& media) {
  if (media.aspectNum > 0 && media.aspectDen > 0) {
    return static_cast<double>(media.aspectNum) / media.aspectDen;
  }
  if (media.width > 0 && media.height > 0) {
    return static_cast<double>(media.width) / media.height;
  }
  return 4.0 / 3.0;
}
