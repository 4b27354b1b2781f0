#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "platform/shell.h"

namespace platform {

namespace {

QUrl TargetUrl(const QString& target) {
  // Plain paths are files; anything with a scheme (https:, mailto:) is an address.
  if (QFileInfo::exists(target)) {
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
  }
  const QUrl url(target);
  return url.scheme().isEmpty() ? QUrl::fromLocalFile(target) : url;
}

}  // namespace

void DesktopShell::Open(const QString& target) {
  if (!target.isEmpty()) {
    QDesktopServices::openUrl(TargetUrl(target));
  }
}

void DesktopShell::ShowInFileManager(const QString& file) {
  const QFileInfo info(file);
  QDBusMessage call =
      QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                     "org.freedesktop.FileManager1", "ShowItems");
  call << QStringList{QUrl::fromLocalFile(info.absoluteFilePath()).toString()} << QString();
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
  if (reply.type() != QDBusMessage::ReplyMessage) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(info.absolutePath()));
  }
}

}  // namespace platform
