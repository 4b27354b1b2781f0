#include "convert/output_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "components/i_ff_converter.h"
#include "components/i_ff_preview.h"
#include "components/text_utf.h"
#include "convert/batch_report.h"
#include "convert/progress_state.h"
#include "engines/ffengine/ff_preview.h"
#include "tests/convert_engine/media_maker.h"
#include "tests/fakes/temp_folder.h"

namespace {

struct ProbeRelease {
  void operator()(I_Plug* plug) const { plug->Release(); }
};

// ---- What an output must hold ----

struct ExpectCase {
  const char* name;
  int32_t audioFormat;
  const char* videoCodec;
  const char* audioCodec;
  bool sourceVideo;
  bool sourceAudio;
  bool video;  // expected
  bool audio;
};

void PrintTo(const ExpectCase& c, std::ostream* os) {
  *os << c.name;
}

CIInput Source(double length, bool video, bool audio) {
  CIInput input{};
  input.clipLength = length;
  input.videoId = video ? 0 : -1;
  input.audioId = audio ? 1 : -1;
  input.media.videoCount = video ? 1 : 0;
  input.media.audioCount = audio ? 1 : 0;
  return input;
}

class ExpectOutputTest : public ::testing::TestWithParam<ExpectCase> {};

TEST_P(ExpectOutputTest, AsksForTheStreamsTheProfileAndTheSourceGive) {
  const ExpectCase& c = GetParam();
  CIOutput output{};
  CopyTextToField(output.outputFile, sizeof output.outputFile, "/out/a.mp4");
  CopyTextToField(output.VideoCodecName, sizeof output.VideoCodecName, c.videoCodec);
  CopyTextToField(output.AudioCodecName, sizeof output.AudioCodecName, c.audioCodec);
  output.AudioFormat = c.audioFormat;
  const CIInput input = Source(4.0, c.sourceVideo, c.sourceAudio);
  const ExpectedOutput expected = ExpectOutput(output, &input, 1);
  EXPECT_EQ(expected.path, "/out/a.mp4");
  EXPECT_EQ(expected.video, c.video);
  EXPECT_EQ(expected.audio, c.audio);
  EXPECT_DOUBLE_EQ(expected.duration, 4.0);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ExpectOutputTest,
    ::testing::Values(ExpectCase{"VideoAndSound", 0, "libx264", "aac", true, true, true, true},
                      ExpectCase{"AudioOnlyProfile", 1, "libx264", "libmp3lame", true, true, false, true},
                      ExpectCase{"NoAudioCodec", 0, "libx264", "", true, true, true, false},
                      ExpectCase{"SourceWithoutSound", 0, "libx264", "aac", true, false, true, false},
                      ExpectCase{"SourceWithoutPicture", 0, "libx264", "aac", false, true, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExpectOutputMergeTest, AMergeLastsItsPartsTogetherAndHasAStreamWhenAnyPartHasIt) {
  CIOutput output{};
  CopyTextToField(output.VideoCodecName, sizeof output.VideoCodecName, "libx264");
  CopyTextToField(output.AudioCodecName, sizeof output.AudioCodecName, "aac");
  const CIInput parts[] = {Source(2.5, true, false), Source(4.0, true, true), Source(1.5, true, false)};
  const ExpectedOutput expected = ExpectOutput(output, parts, 3);
  EXPECT_DOUBLE_EQ(expected.duration, 8.0);
  EXPECT_TRUE(expected.video);
  EXPECT_TRUE(expected.audio);
}

// ---- The check against real files, probed by the real media engine ----

enum class Damage { kNone, kHalfTheBytes };

struct CheckCase {
  const char* name;
  const char* format;
  double seconds;  // of the file made
  bool video;      // in the file made
  bool audio;
  Damage damage;
  ExpectedOutput expected;  // path filled in by the test
  bool passed;
  const char* reason;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
  *os << c.name;
}

class CheckOutputTest : public ::testing::TestWithParam<CheckCase> {
 protected:
  TempFolder folder_{"kv-batch-check"};
};

TEST_P(CheckOutputTest, PassesOnlyAFileThatOpensHasItsStreamsAndLastsTheJob) {
  const CheckCase& c = GetParam();
  const std::string path =
      folder_.File(std::string("out.") + (std::string(c.format) == "mp4" ? "mp4" : "mkv"));
  media_maker::ClipPlan plan;
  plan.format = c.format;
  plan.seconds = c.seconds;
  plan.video = c.video;
  plan.channels = c.audio ? 2 : 0;
  plan.width = 160;
  plan.height = 120;
  std::string error;
  ASSERT_TRUE(media_maker::MakeClip(path, plan, &error)) << error;
  if (c.damage == Damage::kHalfTheBytes) {
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
  }

  std::unique_ptr<I_FfPreview, ProbeRelease> probe(static_cast<I_FfPreview*>(CreateFfPreview()));
  ASSERT_NE(probe, nullptr);
  ExpectedOutput expected = c.expected;
  expected.path = path;
  const OutputCheck check = CheckOutput(*probe, expected);
  EXPECT_EQ(check.passed, c.passed);
  EXPECT_EQ(check.reason, c.reason);
  EXPECT_TRUE(std::filesystem::exists(path)) << "the check never touches the file";
}

INSTANTIATE_TEST_SUITE_P(
    Files, CheckOutputTest,
    ::testing::Values(
        CheckCase{"Complete", "matroska", 4.0, true, true, Damage::kNone, {"", true, true, 4.0}, true, ""},
        CheckCase{
            "WithinHalfASecond", "matroska", 4.0, true, true, Damage::kNone, {"", true, true, 4.4}, true, ""},
        CheckCase{"ShortByMoreThanHalfASecond",
                  "matroska",
                  2.0,
                  true,
                  true,
                  Damage::kNone,
                  {"", true, true, 4.0},
                  false,
                  "the output lasts 2.0 s instead of 4.0 s"},
        CheckCase{"LongerThanTheJob",
                  "matroska",
                  4.0,
                  true,
                  true,
                  Damage::kNone,
                  {"", true, true, 3.0},
                  false,
                  "the output lasts 4.0 s instead of 3.0 s"},
        CheckCase{"MissingItsAudio",
                  "matroska",
                  4.0,
                  true,
                  false,
                  Damage::kNone,
                  {"", true, true, 4.0},
                  false,
                  "the output has no audio"},
        CheckCase{"MissingItsVideo",
                  "matroska",
                  4.0,
                  false,
                  true,
                  Damage::kNone,
                  {"", true, true, 4.0},
                  false,
                  "the output has no video"},
        CheckCase{"AudioOnlyAsAsked",
                  "matroska",
                  4.0,
                  false,
                  true,
                  Damage::kNone,
                  {"", false, true, 4.0},
                  true,
                  ""},
        CheckCase{"TruncatedMp4",
                  "mp4",
                  4.0,
                  true,
                  true,
                  Damage::kHalfTheBytes,
                  {"", true, true, 4.0},
                  false,
                  "the output cannot be read"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckOutputMissingTest, AFileThatIsNotThereCannotBeRead) {
  TempFolder folder("kv-batch-check");
  std::unique_ptr<I_FfPreview, ProbeRelease> probe(static_cast<I_FfPreview*>(CreateFfPreview()));
  ASSERT_NE(probe, nullptr);
  const OutputCheck check = CheckOutput(*probe, {folder.File("none.mkv"), true, false, 2.0});
  EXPECT_FALSE(check.passed);
  EXPECT_EQ(check.reason, "the output cannot be read");
  const OutputCheck noPath = CheckOutput(*probe, {"", true, false, 2.0});
  EXPECT_EQ(noPath.reason, "the output cannot be read");
}

// ---- The reasons and the summary ----

struct ReasonCase {
  const char* name;
  int32_t result;  // GetResults entry
  int32_t kind;    // GetJobFailure answer
  const char* engineReason;
  bool checked;
  bool checkPassed;
  const char* checkReason;
  bool succeeded;
  const char* reason;
};

void PrintTo(const ReasonCase& c, std::ostream* os) {
  *os << c.name;
}

class JudgeJobTest : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(JudgeJobTest, NamesWhyAJobFailed) {
  const ReasonCase& c = GetParam();
  std::optional<OutputCheck> check;
  if (c.checked) {
    check = OutputCheck{c.checkPassed, c.checkReason};
  }
  const JobVerdict verdict = JudgeJob("/out/a.mp4", c.result, c.kind, c.engineReason, check);
  EXPECT_EQ(verdict.outputPath, "/out/a.mp4");
  EXPECT_EQ(verdict.succeeded, c.succeeded);
  EXPECT_EQ(verdict.reason, c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, JudgeJobTest,
    ::testing::Values(
        ReasonCase{"DoneAndChecked", 1, kJobNoFailure, "", true, true, "", true, ""},
        ReasonCase{"DoneUnchecked", 1, kJobNoFailure, "", false, false, "", true, ""},
        ReasonCase{"AnyNonzeroResultIsDone", -7, kJobNoFailure, "", false, false, "", true, ""},
        ReasonCase{"DoneButTheCheckFailed", 1, kJobNoFailure, "", true, false, "the output has no audio",
                   false, "the output has no audio"},
        ReasonCase{"NoSpace", 0, kJobNoSpace, "cannot write the output: No space left on device", false,
                   false, "", false, "no space left on the device"},
        ReasonCase{"CannotWrite", 0, kJobCannotWrite, "cannot write into the folder of \"/x/a.mp4\"", false,
                   false, "", false, "cannot write to this folder"},
        ReasonCase{"TheEnginesWords", 0, kJobFailed, "cannot open \"/in/a.avi\" as media", false, false, "",
                   false, "cannot open \"/in/a.avi\" as media"},
        ReasonCase{"NoWordsAtAll", 0, kJobNoFailure, "", false, false, "", false, "the conversion failed"},
        ReasonCase{"AnUnknownKindKeepsTheWords", 0, -42, "encoder libx264 failed", false, false, "", false,
                   "encoder libx264 failed"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SummaryTextTest, TheDesignedTextStandsAloneWhenEverythingSucceeded) {
  EXPECT_EQ(SummaryText({{"/o/a.mp4", true, ""}, {"/o/b.mp4", true, ""}}),
            "Converting 2 Files Done.\n\nSuccess 2\nFailed 0");
  EXPECT_EQ(SummaryText({}), "Converting 0 Files Done.\n\nSuccess 0\nFailed 0");
}

TEST(SummaryTextTest, NamesEachFailedJobBelowTheDesignedTextInJobOrder) {
  const std::vector<JobVerdict> verdicts{{"/o/a.mp4", false, "no space left on the device"},
                                         {"/o/b.mp4", true, ""},
                                         {"c.mkv", false, "the output has no audio"}};
  EXPECT_EQ(SummaryText(verdicts),
            "Converting 3 Files Done.\n\nSuccess 1\nFailed 2\n\n"
            "a.mp4: no space left on the device\n"
            "c.mkv: the output has no audio");
  EXPECT_EQ(FailureLines(verdicts), (std::vector<std::string>{"a.mp4: no space left on the device",
                                                              "c.mkv: the output has no audio"}));
}

TEST(CheckLogLineTest, SaysWhichOutputAndWhatWasWrong) {
  EXPECT_EQ(CheckLogLine("/o/a.mp4", {true, ""}), "output check: \"/o/a.mp4\" passed");
  EXPECT_EQ(CheckLogLine("/o/a.mp4", {false, "the output lasts 3.2 s instead of 4.0 s"}),
            "output check: \"/o/a.mp4\" failed: the output lasts 3.2 s instead of 4.0 s");
  EXPECT_EQ(LengthReason(3.24, 4.0), "the output lasts 3.2 s instead of 4.0 s");
}

// ---- The progress display once the jobs' fates are known ----

struct OutcomeCase {
  const char* name;
  std::vector<double> durations;
  std::vector<int32_t> shownIndexes;  // the job index of each tick, with the position below
  std::vector<double> shownPositions;
  std::vector<bool> succeeded;
  int current;
  int overall;
  const char* length;
};

void PrintTo(const OutcomeCase& c, std::ostream* os) {
  *os << c.name;
}

class DisplayOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(DisplayOutcomeTest, AFailedJobNeverShowsAsConverted) {
  const OutcomeCase& c = GetParam();
  ProgressState state([] { return int64_t{100}; });
  for (size_t i = 0; i < c.durations.size(); ++i) {
    state.AddJob(c.durations[i], "/o/job" + std::to_string(i) + ".mp4");
  }
  state.Started();
  for (size_t i = 0; i < c.shownIndexes.size(); ++i) {
    state.Advance(c.shownIndexes[i]);
    state.Display(c.shownPositions[i]);
  }
  const ProgressView view = state.DisplayOutcome(c.succeeded);
  EXPECT_EQ(view.currentPercent, c.current);
  EXPECT_EQ(view.overallPercent, c.overall);
  EXPECT_EQ(view.lengthText, c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, DisplayOutcomeTest,
    ::testing::Values(
        OutcomeCase{"FailedAtOnce", {10.0}, {}, {}, {false}, 0, 0, "00:00:00 / 00:00:10"},
        OutcomeCase{"FailedHalfWay", {10.0}, {0}, {5.0}, {false}, 50, 50, "00:00:05 / 00:00:10"},
        OutcomeCase{
            "FailedAtItsLastReportedSecond", {10.0}, {0}, {10.0}, {false}, 90, 90, "00:00:09 / 00:00:10"},
        OutcomeCase{"Succeeded", {10.0}, {0}, {4.0}, {true}, 100, 100, "00:00:10 / 00:00:10"},
        OutcomeCase{"FirstFailedSecondDone",
                    {10.0, 30.0},
                    {0, 1},
                    {0.0, 12.0},
                    {false, true},
                    100,
                    75,
                    "00:00:30 / 00:00:30"},
        OutcomeCase{"FirstDoneLastFailed",
                    {10.0, 30.0},
                    {0, 1},
                    {6.0, 15.0},
                    {true, false},
                    50,
                    62,
                    "00:00:15 / 00:00:30"},
        OutcomeCase{"NoFateKnownCountsAsFailed", {10.0}, {0}, {3.0}, {}, 30, 30, "00:00:03 / 00:00:10"},
        OutcomeCase{
            "AllDone", {10.0, 30.0}, {0, 1}, {10.0, 30.0}, {true, true}, 100, 100, "00:00:30 / 00:00:30"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
