#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include "platform/notifier.h"

namespace platform {

void DBusNotifier::Notify(const QString& summary, const QString& body) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return;
  }
  QDBusMessage message = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  const QString appName = QGuiApplication::applicationDisplayName();
  // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the server's
  // default).
  message.setArguments({appName, QVariant::fromValue<uint>(0), QString(), summary, body, QStringList(),
                        QVariantMap(), QVariant::fromValue<int>(-1)});
  // Sent without waiting for the reply: a slow or absent notification server must not hold up the
  // window that reports the news.
  bus.send(message);
}

}  // namespace platform
