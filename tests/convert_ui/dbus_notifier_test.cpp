// The desktop notifier against python-dbusmock's notification daemon template, on a private session
// bus started by this program: DBUS_SESSION_BUS_ADDRESS names it before QtDBus connects, so the
// user's desktop never sees a test notification.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "platform/notifier.h"
#include "tests/fakes/private_bus.h"

namespace {

constexpr char kNotifications[] = "org.freedesktop.Notifications";

class PrivateSessionBus : public ::testing::Environment {
 public:
  void SetUp() override { private_bus::Bus::Start("notifier_tests", "DBUS_SESSION_BUS_ADDRESS"); }
  void TearDown() override { private_bus::Bus::Finish(); }
};

const ::testing::Environment* const kPrivateBus = ::testing::AddGlobalTestEnvironment(new PrivateSessionBus);

class DBusNotifierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(private_bus::Bus::Address().isEmpty()) << "the private bus did not start";
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
  }
  void TearDown() override { private_bus::StopMock(mock_, QDBusConnection::sessionBus(), kNotifications); }

  static bool ServiceOnBus() {
    return private_bus::ServiceOnBus(QDBusConnection::sessionBus(), kNotifications);
  }

  void StartDaemon() {
    log_ = private_bus::Bus::Folder() + QStringLiteral("/notify-calls.log");
    QFile::remove(log_);
    ASSERT_TRUE(private_bus::StartMock(
        mock_,
        {QStringLiteral("--template"), QStringLiteral("notification_daemon"), QStringLiteral("-l"), log_},
        QDBusConnection::sessionBus(), kNotifications))
        << "python3-dbusmock's notification daemon did not come up";
  }

  // The daemon's log once a Notify call is in it, or whatever it holds after five seconds.
  QString LogWithNotify() const {
    const QDeadlineTimer deadline(5000);
    QString text;
    do {
      QFile file(log_);
      if (file.open(QIODevice::ReadOnly)) {
        text = QString::fromUtf8(file.readAll());
      }
      if (text.contains(QLatin1String("Notify"))) {
        break;
      }
      QThread::msleep(50);
    } while (!deadline.hasExpired());
    return text;
  }

  QProcess mock_;
  QString log_;
};

TEST_F(DBusNotifierTest, TellsTheDesktopsNotificationService) {
  StartDaemon();
  platform::DBusNotifier notifier;
  notifier.Notify(QStringLiteral("Conversion finished"),
                  QStringLiteral("Converting 2 Files Done. Success 2, Failed 0."));
  const QString log = LogWithNotify();
  EXPECT_TRUE(log.contains(QLatin1String("Notify"))) << log.toStdString();
  EXPECT_TRUE(log.contains(QLatin1String("\"Conversion finished\""))) << log.toStdString();
  EXPECT_TRUE(log.contains(QLatin1String("\"Converting 2 Files Done. Success 2, Failed 0.\"")))
      << log.toStdString();
}

TEST_F(DBusNotifierTest, ADesktopWithoutTheServiceIsNotWaitedForNorReported) {
  ASSERT_FALSE(ServiceOnBus());
  platform::DBusNotifier notifier;
  QElapsedTimer timer;
  timer.start();
  notifier.Notify(QStringLiteral("Conversion finished"), QStringLiteral("body"));
  EXPECT_LT(timer.elapsed(), 1000) << "sent without waiting for an answer";
}

}  // namespace
