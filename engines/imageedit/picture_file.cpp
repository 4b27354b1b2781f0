#include "engines/imageedit/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include "engines/imageedit/bmp_writer.h"
#include "engines/imageedit/gif_writer.h"
#include "engines/imageedit/picture_check.h"

namespace imageedit {

namespace {

constexpr int kJpegQuality = 90;  // a snapshot is looked at, not archived: high, but not lossless

// The whole regular file at `path`, or false. O_NONBLOCK keeps the open of a FIFO from waiting for a
// writer; the type is judged on the opened file, so a swap after a check cannot fool it.
bool ReadRegularFile(const QString& path, QByteArray& bytes) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    return false;
  }
  struct stat info {};
  bool read =
      ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 && info.st_size <= kMaxSourceBytes;
  if (read) {
    bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
      if (got < 0 && errno == EINTR) {
        continue;
      }
      if (got <= 0) {
        break;  // shrunk while being read: what is there may still be a whole picture
      }
      done += got;
    }
    bytes.truncate(done);
    read = done > 0;
  }
  ::close(fd);
  return read;
}

bool HasTransparency(const QImage& picture) {
  if (!picture.hasAlphaChannel()) {
    return false;
  }
  const QImage straight = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < straight.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
    for (int x = 0; x < straight.width(); ++x) {
      if (qAlpha(row[x]) != 255) {
        return true;
      }
    }
  }
  return false;
}

// Formats without alpha would otherwise show whatever colour transparent pixels happen to carry.
QImage OnWhite(const QImage& picture) {
  if (!picture.hasAlphaChannel()) {
    return picture;
  }
  QImage flat(picture.size(), QImage::Format_RGB32);
  flat.setDotsPerMeterX(picture.dotsPerMeterX());
  flat.setDotsPerMeterY(picture.dotsPerMeterY());
  flat.fill(Qt::white);
  QPainter painter(&flat);
  painter.drawImage(0, 0, picture);
  painter.end();
  return flat;
}

QByteArray EncodeWithQt(const QImage& picture, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (qstrcmp(format, "jpeg") == 0) {
    writer.setQuality(kJpegQuality);
  }
  if (!writer.write(picture)) {
    return {};
  }
  return bytes;
}

QByteArray EncodeGifFile(const QImage& picture) {
  const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
  if (rgba.isNull()) {
    return {};
  }
  const std::string bytes =
      EncodeGif(rgba.constBits(), rgba.width(), rgba.height(), static_cast<int>(rgba.bytesPerLine()));
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray Encode(const QImage& picture, const PictureType& type) {
  const QImage prepared = type.keepsAlpha ? picture : OnWhite(picture);
  switch (type.writer) {
    case PictureWriter::kQt:
      return EncodeWithQt(prepared, type.qtFormat);
    case PictureWriter::kBmp:
      // Qt writes 24 bits a pixel, which is smaller and read everywhere, but it drops the alpha.
      return HasTransparency(prepared) ? EncodeBmpWithAlpha(prepared) : EncodeWithQt(prepared, "bmp");
    case PictureWriter::kGif:
      return EncodeGifFile(prepared);
  }
  return {};
}

}  // namespace

QImage ReadPictureFile(const QString& path) {
  QByteArray bytes;
  if (path.isEmpty() || !ReadRegularFile(path, bytes) || !PictureIsWhole(bytes)) {
    return {};
  }
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) {
    return {};
  }
  QImageReader reader(&buffer, QFileInfo(path).suffix().toLower().toLatin1());
  reader.setAutoTransform(true);
  return reader.read();
}

bool WritePictureFile(const QImage& picture, const PictureType& type, const QString& path) {
  if (picture.isNull() || path.isEmpty()) {
    return false;
  }
  const QByteArray bytes = Encode(picture, type);
  if (bytes.isEmpty()) {
    return false;
  }
  // Never the half-written file at `path`: the temporary one is removed when anything fails.
  QSaveFile file(path);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    return false;
  }
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace imageedit
