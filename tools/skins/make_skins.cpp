// Draws every picture of the product's artwork into a folder (normally data/Skins). Run through the
// "skins" build target; it needs a Qt platform for its fonts (the target uses the offscreen one).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <string>

#include "tools/skins/bmp_writer.h"
#include "tools/skins/registry.h"
#include "widgets/skin_catalog.h"

namespace {

// Pictures with few colours are stored with a palette; the others in full colour.
bool SavePng(const QImage& picture, const QString& path) {
  if (!picture.hasAlphaChannel()) {
    QImage indexed = Palettised(picture);
    for (const QString& key : picture.textKeys()) {
      indexed.setText(key, picture.text(key));
    }
    if (indexed.convertToFormat(QImage::Format_RGB32) == picture.convertToFormat(QImage::Format_RGB32)) {
      return indexed.save(path, "PNG", 0);
    }
  }
  return picture.save(path, "PNG", 0);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "cannot make %s\n", argv[1]);
    return 1;
  }
  Registry registry;
  AddButtons(registry);
  AddWindows(registry);
  AddSmallPictures(registry);

  int failures = 0;
  for (const skin::SkinPicture& picture : skin::SkinCatalog()) {
    const std::string file(picture.file);
    const auto painter = registry.find(file);
    if (painter == registry.end()) {
      std::fprintf(stderr, "%s: no painter\n", file.c_str());
      ++failures;
      continue;
    }
    const QImage image = painter->second(picture);
    const QSize expected(picture.frameWidth * picture.frames, picture.frameHeight);
    if (image.size() != expected) {
      std::fprintf(stderr, "%s: drawn %dx%d, catalogued %dx%d\n", file.c_str(), image.width(), image.height(),
                   expected.width(), expected.height());
      ++failures;
      continue;
    }
    const QString path = out.filePath(QString::fromStdString(file));
    const bool written = file.ends_with(".bmp") ? WriteRle8Bitmap(image, path) : SavePng(image, path);
    if (!written) {
      std::fprintf(stderr, "%s: not written\n", file.c_str());
      ++failures;
    }
  }
  for (const auto& [file, painter] : registry) {
    if (skin::FindSkinPicture(file) == nullptr) {
      std::fprintf(stderr, "%s: painted but not catalogued\n", file.c_str());
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
