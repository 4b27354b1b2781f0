// Makes the desktop files the install step ships: the desktop entry from its template, with the MIME
// types of this product's input formats, and the icon in the hicolor theme's sizes from the artwork.
//
//   make_desktop_files TEMPLATE DESKTOP_OUT ICON_PNG ICON_THEME_FOLDER ICON_NAME
#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>

#include "settings/edition.h"
#include "settings/input_mime_types.h"

namespace {

constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

bool WriteDesktopEntry(const QString& templatePath, const QString& outPath) {
  QFile in(templatePath);
  if (!in.open(QIODevice::ReadOnly)) {
    return false;
  }
  QByteArray text = in.readAll();
  text.replace("@KV_MIME_TYPES@", (InputMimeTypesFor(kThisEdition).join(u';') + u';').toUtf8());
  QFile out(outPath);
  return out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.flush();
}

bool WriteIcons(const QString& source, const QString& themeFolder, const QString& name) {
  const QImage artwork(source);
  if (artwork.isNull()) {
    return false;
  }
  for (const int size : kIconSizes) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(themeFolder).arg(size);
    const QImage icon = artwork.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!QDir().mkpath(folder) || !icon.save(folder + u'/' + name + QStringLiteral(".png"))) {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fputs("usage: make_desktop_files TEMPLATE DESKTOP_OUT ICON_PNG ICON_THEME_FOLDER ICON_NAME\n",
               stderr);
    return 2;
  }
  const auto arg = [argv](int i) { return QString::fromLocal8Bit(argv[i]); };
  if (!WriteDesktopEntry(arg(1), arg(2))) {
    std::fprintf(stderr, "make_desktop_files: cannot write %s\n", argv[2]);
    return 1;
  }
  if (!WriteIcons(arg(3), arg(4), arg(5))) {
    std::fprintf(stderr, "make_desktop_files: cannot make the icons from %s\n", argv[3]);
    return 1;
  }
  return 0;
}
