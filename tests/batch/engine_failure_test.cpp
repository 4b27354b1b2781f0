#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include "components/i_ff_converter.h"
#include "convert/batch_report.h"
#include "engines/ffengine/output_file.h"
#include "tests/convert_engine/engine_harness.h"
#include "tests/fakes/temp_folder.h"

namespace {

using namespace engine_harness;

struct ErrnoCase {
  const char* name;
  int error;
  int32_t kind;
  const char* shown;  // what the summary says for it
};

void PrintTo(const ErrnoCase& c, std::ostream* os) {
  *os << c.name;
}

class OutputFailureKindTest : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(OutputFailureKindTest, MapsTheErrorOfTheOutputToWhatTheUserIsTold) {
  const ErrnoCase& c = GetParam();
  EXPECT_EQ(ffengine::OutputFailureKind(c.error), c.kind);
  EXPECT_EQ(EngineFailureText(ffengine::OutputFailureKind(c.error), "the engine's words"), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, OutputFailureKindTest,
    ::testing::Values(ErrnoCase{"NoSpace", ENOSPC, kJobNoSpace, "no space left on the device"},
                      ErrnoCase{"QuotaExceeded", EDQUOT, kJobNoSpace, "no space left on the device"},
                      ErrnoCase{"AccessDenied", EACCES, kJobCannotWrite, "cannot write to this folder"},
                      ErrnoCase{"NotPermitted", EPERM, kJobCannotWrite, "cannot write to this folder"},
                      ErrnoCase{"ReadOnlyFileSystem", EROFS, kJobCannotWrite, "cannot write to this folder"},
                      ErrnoCase{"ParentIsAFile", ENOTDIR, kJobCannotWrite, "cannot write to this folder"},
                      ErrnoCase{"FolderMissing", ENOENT, kJobCannotWrite, "cannot write to this folder"},
                      ErrnoCase{"InputOutputError", EIO, kJobFailed, "the engine's words"},
                      ErrnoCase{"FileTooLarge", EFBIG, kJobFailed, "the engine's words"},
                      ErrnoCase{"NoError", 0, kJobFailed, "the engine's words"}),
    [](const auto& info) { return std::string(info.param.name); });

// The real engine, one job, and what it says about it afterwards.
struct EngineEnd {
  std::vector<int32_t> results;
  int32_t kind = 0;
  std::string reason;
  std::string summary;
};

EngineEnd RunOne(const std::string& source, const std::string& outputPath) {
  RecordingSink sink;
  EnginePtr engine = NewConfiguredEngine(&sink);
  const CIInput input = InputFor(source);
  const CIOutput output = OutputFor(outputPath, OutputPlan{});
  engine->AddJob(&output, &input);
  const Outcome outcome = RunToEnd(*engine, 1);
  EngineEnd end;
  end.results = outcome.results;
  char reason[256] = {};
  end.kind = engine->GetJobFailure(0, reason, sizeof reason);
  end.reason = reason;
  end.summary = SummaryText(JudgeBatch(*engine, {{outputPath, true, true, 2.0}}, nullptr));
  return end;
}

class EngineFailureTest : public ::testing::Test {
 protected:
  const std::string& Clip() {
    media_maker::ClipPlan plan;
    plan.seconds = 1.0;
    plan.width = 160;
    plan.height = 120;
    return Fixture("batch-source.mkv", plan);
  }
  TempFolder folder_{"kv-batch-engine"};
};

TEST_F(EngineFailureTest, AFolderThatIsAFileCannotBeWrittenTo) {
  const std::string notAFolder = folder_.File("plain-file");
  std::ofstream(notAFolder) << "not a folder";
  const EngineEnd end = RunOne(Clip(), notAFolder + "/out.mkv");
  EXPECT_EQ(end.results, std::vector<int32_t>{0});
  EXPECT_EQ(end.kind, kJobCannotWrite);
  EXPECT_NE(end.reason.find("out.mkv"), std::string::npos) << end.reason;
  EXPECT_EQ(end.summary,
            "Converting 1 Files Done.\n\nSuccess 0\nFailed 1\n\nout.mkv: cannot write to this folder");
}

TEST_F(EngineFailureTest, AMissingFolderCannotBeWrittenTo) {
  const EngineEnd end = RunOne(Clip(), folder_.File("gone") + "/out.mkv");
  EXPECT_EQ(end.results, std::vector<int32_t>{0});
  EXPECT_EQ(end.kind, kJobCannotWrite);
  EXPECT_EQ(end.summary,
            "Converting 1 Files Done.\n\nSuccess 0\nFailed 1\n\nout.mkv: cannot write to this folder");
}

TEST_F(EngineFailureTest, ASourceThatIsNoMediaFailsWithTheEnginesWords) {
  const std::string junk = folder_.File("junk.mkv");
  ASSERT_TRUE(media_maker::MakeCorrupt(junk));
  const EngineEnd end = RunOne(junk, folder_.File("out.mkv"));
  EXPECT_EQ(end.results, std::vector<int32_t>{0});
  EXPECT_EQ(end.kind, kJobFailed);
  EXPECT_EQ(end.reason, "cannot open \"" + junk + "\" as media");
  EXPECT_EQ(end.summary, "Converting 1 Files Done.\n\nSuccess 0\nFailed 1\n\nout.mkv: cannot open \"" + junk +
                             "\" as media");
}

TEST_F(EngineFailureTest, ASucceededJobReportsNoFailureAndTheReasonIsCutToItsBuffer) {
  const EngineEnd end = RunOne(Clip(), folder_.File("out.mkv"));
  EXPECT_EQ(end.results, std::vector<int32_t>{1});
  EXPECT_EQ(end.kind, kJobNoFailure);
  EXPECT_EQ(end.reason, "");
  EXPECT_EQ(end.summary, "Converting 1 Files Done.\n\nSuccess 1\nFailed 0");

  // A long reason in a small buffer: cut, terminated, nothing written past it.
  RecordingSink sink;
  EnginePtr engine = NewConfiguredEngine(&sink);
  const CIInput input = InputFor(Clip());
  const CIOutput output = OutputFor(folder_.File("gone") + "/out.mkv", OutputPlan{});
  engine->AddJob(&output, &input);
  RunToEnd(*engine, 1);
  char small[12];
  std::fill(std::begin(small), std::end(small), 'x');
  EXPECT_EQ(engine->GetJobFailure(0, small, 8), kJobCannotWrite);
  EXPECT_EQ(std::string(small), "cannot ");
  EXPECT_EQ(small[8], 'x');
  EXPECT_EQ(engine->GetJobFailure(5, nullptr, 0), kJobNoFailure) << "a job that does not exist";
}

}  // namespace
