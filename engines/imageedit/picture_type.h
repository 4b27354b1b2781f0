#pragma once

#include <QString>

namespace imageedit {

// Who encodes a picture type.
enum class PictureWriter {
  kQt,   // Qt's image writer for `qtFormat`
  kBmp,  // Qt's writer when the picture is opaque, our 32-bit writer when it has transparency
  kGif,  // FFmpeg, with a palette made for the picture
};

struct PictureType {
  const char* name;      // the type as callers name it, also the file extension
  const char* qtFormat;  // Qt's name of the format, for reading and for kQt writing
  PictureWriter writer;
  bool keepsAlpha;  // false: transparent parts are laid on white before writing
};

// The type called `name` (case-insensitive), or null when unknown or when this machine's Qt lacks the
// plug-in that writes it. Only whole names of the table match, so a name can never carry a path.
const PictureType* FindPictureType(const QString& name);

// What follows the last dot of the file name in `path`; empty when there is none, or when the name's
// only dot is its first character (a hidden file's name is not an extension).
QString PathExtension(const QString& path);

// The position of that dot in `path`, or -1.
qsizetype ExtensionDot(const QString& path);

}  // namespace imageedit
