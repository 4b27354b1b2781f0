#include "engines/imageedit/picture_type.h"

#include <QByteArray>
#include <QImageWriter>

namespace imageedit {

namespace {

// Snapshot and watermark formats only: what a viewer and the conversion engine's watermark reader
// both take.
constexpr PictureType kTypes[] = {
    {"jpeg", "jpeg", PictureWriter::kQt, false}, {"jpg", "jpeg", PictureWriter::kQt, false},
    {"png", "png", PictureWriter::kQt, true},    {"bmp", "bmp", PictureWriter::kBmp, true},
    {"gif", "gif", PictureWriter::kGif, true},   {"tif", "tiff", PictureWriter::kQt, true},
    {"tiff", "tiff", PictureWriter::kQt, true},  {"webp", "webp", PictureWriter::kQt, true},
};

bool QtWrites(const char* format) {
  return QImageWriter::supportedImageFormats().contains(QByteArray(format));
}

}  // namespace

const PictureType* FindPictureType(const QString& name) {
  for (const PictureType& type : kTypes) {
    if (name.compare(QLatin1String(type.name), Qt::CaseInsensitive) != 0) {
      continue;
    }
    // GIF and BMP are written without Qt's help where it falls short, so only the others depend on
    // the plug-ins this machine has.
    if (type.writer == PictureWriter::kQt && !QtWrites(type.qtFormat)) {
      return nullptr;
    }
    return &type;
  }
  return nullptr;
}

qsizetype ExtensionDot(const QString& path) {
  const qsizetype slash = path.lastIndexOf(u'/');
  const qsizetype dot = path.lastIndexOf(u'.');
  return dot > slash + 1 ? dot : -1;
}

QString PathExtension(const QString& path) {
  const qsizetype dot = ExtensionDot(path);
  return dot < 0 ? QString() : path.mid(dot + 1);
}

}  // namespace imageedit
