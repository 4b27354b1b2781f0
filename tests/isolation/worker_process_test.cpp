// The conversion engine running each job in a process of its own, with the shipped job program and the
// test build's one that crashes or hangs on request.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "components/i_ff_converter.h"
#include "engines/ffengine/ff_converter.h"
#include "engines/ffengine/worker_job.h"
#include "tests/convert_engine/engine_harness.h"
#include "tests/convert_engine/output_probe.h"
#include "tests/isolation/worker_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using isolation_test::ScopedEnv;

// A work folder with the job program, and an output folder in it.
class WorkFolder : public isolation_test::WorkerFolder {
 public:
  explicit WorkFolder(const std::string& program) : WorkerFolder(program) {
    fs::create_directory(Path() / "out");
  }
  std::string Work() const { return Folder(); }
  std::string Out(const std::string& name) const { return (Path() / "out" / name).string(); }
  // Hidden files of the output folder: unfinished outputs.
  std::vector<std::string> Hidden() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Path() / "out")) {
      if (entry.path().filename().string().front() == '.') {
        names.push_back(entry.path().filename().string());
      }
    }
    return names;
  }
};

const std::string& Clip(double seconds, int width = 160, int height = 120) {
  media_maker::ClipPlan plan;
  plan.width = width;
  plan.height = height;
  plan.seconds = seconds;
  return engine_harness::Fixture("clip" + std::to_string(seconds) + "_" + std::to_string(width) + ".mkv",
                                 plan);
}

engine_harness::EnginePtr Engine(const WorkFolder& folder, engine_harness::RecordingSink* sink) {
  engine_harness::EnginePtr engine(NewFfConverter());
  CISetup setup{};
  engine_harness::SetField(setup.workFolder, folder.Work());
  setup.events = sink;
  engine->Configure(&setup);
  return engine;
}

void ExpectComplete(const std::string& path, double seconds) {
  const output_probe::FileFacts facts = output_probe::Probe(path);
  EXPECT_TRUE(facts.opened) << path;
  EXPECT_EQ(facts.videoStreams, 1) << path;
  EXPECT_EQ(facts.audioStreams, 1) << path;
  EXPECT_NEAR(facts.duration, seconds, 0.2) << path;
}

struct FaultCase {
  const char* name;
  const char* fault;
  const char* said;  // in the log and the failed job's reason
};

class WorkerFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(WorkerFaultTest, CostsItsOwnJobOnlyAndLeavesNothingBehind) {
  const WorkFolder folder(KV_FAULTY_WORKER);
  const ScopedEnv fault("KV_WORKER_FAULT", GetParam().fault);
  const ScopedEnv stall("KESTRELVINE_STALL_SECONDS", "5");
  engine_harness::RecordingSink sink;
  engine_harness::EnginePtr engine = Engine(folder, &sink);
  const CIInput input = engine_harness::InputFor(Clip(1.0));
  for (const char* name : {"one.mkv", "two.mkv", "three.mkv"}) {
    const CIOutput output = engine_harness::OutputFor(folder.Out(name), {});
    engine->AddJob(&output, &input);
  }
  const engine_harness::Outcome outcome = engine_harness::RunToEnd(*engine, 3, std::chrono::seconds(60));

  EXPECT_EQ(outcome.status, kConvertFinished) << "the batch goes on after the job";
  EXPECT_EQ(outcome.results, (std::vector<int32_t>{1, 0, 1})) << sink.Log();
  ExpectComplete(folder.Out("one.mkv"), 1.0);
  ExpectComplete(folder.Out("three.mkv"), 1.0);
  EXPECT_FALSE(fs::exists(folder.Out("two.mkv")));
  EXPECT_TRUE(folder.Hidden().empty()) << folder.Hidden().front();
  EXPECT_NE(sink.Log().find(GetParam().said), std::string::npos) << sink.Log();
  char reason[256] = {};
  EXPECT_EQ(engine->GetJobFailure(1, reason, sizeof reason), kJobFailed);
  EXPECT_NE(std::string(reason).find(GetParam().said), std::string::npos) << reason;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, WorkerFaultTest,
    ::testing::Values(FaultCase{"Crash", "crash:1",
                                "the conversion process failed: it was ended by signal 6"},
                      FaultCase{"Hang", "hang:1", "the conversion stopped making progress for 5 s"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WorkerControlTest, PauseResumeAndStopReachTheProcessAtOnce) {
  const WorkFolder folder(KV_WORKER);
  engine_harness::RecordingSink sink;
  engine_harness::EnginePtr engine = Engine(folder, &sink);
  const CIInput input = engine_harness::InputFor(Clip(20.0, 640, 360));
  {
    std::ofstream older(folder.Out("long.mkv"));
    older << "an older output";
  }
  engine_harness::OutputPlan plan;
  plan.width = 640;
  plan.height = 360;
  plan.extra = "preset=slow;pix_fmt=yuv420p";  // slow enough to be caught mid-job
  const CIOutput output = engine_harness::OutputFor(folder.Out("long.mkv"), plan);
  engine->AddJob(&output, &input);
  ASSERT_TRUE(engine->Start());

  double position = 0;
  int32_t index = 0;
  const auto poll = [&] { return engine->GetProgress(&position, &index); };
  const auto until = Clock::now() + std::chrono::seconds(30);
  while (poll() == kConvertRunning && position < 0.5 && Clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_GE(position, 0.5) << sink.Log();

  engine->Pause();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  poll();
  const double held = position;
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  poll();
  EXPECT_NEAR(position, held, 0.05) << "a paused job makes no progress";

  engine->Resume();
  const auto resumedUntil = Clock::now() + std::chrono::seconds(10);
  while (poll() == kConvertRunning && position <= held + 0.2 && Clock::now() < resumedUntil) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_GT(position, held + 0.2) << "it goes on after Resume";

  const auto stopAt = Clock::now();
  engine->Stop();
  int32_t status = kConvertRunning;
  while ((status = poll()) == kConvertRunning && Clock::now() - stopAt < std::chrono::seconds(10)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(status, kConvertStopped);
  EXPECT_LT(Clock::now() - stopAt, std::chrono::seconds(3));
  EXPECT_TRUE(folder.Hidden().empty());
  std::ifstream older(folder.Out("long.mkv"));
  std::stringstream text;
  text << older.rdbuf();
  EXPECT_EQ(text.str(), "an older output");
}

// The pids of running job processes started by process `parent`.
std::vector<pid_t> JobProcessesOf(pid_t parent) {
  std::vector<pid_t> found;
  const std::string mark = std::string("--parent") + '\0' + std::to_string(parent) + '\0';
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    std::ifstream file(entry.path() / "cmdline", std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    std::string stat;
    std::ifstream(entry.path() / "stat") >> stat >> stat >> stat;  // the third field is the state
    if (bytes.str().find(mark) != std::string::npos && stat != "Z") {
      found.push_back(static_cast<pid_t>(std::stoi(name)));
    }
  }
  return found;
}

// Run by the test below in a process of its own: converts a long clip until it is killed.
TEST(WorkerLifetimeTest, ChildConvertsUntilKilled) {
  const char* work = std::getenv("KV_ISOLATION_CHILD_WORK");
  if (work == nullptr) {
    GTEST_SKIP() << "run by NoJobProcessOutlivesTheProgram";
  }
  engine_harness::RecordingSink sink;
  engine_harness::EnginePtr engine(NewFfConverter());
  CISetup setup{};
  engine_harness::SetField(setup.workFolder, work);
  setup.events = &sink;
  engine->Configure(&setup);
  const CIInput input = engine_harness::InputFor(Clip(20.0, 640, 360));
  engine_harness::OutputPlan plan;
  plan.width = 640;
  plan.height = 360;
  plan.extra = "preset=veryslow;pix_fmt=yuv420p";
  const CIOutput output = engine_harness::OutputFor(std::string(work) + "out/killed.mkv", plan);
  engine->AddJob(&output, &input);
  engine_harness::RunToEnd(*engine, 1, std::chrono::seconds(600));
}

TEST(WorkerLifetimeTest, NoJobProcessOutlivesTheProgram) {
  const WorkFolder folder(KV_WORKER);
  const std::string filter = "--gtest_filter=WorkerLifetimeTest.ChildConvertsUntilKilled";
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    environment.emplace_back(*entry);
  }
  environment.push_back("KV_ISOLATION_CHILD_WORK=" + folder.Work());
  std::vector<char*> envp;
  for (std::string& entry : environment) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);
  std::string self = fs::read_symlink("/proc/self/exe").string();
  char* argv[] = {self.data(), const_cast<char*>(filter.c_str()), nullptr};
  pid_t child = 0;
  ASSERT_EQ(::posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, envp.data()), 0);

  std::vector<pid_t> jobs;
  const auto until = Clock::now() + std::chrono::seconds(60);
  while ((jobs = JobProcessesOf(child)).empty() && Clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_FALSE(jobs.empty()) << "the child started a job process";

  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  const auto gone = Clock::now() + std::chrono::seconds(10);
  while (!JobProcessesOf(child).empty() && Clock::now() < gone) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(JobProcessesOf(child).empty()) << "the job process ended with its program";
  // It stopped the way Stop does: its temporary output went with it.
  EXPECT_TRUE(folder.Hidden().empty()) << folder.Hidden().front();
}

}  // namespace
