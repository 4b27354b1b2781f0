#pragma once

#include <QByteArray>
#include <QImage>

namespace imageedit {

// The picture as a 32-bit BMP that keeps its transparency: a version-4 header whose bit-field masks
// include alpha, straight (not premultiplied) colours, rows bottom-up. Qt's own BMP writer drops the
// alpha channel; this layout is read with its alpha by Qt and by FFmpeg's BMP decoder (as BGRA).
// Empty for a null picture or one too large for the format.
QByteArray EncodeBmpWithAlpha(const QImage& picture);

}  // namespace imageedit
