// The logind client against python-dbusmock's logind template. Everything runs on a private
// dbus-daemon started by this program, which DBUS_SYSTEM_BUS_ADDRESS names before QtDBus connects;
// before a test lifts the no-shutdown guard it proves that the connection really is that private bus.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>
#include <string>

#include "platform/shutdown.h"
#include "tests/fakes/private_bus.h"
#include "tests/shutdown/logind_mock.h"

namespace {

using logind_mock::GuardLifted;

// Every system-bus connection of this program goes to its private bus.
class PrivateBusEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { private_bus::Bus::Start("logind_tests", "DBUS_SYSTEM_BUS_ADDRESS"); }
  void TearDown() override { private_bus::Bus::Finish(); }
};

const ::testing::Environment* const kPrivateBus =
    ::testing::AddGlobalTestEnvironment(new PrivateBusEnvironment);

// One answer of the service, waited for in the event loop.
struct Answer {
  bool given = false;
  // Given before the call that asked had returned.
  bool early = false;
  bool yes = false;
  QString why;
};

constexpr int kAnswerWaitMs = 15000;

Answer AskCanPowerOff(platform::Shutdown& shutdown) {
  QObject context;
  Answer answer;
  bool returned = false;
  shutdown.CanPowerOff(&context, [&](bool can, const QString& why) { answer = {true, !returned, can, why}; });
  returned = true;
  static_cast<void>(QTest::qWaitFor([&] { return answer.given; }, kAnswerWaitMs));
  return answer;
}

Answer AskPowerOff(platform::Shutdown& shutdown) {
  QObject context;
  Answer answer;
  bool returned = false;
  shutdown.PowerOff(&context, [&](bool accepted) { answer = {true, !returned, accepted, QString()}; });
  returned = true;
  static_cast<void>(QTest::qWaitFor([&] { return answer.given; }, kAnswerWaitMs));
  return answer;
}

class LogindShutdownTest : public logind_mock::Fixture {};

TEST_F(LogindShutdownTest, PowersOffThroughLogindWhenAllowedAndTheGuardIsLifted) {
  StartMock();
  platform::LogindShutdown shutdown;
  GuardLifted lifted;
  const Answer can = AskCanPowerOff(shutdown);
  ASSERT_TRUE(can.given);
  EXPECT_FALSE(can.early) << "answers come from the event loop";
  EXPECT_TRUE(can.yes);
  EXPECT_TRUE(can.why.isEmpty());
  const Answer off = AskPowerOff(shutdown);
  ASSERT_TRUE(off.given);
  EXPECT_FALSE(off.early);
  EXPECT_TRUE(off.yes);
  EXPECT_TRUE(shutdown.LastReason().isEmpty());
  // Not interactive: nobody may be there to answer a password prompt.
  EXPECT_EQ(Calls(), (QStringList{"CanPowerOff", "CanPowerOff", "PowerOff False"}));
}

TEST_F(LogindShutdownTest, TheGuardKeepsEveryCallOffTheBus) {
  StartMock();
  platform::LogindShutdown shutdown;
  for (const QByteArray& value : {QByteArray("1"), QByteArray()}) {
    qputenv(platform::kNoShutdownVariable, value);
    const Answer can = AskCanPowerOff(shutdown);
    ASSERT_TRUE(can.given);
    EXPECT_FALSE(can.early);
    EXPECT_FALSE(can.yes);
    EXPECT_TRUE(can.why.contains(QLatin1String(platform::kNoShutdownVariable))) << can.why.toStdString();
    const Answer off = AskPowerOff(shutdown);
    ASSERT_TRUE(off.given);
    EXPECT_FALSE(off.early);
    EXPECT_FALSE(off.yes);
    EXPECT_EQ(shutdown.LastReason(), can.why);
  }
  qputenv(platform::kNoShutdownVariable, "1");
  EXPECT_TRUE(Calls().isEmpty()) << Calls().join(QLatin1Char(',')).toStdString();
}

// A power-off withdrawn while logind is still deciding whether it may happen is never sent, however
// logind answers afterwards.
TEST_F(LogindShutdownTest, APowerOffWithdrawnWhileLogindStallsIsNeverSent) {
  StartMock();
  StallCanPowerOff(1500);
  platform::LogindShutdown shutdown;
  GuardLifted lifted;
  auto* context = new QObject;
  bool answered = false;
  shutdown.PowerOff(context, [&](bool) { answered = true; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return Calls().contains(QStringLiteral("CanPowerOff")); }, kAnswerWaitMs))
      << "logind was never asked";
  delete context;
  WaitUntilLogindIsIdle();
  // The late answer reaches this program and is handled; a PowerOff it set off would be on the mock
  // before the next idle answer.
  QTest::qWait(300);
  WaitUntilLogindIsIdle();
  EXPECT_FALSE(answered);
  EXPECT_EQ(Calls(), QStringList{"CanPowerOff"});
}

struct RefusalCase {
  const char* name;
  const char* answer;
  const char* reasonPart;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

class LogindRefusalTest : public LogindShutdownTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(LogindRefusalTest, AnythingButYesRefusesWithAReasonAndNeverPowersOff) {
  StartMock(QString::fromLatin1(GetParam().answer));
  platform::LogindShutdown shutdown;
  GuardLifted lifted;
  const Answer can = AskCanPowerOff(shutdown);
  ASSERT_TRUE(can.given);
  EXPECT_FALSE(can.yes);
  EXPECT_TRUE(can.why.contains(QLatin1String(GetParam().reasonPart))) << can.why.toStdString();
  const Answer off = AskPowerOff(shutdown);
  ASSERT_TRUE(off.given);
  EXPECT_FALSE(off.yes);
  EXPECT_EQ(shutdown.LastReason(), can.why);
  EXPECT_EQ(Calls(), (QStringList{"CanPowerOff", "CanPowerOff"}));
}

INSTANTIATE_TEST_SUITE_P(Answers, LogindRefusalTest,
                         ::testing::Values(RefusalCase{"No", "no", "not allowed"},
                                           RefusalCase{"Challenge", "challenge", "password"},
                                           RefusalCase{"NotAvailable", "na", "cannot be shut down"},
                                           RefusalCase{"Unexpected", "perhaps", "unexpected answer"}),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(LogindShutdownTest, WithoutLogindOnTheBusItRefusesWithAReason) {
  ASSERT_FALSE(LogindOnBus());
  platform::LogindShutdown shutdown;
  GuardLifted lifted;
  const Answer can = AskCanPowerOff(shutdown);
  ASSERT_TRUE(can.given);
  EXPECT_FALSE(can.early);
  EXPECT_FALSE(can.yes);
  EXPECT_TRUE(can.why.contains(QLatin1String("not running"))) << can.why.toStdString();
  const Answer off = AskPowerOff(shutdown);
  ASSERT_TRUE(off.given);
  EXPECT_FALSE(off.yes);
  EXPECT_FALSE(shutdown.LastReason().isEmpty());
}

}  // namespace
