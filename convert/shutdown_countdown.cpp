#include "convert/shutdown_countdown.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include "platform/shutdown.h"

namespace {

constexpr int kTickMs = 1000;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  return label;
}

}  // namespace

TAutoShutDown_Form1::TAutoShutDown_Form1(QWidget* owner, platform::Shutdown& shutdown)
    : QDialog(owner), shutdown_(shutdown) {
  setObjectName(QStringLiteral("AutoShutDown_Form1"));
  setWindowTitle(QStringLiteral("Auto Shutdown"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  setFixedSize(360, 170);
  setStyleSheet(QStringLiteral(
      "QDialog { background: #1C212B; } QLabel { color: #ECEFF4; background: transparent; }"
      "QLabel#LblProblem { color: #F28C38; }"
      "QProgressBar { background: #0D1016; border: 1px solid #3E475A; border-radius: 5px; color: "
      "transparent; }"
      "QProgressBar::chunk { background: #F28C38; border-radius: 4px; }"
      "QPushButton { color: #ECEFF4; background: #242A37; border: 1px solid #3E475A; border-radius: 5px; }"
      "QPushButton:hover { border-color: #F28C38; }"));

  Image1 = MakeLabel(this, "Image1", QString(), QRect(16, 16, 32, 32));
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
  Label3 = MakeLabel(this, "Label3", QStringLiteral("Shutting down ..."), QRect(60, 16, 280, 20));
  Label1 = MakeLabel(this, "Label1", QStringLiteral("Time Left"), QRect(60, 40, 80, 20));
  Label2 = MakeLabel(this, "Label2", QString(), QRect(144, 40, 196, 20));

  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setGeometry(16, 68, 328, 16);

  LblProblem = MakeLabel(this, "LblProblem", QString(), QRect(16, 90, 328, 36));
  LblProblem->setWordWrap(true);
  LblProblem->hide();

  Button1 = new QPushButton(QStringLiteral("Cancel"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(260, 132, 84, 28);
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &TAutoShutDown_Form1::Button1Click);

  requests_ = new QObject(this);
  // The countdown would end in a request that cannot succeed; the user should learn that now.
  shutdown_.CanPowerOff(requests_, [this](bool can, const QString& why) {
    if (!can) {
      ShowProblem(why);
    }
  });

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kTickMs);
  connect(Timer1, &QTimer::timeout, this, &TAutoShutDown_Form1::Tick);
  Timer1->start();
  // However the window closes (Cancel, Escape, its close box), nothing may tick on behind it.
  connect(this, &QDialog::finished, Timer1, &QTimer::stop);
  connect(this, &QDialog::finished, this, &TAutoShutDown_Form1::Withdraw);

  if (owner != nullptr) {
    const QWidget* window = owner->window();
    move(window->geometry().center() - rect().center());
  }
}

QString TAutoShutDown_Form1::RemainingText(int seconds) {
  return QStringLiteral("%1: %2: %3")
      .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void TAutoShutDown_Form1::Tick() {
  position_ += ProgressBar1->maximum() / kSteps;
  if (position_ < ProgressBar1->maximum()) {
    ProgressBar1->setValue(position_);
    Label2->setText(RemainingText(kSteps - counter_));
  } else {
    Label2->setText(QStringLiteral("00:00:00"));
    position_ = ProgressBar1->maximum();
    ProgressBar1->setValue(position_);
    // The timer keeps running: a request that did not take effect is repeated every second.
    if (!powerOffPending_) {
      RequestPowerOff();
    }
  }
  ++counter_;
}

void TAutoShutDown_Form1::RequestPowerOff() {
  powerOffPending_ = true;
  shutdown_.PowerOff(requests_, [this](bool accepted) {
    if (accepted) {
      powerOffPending_ = false;
      return;
    }
    shutdown_.CanPowerOff(requests_, [this](bool, const QString& why) {
      powerOffPending_ = false;
      ShowProblem(why.isEmpty() ? QStringLiteral("The computer could not be shut down; trying again.") : why);
    });
  });
}

void TAutoShutDown_Form1::Withdraw() {
  delete requests_;
  requests_ = new QObject(this);
  powerOffPending_ = false;
}

void TAutoShutDown_Form1::Button1Click() {
  reject();
}

void TAutoShutDown_Form1::ShowProblem(const QString& text) {
  LblProblem->setText(text);
  LblProblem->show();
}
