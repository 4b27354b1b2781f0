#pragma once

// python-dbusmock's logind template on the private bus of the test program (tests/fakes/private_bus.h),
// for the tests of the logind client. Before a test lifts the no-shutdown guard, the fixture has
// proved that the connection QtDBus gives as the system bus really is that private bus.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/shutdown.h"
#include "tests/fakes/private_bus.h"

namespace logind_mock {

inline constexpr char kLogind[] = "org.freedesktop.login1";
inline constexpr char kPath[] = "/org/freedesktop/login1";
inline constexpr char kManager[] = "org.freedesktop.login1.Manager";

// Lifts the no-shutdown guard for one scope and puts it back as it was.
class GuardLifted {
 public:
  GuardLifted() : wasSet_(qEnvironmentVariableIsSet(platform::kNoShutdownVariable)) {
    saved_ = qgetenv(platform::kNoShutdownVariable);
    qunsetenv(platform::kNoShutdownVariable);
  }
  ~GuardLifted() {
    if (wasSet_) {
      qputenv(platform::kNoShutdownVariable, saved_);
    }
  }
  GuardLifted(const GuardLifted&) = delete;
  GuardLifted& operator=(const GuardLifted&) = delete;

 private:
  bool wasSet_;
  QByteArray saved_;
};

class Fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(QString::fromLatin1(KV_DBUS_DAEMON).isEmpty())
        << "dbus-daemon was not found at configure time";
    address_ = private_bus::Bus::Address();
    ASSERT_FALSE(address_.isEmpty()) << "the private bus did not start";
    const QString notPrivate = NotOnPrivateBus();
    ASSERT_TRUE(notPrivate.isEmpty())
        << "the system-bus connection is not the private bus: " << notPrivate.toStdString();
  }

  void TearDown() override { StopMock(); }

  static QDBusReply<QString> BusId(const QDBusConnection& bus) {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    return bus.call(call, QDBus::Block, 5000);
  }

  // Empty when the connection QtDBus gives as the system bus is the bus this program started, as
  // the id of the bus at the other end says; otherwise what is wrong.
  QString NotOnPrivateBus() const {
    const QDBusConnection direct = QDBusConnection::connectToBus(address_, QStringLiteral("kv-private-bus"));
    const QDBusReply<QString> expected = BusId(direct);
    if (!expected.isValid()) {
      return QStringLiteral("the private bus does not answer: ") + expected.error().message();
    }
    const QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected()) {
      return QStringLiteral("not connected: ") + system.lastError().message();
    }
    const QDBusReply<QString> actual = BusId(system);
    if (!actual.isValid()) {
      return QStringLiteral("GetId failed: ") + actual.error().message();
    }
    return actual.value() == expected.value()
               ? QString()
               : QStringLiteral("bus id %1 is not %2").arg(actual.value(), expected.value());
  }

  static bool LogindOnBus() { return private_bus::ServiceOnBus(QDBusConnection::systemBus(), kLogind); }

  // Starts the logind template, whose CanPowerOff answers `canPowerOff`, and waits until it owns
  // its name.
  void StartMock(const QString& canPowerOff = QStringLiteral("yes")) {
    log_ = private_bus::Bus::Folder() + QStringLiteral("/calls-%1.log").arg(++mockCount_);
    ASSERT_TRUE(
        private_bus::StartMock(mock_,
                               {QStringLiteral("--system"), QStringLiteral("--template"),
                                QStringLiteral("logind"), QStringLiteral("-l"), log_, QStringLiteral("-p"),
                                QStringLiteral(R"({"CanPowerOff": "%1"})").arg(canPowerOff)},
                               QDBusConnection::systemBus(), kLogind))
        << "python3-dbusmock's logind template did not come up (is python3-dbusmock installed?)";
  }

  void StopMock() { private_bus::StopMock(mock_, QDBusConnection::systemBus(), kLogind); }

  // Replaces the mock's CanPowerOff with one that answers "yes" only after `ms`, during which the
  // mock answers nothing else either: a stalled logind.
  void StallCanPowerOff(int ms) {
    const QDBusMessage reply = CallMock(
        "AddMethod", {QString::fromLatin1(kManager), QStringLiteral("CanPowerOff"), QString(),
                      QStringLiteral("s"), QStringLiteral("time.sleep(%1)\nret = 'yes'").arg(ms / 1000.0)});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  }

  // Returns once the mock has answered everything sent to it before, stalls included.
  void WaitUntilLogindIsIdle() {
    const QDBusMessage reply = CallMock("GetCalls", {}, 30000);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  }

  // The methods the mock saw, one per line ("CanPowerOff", "PowerOff False"), each logged as the
  // mock starts on it.
  QStringList Calls() const {
    QFile file(log_);
    QStringList calls;
    if (!file.open(QIODevice::ReadOnly)) {
      return calls;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
      const QString text = QString::fromUtf8(line).trimmed();
      if (!text.isEmpty()) {
        // Each line starts with a time stamp.
        calls << text.section(QLatin1Char(' '), 1);
      }
    }
    return calls;
  }

  static QDBusMessage CallMock(const char* method, const QVariantList& arguments, int timeoutMs = 5000) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kLogind), QString::fromLatin1(kPath), QStringLiteral("org.freedesktop.DBus.Mock"),
        QString::fromLatin1(method));
    call.setArguments(arguments);
    return QDBusConnection::systemBus().call(call, QDBus::Block, timeoutMs);
  }

  inline static int mockCount_ = 0;
  QString address_;
  QProcess mock_;
  QString log_;
};

}  // namespace logind_mock
