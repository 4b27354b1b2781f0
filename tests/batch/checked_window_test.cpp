#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "components/i_ff_preview.h"
#include "components/text_utf.h"
#include "convert/progress_window.h"
#include "engines/ffengine/ff_preview.h"
#include "tests/app/app_test_env.h"
#include "tests/convert_engine/media_maker.h"
#include "tests/convert_ui/convert_test_support.h"

namespace {

using Step = ScriptedFfConverter::Step;

// One job of the window: what the engine is told, and what the test leaves at its output path.
struct JobPlan {
  std::string name;    // output file name
  double clipLength;   // the job's length
  bool wantAudio;      // the profile names an audio codec and the source has sound
  double madeSeconds;  // the file left there; 0 = none
  bool madeAudio;      // with sound
  bool cutInHalf;      // its bytes cut in half after writing, as a crash mid-write leaves it
};

// The progress window judging its batch with the scripted engine and the real media engine probing
// what the test left at the outputs.
class CheckedWindowTest : public AppTest, protected ConvertServices {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    InstallServices(app_);
    ASSERT_TRUE(QDir().mkpath(context_.productFolder));
    ASSERT_TRUE(QDir().mkpath(Root("out")));
  }
  void TearDown() override {
    form_.reset();
    RemoveServices();
    AppTest::TearDown();
  }

  std::string Out(const std::string& name) const { return Root("out").toStdString() + "/" + name; }

  // Makes the files, opens the window with one job each and runs it to the end the engine reports,
  // with `results` as the engine's results.
  void RunBatch(const std::vector<JobPlan>& jobs, std::vector<int32_t> results) {
    form_ = std::make_unique<TRipDlg_Form1>(Ui(), nullptr, Clock());
    form_->Configure(context_.moduleFolder);
    for (const JobPlan& job : jobs) {
      if (job.madeSeconds > 0) {
        media_maker::ClipPlan plan;
        plan.format = "matroska";
        plan.width = 160;
        plan.height = 120;
        plan.seconds = job.madeSeconds;
        plan.channels = job.madeAudio ? 2 : 0;
        std::string error;
        ASSERT_TRUE(media_maker::MakeClip(Out(job.name), plan, &error)) << error;
        if (job.cutInHalf) {
          std::filesystem::resize_file(Out(job.name), std::filesystem::file_size(Out(job.name)) / 2);
        }
      }
      CIOutput output{};
      CopyTextToField(output.outputFile, sizeof output.outputFile, Out(job.name));
      CopyTextToField(output.VideoCodecName, sizeof output.VideoCodecName, "libx264");
      if (job.wantAudio) {
        CopyTextToField(output.AudioCodecName, sizeof output.AudioCodecName, "aac");
      }
      CIInput input{};
      input.clipLength = job.clipLength;
      input.videoId = 0;
      input.audioId = 1;
      input.media.videoCount = 1;
      input.media.audioCount = 1;
      form_->AddJob(output, input);
    }
    ScriptedFfConverter::results = std::move(results);
    form_->show();
    QCoreApplication::processEvents();
    ScriptedFfConverter::steps.push_back({kConvertRunning, 1.0, 0, {"job 1\n"}, {}});
    form_->ProgTimer2Timer();
    ScriptedFfConverter::steps.push_back({kConvertFinished, 0.0, 0, {}, {}});
    form_->ProgTimer2Timer();
    ASSERT_TRUE(form_->Closed());
  }

  QString Summary() const { return dialogs_.shown.empty() ? QString() : dialogs_.shown.back().text; }
  QString Label(const char* name) const {
    const auto* label = form_->findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QString();
  }
  QByteArray Log() const {
    QFile file(Root("home/.local/share/Tolvermax Studio/Video Converter/logs.log"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  AutoReg probe_{kFfPreviewName, &CreateFfPreview};
  std::unique_ptr<TRipDlg_Form1> form_;
};

TEST_F(CheckedWindowTest, AShortOutputAndOneWithoutItsAudioFailWithTheirReasonsInTheLogAndTheSummary) {
  RunBatch({{"good.mkv", 4.0, true, 4.0, true, false},
            {"short.mkv", 4.0, true, 2.0, true, false},
            {"silent.mkv", 4.0, true, 4.0, false, false}},
           {1, 1, 1});

  EXPECT_EQ(Summary(),
            "Converting 3 Files Done.\n\nSuccess 1\nFailed 2\n\n"
            "short.mkv: the output lasts 2.0 s instead of 4.0 s\n"
            "silent.mkv: the output has no audio");
  const QByteArray log = Log();
  EXPECT_TRUE(log.startsWith("job 1\n")) << "the engine's log comes first";
  EXPECT_TRUE(log.contains(("output check: \"" + Out("good.mkv") + "\" passed\n").c_str()))
      << log.toStdString();
  EXPECT_TRUE(log.contains(
      ("output check: \"" + Out("short.mkv") + "\" failed: the output lasts 2.0 s instead of 4.0 s\n")
          .c_str()))
      << log.toStdString();
  EXPECT_TRUE(
      log.contains(("output check: \"" + Out("silent.mkv") + "\" failed: the output has no audio\n").c_str()))
      << log.toStdString();
  for (const char* name : {"good.mkv", "short.mkv", "silent.mkv"}) {
    EXPECT_TRUE(std::filesystem::exists(Out(name))) << name << ": a failed output stays where it is";
  }
  EXPECT_EQ(Label("lblAllProg"), "33%") << "only the outputs that passed count as converted";
}

TEST_F(CheckedWindowTest, AnOutputCutShortInTheMiddleOfAnMp4CannotBeRead) {
  const std::string path = Out("cut.mp4");
  media_maker::ClipPlan plan;
  plan.format = "mp4";
  plan.width = 160;
  plan.height = 120;
  plan.seconds = 4.0;
  ASSERT_TRUE(media_maker::MakeClip(path, plan));
  std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
  RunBatch({{"cut.mp4", 4.0, true, 0.0, false, false}}, {1});
  EXPECT_EQ(Summary(),
            "Converting 1 Files Done.\n\nSuccess 0\nFailed 1\n\ncut.mp4: the output cannot be read");
  EXPECT_TRUE(Log().contains(("output check: \"" + path + "\" failed: the output cannot be read\n").c_str()));
  EXPECT_EQ(Label("lblCurProg"), "25%") << "the position last shown, not the whole job";
  EXPECT_EQ(Label("lblLength"), "00:00:01 / 00:00:04");
}

TEST_F(CheckedWindowTest, TheDesignedSummaryStandsAloneWhenEveryOutputPasses) {
  RunBatch({{"a.mkv", 2.0, true, 2.0, true, false}, {"b.mkv", 3.0, false, 3.0, false, false}}, {1, 1});
  EXPECT_EQ(Summary(), "Converting 2 Files Done.\n\nSuccess 2\nFailed 0");
  EXPECT_EQ(Label("lblAllProg"), "100%");
  EXPECT_EQ(Label("lblCurProg"), "100%");
}

struct EngineFailureCase {
  const char* name;
  int32_t kind;
  const char* engineReason;
  const char* shown;
};

void PrintTo(const EngineFailureCase& c, std::ostream* os) {
  *os << c.name;
}

class EngineFailureWindowTest : public CheckedWindowTest,
                                public ::testing::WithParamInterface<EngineFailureCase> {};

TEST_P(EngineFailureWindowTest, TheSummaryNamesTheJobAndWhyTheEngineFailedIt) {
  const EngineFailureCase& c = GetParam();
  ScriptedFfConverter::failures = {{kJobNoFailure, ""}, {c.kind, c.engineReason}};
  RunBatch({{"ok.mkv", 2.0, true, 2.0, true, false}, {"failed.mkv", 10.0, true, 0.0, false, false}}, {1, 0});
  EXPECT_EQ(Summary(), QString("Converting 2 Files Done.\n\nSuccess 1\nFailed 1\n\nfailed.mkv: ") + c.shown);
  EXPECT_FALSE(Log().contains(("output check: \"" + Out("failed.mkv")).c_str()))
      << "an output the engine failed is not probed";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EngineFailureWindowTest,
    ::testing::Values(EngineFailureCase{"NoSpace", kJobNoSpace,
                                        "cannot write the output: No space left on device",
                                        "no space left on the device"},
                      EngineFailureCase{"CannotWrite", kJobCannotWrite,
                                        "cannot write into the folder of \"/ro/a.mkv\"",
                                        "cannot write to this folder"},
                      EngineFailureCase{"EnginesWords", kJobFailed, "no video encoder \"libfoo\"",
                                        "no video encoder \"libfoo\""},
                      EngineFailureCase{"Unknown", kJobNoFailure, "", "the conversion failed"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CheckedWindowTest, AJobThatFailedAtOnceDoesNotShowAsConverted) {
  form_ = std::make_unique<TRipDlg_Form1>(Ui(), nullptr, Clock());
  form_->Configure(context_.moduleFolder);
  CIOutput output{};
  CopyTextToField(output.outputFile, sizeof output.outputFile, Out("never.mkv"));
  CIInput input{};
  input.clipLength = 10.0;
  form_->AddJob(output, input);
  ScriptedFfConverter::results = {0};
  ScriptedFfConverter::failures = {{kJobCannotWrite, ""}};
  form_->show();
  QCoreApplication::processEvents();
  ScriptedFfConverter::steps.push_back({kConvertFinished, 0.0, 0, {}, {}});
  form_->ProgTimer2Timer();
  ASSERT_TRUE(form_->Closed());
  EXPECT_EQ(Label("lblCurProg"), "0%");
  EXPECT_EQ(Label("lblAllProg"), "0%");
  EXPECT_EQ(Label("lblLength"), "00:00:00 / 00:00:10");
  EXPECT_EQ(Summary(),
            "Converting 1 Files Done.\n\nSuccess 0\nFailed 1\n\nnever.mkv: cannot write to this folder");
}

}  // namespace
