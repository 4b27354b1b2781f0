#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "platform/shutdown.h"

// Counts what would have been asked of the session manager and answers from a script; powers
// nothing off. Answers at once, or, with holdAnswers, only when the test calls ReleaseAnswers, as a
// stalled session manager would.
class RecordingShutdown final : public platform::Shutdown {
 public:
  // What CanPowerOff answers, and the reason it gives when it answers false.
  bool canPowerOff = true;
  QString reason = QStringLiteral("You are not allowed to shut this computer down.");
  // What PowerOff answers.
  bool powerOffAccepted = true;
  bool holdAnswers = false;

  int canPowerOffCalls = 0;
  int powerOffCalls = 0;

  void CanPowerOff(QObject* context, CanPowerOffAnswer answer) override {
    ++canPowerOffCalls;
    Answer(context,
           [this, answer = std::move(answer)] { answer(canPowerOff, canPowerOff ? QString() : reason); });
  }

  void PowerOff(QObject* context, PowerOffAnswer answer) override {
    ++powerOffCalls;
    Answer(context, [this, answer = std::move(answer)] { answer(powerOffAccepted); });
  }

  // Gives the held answers whose context still lives, as the script says now; answers asked for
  // meanwhile wait for the next release.
  void ReleaseAnswers() {
    std::vector<Held> held = std::move(held_);
    held_.clear();
    for (Held& one : held) {
      if (one.context != nullptr) {
        one.give();
      }
    }
  }

  int HeldAnswers() const { return static_cast<int>(held_.size()); }

 private:
  struct Held {
    QPointer<QObject> context;
    std::function<void()> give;
  };

  void Answer(QObject* context, std::function<void()> give) {
    if (holdAnswers) {
      held_.push_back({QPointer<QObject>(context), std::move(give)});
    } else {
      give();
    }
  }

  std::vector<Held> held_;
};
