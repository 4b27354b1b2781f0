// Running the engine as the progress window does: stopping and pausing, a batch that goes on past a
// failed job, refusing to write over a source, records copied at once, and events delivered only on
// the polling thread.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <thread>

#include "tests/convert_engine/engine_harness.h"
#include "tests/convert_engine/fixtures.h"
#include "tests/convert_engine/output_probe.h"
#include "tests/fakes/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using engine_harness::OutputPlan;
using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
}

// The names in a folder, links included.
std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

OutputPlan SmallMkv() {
  OutputPlan plan;
  plan.format = "matroska";
  return plan;
}

// A job that takes several seconds: a long clip blown up to 720p with a slow preset.
OutputPlan SlowMp4() {
  OutputPlan plan;
  plan.format = "mp4";
  plan.width = 1280;
  plan.height = 720;
  plan.videoBitRate = 2500000;
  plan.extra = "preset=slow;pix_fmt=yuv420p";
  return plan;
}

// Polls until the engine reports a position of at least `seconds` or something other than "running".
// Returns the last status.
int32_t WaitForPosition(I_FfConverter& engine, double seconds, double* reached,
                        std::chrono::seconds bound = std::chrono::seconds(60)) {
  const auto end = Clock::now() + bound;
  for (;;) {
    double position = 0.0;
    int32_t index = 0;
    const int32_t status = engine.GetProgress(&position, &index);
    *reached = position;
    if (status != kConvertRunning || position >= seconds || Clock::now() > end) {
      return status;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int32_t WaitForEnd(I_FfConverter& engine, std::chrono::milliseconds bound) {
  const auto end = Clock::now() + bound;
  int32_t status = kConvertRunning;
  while (status == kConvertRunning && Clock::now() < end) {
    double position = 0.0;
    int32_t index = 0;
    status = engine.GetProgress(&position, &index);
    if (status == kConvertRunning) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  return status;
}

// ---- Stop ------------------------------------------------------------------------------------------

struct StopMoment {
  const char* name;
  double afterSeconds;  // of converted material; 0 = at once after Start
  bool releaseOnly;     // the window closes without Stop: releasing the engine must end the job alike
  bool pausedFirst;     // as the window does while it asks whether to stop
};

void PrintTo(const StopMoment& moment, std::ostream* os) {
  *os << moment.name << " (" << (moment.releaseOnly ? "released" : "stopped") << " after "
      << moment.afterSeconds << " s converted)";
}

class StoppedJob : public testing::TestWithParam<StopMoment> {};

TEST_P(StoppedJob, EndsPromptlyLeavingNoTemporaryFileAndTheOlderOutputIntact) {
  ASSERT_FALSE(fixtures::Long().empty());
  TempFolder target("kv-stop");
  const std::string out = target.File("movie.mp4");
  const std::string older = "an older file the user kept at this path";
  WriteAll(out, older);

  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink);
  ASSERT_TRUE(engine);
  const CIInput input = engine_harness::InputFor(fixtures::Long());
  const CIOutput output = engine_harness::OutputFor(out, SlowMp4());
  engine->AddJob(&output, &input);
  ASSERT_TRUE(engine->Start());
  if (GetParam().afterSeconds > 0) {
    double reached = 0.0;
    ASSERT_EQ(WaitForPosition(*engine, GetParam().afterSeconds, &reached), kConvertRunning)
        << "the job ended before it could be stopped; " << sink.Log();
    EXPECT_EQ(ReadAll(out), older) << "the older file changed before the job was complete";
  }

  if (GetParam().pausedFirst) {
    engine->Pause();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  const auto stopped = Clock::now();
  if (!GetParam().releaseOnly) {
    engine->Stop();
    EXPECT_EQ(WaitForEnd(*engine, std::chrono::milliseconds(3000)), kConvertStopped);
    EXPECT_LT(Clock::now() - stopped, std::chrono::milliseconds(3000)) << "Stop is not prompt";
    double position = 0.0;
    int32_t index = 0;
    EXPECT_EQ(engine->GetProgress(&position, &index), kConvertStopped) << "the status does not stay";
    // "Stopped" is the end of the job: the window may close and the user look at the folder now.
    EXPECT_EQ(Names(target.path()), std::set<std::string>{"movie.mp4"}) << "a temporary file is left";
    EXPECT_EQ(ReadAll(out), older);
  }
  engine.reset();
  EXPECT_LT(Clock::now() - stopped, std::chrono::milliseconds(3000)) << "ending the job is not prompt";
  EXPECT_EQ(Names(target.path()), std::set<std::string>{"movie.mp4"});
  EXPECT_EQ(ReadAll(out), older);
}

INSTANTIATE_TEST_SUITE_P(StopMoments, StoppedJob,
                         testing::Values(StopMoment{"RightAfterStart", 0.0, false, false},
                                         StopMoment{"MidJob", 0.5, false, false},
                                         StopMoment{"MidJobWhilePaused", 0.5, false, true},
                                         StopMoment{"ReleasedMidJob", 0.5, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Pause -----------------------------------------------------------------------------------------

TEST(PausedJob, HoldsItsPositionUntilResumed) {
  ASSERT_FALSE(fixtures::Long().empty());
  TempFolder target("kv-pause");
  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink);
  ASSERT_TRUE(engine);
  const CIInput input = engine_harness::InputFor(fixtures::Long());
  const CIOutput output = engine_harness::OutputFor(target.File("paused.mp4"), SlowMp4());
  engine->AddJob(&output, &input);
  ASSERT_TRUE(engine->Start());
  double reached = 0.0;
  ASSERT_EQ(WaitForPosition(*engine, 0.3, &reached), kConvertRunning) << sink.Log();

  engine->Pause();
  // Frames already inside the encoder's threads may still land (slowly, on a busy machine); then
  // nothing moves. A pause that does not hold never settles.
  const double pausedAt = reached;
  double held = reached;
  int32_t index = 0;
  auto lastChange = Clock::now();
  const auto settleBound = Clock::now() + std::chrono::seconds(10);
  while (Clock::now() - lastChange < std::chrono::seconds(1)) {
    ASSERT_LT(Clock::now(), settleBound) << "the position keeps moving while paused: " << held;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double now = 0.0;
    ASSERT_EQ(engine->GetProgress(&now, &index), kConvertRunning) << "a paused job ended";
    if (now != held) {
      held = now;
      lastChange = Clock::now();
    }
  }
  EXPECT_LT(held - pausedAt, 2.0) << "the job went on long after Pause";
  for (int i = 0; i < 10; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double now = 0.0;
    ASSERT_EQ(engine->GetProgress(&now, &index), kConvertRunning) << "a paused job ended";
    EXPECT_EQ(now, held) << "the position moved while paused";
  }

  engine->Resume();
  double after = 0.0;
  EXPECT_EQ(WaitForPosition(*engine, held + 0.2, &after, std::chrono::seconds(30)), kConvertRunning);
  EXPECT_GE(after, held + 0.2) << "the job did not go on after Resume";
  engine->Stop();
  EXPECT_EQ(WaitForEnd(*engine, std::chrono::milliseconds(3000)), kConvertStopped);
}

TEST(PausedJob, PausedAtTheStartAndResumedWritesTheWholeFile) {
  ASSERT_FALSE(fixtures::Quadrants().empty());
  TempFolder target("kv-pause");
  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink);
  ASSERT_TRUE(engine);
  const CIInput input = engine_harness::InputFor(fixtures::Quadrants());
  const std::string out = target.File("resumed.mkv");
  const CIOutput output = engine_harness::OutputFor(out, SmallMkv());
  engine->AddJob(&output, &input);
  ASSERT_TRUE(engine->Start());
  engine->Pause();
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  double position = 0.0;
  int32_t index = 0;
  EXPECT_EQ(engine->GetProgress(&position, &index), kConvertRunning) << "the job ran to its end while paused";
  engine->Resume();
  EXPECT_EQ(WaitForEnd(*engine, std::chrono::milliseconds(60000)), kConvertFinished) << sink.Log();
  int32_t result = 0;
  engine->GetResults(1, &result);
  EXPECT_NE(result, 0);
  EXPECT_NEAR(output_probe::DecodePictures(out).size() / 25.0, 2.0, 1.0 / 25 + 1e-6);
}

// ---- A batch with a failing job --------------------------------------------------------------------

struct BadJob {
  const char* name;
  // Makes the middle job's input and output paths inside `folder`.
  void (*make)(const fs::path& folder, std::string* input, std::string* output);
};

void PrintTo(const BadJob& job, std::ostream* os) {
  *os << job.name;
}

class BatchWithBadJob : public testing::TestWithParam<BadJob> {};

TEST_P(BatchWithBadJob, FailsThatJobAloneAndRunsTheRest) {
  ASSERT_FALSE(fixtures::Quadrants().empty());
  TempFolder target("kv-batch");
  std::string badInput;
  std::string badOutput;
  GetParam().make(target.path(), &badInput, &badOutput);

  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink);
  ASSERT_TRUE(engine);
  const CIInput good = engine_harness::InputFor(fixtures::Quadrants());
  // The bad job's record is what the list held when the file was still fine.
  CIInput bad = good;
  engine_harness::SetField(bad.path, badInput);
  const CIOutput first = engine_harness::OutputFor(target.File("first.mkv"), SmallMkv());
  const CIOutput second = engine_harness::OutputFor(badOutput, SmallMkv());
  const CIOutput third = engine_harness::OutputFor(target.File("third.mkv"), SmallMkv());
  engine->AddJob(&first, &good);
  engine->AddJob(&second, &bad);
  engine->AddJob(&third, &good);
  const std::set<std::string> before = Names(target.path());
  const auto outcome = engine_harness::RunToEnd(*engine, 3);

  ASSERT_FALSE(outcome.timedOut);
  EXPECT_EQ(outcome.status, kConvertFinished) << sink.Log();
  EXPECT_EQ(outcome.results, (std::vector<int32_t>{1, 0, 1})) << sink.Log();
  EXPECT_FALSE(sink.Log().empty()) << "the log does not say why the job failed";
  std::set<std::string> after = before;
  after.insert({"first.mkv", "third.mkv"});
  EXPECT_EQ(Names(target.path()), after) << "a partial or temporary file is left";
  for (const char* name : {"first.mkv", "third.mkv"}) {
    const auto facts = output_probe::Probe(target.File(name));
    EXPECT_TRUE(facts.opened && facts.video.present && facts.audio.present) << name;
  }
  // Positions belong to the job reported with them, in the order the jobs were added.
  EXPECT_TRUE(std::is_sorted(outcome.jobIndexes.begin(), outcome.jobIndexes.end()));
  for (size_t i = 0; i < outcome.positions.size(); ++i) {
    EXPECT_GE(outcome.jobIndexes[i], 0);
    EXPECT_LE(outcome.jobIndexes[i], 2);
    EXPECT_GE(outcome.positions[i], 0.0);
    EXPECT_LE(outcome.positions[i], 2.0 + 0.1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BadJobs, BatchWithBadJob,
    testing::Values(BadJob{"CorruptInput",
                           [](const fs::path& folder, std::string* input, std::string* output) {
                             *input = (folder / "corrupt.mkv").string();
                             media_maker::MakeCorrupt(*input);
                             *output = (folder / "second.mkv").string();
                           }},
                    BadJob{"MissingInput",
                           [](const fs::path& folder, std::string* input, std::string* output) {
                             *input = (folder / "gone.mkv").string();
                             *output = (folder / "second.mkv").string();
                           }},
                    BadJob{"PlaylistNamingAnotherFile",
                           [](const fs::path& folder, std::string* input, std::string* output) {
                             // A concat script would make the demuxer open the file it names.
                             *input = (folder / "list.ffconcat").string();
                             WriteAll(*input, "ffconcat version 1.0\nfile '" + fixtures::Quadrants() + "'\n");
                             *output = (folder / "second.mkv").string();
                           }},
                    BadJob{"OutputFolderIsAFile",
                           [](const fs::path& folder, std::string* input, std::string* output) {
                             *input = fixtures::Quadrants();
                             WriteAll((folder / "plain_file").string(), "not a folder");
                             *output = (folder / "plain_file" / "second.mkv").string();
                           }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Containers that do not write one file ---------------------------------------------------------

class ContainerWithoutOneFile : public testing::TestWithParam<const char*> {};

// A profile naming such a muxer would make the job write segments or numbered pictures beside the
// temporary file, or nothing at all: an empty "output" must not replace the user's file either.
TEST_P(ContainerWithoutOneFile, FailsLeavingTheFolderAndTheOlderFileAsTheyWere) {
  ASSERT_FALSE(fixtures::Quadrants().empty());
  TempFolder target("kv-muxer");
  const std::string out = target.File("movie.mkv");
  const std::string older = "an older file the user kept at this path";
  WriteAll(out, older);
  OutputPlan plan = SmallMkv();
  plan.format = GetParam();
  const auto converted = engine_harness::Convert(engine_harness::InputFor(fixtures::Quadrants()), plan, out);
  EXPECT_FALSE(converted.succeeded);
  EXPECT_NE(converted.log.find(GetParam()), std::string::npos) << converted.log;
  EXPECT_EQ(Names(target.path()), std::set<std::string>{"movie.mkv"});
  EXPECT_EQ(ReadAll(out), older);
}

INSTANTIATE_TEST_SUITE_P(Muxers, ContainerWithoutOneFile,
                         testing::Values("null", "hls", "segment", "image2", "tee"),
                         [](const auto& info) { return std::string(info.param); });

// ---- Something other than a file at the output path ------------------------------------------------

struct Occupied {
  const char* name;
  void (*make)(const std::string& path);
  fs::file_type type;
};

void PrintTo(const Occupied& occupied, std::ostream* os) {
  *os << occupied.name;
}

class OutputPathOccupied : public testing::TestWithParam<Occupied> {};

TEST_P(OutputPathOccupied, FailsLeavingWhatIsThere) {
  ASSERT_FALSE(fixtures::Quadrants().empty());
  TempFolder target("kv-occupied");
  const std::string out = target.File("movie.mkv");
  GetParam().make(out);
  ASSERT_EQ(fs::symlink_status(out).type(), GetParam().type);
  const auto converted =
      engine_harness::Convert(engine_harness::InputFor(fixtures::Quadrants()), SmallMkv(), out);
  EXPECT_FALSE(converted.succeeded);
  EXPECT_NE(converted.log.find("cannot take a file"), std::string::npos) << converted.log;
  EXPECT_EQ(fs::symlink_status(out).type(), GetParam().type) << "the output path was replaced";
  EXPECT_EQ(Names(target.path()), std::set<std::string>{"movie.mkv"});
}

INSTANTIATE_TEST_SUITE_P(
    Occupants, OutputPathOccupied,
    testing::Values(Occupied{"Folder",
                             [](const std::string& path) {
                               fs::create_directory(path);
                               WriteAll(path + "/kept", "kept");
                             },
                             fs::file_type::directory},
                    Occupied{"Pipe", [](const std::string& path) { ::mkfifo(path.c_str(), 0600); },
                             fs::file_type::fifo}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Output equal to input -------------------------------------------------------------------------

struct SameFile {
  const char* name;
  // Returns another name for `source`, which lies in `folder`, making what that name needs.
  std::string (*alias)(const fs::path& folder, const fs::path& source);
};

void PrintTo(const SameFile& same, std::ostream* os) {
  *os << same.name;
}

class OutputIsTheSource : public testing::TestWithParam<SameFile> {};

// Runs one job writing to another name of a source; in a merge the source is the last part.
void ExpectRefusedOverSource(const SameFile& same, bool merge) {
  ASSERT_FALSE(fixtures::Quadrants().empty());
  ASSERT_FALSE(fixtures::MidTone().empty());
  TempFolder target("kv-same");
  const fs::path source = target.path() / "clip.mkv";
  fs::copy_file(fixtures::Quadrants(), source);
  const std::string original = ReadAll(source.string());
  const std::string alias = same.alias(target.path(), source);
  const std::set<std::string> before = Names(target.path());

  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink);
  ASSERT_TRUE(engine);
  std::vector<CIInput> inputs;
  if (merge) {
    inputs.push_back(engine_harness::InputFor(fixtures::MidTone()));
  }
  inputs.push_back(engine_harness::InputFor(source.string()));
  ASSERT_GT(inputs.back().media.duration, 0.0);
  const CIOutput output = engine_harness::OutputFor(alias, SmallMkv());
  if (merge) {
    engine->AddMergeJob(&output, static_cast<int32_t>(inputs.size()), inputs.data());
  } else {
    engine->AddJob(&output, &inputs[0]);
  }
  const auto outcome = engine_harness::RunToEnd(*engine, 1);

  ASSERT_FALSE(outcome.timedOut);
  EXPECT_EQ(outcome.results, std::vector<int32_t>{0});
  EXPECT_FALSE(sink.Log().empty()) << "the log does not say why the job failed";
  engine.reset();
  EXPECT_EQ(ReadAll(source.string()), original) << "the source changed";
  EXPECT_EQ(Names(target.path()), before) << "a file was left or removed";
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(source)));
}

TEST_P(OutputIsTheSource, FailsAndLeavesTheSourceAsItWas) {
  ExpectRefusedOverSource(GetParam(), false);
}

TEST_P(OutputIsTheSource, FailsAsAMergeOfThatSourceToo) {
  ExpectRefusedOverSource(GetParam(), true);
}

INSTANTIATE_TEST_SUITE_P(Aliases, OutputIsTheSource,
                         testing::Values(SameFile{"SamePath",
                                                  [](const fs::path&, const fs::path& source) {
                                                    return source.string();
                                                  }},
                                         SameFile{"DotInThePath",
                                                  [](const fs::path& folder, const fs::path&) {
                                                    return (folder / "." / "clip.mkv").string();
                                                  }},
                                         SameFile{"DotDotInThePath",
                                                  [](const fs::path& folder, const fs::path&) {
                                                    fs::create_directory(folder / "sub");
                                                    return (folder / "sub" / ".." / "clip.mkv").string();
                                                  }},
                                         SameFile{"SymbolicLink",
                                                  [](const fs::path& folder, const fs::path& source) {
                                                    fs::create_symlink(source, folder / "link.mkv");
                                                    return (folder / "link.mkv").string();
                                                  }},
                                         SameFile{"HardLink",
                                                  [](const fs::path& folder, const fs::path& source) {
                                                    fs::create_hard_link(source, folder / "hard.mkv");
                                                    return (folder / "hard.mkv").string();
                                                  }}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Replacing an older file and names beyond ASCII ------------------------------------------------

TEST(FinishedJob, ReplacesAnOlderFileAtItsPathAndLeavesNothingElse) {
  ASSERT_FALSE(fixtures::Quadrants().empty());
  TempFolder target("kv-replace");
  const std::string out = target.File("movie.mkv");
  WriteAll(out, "an older file the user agreed to replace");
  const auto converted =
      engine_harness::Convert(engine_harness::InputFor(fixtures::Quadrants()), SmallMkv(), out);
  ASSERT_TRUE(converted.succeeded) << converted.log;
  EXPECT_EQ(Names(target.path()), std::set<std::string>{"movie.mkv"});
  const auto facts = output_probe::Probe(out);
  EXPECT_TRUE(facts.opened && facts.video.present && facts.audio.present);
}

TEST(FinishedJob, ReadsAndWritesPathsWithCharactersBeyondAscii) {
  ASSERT_FALSE(fixtures::Quadrants().empty());
  TempFolder target("kv-names");
  const fs::path folder = target.path() / "Vidéos d’été 日本";
  fs::create_directory(folder);
  const fs::path source = folder / "clip ü ß.mkv";
  fs::copy_file(fixtures::Quadrants(), source);
  const std::string out = (folder / "sortie à 東京.mp4").string();
  const CIInput input = engine_harness::InputFor(source.string());
  ASSERT_GT(input.media.duration, 0.0);
  OutputPlan plan = SmallMkv();
  plan.format = "mp4";
  const auto converted = engine_harness::Convert(input, plan, out);
  ASSERT_TRUE(converted.succeeded) << converted.log;
  EXPECT_EQ(Names(folder), (std::set<std::string>{"clip ü ß.mkv", "sortie à 東京.mp4"}));
  EXPECT_TRUE(output_probe::Probe(out).video.present);
}

// ---- Lifecycle edges -------------------------------------------------------------------------------

TEST(EngineLifecycle, AnEmptyBatchEndsInsteadOfRunningForever) {
  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink);
  ASSERT_TRUE(engine);
  if (engine->Start()) {
    // The window polls until the status is not "running": it must come.
    EXPECT_NE(WaitForEnd(*engine, std::chrono::milliseconds(3000)), kConvertRunning);
  }
}

TEST(EngineLifecycle, ReleasedWithJobsButNeverStartedWritesNothing) {
  ASSERT_FALSE(fixtures::Quadrants().empty());
  TempFolder target("kv-unstarted");
  {
    engine_harness::RecordingSink sink;
    auto engine = engine_harness::NewConfiguredEngine(&sink);
    ASSERT_TRUE(engine);
    const CIInput input = engine_harness::InputFor(fixtures::Quadrants());
    const CIOutput output = engine_harness::OutputFor(target.File("never.mkv"), SmallMkv());
    engine->AddJob(&output, &input);
  }
  EXPECT_TRUE(Names(target.path()).empty());
}

// ---- Records and events ----------------------------------------------------------------------------

TEST(EngineRecords, AreCopiedBeforeTheCallReturns) {
  ASSERT_FALSE(fixtures::Quadrants().empty());
  TempFolder target("kv-copy");
  const std::string out = target.File("copied.mkv");
  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink);
  ASSERT_TRUE(engine);
  {
    CIInput input = engine_harness::InputFor(fixtures::Quadrants());
    CIOutput output = engine_harness::OutputFor(out, SmallMkv());
    engine->AddJob(&output, &input);
    // What the caller does with its records afterwards is none of the engine's business.
    std::memset(&input, 0x5A, sizeof input);
    std::memset(&output, 0x5A, sizeof output);
  }
  const auto outcome = engine_harness::RunToEnd(*engine, 1);
  EXPECT_EQ(outcome.status, kConvertFinished) << sink.Log();
  EXPECT_EQ(outcome.results, std::vector<int32_t>{1}) << sink.Log();
  const auto facts = output_probe::Probe(out);
  EXPECT_EQ(facts.format, "matroska,webm");
  EXPECT_EQ(facts.video.width, 320);
}

struct EventRun {
  const char* name;
  bool showPreview;
  bool toggle;  // TogglePreview right after Start
  bool expectFrames;
};

void PrintTo(const EventRun& run, std::ostream* os) {
  *os << run.name;
}

class ConvertEvents : public testing::TestWithParam<EventRun> {};

TEST_P(ConvertEvents, ArriveOnlyOnThePollingThreadWithFramesOfThePreviewSize) {
  const EventRun& run = GetParam();
  ASSERT_FALSE(fixtures::Long().empty());
  TempFolder target("kv-events");
  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink, run.showPreview);
  ASSERT_TRUE(engine);
  const CIInput input = engine_harness::InputFor(fixtures::Long());
  // Large frames keep the job running over several preview intervals.
  OutputPlan plan = SmallMkv();
  plan.width = 1280;
  plan.height = 720;
  const CIOutput output = engine_harness::OutputFor(target.File("events.mkv"), plan);
  engine->AddJob(&output, &input);

  // Poll from a thread of our own, as a window's timer would, so the check does not depend on which
  // thread created the engine.
  engine_harness::Outcome outcome;
  std::thread::id poller;
  std::thread window([&] {
    poller = std::this_thread::get_id();
    if (run.toggle) {
      ASSERT_TRUE(engine->Start());
      engine->TogglePreview();
      // RunToEnd starts again otherwise; a second Start on a running engine is not the protocol.
      const int32_t status = WaitForEnd(*engine, std::chrono::milliseconds(120000));
      outcome.status = status;
      outcome.results.assign(1, 0);
      engine->GetResults(1, outcome.results.data());
    } else {
      outcome = engine_harness::RunToEnd(*engine, 1);
    }
  });
  window.join();

  EXPECT_EQ(outcome.status, kConvertFinished) << sink.Log();
  const auto threads = sink.CallThreads();
  EXPECT_FALSE(threads.empty()) << "no event at all, not even a log line";
  for (const auto& thread : threads) {
    EXPECT_EQ(thread, poller) << "an event arrived on another thread than the one polling";
  }
  if (run.expectFrames) {
    EXPECT_GT(sink.PreviewFrames(), 0);
    EXPECT_EQ(sink.LastPreviewSize(), 320 * 240 * 3);
  } else {
    EXPECT_EQ(sink.PreviewFrames(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Previews, ConvertEvents,
                         testing::Values(EventRun{"PreviewShown", true, false, true},
                                         EventRun{"PreviewHidden", false, false, false},
                                         EventRun{"PreviewToggledOn", false, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The window shows the frame as a 24-bit top-down bitmap: rows from the top, blue, green, red.
TEST(PreviewFrame, IsTheOutputPictureTopDownInBlueGreenRedOrder) {
  fixtures::ClipPlan plan = fixtures::QuadrantPlan();
  plan.seconds = 12.0;
  const std::string& source = engine_harness::Fixture("long_quadrants.mkv", plan);
  ASSERT_FALSE(source.empty());
  TempFolder target("kv-preview");
  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink, true);
  ASSERT_TRUE(engine);
  const CIInput input = engine_harness::InputFor(source);
  // Twice the source's size with a slower preset, so the job outlasts a few preview intervals.
  OutputPlan out = SmallMkv();
  out.width = 640;
  out.height = 480;
  out.extra = "preset=medium;pix_fmt=yuv420p";
  const CIOutput output = engine_harness::OutputFor(target.File("preview.mkv"), out);
  engine->AddJob(&output, &input);
  const auto outcome = engine_harness::RunToEnd(*engine, 1);
  EXPECT_EQ(outcome.status, kConvertFinished) << sink.Log();

  const std::vector<uint8_t> frame = sink.LastPreviewFrame();
  ASSERT_EQ(frame.size(), 320u * 240 * 3);
  auto meanAt = [&](int left, int top) {
    output_probe::Mean mean;
    for (int y = top; y < top + 40; ++y) {
      for (int x = left; x < left + 60; ++x) {
        const uint8_t* p = &frame[(static_cast<size_t>(y) * 320 + x) * 3];
        mean.b += p[0] / 2400.0;
        mean.g += p[1] / 2400.0;
        mean.r += p[2] / 2400.0;
      }
    }
    return mean;
  };
  const output_probe::Mean quadrants[4] = {meanAt(50, 40), meanAt(210, 40), meanAt(210, 160),
                                           meanAt(50, 160)};
  for (int q = 0; q < 4; ++q) {
    EXPECT_LT(output_probe::Distance(quadrants[q], output_probe::MeanOf(plan.quadrants[q])), 30.0)
        << "quadrant " << q << " shows " << quadrants[q].r << "," << quadrants[q].g << "," << quadrants[q].b;
  }
}

}  // namespace
