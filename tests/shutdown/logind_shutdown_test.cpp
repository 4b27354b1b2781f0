// The logind client against python-dbusmock's logind template. Everything runs on a private
// dbus-daemon started by this program, which DBUS_SYSTEM_BUS_ADDRESS names before QtDBus connects;
// before a test lifts the no-shutdown guard it proves that the connection really is that private bus.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <optional>
#include <string>

#include "platform/shutdown.h"
#include "tests/fakes/private_bus.h"

namespace {

constexpr char kLogind[] = "org.freedesktop.login1";

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

// Every system-bus connection of this program goes to its private bus.
class PrivateBusEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { private_bus::Bus::Start("logind_tests", "DBUS_SYSTEM_BUS_ADDRESS"); }
  void TearDown() override { private_bus::Bus::Finish(); }
};

const ::testing::Environment* const kPrivateBus =
    ::testing::AddGlobalTestEnvironment(new PrivateBusEnvironment);

class LogindShutdownTest : public ::testing::Test {
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

  // The methods the mock saw, one per line ("CanPowerOff", "PowerOff False").
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

  inline static int mockCount_ = 0;
  QString address_;
  QProcess mock_;
  QString log_;
};

TEST_F(LogindShutdownTest, PowersOffThroughLogindWhenAllowedAndTheGuardIsLifted) {
  StartMock();
  platform::LogindShutdown shutdown;
  GuardLifted lifted;
  QString why = QStringLiteral("stale");
  EXPECT_TRUE(shutdown.CanPowerOff(&why));
  EXPECT_TRUE(why.isEmpty());
  EXPECT_TRUE(shutdown.PowerOff());
  EXPECT_TRUE(shutdown.LastReason().isEmpty());
  // Not interactive: nobody may be there to answer a password prompt.
  EXPECT_EQ(Calls(), (QStringList{"CanPowerOff", "CanPowerOff", "PowerOff False"}));
}

TEST_F(LogindShutdownTest, TheGuardKeepsEveryCallOffTheBus) {
  StartMock();
  platform::LogindShutdown shutdown;
  for (const QByteArray& value : {QByteArray("1"), QByteArray()}) {
    qputenv(platform::kNoShutdownVariable, value);
    QString why;
    EXPECT_FALSE(shutdown.CanPowerOff(&why));
    EXPECT_TRUE(why.contains(QLatin1String(platform::kNoShutdownVariable))) << why.toStdString();
    EXPECT_FALSE(shutdown.PowerOff());
    EXPECT_EQ(shutdown.LastReason(), why);
  }
  qputenv(platform::kNoShutdownVariable, "1");
  EXPECT_TRUE(Calls().isEmpty()) << Calls().join(QLatin1Char(',')).toStdString();
}

struct RefusalCase {
  const char* name;
  const char* answer;
  const char* reasonPart;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

class LogindRefusalTest : public LogindShutdownTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(LogindRefusalTest, AnythingButYesRefusesWithAReasonAndNeverPowersOff) {
  StartMock(QString::fromLatin1(GetParam().answer));
  platform::LogindShutdown shutdown;
  GuardLifted lifted;
  QString why;
  EXPECT_FALSE(shutdown.CanPowerOff(&why));
  EXPECT_TRUE(why.contains(QLatin1String(GetParam().reasonPart))) << why.toStdString();
  EXPECT_FALSE(shutdown.PowerOff());
  EXPECT_EQ(shutdown.LastReason(), why);
  EXPECT_EQ(Calls(), (QStringList{"CanPowerOff", "CanPowerOff"}));
}

INSTANTIATE_TEST_SUITE_P(Answers, LogindRefusalTest,
                         ::testing::Values(RefusalCase{"No", "no", "not allowed"},
                                           RefusalCase{"Challenge", "challenge", "password"},
                                           RefusalCase{"NotAvailable", "na", "cannot be shut down"},
                                           RefusalCase{"Unexpected", "perhaps", "unexpected answer"}),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(LogindShutdownTest, WithoutLogindOnTheBusItRefusesWithAReason) {
  ASSERT_FALSE(LogindOnBus());
  platform::LogindShutdown shutdown;
  GuardLifted lifted;
  QString why;
  EXPECT_FALSE(shutdown.CanPowerOff(&why));
  EXPECT_TRUE(why.contains(QLatin1String("not running"))) << why.toStdString();
  EXPECT_FALSE(shutdown.PowerOff());
  EXPECT_FALSE(shutdown.LastReason().isEmpty());
}

}  // namespace
