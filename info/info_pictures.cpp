#include "info/info_pictures.h"

#include <QString>

QImage InfoPicture(const QString& productFolder, const char* file) {
  const QString name = QString::fromLatin1(file);
  if (!productFolder.isEmpty()) {
    QImage picture(productFolder + QStringLiteral("Skins/") + name);
    if (!picture.isNull()) {
      return picture;
    }
  }
  return QImage(QStringLiteral(":/info/") + name);
}
