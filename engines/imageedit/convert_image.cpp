#include "engines/imageedit/convert_image.h"

#include <sys/stat.h>

#include <QFile>
#include <QImage>

#include "engines/imageedit/picture_file.h"
#include "engines/imageedit/picture_type.h"

namespace imageedit {

namespace {

// Another name of the same file counts: a case-insensitive disk or a link makes two paths one file.
bool SameFile(const QString& first, const QString& second) {
  if (first == second) {
    return true;
  }
  struct stat a {};
  struct stat b {};
  return ::stat(QFile::encodeName(first).constData(), &a) == 0 &&
         ::stat(QFile::encodeName(second).constData(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

}  // namespace

QString ConvertedPath(const QString& source, const QString& type) {
  const qsizetype dot = ExtensionDot(source);
  return (dot < 0 ? source : source.left(dot)) + u'.' + type;
}

bool ConvertPicture(const QString& source, const QString& type) {
  const PictureType* known = FindPictureType(type);
  if (known == nullptr || source.isEmpty() || source.endsWith(u'/')) {
    return false;
  }
  const QImage picture = ReadPictureFile(source);
  if (picture.isNull()) {
    return false;
  }
  const QString target = ConvertedPath(source, type);
  if (SameFile(source, target)) {
    return true;  // a source is never written over; the picture is already there in that type
  }
  return WritePictureFile(picture, *known, target);
}

}  // namespace imageedit
