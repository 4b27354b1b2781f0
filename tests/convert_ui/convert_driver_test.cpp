#include <gtest/gtest.h>

#include <unistd.h>

#include <sys/stat.h>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "components/field_text.h"
#include "convert/conversion.h"
#include "convert/progress_window.h"
#include "convert/size_forecast.h"
#include "settings/catalogue.h"
#include "tests/convert_ui/convert_test_support.h"
#include "tests/tasks/task_test_support.h"

namespace {

using platform::MsgAnswer;

QString SourceFolder() {
  const char* source = std::getenv("KV_SOURCE_DIR");
  return QString::fromUtf8(source != nullptr ? source : KV_TEST_SOURCE_DIR);
}

std::string Text(const QString& text) {
  return text.toStdString();
}

// The task list with the fake probe engine, the shipped catalogue, and the scripted conversion engine.
class ConvertDriverTest : public TaskListTest, protected ConvertServices {
 public:
  // For the arrangements of the table below.
  using AppTest::Root;
  using TaskListTest::Add;
  using TaskListTest::Video;
  ConverterSettings catalogue_{context_};
  ProfileSetting portable_;  // "Portable Player (MP4 H.264 Baseline 320*240)"
  QString destination_;

 protected:
  void SetUp() override {
    TaskListTest::SetUp();
    InstallServices(app_);
    ASSERT_TRUE(QDir().mkpath(context_.productFolder + "Profile"));
    for (const char* file : {"ProfileGroup.xml", "Profile.xml"}) {
      ASSERT_TRUE(
          QFile::copy(SourceFolder() + "/data/Profile/" + file, context_.productFolder + "Profile/" + file));
    }
    catalogue_.LoadCatalogue();
    ASSERT_NE(catalogue_.FindProfile(46), nullptr);
    portable_ = *catalogue_.FindProfile(46);
    destination_ = Root("out");
  }
  void TearDown() override {
    RemoveServices();
    TaskListTest::TearDown();
  }

  ConvertOutcome Convert() { return ConvertCheckedItems(Ui(), {list_.get(), &catalogue_, destination_}); }

  // Runs `look` on the progress window once its modal loop runs.
  void WhileRunning(std::function<void(TRipDlg_Form1&)> look) {
    QTimer::singleShot(0, qApp, [look] {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<TRipDlg_Form1*>(window); form != nullptr && form->isVisible()) {
          look(*form);
        }
      }
    });
  }

  static std::string OutputOf(const ScriptedFfConverter::Job& job) {
    return std::string(FieldText(job.output.outputFile));
  }
  static std::string PathOf(const CIInput& input) { return std::string(FieldText(input.path)); }
};

TEST_F(ConvertDriverTest, NothingHappensWithoutAFolderOrACheckedItem) {
  Add(Video("a.mp4"), &portable_);

  WriteFile(Root("plain file"));
  destination_ = Root("plain file/out");
  EXPECT_FALSE(Convert().ran);
  destination_.clear();
  EXPECT_FALSE(Convert().ran);
  EXPECT_EQ(ScriptedFfConverter::created, 0);

  destination_ = Root("deep/new/out");
  list_->SetAllChecked(false);
  const ConvertOutcome outcome = Convert();
  EXPECT_FALSE(outcome.ran);
  EXPECT_TRUE(outcome.firstOutputFile.isEmpty());
  EXPECT_TRUE(QFileInfo(destination_).isDir()) << "the folder is made first, with its parents";
  EXPECT_EQ(ScriptedFfConverter::created, 0);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(ConvertDriverTest, EachCheckedItemIsAJobWithItsCatalogueProfileOrItsOwnCopy) {
  ProfileSetting stale = portable_;
  stale.FormatName = "stale copy";
  stale.Width = 1;
  Add(Video("a.mp4", 10.0), &stale);
  ProfileSetting deleted = portable_;
  deleted.ProfileId = 999;
  deleted.FormatExt = ".mkv";
  deleted.FormatName = "matroska";
  deleted.VideoCodecName = " libx265 ";
  deleted.Width = 1920;
  deleted.Height = 1080;
  Add(Video("b.mp4", 20.0), &deleted);
  Add(Video("c.mp4", 5.0), &portable_);
  Bound().SetCheckState(TopLevel()[2], CheckState::UncheckedNormal);

  const ConvertOutcome outcome = Convert();

  EXPECT_TRUE(outcome.ran);
  EXPECT_FALSE(outcome.openFolder);
  EXPECT_EQ(outcome.firstOutputFile, destination_ + "/a.mp4");
  EXPECT_EQ(ScriptedFfConverter::calls, (std::vector<std::string>{"Configure", "AddJob", "AddJob", "Start",
                                                                  "GetProgress", "GetResults"}));
  ASSERT_EQ(ScriptedFfConverter::jobs.size(), 2u);
  const auto& first = ScriptedFfConverter::jobs[0];
  EXPECT_EQ(OutputOf(first), Text(destination_ + "/a.mp4"));
  EXPECT_EQ(FieldText(first.output.FormatName), "mp4") << "the catalogue's profile, not the stale copy";
  EXPECT_EQ(first.output.Width, 320);
  EXPECT_EQ(PathOf(first.inputs[0]), Text(Root("a.mp4")));
  EXPECT_DOUBLE_EQ(first.inputs[0].clipLength, 10.0);
  const auto& second = ScriptedFfConverter::jobs[1];
  EXPECT_EQ(OutputOf(second), Text(destination_ + "/b.mkv"));
  EXPECT_EQ(FieldText(second.output.FormatName), "matroska") << "its profile left the catalogue";
  EXPECT_EQ(FieldText(second.output.VideoCodecName), "libx265");
  EXPECT_EQ(second.output.Width, 1920);
  EXPECT_EQ(FieldText(TopLevel()[1]->Item()->output.outputFile), Text(destination_ + "/b.mkv"))
      << "the item keeps its output record";
  EXPECT_EQ(FieldText(ScriptedFfConverter::setup.workFolder), Text(context_.moduleFolder));
  EXPECT_EQ(dialogs_.shown.back().text,
            "Converting 2 Files Done.\n\nSuccess 0\nFailed 2\n\n"
            "a.mp4: the conversion failed\nb.mkv: the conversion failed");
}

TEST_F(ConvertDriverTest, AMergedItemIsOneJobOfItsPartsInOrderWithTheSummedLength) {
  TaskNode* a = Add(Video("a.mp4", 10.0), &portable_);
  TaskNode* b = Add(Video("b.mp4", 20.0), &portable_);
  Add(Video("c.mp4", 5.0), &portable_);
  SelectOnly({b, a});
  TaskNode* merged = list_->MergeSelected(portable_, 3);
  ASSERT_NE(merged, nullptr);
  ASSERT_EQ(merged->ChildCount(), 2);
  Bound().SetCheckState(a, CheckState::UncheckedNormal);
  Bound().SetCheckState(b, CheckState::UncheckedNormal);
  // The parts' watermarks are measured in their own frames and go to the merged item's size.
  MuiItemInfo* firstPart = merged->ChildAt(0)->Item();
  firstPart->watermark.refWidth = 640;
  firstPart->watermark.refHeight = 480;
  firstPart->input.mark.markLeft = 64;
  firstPart->input.mark.markTop = 48;
  firstPart->input.mark.markWidth = 128;
  firstPart->input.mark.markHeight = 97;

  std::vector<double> durations;
  WhileRunning([&](TRipDlg_Form1& form) {
    for (const ItemInfoEx& job : form.Progress().Jobs()) {
      durations.push_back(job.duration);
    }
  });
  ASSERT_TRUE(Convert().ran);

  EXPECT_EQ(durations, (std::vector<double>{5.0, 30.0}));
  ASSERT_EQ(ScriptedFfConverter::jobs.size(), 2u);
  EXPECT_FALSE(ScriptedFfConverter::jobs[0].merge);
  const auto& job = ScriptedFfConverter::jobs[1];
  EXPECT_TRUE(job.merge);
  ASSERT_EQ(job.inputs.size(), 2u);
  const std::string firstPath = Text(merged->ChildAt(0)->Item()->sourcePath);
  EXPECT_EQ(PathOf(job.inputs[0]), firstPath);
  EXPECT_EQ(PathOf(job.inputs[1]), Text(merged->ChildAt(1)->Item()->sourcePath));
  EXPECT_EQ(job.inputs[0].mark.markLeft, 32);
  EXPECT_EQ(job.inputs[0].mark.markTop, 24);
  EXPECT_EQ(job.inputs[0].mark.markWidth, 64);
  EXPECT_EQ(job.inputs[0].mark.markHeight, 48);
  EXPECT_EQ(firstPart->watermark.refWidth, 320);
  EXPECT_EQ(firstPart->input.mark.markLeft, 32) << "the part keeps the rescaled rectangle";
  EXPECT_EQ(dialogs_.shown.back().text,
            "Converting 2 Files Done.\n\nSuccess 0\nFailed 2\n\n"
            "c.mp4: the conversion failed\nMerge.mp4: the conversion failed");
}

TEST_F(ConvertDriverTest, TheWatermarkFollowsTheOutputSizeAndAnEmptySizeLeavesIt) {
  TaskNode* node = Add(Video("a.mp4"), &portable_);
  MuiItemInfo* item = node->Item();
  item->watermark.enabled = true;
  item->watermark.markFile = "/pictures/logo.png";
  item->input.mark.markFile = item->watermark.markFile.c_str();
  item->watermark.refWidth = 640;
  item->watermark.refHeight = 480;
  item->input.mark = {item->input.mark.markFile, 101, 51, 201, 99, 30};

  ASSERT_TRUE(Convert().ran);
  ASSERT_EQ(ScriptedFfConverter::jobs.size(), 1u);
  const CIInput& sent = ScriptedFfConverter::jobs[0].inputs[0];
  EXPECT_EQ(sent.mark.markLeft, 50);
  EXPECT_EQ(sent.mark.markTop, 25);
  EXPECT_EQ(sent.mark.markWidth, 100);
  EXPECT_EQ(sent.mark.markHeight, 49);
  EXPECT_EQ(sent.mark.markTransparency, 30);
  EXPECT_EQ(ScriptedFfConverter::jobs[0].markFiles[0], "/pictures/logo.png");
  EXPECT_EQ(item->watermark.refWidth, 320);
  EXPECT_EQ(item->watermark.refHeight, 240);

  // Converted again to sound only: no frame to measure in, nothing changes.
  item->profile = *catalogue_.FindProfile(70);
  ASSERT_EQ(item->profile.Width, 0);
  ScriptedFfConverter::Reset();
  ASSERT_TRUE(Convert().ran);
  const CIInput& again = ScriptedFfConverter::jobs.at(0).inputs[0];
  EXPECT_EQ(again.mark.markLeft, 50);
  EXPECT_EQ(again.mark.markHeight, 49);
  EXPECT_EQ(item->watermark.refWidth, 320);
}

TEST_F(ConvertDriverTest, ProfileTextsLongerThanTheirFieldsAreCut) {
  ProfileSetting wordy = portable_;
  wordy.ProfileId = 998;
  wordy.FormatName = QString(40, u'f');
  wordy.AudioCodecName = "  " + QString(31, u'a') + QString::fromUtf8("é");
  wordy.ExtraParam = QString(700, u'x');
  Add(Video("a.mp4"), &wordy);
  ASSERT_TRUE(Convert().ran);
  const CIOutput& output = ScriptedFfConverter::jobs.at(0).output;
  EXPECT_EQ(FieldText(output.FormatName), std::string(32, 'f'));
  EXPECT_EQ(FieldText(output.AudioCodecName), std::string(31, 'a'));
  EXPECT_EQ(FieldText(output.ExtraParam), std::string(512, 'x'));
  EXPECT_EQ(output.SampleRate, wordy.SampleRate);
}

TEST_F(ConvertDriverTest, TheOpenFolderBoxAtTheCloseIsTheOutcome) {
  Add(Video("a.mp4"), &portable_);
  WhileRunning([](TRipDlg_Form1& form) { form.findChild<QCheckBox*>("cbOpenFolder")->setChecked(true); });
  const ConvertOutcome outcome = Convert();
  EXPECT_TRUE(outcome.ran);
  EXPECT_TRUE(outcome.openFolder);
  EXPECT_TRUE(dialogs_.shown.empty()) << "the folder opens instead of the summary";
}

TEST_F(ConvertDriverTest, AnOutputPathTooLongForTheRecordIsRefusedNotCut) {
  destination_ = Root(QString(250, u'd') + "/" + QString(250, u'e'));
  Add(Video("a.mp4"), &portable_);
  const ConvertOutcome outcome = Convert();
  EXPECT_FALSE(outcome.ran);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_TRUE(dialogs_.shown[0].text.startsWith("The output path is too long, so a.mp4 is not converted:"));
  EXPECT_EQ(dialogs_.shown[0].caption, "Convert");
  EXPECT_EQ(ScriptedFfConverter::Count("Start"), 0);
}

// How the destination meets the sources: each case leaves an item whose output would be a source.
struct OverwriteCase {
  const char* name;
  std::function<void(ConvertDriverTest&)> arrange;
};

void PrintTo(const OverwriteCase& c, std::ostream* os) {
  *os << c.name;
}

class SourceOverwriteTest : public ConvertDriverTest, public ::testing::WithParamInterface<OverwriteCase> {};

TEST_P(SourceOverwriteTest, NoJobWritesOverASourceEvenWhenTheUserSaysReplace) {
  GetParam().arrange(*this);
  for (int i = 0; i < 4; ++i) {
    dialogs_.answers.push_back(MsgAnswer::Yes);
  }
  ASSERT_TRUE(Convert().ran);

  // Every source, by what the file system says it is.
  std::set<std::pair<dev_t, ino_t>> sources;
  for (TaskNode* node : TopLevel()) {
    struct stat info {};
    ASSERT_EQ(::stat(node->Item()->sourcePath.toLocal8Bit().constData(), &info), 0);
    sources.insert({info.st_dev, info.st_ino});
  }
  std::set<std::string> outputs;
  for (const auto& job : ScriptedFfConverter::jobs) {
    const std::string output = OutputOf(job);
    EXPECT_TRUE(outputs.insert(output).second) << "two jobs write " << output;
    struct stat info {};
    if (::stat(output.c_str(), &info) == 0) {
      EXPECT_EQ(sources.count({info.st_dev, info.st_ino}), 0u) << output << " is a source";
    }
  }
  for (const auto& shown : dialogs_.shown) {
    EXPECT_FALSE(shown.text.endsWith(" exists, replace it?")) << "a source is never offered for replacing";
  }
  ASSERT_GE(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[0].text,
            "a.mp4 is one of the files being converted, so it cannot be replaced.\n"
            "The converted file is saved as a_0.mp4 instead.");
  EXPECT_EQ(dialogs_.shown[0].caption, "Convert");
  EXPECT_EQ(OutputOf(ScriptedFfConverter::jobs[0]), Text(destination_ + "/a_0.mp4"));
}

const OverwriteCase kOverwriteCases[] = {
    {"same_path",
     [](ConvertDriverTest& t) {
       t.destination_ = t.Root("src");
       t.Add(t.Video("src/a.mp4"), &t.portable_);
     }},
    {"through_a_linked_folder",
     [](ConvertDriverTest& t) {
       t.Add(t.Video("src/a.mp4"), &t.portable_);
       ASSERT_TRUE(QFile::link(t.Root("src"), t.Root("linked")));
       t.destination_ = t.Root("linked");
     }},
    {"a_link_to_the_source",
     [](ConvertDriverTest& t) {
       t.Add(t.Video("src/a.mp4"), &t.portable_);
       ASSERT_TRUE(QDir().mkpath(t.destination_));
       ASSERT_TRUE(QFile::link(t.Root("src/a.mp4"), t.destination_ + "/a.mp4"));
     }},
    {"a_hard_link_to_the_source",
     [](ConvertDriverTest& t) {
       t.Add(t.Video("src/a.mp4"), &t.portable_);
       ASSERT_TRUE(QDir().mkpath(t.destination_));
       ASSERT_EQ(::link(t.Root("src/a.mp4").toLocal8Bit().constData(),
                        (t.destination_ + "/a.mp4").toLocal8Bit().constData()),
                 0);
     }},
    {"the_source_of_another_job",
     [](ConvertDriverTest& t) {
       t.Add(t.Video("src/a.mp4"), &t.portable_);
       // Read from the destination by a later job, which writes under a name of its own.
       t.Add(t.Video("out/a.mp4"), &t.portable_);
     }},
};
INSTANTIATE_TEST_SUITE_P(Sources, SourceOverwriteTest, ::testing::ValuesIn(kOverwriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConvertDriverTest, AnExistingFileThatIsNoSourceIsReplacedOrAvoidedAsTheUserSays) {
  WriteFile(destination_ + "/a.mp4", "an older conversion");
  WriteFile(destination_ + "/b.mp4", "another older conversion");
  Add(Video("src/a.mp4"), &portable_);
  Add(Video("src/b.mp4"), &portable_);
  dialogs_.answers = {MsgAnswer::Yes, MsgAnswer::No};
  ASSERT_TRUE(Convert().ran);

  ASSERT_GE(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[0].text, "a.mp4 exists, replace it?");
  EXPECT_EQ(dialogs_.shown[1].text, "b.mp4 exists, replace it?");
  ASSERT_EQ(ScriptedFfConverter::jobs.size(), 2u);
  EXPECT_EQ(OutputOf(ScriptedFfConverter::jobs[0]), Text(destination_ + "/a.mp4"));
  EXPECT_EQ(OutputOf(ScriptedFfConverter::jobs[1]), Text(destination_ + "/b_0.mp4"));
}

TEST_F(ConvertDriverTest, ADeclinedNameNeverTakesTheNameAnotherJobWrites) {
  WriteFile(destination_ + "/a.mp4", "an older conversion");
  Add(Video("src/a.mp4"), &portable_);
  TaskNode* second = Add(Video("src/other.mp4"), &portable_);
  second->Item()->SetOutputName("a_0.mp4");
  dialogs_.answers = {MsgAnswer::No};
  ASSERT_TRUE(Convert().ran);

  ASSERT_EQ(ScriptedFfConverter::jobs.size(), 2u);
  EXPECT_EQ(OutputOf(ScriptedFfConverter::jobs[0]), Text(destination_ + "/a_1.mp4"));
  EXPECT_EQ(OutputOf(ScriptedFfConverter::jobs[1]), Text(destination_ + "/a_0.mp4"));
}

TEST_F(ConvertDriverTest, TooLittleFreeSpaceIsToldWithBothFiguresAndTheUserMayGoOnOrNot) {
  Add(Video("a.mp4", 100.0), &portable_);
  Add(Video("b.mp4", 100.0), &portable_);
  std::vector<QString> asked;
  int64_t free = 5'000'000;  // less than the two outputs of the portable player's 640 kbps need
  const auto convert = [&] {
    ConversionRequest request{list_.get(), &catalogue_, destination_};
    request.freeSpace = [&](const QString& folder) {
      asked.push_back(folder);
      return free;
    };
    return ConvertCheckedItems(Ui(), request);
  };

  dialogs_.answers = {MsgAnswer::No};
  const ConvertOutcome declined = convert();
  EXPECT_FALSE(declined.ran);
  EXPECT_TRUE(declined.firstOutputFile.isEmpty()) << "nothing is remembered of a batch that did not run";
  EXPECT_EQ(ScriptedFfConverter::created, 0);
  EXPECT_EQ(asked, std::vector<QString>{destination_});
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  // The portable player's 512 kbps of picture over 200 s (the fake media is silent): about 13 MB and
  // what its encoder runs over.
  const QRegularExpression warning(
      "^The converted files need about 1[3-6]\\.\\d MB, but (.+) has only 5\\.00 MB free\\.\n\nConvert "
      "anyway\\?$");
  const QRegularExpressionMatch match = warning.match(dialogs_.shown[0].text);
  ASSERT_TRUE(match.hasMatch()) << dialogs_.shown[0].text.toStdString();
  EXPECT_EQ(match.captured(1), destination_);
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::MsgButtons::YesNo);

  dialogs_.answers = {MsgAnswer::Yes};
  EXPECT_TRUE(convert().ran);
  EXPECT_EQ(ScriptedFfConverter::jobs.size(), 2u);

  dialogs_.shown.clear();
  free = 1'000'000'000;
  EXPECT_TRUE(convert().ran);
  ASSERT_FALSE(dialogs_.shown.empty());
  EXPECT_TRUE(dialogs_.shown.front().text.startsWith("Converting 2 Files Done.")) << "no warning with room";
}

}  // namespace
