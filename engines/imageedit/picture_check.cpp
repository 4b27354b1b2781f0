#include "engines/imageedit/picture_check.h"

#include <cstdint>
#include <cstdlib>

namespace imageedit {

namespace {

uint32_t U16At(const QByteArray& bytes, qsizetype at) {
  return static_cast<uint8_t>(bytes[at]) | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8;
}

uint32_t U32At(const QByteArray& bytes, qsizetype at) {
  return U16At(bytes, at) | U16At(bytes, at + 2) << 16;
}

// Uncompressed and bit-field BMPs name everything needed to know how long their pixel rows are; the
// run-length kinds do not, and are left to the decoder.
bool BmpIsWhole(const QByteArray& bytes) {
  constexpr qsizetype kFileHeader = 14;
  if (bytes.size() < kFileHeader + 12) {
    return false;
  }
  const int64_t dataStart = U32At(bytes, 10);
  const uint32_t infoSize = U32At(bytes, kFileHeader);
  int64_t width = 0;
  int64_t height = 0;
  uint32_t bitCount = 0;
  uint32_t compression = 0;
  if (infoSize == 12) {  // the old OS/2 header: 16-bit sizes, never compressed
    width = U16At(bytes, kFileHeader + 4);
    height = U16At(bytes, kFileHeader + 6);
    bitCount = U16At(bytes, kFileHeader + 10);
  } else if (infoSize >= 40 && bytes.size() >= kFileHeader + 40) {
    width = static_cast<int32_t>(U32At(bytes, kFileHeader + 4));
    height = std::abs(static_cast<int64_t>(static_cast<int32_t>(U32At(bytes, kFileHeader + 8))));
    bitCount = U16At(bytes, kFileHeader + 14);
    compression = U32At(bytes, kFileHeader + 16);
  } else {
    return false;
  }
  constexpr uint32_t kRgb = 0;
  constexpr uint32_t kBitFields = 3;
  constexpr uint32_t kAlphaBitFields = 6;
  if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields) {
    return true;
  }
  if (width <= 0 || bitCount == 0 || bitCount > 32) {
    return false;
  }
  const int64_t rowBytes = (width * bitCount + 31) / 32 * 4;
  return bytes.size() >= dataStart + rowBytes * height;
}

// The image data of a JPEG runs from its last start-of-scan marker to the end-of-image marker. Inside
// the data every 0xFF byte is followed by 0x00 or a restart marker, so the markers cannot appear by
// chance; an earlier end marker belongs to an embedded thumbnail.
bool JpegIsWhole(const QByteArray& bytes) {
  qsizetype lastScan = -1;
  qsizetype lastEnd = -1;
  for (qsizetype i = 0; i + 1 < bytes.size(); ++i) {
    if (static_cast<uint8_t>(bytes[i]) != 0xFF) {
      continue;
    }
    const auto marker = static_cast<uint8_t>(bytes[i + 1]);
    if (marker == 0xDA) {
      lastScan = i;
    } else if (marker == 0xD9) {
      lastEnd = i;
    }
  }
  return lastScan >= 0 && lastEnd > lastScan;
}

// Walks the blocks of a GIF up to the end of its first picture, the one that is converted.
bool GifIsWhole(const QByteArray& bytes) {
  constexpr qsizetype kScreenDescriptorEnd = 13;
  if (bytes.size() < kScreenDescriptorEnd) {
    return false;
  }
  auto tableBytes = [](uint8_t flags) -> qsizetype {
    return (flags & 0x80) != 0 ? 3 * (qsizetype{2} << (flags & 0x07)) : 0;
  };
  // Sub-blocks, each a length byte and that many bytes, up to a zero length; the position after it.
  auto skipSubBlocks = [&bytes](qsizetype at) -> qsizetype {
    while (at < bytes.size()) {
      const auto length = static_cast<uint8_t>(bytes[at]);
      at += 1 + length;
      if (length == 0) {
        return at;
      }
    }
    return -1;
  };
  qsizetype at = kScreenDescriptorEnd + tableBytes(static_cast<uint8_t>(bytes[10]));
  while (at >= 0 && at < bytes.size()) {
    const auto block = static_cast<uint8_t>(bytes[at]);
    if (block == 0x21) {  // an extension: label, then sub-blocks
      at = at + 2 <= bytes.size() ? skipSubBlocks(at + 2) : -1;
    } else if (block == 0x2C) {  // a picture: descriptor, optional colour table, code size, data
      constexpr qsizetype kDescriptor = 10;
      if (at + kDescriptor > bytes.size()) {
        return false;
      }
      const qsizetype data = at + kDescriptor + tableBytes(static_cast<uint8_t>(bytes[at + 9])) + 1;
      return data <= bytes.size() && skipSubBlocks(data) >= 0;
    } else {
      return false;  // the trailer or anything else before a picture: there is none
    }
  }
  return false;
}

}  // namespace

bool PictureIsWhole(const QByteArray& bytes) {
  if (bytes.startsWith("BM")) {
    return BmpIsWhole(bytes);
  }
  if (bytes.startsWith("\xFF\xD8\xFF")) {
    return JpegIsWhole(bytes);
  }
  if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) {
    return GifIsWhole(bytes);
  }
  return true;
}

}  // namespace imageedit
