#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace platform {

// Catches the signals that ask the program to end (SIGTERM at a logout or from a process manager,
// SIGINT from a terminal's Ctrl-C, SIGHUP when the terminal goes) and hands them to the event loop of
// the thread that made this object. The handler itself only writes the signal's number into a pipe;
// everything else happens in Requested, in the event loop. At most one exists at a time; the signals'
// earlier handlers come back when it goes.
class TerminationSignals final : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // False when the pipe could not be made or another instance catches the signals already.
  bool Catching() const { return catching_; }

 signals:
  // Once per signal received, on this object's thread.
  void Requested(int signal);

 private:
  void ReadPipe();

  bool catching_ = false;
  int readEnd_ = -1;
  int writeEnd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

// The signal's usual name ("SIGTERM"), or its number.
QString SignalName(int signal);

}  // namespace platform
