#pragma once

#include <QString>

#include "platform/shutdown.h"

// Counts what would have been asked of the session manager and answers from a script; powers
// nothing off.
class RecordingShutdown final : public platform::Shutdown {
 public:
  // What CanPowerOff answers, and the reason it gives when it answers false.
  bool canPowerOff = true;
  QString reason = QStringLiteral("You are not allowed to shut this computer down.");
  // What PowerOff answers.
  bool powerOffAccepted = true;

  int canPowerOffCalls = 0;
  int powerOffCalls = 0;

  bool CanPowerOff(QString* why) override {
    ++canPowerOffCalls;
    if (why != nullptr) {
      *why = canPowerOff ? QString() : reason;
    }
    return canPowerOff;
  }

  bool PowerOff() override {
    ++powerOffCalls;
    return powerOffAccepted;
  }
};
