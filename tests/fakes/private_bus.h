#pragma once

// A private dbus-daemon for the tests of our D-Bus clients, and python-dbusmock services on it. The
// machine's own buses are never used: libdbus reads the bus addresses once, at the first connection,
// so a test program starts its bus and names it in the environment before anything connects.
//
// KV_DBUS_DAEMON and KV_MOCK_PYTHON3 come from kv_use_private_bus() in tests/CMakeLists.txt.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

namespace private_bus {

// A bus that answers nobody but this program: no service files, so nothing is ever activated.
inline constexpr char kBusConfig[] =
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

inline void Stop(QProcess& process) {
  if (process.state() == QProcess::NotRunning) {
    return;
  }
  process.terminate();
  if (!process.waitForFinished(5000)) {
    process.kill();
    process.waitForFinished(5000);
  }
}

// The application object of the test program and its private bus, named by `addressVariable`
// (DBUS_SESSION_BUS_ADDRESS or DBUS_SYSTEM_BUS_ADDRESS) from Start on. A QCoreApplication unless the
// program says otherwise, because a QApplication may touch D-Bus itself (the platform theme) before
// the address could be set: a program that starts a QApplication here must prove that its
// connection is the private bus.
class Bus {
 public:
  template <typename App = QCoreApplication>
  static void Start(const char* programName, const char* addressVariable) {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>(programName), nullptr};
    app_ = std::make_unique<App>(argc, argv);
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
      qputenv(addressVariable, address_.toUtf8());
    }
  }

  static void Finish() {
    if (daemon_ != nullptr) {
      Stop(*daemon_);
    }
    daemon_.reset();
    folder_.reset();
    app_.reset();
  }

  // Empty when the bus did not start.
  static QString Address() { return address_; }
  // A folder that lives as long as the bus, for the mocks' call logs.
  static QString Folder() { return folder_ != nullptr ? folder_->path() : QString(); }

 private:
  inline static std::unique_ptr<QTemporaryDir> folder_;
  inline static std::unique_ptr<QProcess> daemon_;
  inline static std::unique_ptr<QCoreApplication> app_;
  inline static QString address_;
};

inline bool ServiceOnBus(const QDBusConnection& bus, const char* service) {
  return bus.interface()->isServiceRegistered(QString::fromLatin1(service)).value();
}

// Starts `python3 -m dbusmock <arguments>` with both bus addresses set to the private bus and waits
// up to 20 s for it to own `service` on `bus`. False when it did not come up.
inline bool StartMock(QProcess& mock, const QStringList& arguments, const QDBusConnection& bus,
                      const char* service) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), Bus::Address());
  environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), Bus::Address());
  mock.setProcessEnvironment(environment);
  mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  mock.start(QStringLiteral(KV_MOCK_PYTHON3),
             QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock")} + arguments);
  if (!mock.waitForStarted(5000)) {
    return false;
  }
  const QDeadlineTimer deadline(20000);
  while (!ServiceOnBus(bus, service) && !deadline.hasExpired() && mock.state() == QProcess::Running) {
    QThread::msleep(50);
  }
  return ServiceOnBus(bus, service);
}

// Stops a mock and waits until its name has left the bus, so the next test starts without it.
inline void StopMock(QProcess& mock, const QDBusConnection& bus, const char* service) {
  Stop(mock);
  const QDeadlineTimer deadline(5000);
  while (!Bus::Address().isEmpty() && ServiceOnBus(bus, service) && !deadline.hasExpired()) {
    QThread::msleep(20);
  }
}

}  // namespace private_bus
