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

namespace {

constexpr char kNotifications[] = "org.freedesktop.Notifications";

// A bus that answers nobody but this program: no service files, so nothing is ever activated.
constexpr char kBusConfig[] =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

void Stop(QProcess& process) {
  if (process.state() == QProcess::NotRunning) {
    return;
  }
  process.terminate();
  if (!process.waitForFinished(5000)) {
    process.kill();
    process.waitForFinished(5000);
  }
}

// libdbus reads the bus addresses once, at the first connection, so the private bus is set up before
// anything of this program connects.
class PrivateSessionBus : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "notifier_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QCoreApplication>(argc, argv);
    folder_ = std::make_unique<QTemporaryDir>();
    QFile config(folder_->filePath(QStringLiteral("bus.conf")));
    if (!config.open(QIODevice::WriteOnly)) {
      return;
    }
    config.write(QString::fromLatin1(kBusConfig).arg(folder_->path()).toUtf8());
    config.close();
    daemon_ = std::make_unique<QProcess>();
    daemon_->start(QStringLiteral(KV_DBUS_DAEMON),
                   {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    if (daemon_->waitForStarted(5000)) {
      const QDeadlineTimer deadline(10000);
      while (!daemon_->canReadLine() && !deadline.hasExpired() && daemon_->state() == QProcess::Running) {
        daemon_->waitForReadyRead(100);
      }
      address_ = QString::fromUtf8(daemon_->readLine()).trimmed();
    }
    if (!address_.isEmpty()) {
      qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
    }
  }

  void TearDown() override {
    if (daemon_ != nullptr) {
      Stop(*daemon_);
    }
    daemon_.reset();
    folder_.reset();
    app_.reset();
  }

  static QString Address() { return address_; }
  static QString Folder() { return folder_ != nullptr ? folder_->path() : QString(); }

 private:
  inline static std::unique_ptr<QTemporaryDir> folder_;
  inline static std::unique_ptr<QProcess> daemon_;
  inline static std::unique_ptr<QCoreApplication> app_;
  inline static QString address_;
};

const ::testing::Environment* const kPrivateBus = ::testing::AddGlobalTestEnvironment(new PrivateSessionBus);

class DBusNotifierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(PrivateSessionBus::Address().isEmpty()) << "the private bus did not start";
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
  }
  void TearDown() override {
    Stop(mock_);
    const QDeadlineTimer deadline(5000);
    while (ServiceOnBus() && !deadline.hasExpired()) {
      QThread::msleep(20);
    }
  }

  static bool ServiceOnBus() {
    return QDBusConnection::sessionBus()
        .interface()
        ->isServiceRegistered(QString::fromLatin1(kNotifications))
        .value();
  }

  void StartDaemon() {
    log_ = PrivateSessionBus::Folder() + QStringLiteral("/notify-calls.log");
    QFile::remove(log_);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), PrivateSessionBus::Address());
    mock_.setProcessEnvironment(environment);
    mock_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mock_.start(QStringLiteral(KV_MOCK_PYTHON3),
                {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                 QStringLiteral("notification_daemon"), QStringLiteral("-l"), log_});
    ASSERT_TRUE(mock_.waitForStarted(5000));
    const QDeadlineTimer deadline(20000);
    while (!ServiceOnBus() && !deadline.hasExpired() && mock_.state() == QProcess::Running) {
      QThread::msleep(50);
    }
    ASSERT_TRUE(ServiceOnBus()) << "python3-dbusmock's notification daemon did not come up";
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
