#include "preview/preview_rules.h"

#include <QtEndian>
#include <cmath>

namespace {

void PutLe32(QByteArray& bytes, int offset, uint32_t value) {
  qToLittleEndian(value, bytes.data() + offset);
}

void PutLe16(QByteArray& bytes, int offset, uint16_t value) {
  qToLittleEndian(value, bytes.data() + offset);
}

}  // namespace

ViewPlace FitView(int areaWidth, int areaHeight, double aspect) {
  if (!(aspect > 0) || !std::isfinite(aspect) || areaWidth <= 0 || areaHeight <= 0) {
    return {};
  }
  int width = areaWidth;
  int height = static_cast<int>(width / aspect);
  if (height > areaHeight) {
    height = areaHeight;
    width = static_cast<int>(aspect * height);
  }
  width -= width % 4;
  height -= height % 2;
  return ViewPlace{(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

void SnapshotSize(int width, int height, int& outWidth, int& outHeight) {
  outWidth = width - width % 8 + (width % 8 >= 4 ? 8 : 0);
  outHeight = height - height % 2;
}

QByteArray MakeBitmapFile(int width, int height) {
  const qint64 pixels = static_cast<qint64>(width) * height * 3;
  if (width <= 0 || height <= 0 || pixels > (1LL << 30)) {
    return QByteArray();
  }
  QByteArray bytes(kBitmapHeaderSize + pixels, '\0');
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

int SliderPercent(double position, double duration) {
  return duration > 0 ? static_cast<int>(position * 100 / duration) : 0;
}

int SeekSecond(int percent, double duration) {
  return static_cast<int>(percent * duration * 0.01);
}

void ClipRangeOnSlider(int sliderWidth, double clipStart, double clipLength, double duration, int& start,
                       int& length) {
  const int span = sliderWidth - 2;
  if (duration <= 0) {
    start = 1;
    length = span;
    return;
  }
  start = static_cast<int>(span * clipStart / duration) + 1;
  length = static_cast<int>(span * clipLength / duration);
}

QString SnapshotFile(const QString& folder, const QString& outputName, const QDateTime& when) {
  QString path = folder;
  if (!path.endsWith(QLatin1Char('/'))) {
    path += QLatin1Char('/');
  }
  const int dot = outputName.lastIndexOf(QLatin1Char('.'));
  const QString base = dot >= 0 ? outputName.left(dot) : outputName;
  return path + base + QLatin1Char('_') + when.toString(QStringLiteral("yyyyMMddHHmmss")) +
         QStringLiteral(".bmp");
}

QString ConvertedSnapshotFile(const QString& bitmapFile, const QString& type) {
  const int dot = bitmapFile.lastIndexOf(QLatin1Char('.'));
  return (dot >= 0 ? bitmapFile.left(dot + 1) : bitmapFile + QLatin1Char('.')) + type.toLower();
}
