// Probes in processes of their own: the pool with the test build's program that crashes or hangs on
// request, and the task list loading through it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>

#include "tests/isolation/probe_isolation_support.h"

namespace {

using namespace probe_isolation;

PlugPtr<I_FfProbePool> Pool(const std::string& program, int processes, int boundMs = 0) {
  PlugPtr<I_FfProbePool> pool;
  *pool.Receive() = static_cast<I_FfProbePool*>(CreateFfProbePool());
  EXPECT_TRUE(pool->Start(program.c_str(), processes, boundMs));
  return pool;
}

// Every answer of the probes submitted, by ticket, or what came by the deadline.
std::map<int64_t, int32_t> Verdicts(I_FfProbePool& pool, size_t expected, std::chrono::seconds within) {
  std::map<int64_t, int32_t> verdicts;
  const Clock::time_point until = Clock::now() + within;
  ProbeAnswer answers[4];
  while (verdicts.size() < expected && Clock::now() < until) {
    const int32_t got = pool.Collect(50, answers, 4);
    for (int32_t i = 0; i < got; ++i) {
      EXPECT_FALSE(verdicts.contains(answers[i].ticket)) << "one answer per probe";
      verdicts[answers[i].ticket] = answers[i].verdict;
      if (answers[i].verdict == kProbeMedia) {
        EXPECT_NEAR(answers[i].media.duration, 2.0, 0.1);
        EXPECT_EQ(answers[i].media.width, 160);
        EXPECT_EQ(answers[i].media.audioCount, 1);
      }
    }
  }
  return verdicts;
}

struct FaultCase {
  const char* name;
  const char* fault;
};

class ProbeFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ProbeFaultTest, CostsThatFileOnlyAndTheNextProbeGetsAFreshProcess) {
  const HostFolder folder(KV_FAULTY_WORKER);
  const ScopedEnv fault("KV_WORKER_FAULT", GetParam().fault);
  PlugPtr<I_FfProbePool> pool = Pool(KV_FAULTY_WORKER, 1, 2000);
  const std::string bad = CopyOfClip(folder, "bad-one.mkv");
  pool->Submit(0, Clip().c_str());
  pool->Submit(1, bad.c_str());
  pool->Submit(2, Clip().c_str());
  const Clock::time_point start = Clock::now();
  const std::map<int64_t, int32_t> verdicts = Verdicts(*pool, 3, std::chrono::seconds(30));
  EXPECT_EQ(verdicts, (std::map<int64_t, int32_t>{{0, kProbeMedia}, {1, kProbeFailed}, {2, kProbeMedia}}));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(15)) << "a hung probe is ended at its bound";
  EXPECT_EQ(pool->Pending(), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, ProbeFaultTest,
                         ::testing::Values(FaultCase{"Crash", "probe-crash:bad-one"},
                                           FaultCase{"Hang", "probe-hang:bad-one"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProbePoolTest, RefusesWhatIsNoMediaAndDropsWhatIsCancelled) {
  const HostFolder folder(KV_WORKER);
  const std::string text = folder.File("notes.mkv");
  std::ofstream(text) << "not a film at all, only words";
  PlugPtr<I_FfProbePool> pool = Pool(KV_WORKER, 2);
  pool->Submit(7, text.c_str());
  pool->Submit(8, folder.File("gone.mkv").c_str());
  pool->Submit(9, Clip().c_str());
  EXPECT_EQ(Verdicts(*pool, 3, std::chrono::seconds(30)),
            (std::map<int64_t, int32_t>{{7, kProbeRefused}, {8, kProbeRefused}, {9, kProbeMedia}}));

  for (int64_t ticket = 0; ticket < 6; ++ticket) {
    pool->Submit(ticket, Clip().c_str());
  }
  ProbeAnswer answer{};
  pool->Collect(0, &answer, 0);  // under way, nothing taken
  pool->Cancel();
  EXPECT_EQ(pool->Pending(), 0);
  EXPECT_EQ(pool->Collect(300, &answer, 1), 0) << "no answer comes for a cancelled probe";
  pool->Submit(42, Clip().c_str());
  EXPECT_EQ(Verdicts(*pool, 1, std::chrono::seconds(30)), (std::map<int64_t, int32_t>{{42, kProbeMedia}}))
      << "the pool goes on after a cancel";
}

TEST(ProbePoolTest, DoesNotStartWithoutItsProgram) {
  PlugPtr<I_FfProbePool> pool;
  *pool.Receive() = static_cast<I_FfProbePool*>(CreateFfProbePool());
  EXPECT_FALSE(pool->Start("/nonexistent/kestrelvine-worker", 2, 0));
  EXPECT_FALSE(pool->Start("/tmp", 2, 0)) << "a folder is no program";
}

class ListProbeTest : public ::testing::Test {
 protected:
  EngineComponents engine_;
};

TEST_F(ListProbeTest, ACrashingProbeRefusesOneFileOfThreeWithTheUsualMessage) {
  const HostFolder folder(KV_FAULTY_WORKER);
  const ScopedEnv fault("KV_WORKER_FAULT", "probe-crash:second");
  ListUnderTest list(folder);
  const std::string bad = CopyOfClip(folder, "second.mkv");
  EXPECT_TRUE(list.Load({CopyOfClip(folder, "first.mkv"), bad, CopyOfClip(folder, "third.mkv")}));
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"first.mkv", "third.mkv"}));
  EXPECT_EQ(list.Environment().messages,
            (std::vector<QString>{
                QStringLiteral("File '%1' is not a valid media file or its format is not supported.")
                    .arg(QString::fromStdString(bad))}));
}

TEST_F(ListProbeTest, AFileThatCannotBeReadIsRefusedForThatAndTheRestLoadsInOrder) {
  const HostFolder folder(KV_WORKER);
  ListUnderTest list(folder);
  const std::string gone = folder.File("gone.mkv");
  const std::string locked = CopyOfClip(folder, "locked.mkv");
  std::vector<QString> said{QStringLiteral("File '%1' cannot be read: it does not exist any more.")
                                .arg(QString::fromStdString(gone))};
  // Root reads every file whatever its mode, so the mode is only a refusal for anyone else.
  const bool modeBinds = ::geteuid() != 0;
  if (modeBinds) {
    fs::remove(locked);
    fs::copy_file(Clip(), locked);
    ::chmod(locked.c_str(), 0);
    said.push_back(QStringLiteral("File '%1' cannot be read: you have no permission to read it.")
                       .arg(QString::fromStdString(locked)));
  }
  EXPECT_TRUE(list.Load({CopyOfClip(folder, "a.mkv"), gone, locked, CopyOfClip(folder, "b.mkv")}));
  EXPECT_EQ(list.Environment().messages, said);
  EXPECT_EQ(list.Names(), modeBinds ? (std::vector<std::string>{"a.mkv", "b.mkv"})
                                    : (std::vector<std::string>{"a.mkv", "locked.mkv", "b.mkv"}));
}

TEST_F(ListProbeTest, ACancelledLoadKeepsWhatWasAddedAndProbesNoFurther) {
  const HostFolder folder(KV_WORKER);
  ListUnderTest list(folder);
  std::vector<std::string> paths;
  for (int i = 0; i < 60; ++i) {
    paths.push_back(CopyOfClip(folder, "clip" + std::to_string(1000 + i) + ".mkv"));
  }
  list.Environment().cancelAtTurn = 6;
  list.Load(paths);
  const std::vector<std::string> names = list.Names();
  EXPECT_LT(names.size(), paths.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i], "clip" + std::to_string(1000 + i) + ".mkv") << "the first files, in order";
  }
  EXPECT_EQ(list.Environment().turns.size(), 6u) << "the load ends at the turn it was cancelled";
}

}  // namespace
