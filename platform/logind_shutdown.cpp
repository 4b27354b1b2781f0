#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QVariant>

#include "platform/shutdown.h"

namespace platform {

namespace {

constexpr char kService[] = "org.freedesktop.login1";
constexpr char kPath[] = "/org/freedesktop/login1";
constexpr char kInterface[] = "org.freedesktop.login1.Manager";
// Long enough for a loaded machine, short enough that the countdown window stays responsive.
constexpr int kCallTimeoutMs = 5000;

bool Guarded() {
  return qEnvironmentVariableIsSet(kNoShutdownVariable);
}

// The reply of one method call; an error reply when the bus cannot be reached.
QDBusMessage Call(const char* method, const QVariantList& arguments = {}) {
  QDBusConnection bus = QDBusConnection::systemBus();
  QDBusMessage message =
      QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                     QString::fromLatin1(kInterface), QString::fromLatin1(method));
  message.setArguments(arguments);
  if (!bus.isConnected()) {
    return message.createErrorReply(QDBusError::Disconnected, QStringLiteral("no system bus"));
  }
  return bus.call(message, QDBus::Block, kCallTimeoutMs);
}

QString ErrorReason(const QDBusMessage& reply) {
  const QString name = reply.errorName();
  if (name == QDBusError::errorString(QDBusError::Disconnected)) {
    return QStringLiteral("The system message bus cannot be reached, so the computer cannot be shut down.");
  }
  if (name == QDBusError::errorString(QDBusError::ServiceUnknown) ||
      name == QDBusError::errorString(QDBusError::NoReply) ||
      name == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner")) {
    return QStringLiteral(
        "The session manager (logind) is not running, so the computer cannot be shut down.");
  }
  return QStringLiteral("The session manager refused to shut the computer down: %1")
      .arg(reply.errorMessage());
}

QString AnswerReason(const QString& answer) {
  if (answer == QLatin1String("no")) {
    return QStringLiteral("You are not allowed to shut this computer down.");
  }
  if (answer == QLatin1String("challenge")) {
    return QStringLiteral("Shutting this computer down needs a password, which cannot be asked for here.");
  }
  if (answer == QLatin1String("na")) {
    return QStringLiteral("This computer cannot be shut down by the session manager.");
  }
  return QStringLiteral("The session manager gave an unexpected answer (\"%1\").").arg(answer);
}

}  // namespace

bool LogindShutdown::CanPowerOff(QString* why) {
  lastReason_.clear();
  if (Guarded()) {
    lastReason_ = QStringLiteral("Shutting down is turned off here (%1 is set).")
                      .arg(QLatin1String(kNoShutdownVariable));
  } else {
    const QDBusMessage reply = Call("CanPowerOff");
    if (reply.type() != QDBusMessage::ReplyMessage) {
      lastReason_ = ErrorReason(reply);
    } else {
      const QString answer = reply.arguments().value(0).toString();
      if (answer != QLatin1String("yes")) {
        lastReason_ = AnswerReason(answer);
      }
    }
  }
  if (why != nullptr) {
    *why = lastReason_;
  }
  return lastReason_.isEmpty();
}

bool LogindShutdown::PowerOff() {
  if (!CanPowerOff(nullptr)) {
    return false;
  }
  // Not interactive: nobody may be at the machine to answer a password prompt.
  const QDBusMessage reply = Call("PowerOff", {QVariant(false)});
  if (reply.type() != QDBusMessage::ReplyMessage) {
    lastReason_ = ErrorReason(reply);
    return false;
  }
  return true;
}

}  // namespace platform
