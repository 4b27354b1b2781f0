#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace platform {
class Shutdown;
}

// The 20-second countdown before the computer is powered off; Cancel closes it without powering off.
// Timer1 ticks every second from creation; from the twentieth tick on, every tick asks `shutdown` to
// power off until the user cancels, in case an earlier request did not take effect. When the
// service cannot power off, the window says why instead of counting down in vain. The service
// answers when it can: the window never waits for it, and closing the window withdraws whatever it
// asked that is still unanswered. `shutdown` must outlive the window. UI thread only.
class TAutoShutDown_Form1 : public QDialog {
  Q_OBJECT

 public:
  TAutoShutDown_Form1(QWidget* owner, platform::Shutdown& shutdown);

  static constexpr int kSteps = 20;

  // The remaining time as Label2 shows it while counting: "hh: mm: ss".
  static QString RemainingText(int seconds);

 public slots:
  // One step of the countdown: what Timer1 runs every second.
  void Tick();

 private:
  void Button1Click();
  void RequestPowerOff();
  void Withdraw();
  void ShowProblem(const QString& text);

  platform::Shutdown& shutdown_;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* LblProblem;
  QLabel* Image1;
  QProgressBar* ProgressBar1;
  QPushButton* Button1;
  QTimer* Timer1;
  // The context of every request to the service; replaced when the window closes, which drops the
  // answers still to come and keeps a power-off not yet sent from being sent.
  QObject* requests_;
  // A power-off request, or the question why it failed, still awaits its answer: a stalled service
  // is not sent a pile of requests, one a second.
  bool powerOffPending_ = false;
  int position_ = 0;
  int counter_ = 0;
};
