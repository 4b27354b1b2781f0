#include "engines/imageedit/bmp_writer.h"

#include <cstdint>
#include <limits>

namespace imageedit {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kSrgbSpace = 0x73524742;     // 'sRGB': no calibration endpoints or gamma follow
constexpr int32_t kDefaultDotsPerMeter = 2835;  // 72 dpi, where the picture names none

void PutU16(QByteArray& out, uint16_t value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>(value >> 8));
}

void PutU32(QByteArray& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.append(static_cast<char>((value >> shift) & 0xFF));
  }
}

void PutI32(QByteArray& out, int32_t value) {
  PutU32(out, static_cast<uint32_t>(value));
}

}  // namespace

QByteArray EncodeBmpWithAlpha(const QImage& picture) {
  if (picture.isNull()) {
    return {};
  }
  // A byte order that is the same on every machine, unlike ARGB32's native words.
  const QImage straight = picture.convertToFormat(QImage::Format_RGBA8888);
  if (straight.isNull()) {
    return {};
  }
  const int64_t width = straight.width();
  const int64_t height = straight.height();
  const int64_t pixelBytes = width * height * 4;
  const int64_t fileSize = kFileHeaderSize + kV4HeaderSize + pixelBytes;
  if (fileSize > std::numeric_limits<int32_t>::max()) {
    return {};
  }
  const int dotsX = straight.dotsPerMeterX() > 0 ? straight.dotsPerMeterX() : kDefaultDotsPerMeter;
  const int dotsY = straight.dotsPerMeterY() > 0 ? straight.dotsPerMeterY() : kDefaultDotsPerMeter;

  QByteArray out;
  out.reserve(static_cast<qsizetype>(fileSize));
  out.append("BM", 2);
  PutU32(out, static_cast<uint32_t>(fileSize));
  PutU32(out, 0);  // two reserved words
  PutU32(out, kFileHeaderSize + kV4HeaderSize);

  PutU32(out, kV4HeaderSize);
  PutI32(out, static_cast<int32_t>(width));
  PutI32(out, static_cast<int32_t>(height));  // positive: the last row comes first
  PutU16(out, 1);                             // planes
  PutU16(out, 32);
  PutU32(out, kBitFields);
  PutU32(out, static_cast<uint32_t>(pixelBytes));
  PutI32(out, dotsX);
  PutI32(out, dotsY);
  PutU32(out, 0);  // no palette
  PutU32(out, 0);
  PutU32(out, 0x00FF0000);  // red
  PutU32(out, 0x0000FF00);  // green
  PutU32(out, 0x000000FF);  // blue
  PutU32(out, 0xFF000000);  // alpha
  PutU32(out, kSrgbSpace);
  out.append(36 + 12, '\0');  // endpoints and gamma, unused for sRGB

  for (int y = static_cast<int>(height) - 1; y >= 0; --y) {
    const uchar* row = straight.constScanLine(y);
    for (int x = 0; x < width; ++x) {
      const uchar* pixel = row + 4 * x;
      const char bgra[4] = {static_cast<char>(pixel[2]), static_cast<char>(pixel[1]),
                            static_cast<char>(pixel[0]), static_cast<char>(pixel[3])};
      out.append(bgra, 4);
    }
  }
  return out;
}

}  // namespace imageedit
