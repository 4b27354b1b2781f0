#pragma once

#include <cstdint>

#include "engines/ffengine/ff_handles.h"

namespace ffengine {

// Pictures larger than this are not read: a watermark never needs one, and decoding one could take
// memory and time without bound.
inline constexpr int64_t kMaxPictureBytes = 64 * 1024 * 1024;
inline constexpr int64_t kMaxPicturePixels = 8192 * 8192;

// Width and height of the picture at `path` (UTF-8): JPEG, JPEG 2000, PNG, BMP, GIF, TIFF or TGA, told
// apart by content where the format has a signature and by the extension otherwise (TGA has none).
// The picture is read from that one regular file only and decoded to learn its size. False leaves the
// outputs unchanged.
bool ReadImageSize(const char* path, int32_t& width, int32_t& height);

// The picture at `path` decoded under the same rules (the watermark of a conversion); null when it
// cannot be read.
FramePtr ReadPicture(const char* path);

}  // namespace ffengine
