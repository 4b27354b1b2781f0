#include "info/info_pictures.h"

#include <QString>

#include "app/mui_context.h"

QImage InfoPicture(const char* file) {
  const QString name = QString::fromLatin1(file);
  const MuiContext* context = CurrentContext();
  if (context != nullptr && !context->productFolder.isEmpty()) {
    QImage picture(context->productFolder + QStringLiteral("Skins/") + name);
    if (!picture.isNull()) {
      return picture;
    }
  }
  return QImage(QStringLiteral(":/info/") + name);
}
