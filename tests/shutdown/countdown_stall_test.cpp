// The countdown window with the real logind client, against python-dbusmock's logind template made
// to stall, on a private dbus-daemon started by this program: the window must stay usable while
// logind keeps it waiting, and a Cancel must leave nothing behind that could still power off.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <iostream>

#include "convert/shutdown_countdown.h"
#include "platform/shutdown.h"
#include "tests/fakes/private_bus.h"
#include "tests/shutdown/logind_mock.h"

namespace {

using logind_mock::GuardLifted;

class PrivateBusEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    private_bus::Bus::Start<QApplication>("countdown_stall_tests", "DBUS_SYSTEM_BUS_ADDRESS");
  }
  void TearDown() override { private_bus::Bus::Finish(); }
};

const ::testing::Environment* const kPrivateBus =
    ::testing::AddGlobalTestEnvironment(new PrivateBusEnvironment);

// Far longer than a Cancel may take, shorter than the client's call timeout, so that logind does
// answer in the end.
constexpr int kStallMs = 4000;

class CountdownOnStalledLogindTest : public logind_mock::Fixture {
 protected:
  static QString Text(const QWidget& form, const char* label) {
    return form.findChild<QLabel*>(QString::fromLatin1(label))->text();
  }
  static QPushButton* Cancel(const QWidget& form) {
    return form.findChild<QPushButton*>(QStringLiteral("Button1"));
  }
};

TEST_F(CountdownOnStalledLogindTest, CancelClosesTheWindowAtOnceWhileLogindHasNotAnswered) {
  StartMock();
  StallCanPowerOff(kStallMs);
  platform::LogindShutdown shutdown;
  GuardLifted lifted;

  QElapsedTimer clock;
  clock.start();
  TAutoShutDown_Form1 form(nullptr, shutdown);
  const qint64 opened = clock.elapsed();

  // Cancel once logind is busy with the window's question and the window's own second has ticked
  // meanwhile, the way a user would after a glance at it.
  qint64 clickedAt = -1;
  QString remainingWhenClicked;
  QStringList callsWhenClicked;
  QTimer user;
  user.setInterval(20);
  QObject::connect(&user, &QTimer::timeout, &form, [&] {
    if (!Calls().contains(QStringLiteral("CanPowerOff")) || Text(form, "Label2").isEmpty()) {
      return;
    }
    user.stop();
    remainingWhenClicked = Text(form, "Label2");
    callsWhenClicked = Calls();
    clickedAt = clock.elapsed();
    QTest::mouseClick(Cancel(form), Qt::LeftButton);
  });
  user.start();
  // A window that no click can close would otherwise hold the test until ctest gives up.
  QTimer::singleShot(3 * kStallMs, &form, [&form] { form.done(-1); });
  const int result = form.exec();
  const qint64 closedAt = clock.elapsed();

  std::cout << "opened in " << opened << " ms; Cancel clicked at " << clickedAt << " ms, window closed "
            << closedAt - clickedAt << " ms later; logind stalls " << kStallMs << " ms\n";
  EXPECT_LT(opened, 500) << "opening the window waited for logind";
  ASSERT_GE(clickedAt, 0) << "the window never showed the first second while logind stalled";
  EXPECT_EQ(remainingWhenClicked, "00: 00: 20");
  EXPECT_EQ(callsWhenClicked, QStringList{"CanPowerOff"});
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_LT(closedAt - clickedAt, 250) << "Cancel waited";
  EXPECT_LT(closedAt, kStallMs / 2) << "the window closed only once logind answered";
  EXPECT_FALSE(form.findChild<QLabel*>(QStringLiteral("LblProblem"))->isVisibleTo(&form));
}

TEST_F(CountdownOnStalledLogindTest, ACancelWhileThePowerOffWaitsForLogindSendsNoPowerOff) {
  StartMock();
  StallCanPowerOff(kStallMs / 2);
  platform::LogindShutdown shutdown;
  GuardLifted lifted;
  TAutoShutDown_Form1 form(nullptr, shutdown);
  form.findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
  form.show();
  ASSERT_TRUE(QTest::qWaitFor([this] { return Calls().contains(QStringLiteral("CanPowerOff")); }, kStallMs))
      << "logind was never asked";
  for (int tick = 1; tick <= 20; ++tick) {
    form.Tick();
  }
  // The last tick asked to power off; the client first asks logind whether it may, behind the
  // window's own question.
  QElapsedTimer clock;
  clock.start();
  QTest::mouseClick(Cancel(form), Qt::LeftButton);
  EXPECT_LT(clock.elapsed(), 250);
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_FALSE(form.isVisible());

  WaitUntilLogindIsIdle();
  // Both late answers reach this program, whose window is still open, and are handled; a PowerOff
  // they set off would be on the mock before its next idle answer.
  QTest::qWait(300);
  WaitUntilLogindIsIdle();
  EXPECT_EQ(Calls(), (QStringList{"CanPowerOff", "CanPowerOff"}));
  EXPECT_FALSE(form.findChild<QLabel*>(QStringLiteral("LblProblem"))->isVisibleTo(&form));
}

}  // namespace
