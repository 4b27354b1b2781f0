// The window program told to end by a signal: during a conversion it stops as Stop does (no temporary
// file, an older output intact, the log written) and then ends; without one it closes as a normal
// close does. A run killed outright leaves its temporary file, which the next batch into the folder
// removes and logs. Every program here is a child the test starts.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engines/ffengine/output_file.h"
#include "tests/convert_engine/engine_harness.h"
#include "tests/fakes/temp_folder.h"
#include "tests/termination/child_process.h"
#include "tests/termination/file_age.h"

namespace {

namespace fs = std::filesystem;
using termination_test::ChildProcess;

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The engine's temporary outputs in a folder, with their sizes.
std::map<std::string, uintmax_t> TempOutputs(const fs::path& folder) {
  std::map<std::string, uintmax_t> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (ffengine::IsTempOutputName(name)) {
      found[entry.path().string()] = entry.file_size(error);
    }
  }
  return found;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A clip that takes the shipped MP4 profile some seconds to convert, so that a signal finds the job
// under way.
const std::string& LongClip() {
  media_maker::ClipPlan plan;
  plan.width = 640;
  plan.height = 480;
  plan.seconds = 20.0;
  return engine_harness::Fixture("long.mkv", plan);
}

const std::string& ShortClip() {
  media_maker::ClipPlan plan;
  plan.seconds = 1.0;
  return engine_harness::Fixture("short.mkv", plan);
}

class TerminationTest : public ::testing::Test {
 protected:
  std::string BinDir() const { return std::getenv("KV_BIN_DIR"); }

  // A child program with a home of this test's own.
  std::unique_ptr<ChildProcess> Start(const std::string& program, const std::vector<std::string>& arguments) {
    const std::string output = home_.File("output-" + std::to_string(++children_) + ".txt");
    return std::make_unique<ChildProcess>(program, arguments,
                                          std::map<std::string, std::string>{
                                              {"HOME", home_.path().string()},
                                              {"XDG_DATA_HOME", home_.File("data")},
                                              {"XDG_CONFIG_HOME", home_.File("config")},
                                              {"QT_QPA_PLATFORM", "offscreen"},
                                              {"KESTRELVINE_NO_SHUTDOWN", "1"},
                                              {"SDL_AUDIODRIVER", "dummy"},
                                          },
                                          output);
  }
  std::unique_ptr<ChildProcess> StartWindow(const std::vector<std::string>& arguments) {
    return Start(TERMINATION_WINDOW, arguments);
  }

  // Waits until the child's conversion has written into its temporary output.
  static bool WaitForWriting(ChildProcess& child, const fs::path& folder) {
    return child.WaitFor([&] {
      for (const auto& [path, size] : TempOutputs(folder)) {
        if (size > 0 && Contains(child.Output(), "converting")) {
          return true;
        }
      }
      return false;
    });
  }

  static bool CatchesAll(pid_t pid) {
    return termination_test::Catches(pid, SIGTERM) && termination_test::Catches(pid, SIGINT) &&
           termination_test::Catches(pid, SIGHUP);
  }

  std::string Log() const {
    return ReadAll(home_.File("data") + "/Tolvermax Studio/Kestrelvine Converter/logs.log");
  }

  TempFolder home_{"kv-term-home"};
  TempFolder out_{"kv-term-out"};
  int children_ = 0;
};

struct MidJobCase {
  int signal;
  const char* signalName;
  const char* mode;  // "convert": running; "pause": paused by the user
};

void PrintTo(const MidJobCase& c, std::ostream* os) {
  *os << c.signalName << ' ' << c.mode;
}

class SignalMidJobTest : public TerminationTest, public ::testing::WithParamInterface<MidJobCase> {};

INSTANTIATE_TEST_SUITE_P(Signals, SignalMidJobTest,
                         ::testing::Values(MidJobCase{SIGTERM, "SIGTERM", "convert"},
                                           MidJobCase{SIGINT, "SIGINT", "convert"},
                                           MidJobCase{SIGHUP, "SIGHUP", "convert"},
                                           MidJobCase{SIGTERM, "SIGTERM", "pause"}));

TEST_P(SignalMidJobTest, StopsAsStopDoesThenEnds) {
  const std::string older = out_.File("long.mp4");
  termination_test::WriteFile(older, "an older output");
  auto child = StartWindow({GetParam().mode, LongClip(), out_.path().string()});
  ASSERT_TRUE(WaitForWriting(*child, out_.path())) << child->Output();
  if (std::string(GetParam().mode) == "pause") {
    ASSERT_TRUE(Contains(child->Output(), "paused"));
  }
  child->Signal(GetParam().signal);
  const int status = child->Wait();
  const std::string said = child->Output();
  ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself: " << said;
  EXPECT_EQ(WEXITSTATUS(status), 0) << said;

  EXPECT_TRUE(TempOutputs(out_.path()).empty()) << "no temporary file stays";
  EXPECT_EQ(ReadAll(older), "an older output") << "the older output is intact";
  EXPECT_TRUE(Contains(said, "conversion returned\n")) << said;
  EXPECT_FALSE(Contains(said, "Files Done")) << "no summary for a stopped batch: " << said;
  EXPECT_TRUE(Contains(said, "main form closed\n")) << "closed as a normal close: " << said;
  EXPECT_TRUE(Contains(said, "shell calls: 0\n"))
      << "no file manager opened for a program that ends: " << said;
  const std::string log = Log();
  EXPECT_TRUE(Contains(log, "job 1: \"" + older + "\"")) << log;
  EXPECT_TRUE(Contains(log, "job 1 stopped\n")) << "the stopped job's last words are kept: " << log;
  EXPECT_TRUE(
      Contains(log, std::string("stopped: the program was asked to end (") + GetParam().signalName + ")"))
      << log;
}

struct IdleCase {
  int signal;
  const char* signalName;
};

void PrintTo(const IdleCase& c, std::ostream* os) {
  *os << c.signalName;
}

class SignalIdleTest : public TerminationTest, public ::testing::WithParamInterface<IdleCase> {};

INSTANTIATE_TEST_SUITE_P(Signals, SignalIdleTest,
                         ::testing::Values(IdleCase{SIGTERM, "SIGTERM"}, IdleCase{SIGINT, "SIGINT"},
                                           IdleCase{SIGHUP, "SIGHUP"}));

TEST_P(SignalIdleTest, TheWindowClosesAsANormalCloseDoes) {
  auto child = StartWindow({"idle"});
  ASSERT_TRUE(child->WaitFor([&] {
    return CatchesAll(child->Pid()) && Contains(child->Output(), "window up");
  })) << child->Output();
  child->Signal(GetParam().signal);
  const int status = child->Wait();
  const std::string said = child->Output();
  ASSERT_TRUE(WIFEXITED(status)) << said;
  EXPECT_EQ(WEXITSTATUS(status), 0) << said;
  EXPECT_TRUE(Contains(said, "main form closed\nshell calls: 0\nrun ended\n")) << said;
}

TEST_P(SignalIdleTest, TheHostEndsNormally) {
  auto host = Start(BinDir() + "/kestrelvine", {});
  ASSERT_TRUE(host->WaitFor([&] { return CatchesAll(host->Pid()); })) << "the host never caught the signals";
  host->Signal(GetParam().signal);
  const int status = host->Wait();
  ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// The processes `pid` started, from /proc.
std::vector<pid_t> ChildrenOf(pid_t pid) {
  std::vector<pid_t> children;
  const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
  std::error_code failed;
  for (const auto& task : fs::directory_iterator(tasks, failed)) {
    std::ifstream list(task.path() / "children");
    for (pid_t child = 0; list >> child;) {
      children.push_back(child);
    }
  }
  return children;
}

TEST_F(TerminationTest, AKilledRunsTemporaryFileGoesAtTheNextBatchAndForeignOnesStay) {
  auto killed = StartWindow({"convert", LongClip(), out_.path().string()});
  ASSERT_TRUE(WaitForWriting(*killed, out_.path())) << killed->Output();
  // What a power cut does: the program and its conversion process end at once, neither able to clean
  // up. The conversion process is held first, so that it cannot act on its parent's end.
  const std::vector<pid_t> workers = ChildrenOf(killed->Pid());
  ASSERT_FALSE(workers.empty()) << "the job runs in a process of its own";
  for (const pid_t worker : workers) {
    ::kill(worker, SIGSTOP);
  }
  killed->Signal(SIGKILL);
  killed->Wait();
  for (const pid_t worker : workers) {
    ::kill(worker, SIGKILL);
  }
  const std::map<std::string, uintmax_t> left = TempOutputs(out_.path());
  ASSERT_EQ(left.size(), 1u) << "a power cut leaves the temporary file";
  const std::string leftover = left.begin()->first;
  // Names a little different from ours, older than any run: another program's files.
  const std::vector<std::string> foreign{out_.File(".long.mp4.0123ABCD.part"),
                                         out_.File("long.mp4.0123abcd.part"),
                                         out_.File(".long.mp4.0123abcd.part.keep")};
  for (const std::string& path : foreign) {
    termination_test::WriteFile(path, "someone else's");
    termination_test::MakeOld(path);
  }

  auto next = StartWindow({"convert", ShortClip(), out_.path().string()});
  const int status = next->Wait();
  const std::string said = next->Output();
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
  EXPECT_TRUE(fs::exists(out_.File("short.mp4")));
  EXPECT_FALSE(fs::exists(leftover)) << leftover;
  for (const std::string& path : foreign) {
    EXPECT_EQ(ReadAll(path), "someone else's") << path;
  }
  const std::string log = Log();
  EXPECT_TRUE(
      Contains(log, "removed \"" + leftover + "\", the temporary file of a conversion that was cut off\n"))
      << log;
}

}  // namespace
