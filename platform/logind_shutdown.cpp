#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

#include "platform/shutdown.h"

namespace platform {

namespace {

constexpr char kService[] = "org.freedesktop.login1";
constexpr char kPath[] = "/org/freedesktop/login1";
constexpr char kInterface[] = "org.freedesktop.login1.Manager";
// Long enough for a loaded machine, short enough that the countdown soon says why nothing happens.
constexpr int kCallTimeoutMs = 5000;

using Reply = std::function<void(const QDBusMessage& reply)>;

bool Guarded() {
  return qEnvironmentVariableIsSet(kNoShutdownVariable);
}

QString GuardReason() {
  return QStringLiteral("Shutting down is turned off here (%1 is set).")
      .arg(QLatin1String(kNoShutdownVariable));
}

QDBusMessage MethodCall(const char* method, const QVariantList& arguments) {
  QDBusMessage message =
      QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                     QString::fromLatin1(kInterface), QString::fromLatin1(method));
  message.setArguments(arguments);
  return message;
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

// The system-bus connection and the calls on it. Replies reach the service only while both it and
// the caller's context live: they are delivered through `lifetime_`, which dies with the service, and
// the pending calls are children of the context, which drops them when it dies.
class LogindShutdown::SystemBus {
 public:
  // Sends `message` and hands its reply, or an error reply, to `done` from the event loop.
  void Call(QObject* context, QDBusMessage message, Reply done) {
    if (connection_.has_value() && connection_->isConnected()) {
      Send(context, message, std::move(done));
      return;
    }
    waiting_.push_back({QPointer<QObject>(context), std::move(message), std::move(done)});
    Connect();
  }

  // Hands `run` to the event loop, so that no answer comes before the call that asked returns.
  void Later(QObject* context, std::function<void()> run) {
    QTimer::singleShot(0, &lifetime_, [context = QPointer<QObject>(context), run = std::move(run)] {
      if (context != nullptr) {
        run();
      }
    });
  }

 private:
  struct Waiting {
    QPointer<QObject> context;
    QDBusMessage message;
    Reply done;
  };

  void Send(QObject* context, const QDBusMessage& message, Reply done) {
    if (!connection_.has_value() || !connection_->isConnected()) {
      const QDBusMessage error =
          message.createErrorReply(QDBusError::Disconnected, QStringLiteral("no system bus"));
      Later(context, [done = std::move(done), error] { done(error); });
      return;
    }
    auto* watcher = new QDBusPendingCallWatcher(connection_->asyncCall(message, kCallTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &lifetime_,
                     [done = std::move(done)](QDBusPendingCallWatcher* call) {
                       call->deleteLater();
                       done(call->reply());
                     });
  }

  // Connecting waits for the bus daemon's greeting, for up to libdbus's 25 seconds when the daemon
  // stalls; so it is done on a thread of its own, and the calls asked for meanwhile wait for it.
  // A connection that failed is tried again by the next call rather than being remembered.
  void Connect() {
    if (connecting_) {
      return;
    }
    connecting_ = true;
    auto result = std::make_shared<std::optional<QDBusConnection>>();
    QThread* thread = QThread::create([result] { *result = QDBusConnection::systemBus(); });
    QObject::connect(thread, &QThread::finished, &lifetime_, [this, result] {
      connecting_ = false;
      connection_ = *result;
      std::vector<Waiting> waiting = std::move(waiting_);
      waiting_.clear();
      for (Waiting& call : waiting) {
        if (call.context != nullptr) {
          Send(call.context, call.message, std::move(call.done));
        }
      }
    });
    // Not parented: a thread still waiting for the daemon when the service goes must not be destroyed
    // running; it deletes itself once it ends.
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
  }

  QObject lifetime_;
  std::optional<QDBusConnection> connection_;
  bool connecting_ = false;
  std::vector<Waiting> waiting_;
};

LogindShutdown::LogindShutdown() : bus_(std::make_unique<SystemBus>()) {}

LogindShutdown::~LogindShutdown() = default;

void LogindShutdown::Check(QObject* context, std::function<void(const QString& reason)> then) {
  if (Guarded()) {
    bus_->Later(context, [this, then = std::move(then)] {
      lastReason_ = GuardReason();
      then(lastReason_);
    });
    return;
  }
  bus_->Call(context, MethodCall("CanPowerOff", {}),
             [this, then = std::move(then)](const QDBusMessage& reply) {
               QString reason;
               if (reply.type() != QDBusMessage::ReplyMessage) {
                 reason = ErrorReason(reply);
               } else {
                 const QString answer = reply.arguments().value(0).toString();
                 if (answer != QLatin1String("yes")) {
                   reason = AnswerReason(answer);
                 }
               }
               lastReason_ = reason;
               then(reason);
             });
}

void LogindShutdown::CanPowerOff(QObject* context, CanPowerOffAnswer answer) {
  Check(context, [answer = std::move(answer)](const QString& reason) { answer(reason.isEmpty(), reason); });
}

void LogindShutdown::PowerOff(QObject* context, PowerOffAnswer answer) {
  Check(context, [this, context, answer = std::move(answer)](const QString& reason) {
    if (!reason.isEmpty()) {
      answer(false);
      return;
    }
    // The guard may have been set while logind was being asked.
    if (Guarded()) {
      lastReason_ = GuardReason();
      answer(false);
      return;
    }
    // Not interactive: nobody may be at the machine to answer a password prompt.
    bus_->Call(context, MethodCall("PowerOff", {QVariant(false)}), [this, answer](const QDBusMessage& reply) {
      if (reply.type() != QDBusMessage::ReplyMessage) {
        lastReason_ = ErrorReason(reply);
        answer(false);
        return;
      }
      answer(true);
    });
  });
}

}  // namespace platform
