#pragma once

#include <QString>

namespace platform {

// Powers the computer off at the end of a conversion when the user asked for it. Window tests inject
// a recording fake; no test may power off the machine.
class Shutdown {
 public:
  virtual ~Shutdown() = default;
  // Whether a power-off request can succeed now; when it cannot, `why` says so in words a user reads.
  virtual bool CanPowerOff(QString* why) = 0;
  // Asks for the power-off; true when the request was accepted.
  virtual bool PowerOff() = 0;
};

// The environment variable that keeps LogindShutdown from ever acting while it is set (to anything,
// even empty). Test runs and CI set it.
inline constexpr char kNoShutdownVariable[] = "KESTRELVINE_NO_SHUTDOWN";

// Asks the session manager (logind, on the system D-Bus) to power off. Refuses to act while the
// environment variable KESTRELVINE_NO_SHUTDOWN is set, so that test runs can never power off.
// The bus is the one DBUS_SYSTEM_BUS_ADDRESS names when set, as libdbus decides. Calls block the
// calling thread for at most a few seconds each.
class LogindShutdown final : public Shutdown {
 public:
  // True only when logind answers "yes": "challenge" would need a password prompt nobody is there to
  // answer at the end of an unattended conversion.
  bool CanPowerOff(QString* why) override;
  // Asks CanPowerOff first and sends PowerOff only on "yes"; false, with LastReason set, otherwise or
  // when logind refuses the request.
  bool PowerOff() override;
  // Why the last CanPowerOff or PowerOff failed; empty after a success.
  const QString& LastReason() const { return lastReason_; }

 private:
  QString lastReason_;
};

}  // namespace platform
