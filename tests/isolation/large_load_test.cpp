// A load of 1,000 files through the probe processes: the window keeps turning, the list fills as the
// files are accepted, and the whole takes less time than probing them one by one.
#include <gtest/gtest.h>

#include "tests/isolation/probe_isolation_support.h"

namespace {

using namespace probe_isolation;

constexpr int kFiles = 1000;
// The longest the window may go without a turn of its message loop while the files load: what a
// person still takes for a window that answers, with room for the sanitizer build on a loaded machine.
constexpr auto kLongestGap = std::chrono::milliseconds(250);

TEST(LargeLoadTest, KeepsTheWindowTurningFillsTheListAsItGoesAndBeatsProbingInTurn) {
  const EngineComponents engine;
  const HostFolder folder(KV_WORKER);
  std::vector<std::string> paths;
  for (int i = 0; i < kFiles; ++i) {
    paths.push_back(CopyOfClip(folder, "clip" + std::to_string(10000 + i) + ".mkv", true));
  }

  // What the list did before: every file probed in turn, here in this process. A list without the
  // probe program beside it still does so.
  const HostFolder bare("/nonexistent");
  ListUnderTest inTurn(bare);
  const Clock::time_point serialStart = Clock::now();
  EXPECT_TRUE(inTurn.Load(paths));
  const Clock::duration serial = Clock::now() - serialStart;
  ASSERT_EQ(inTurn.Names().size(), static_cast<size_t>(kFiles));

  ListUnderTest list(folder);
  const Clock::time_point start = Clock::now();
  EXPECT_TRUE(list.Load(paths));
  const Clock::duration parallel = Clock::now() - start;

  const std::vector<std::string> names = list.Names();
  ASSERT_EQ(names.size(), static_cast<size_t>(kFiles));
  for (int i = 0; i < kFiles; ++i) {
    ASSERT_EQ(names[static_cast<size_t>(i)], "clip" + std::to_string(10000 + i) + ".mkv")
        << "the order given";
  }
  const TimingEnvironment& seen = list.Environment();
  const auto longest = seen.LongestGap(start);
  EXPECT_LE(longest, kLongestGap);
  const auto during = std::count_if(seen.shown.begin(), seen.shown.end(),
                                    [](int shown) { return shown > 0 && shown < kFiles; });
  EXPECT_GT(during, kFiles / 4) << "items show while the load goes on";
  EXPECT_LT(parallel, serial);
  const auto ms = [](Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
  };
  std::printf(
      "1,000 files: probed in turn %lld ms, loaded through the probe processes %lld ms (%.2f); longest "
      "gap between message-loop turns %lld ms over %zu turns\n",
      static_cast<long long>(ms(serial)), static_cast<long long>(ms(parallel)),
      static_cast<double>(ms(parallel)) / static_cast<double>(std::max<long long>(ms(serial), 1)),
      static_cast<long long>(longest.count()), seen.turns.size());
}

}  // namespace
