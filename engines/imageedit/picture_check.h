#pragma once

#include <QByteArray>

namespace imageedit {

// False when the bytes are a BMP, JPEG or GIF whose picture is cut short. Qt's readers of these three
// formats fill in what is missing (grey, black or the previous rows) and report success, so a file
// broken off by an interrupted copy would otherwise be converted into a whole-looking wrong picture.
// Other formats, and anything not recognised, are left to their decoders (PNG checks itself).
bool PictureIsWhole(const QByteArray& bytes);

}  // namespace imageedit
