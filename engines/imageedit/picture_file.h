#pragma once

#include <QImage>
#include <QString>

#include "engines/imageedit/picture_type.h"

namespace imageedit {

// Larger sources are not read: a snapshot of an 8K frame as a BMP is about 100 MB.
inline constexpr qint64 kMaxSourceBytes = 256 * 1024 * 1024;

// The picture in the regular file at `path`, recognised by its content (the extension only hints).
// Anything else (a folder, a FIFO, a device) is refused without being opened for reading, so nothing
// blocks. Null when it cannot be read as a picture, or when it is cut short (picture_check.h).
QImage ReadPictureFile(const QString& path);

// Encodes `picture` as `type` and puts it at `path` through a temporary file in the same folder and a
// rename, so that `path` either keeps what it had or holds the whole new picture.
bool WritePictureFile(const QImage& picture, const PictureType& type, const QString& path);

}  // namespace imageedit
