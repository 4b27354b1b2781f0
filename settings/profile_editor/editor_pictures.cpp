#include "settings/profile_editor/editor_pictures.h"

QImage ProfileEditorPicture(const QString& productFolder, const char* file) {
  const QString name = QString::fromLatin1(file);
  if (!productFolder.isEmpty()) {
    QImage picture(productFolder + QStringLiteral("Skins/") + name);
    if (!picture.isNull()) {
      return picture;
    }
  }
  return QImage(QStringLiteral(":/profile_editor/") + name);
}
