#pragma once

#include <QString>
#include <functional>
#include <memory>

class QObject;

namespace platform {

// Powers the computer off at the end of a conversion when the user asked for it. Window tests inject
// a recording fake; no test may power off the machine.
//
// The answers come through callbacks, because the session manager answers over a bus that may stall
// for seconds, and the window that asks must keep working meanwhile. Each answer is given at most
// once, on the thread of `context`, and never after `context` has been destroyed: destroying it
// withdraws what was asked (a power-off not yet sent is then never sent). An answer may come before
// the call returns (the recording fake answers at once) or later, from the event loop.
class Shutdown {
 public:
  // `can` is true when a power-off request can succeed now; otherwise `why` says why in words a
  // user reads.
  using CanPowerOffAnswer = std::function<void(bool can, const QString& why)>;
  // True when the power-off request was accepted.
  using PowerOffAnswer = std::function<void(bool accepted)>;

  virtual ~Shutdown() = default;
  virtual void CanPowerOff(QObject* context, CanPowerOffAnswer answer) = 0;
  virtual void PowerOff(QObject* context, PowerOffAnswer answer) = 0;
};

// The environment variable that keeps LogindShutdown from ever acting while it is set (to anything,
// even empty). Test runs and CI set it.
inline constexpr char kNoShutdownVariable[] = "KESTRELVINE_NO_SHUTDOWN";

// Asks the session manager (logind, on the system D-Bus) to power off. Refuses to act while the
// environment variable KESTRELVINE_NO_SHUTDOWN is set, so that test runs can never power off.
// The bus is the one DBUS_SYSTEM_BUS_ADDRESS names when set, as libdbus decides. Nothing here blocks
// the calling thread: the calls are asynchronous, and the first connection to the bus, which waits
// for the bus daemon, is made on a thread of its own. Every answer comes from the event loop, never
// before the call returns; a call logind leaves unanswered fails after a few seconds. UI thread only.
class LogindShutdown final : public Shutdown {
 public:
  LogindShutdown();
  ~LogindShutdown() override;
  LogindShutdown(const LogindShutdown&) = delete;
  LogindShutdown& operator=(const LogindShutdown&) = delete;

  // Can only when logind answers "yes": "challenge" would need a password prompt nobody is there to
  // answer at the end of an unattended conversion.
  void CanPowerOff(QObject* context, CanPowerOffAnswer answer) override;
  // Asks CanPowerOff first and sends PowerOff only on "yes"; not accepted, with LastReason set,
  // otherwise or when logind refuses the request.
  void PowerOff(QObject* context, PowerOffAnswer answer) override;
  // Why the last answered CanPowerOff or PowerOff failed; empty after a success.
  const QString& LastReason() const { return lastReason_; }

 private:
  class SystemBus;

  // Answers `then` with why a power-off cannot succeed now, empty when it can.
  void Check(QObject* context, std::function<void(const QString& reason)> then);

  std::unique_ptr<SystemBus> bus_;
  QString lastReason_;
};

}  // namespace platform
