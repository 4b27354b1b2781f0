#include "convert/shutdown_countdown.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "tests/fakes/recording_shutdown.h"

namespace {

class CountdownTest : public ::testing::Test {
 protected:
  // A window whose own timer is stopped, so that the test alone decides when a second has passed.
  std::unique_ptr<TAutoShutDown_Form1> Open() {
    auto form = std::make_unique<TAutoShutDown_Form1>(nullptr, shutdown_);
    timer_ = form->findChild<QTimer*>(QStringLiteral("Timer1"));
    if (timer_ != nullptr) {
      timer_->stop();
    }
    return form;
  }

  static QString Text(const QWidget& form, const char* label) {
    const auto* widget = form.findChild<QLabel*>(QString::fromLatin1(label));
    return widget != nullptr ? widget->text() : QStringLiteral("<missing %1>").arg(QLatin1String(label));
  }

  static int Position(const QWidget& form) {
    return form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->value();
  }

  RecordingShutdown shutdown_;
  QTimer* timer_ = nullptr;
};

TEST_F(CountdownTest, OpensWithItsTextsAndASecondTimerRunning) {
  TAutoShutDown_Form1 form(nullptr, shutdown_);
  EXPECT_EQ(form.windowTitle(), "Auto Shutdown");
  EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(Text(form, "Label3"), "Shutting down ...");
  EXPECT_EQ(Text(form, "Label1"), "Time Left");
  EXPECT_EQ(Text(form, "Label2"), "");
  auto* bar = form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(bar->value(), 0);
  auto* cancel = form.findChild<QPushButton*>(QStringLiteral("Button1"));
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(cancel->text(), "Cancel");
  auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 1000);
  EXPECT_FALSE(form.findChild<QLabel*>(QStringLiteral("LblProblem"))->isVisibleTo(&form));
  EXPECT_EQ(shutdown_.powerOffCalls, 0);
}

TEST_F(CountdownTest, CountsDownFromTwentyToTwoSecondsThenPowersOffOnEveryLaterTick) {
  auto form = Open();
  ASSERT_NE(timer_, nullptr);
  for (int tick = 1; tick <= 19; ++tick) {
    form->Tick();
    const int remaining = 21 - tick;
    EXPECT_EQ(Text(*form, "Label2"), QStringLiteral("00: 00: %1").arg(remaining, 2, 10, QLatin1Char('0')))
        << "tick " << tick;
    EXPECT_EQ(Position(*form), 5 * tick) << "tick " << tick;
    EXPECT_EQ(shutdown_.powerOffCalls, 0) << "tick " << tick;
  }
  EXPECT_EQ(Text(*form, "Label2"), "00: 00: 02");

  for (int tick = 20; tick <= 23; ++tick) {
    form->Tick();
    EXPECT_EQ(Text(*form, "Label2"), "00:00:00") << "tick " << tick;
    EXPECT_EQ(Position(*form), 100) << "tick " << tick;
    EXPECT_EQ(shutdown_.powerOffCalls, tick - 19) << "tick " << tick;
  }
  EXPECT_FALSE(form->findChild<QLabel*>(QStringLiteral("LblProblem"))->isVisibleTo(form.get()));
}

TEST_F(CountdownTest, RemainingTimeTextHasTwoDigitFieldsJoinedByColonAndSpace) {
  EXPECT_EQ(TAutoShutDown_Form1::RemainingText(20), "00: 00: 20");
  EXPECT_EQ(TAutoShutDown_Form1::RemainingText(2), "00: 00: 02");
  EXPECT_EQ(TAutoShutDown_Form1::RemainingText(3725), "01: 02: 05");
}

TEST_F(CountdownTest, CancelClosesWithoutPoweringOffAndStopsTheTimer) {
  TAutoShutDown_Form1 form(nullptr, shutdown_);
  auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
  form.show();
  for (int tick = 1; tick <= 19; ++tick) {
    form.Tick();
  }
  QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(timer->isActive());
  EXPECT_EQ(shutdown_.powerOffCalls, 0);
}

TEST_F(CountdownTest, RunsModallyUntilCancelledAndTheRealTimerTicksMeanwhile) {
  TAutoShutDown_Form1 form(nullptr, shutdown_);
  // Cancel after the first real tick, the way a user would after a glance at the window.
  QTimer::singleShot(1300, &form,
                     [&form] { form.findChild<QPushButton*>(QStringLiteral("Button1"))->click(); });
  EXPECT_EQ(form.exec(), QDialog::Rejected);
  EXPECT_EQ(Text(form, "Label2"), "00: 00: 20");
  EXPECT_EQ(shutdown_.powerOffCalls, 0);
}

TEST_F(CountdownTest, SaysSoWhenTheComputerCannotBePoweredOff) {
  shutdown_.canPowerOff = false;
  shutdown_.reason = QStringLiteral("You are not allowed to shut this computer down.");
  shutdown_.powerOffAccepted = false;
  auto form = Open();
  const auto* problem = form->findChild<QLabel*>(QStringLiteral("LblProblem"));
  ASSERT_NE(problem, nullptr);
  EXPECT_TRUE(problem->isVisibleTo(form.get()));
  EXPECT_EQ(problem->text(), shutdown_.reason);
}

TEST_F(CountdownTest, ARefusedRequestIsShownAndRepeatedEverySecond) {
  shutdown_.powerOffAccepted = false;
  auto form = Open();
  const auto* problem = form->findChild<QLabel*>(QStringLiteral("LblProblem"));
  for (int tick = 1; tick <= 20; ++tick) {
    form->Tick();
  }
  EXPECT_EQ(shutdown_.powerOffCalls, 1);
  EXPECT_TRUE(problem->isVisibleTo(form.get()));
  EXPECT_FALSE(problem->text().isEmpty());
  form->Tick();
  EXPECT_EQ(shutdown_.powerOffCalls, 2);
  EXPECT_EQ(Text(*form, "Label2"), "00:00:00");
}

TEST_F(CountdownTest, AServiceThatHasNotAnsweredIsNotAskedAgainEverySecond) {
  shutdown_.holdAnswers = true;
  shutdown_.powerOffAccepted = false;
  auto form = Open();
  const auto* problem = form->findChild<QLabel*>(QStringLiteral("LblProblem"));
  for (int tick = 1; tick <= 22; ++tick) {
    form->Tick();
  }
  EXPECT_EQ(shutdown_.powerOffCalls, 1);
  EXPECT_EQ(Text(*form, "Label2"), "00:00:00");
  // The refusal arrives; the window asks why, and waits for that answer too.
  shutdown_.ReleaseAnswers();
  form->Tick();
  EXPECT_EQ(shutdown_.powerOffCalls, 1);
  EXPECT_FALSE(problem->isVisibleTo(form.get()));
  shutdown_.ReleaseAnswers();
  EXPECT_TRUE(problem->isVisibleTo(form.get()));
  EXPECT_EQ(problem->text(), "The computer could not be shut down; trying again.");
  form->Tick();
  EXPECT_EQ(shutdown_.powerOffCalls, 2);
}

TEST_F(CountdownTest, CancelWithdrawsWhatTheServiceHasNotAnswered) {
  shutdown_.holdAnswers = true;
  shutdown_.canPowerOff = false;
  shutdown_.powerOffAccepted = false;
  auto form = Open();
  form->show();
  for (int tick = 1; tick <= 20; ++tick) {
    form->Tick();
  }
  ASSERT_EQ(shutdown_.HeldAnswers(), 2);
  QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
  EXPECT_EQ(form->result(), QDialog::Rejected);
  shutdown_.ReleaseAnswers();
  EXPECT_FALSE(form->findChild<QLabel*>(QStringLiteral("LblProblem"))->isVisibleTo(form.get()));
  EXPECT_EQ(shutdown_.canPowerOffCalls, 1) << "a withdrawn refusal was followed up";
}

}  // namespace
