#include "convert/progress_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QtEndian>
#include <memory>
#include <string>
#include <vector>

#include "base/qt_text.h"
#include "components/field_text.h"
#include "components/text_utf.h"
#include "tests/app/app_test_env.h"
#include "tests/convert_ui/convert_test_support.h"
#include "widgets/ssbutton.h"
#include "widgets/tskinprocess.h"

namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;
using Step = ScriptedFfConverter::Step;

const QString kStopQuestion = QStringLiteral("Are your sure to stop the conversion?");

class RipDlgTest : public AppTest, protected ConvertServices {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    InstallServices(app_);
    ASSERT_TRUE(QDir().mkpath(context_.productFolder));
  }
  void TearDown() override {
    form_.reset();
    RemoveServices();
    AppTest::TearDown();
  }

  // A window with one job per duration, writing "/out/job<n>.mp4".
  TRipDlg_Form1& Open(const std::vector<double>& durations) {
    form_ = std::make_unique<TRipDlg_Form1>(Ui(), nullptr, Clock());
    form_->Configure(context_.moduleFolder);
    for (size_t i = 0; i < durations.size(); ++i) {
      CIOutput output{};
      const std::string path = "/out/job" + std::to_string(i) + ".mp4";
      CopyTextToField(output.outputFile, sizeof output.outputFile, path);
      CIInput input{};
      input.clipLength = durations[i];
      form_->AddJob(output, input);
    }
    return *form_;
  }

  // Shows the window and lets the engine start, as the modal loop would.
  void Show() {
    form_->show();
    QCoreApplication::processEvents();
  }

  // One timer tick answered by `step`.
  void Tick(const Step& step) {
    ScriptedFfConverter::steps.push_back(step);
    form_->ProgTimer2Timer();
  }
  void Running(double position, int32_t index = 0) { Tick({kConvertRunning, position, index, {}, {}}); }

  template <class T>
  T* Control(const char* name) const {
    T* control = form_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QString Text(const char* name) const { return Control<QLabel>(name)->text(); }

  std::vector<QString> Messages() const {
    std::vector<QString> texts;
    for (const auto& shown : dialogs_.shown) {
      texts.push_back(shown.text);
    }
    return texts;
  }

  // The log is the program's writing: the user's copy, never the product folder's.
  QString LogPath() const { return Root("home/.local/share/Tolvermax Studio/Video Converter/logs.log"); }

  std::unique_ptr<TRipDlg_Form1> form_;
};

TEST_F(RipDlgTest, OpensWithTheDesignedTextsAndStartsTheEngineWhenShown) {
  TRipDlg_Form1& form = Open({10.0, 20.0});
  EXPECT_EQ(Text("lblTitle"), "Converting");
  EXPECT_EQ(Text("TntLabel2"), "Elapsed time:");
  EXPECT_EQ(Text("TntLabel5"), "/ Remaining time:");
  EXPECT_EQ(Text("TntLabel3"), "Converted length of the current file:");
  EXPECT_EQ(Text("lblPreview"), "Show Preview");
  EXPECT_EQ(Text("lblShutDown"), "Shut down computer when conversion completed");
  EXPECT_EQ(Text("lblOpenFolder"), "Open output folder when conversion completed");
  EXPECT_TRUE(Control<QCheckBox>("cbPreview")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>("cbShutDown")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>("cbOpenFolder")->isChecked());
  EXPECT_TRUE(Control<TssSkinButton>("ssSBContinue")->isHidden());
  EXPECT_EQ(Control<TssSkinButton>("ssSBContinue")->geometry(),
            Control<TssSkinButton>("ssSBPause")->geometry());
  // Each value 5 pixels right of its caption.
  const auto gap = [&](const char* caption, const char* value) {
    const QLabel* c = Control<QLabel>(caption);
    return Control<QLabel>(value)->x() - (c->x() + c->width());
  };
  EXPECT_EQ(gap("TntLabel2", "lblPassed"), 5);
  EXPECT_EQ(gap("lblPassed", "TntLabel5"), 5);
  EXPECT_EQ(gap("TntLabel5", "lblRemaining"), 5);
  EXPECT_EQ(gap("TntLabel3", "lblLength"), 5);

  // What the engine was set up with, before any job.
  EXPECT_EQ(ScriptedFfConverter::calls, (std::vector<std::string>{"Configure", "AddJob", "AddJob"}));
  const CISetup& setup = ScriptedFfConverter::setup;
  EXPECT_EQ(FieldText(setup.workFolder), context_.moduleFolder.toStdString());
  EXPECT_EQ(setup.showPreview, 1);
  EXPECT_EQ(setup.previewWidth, 320) << "the stock 312 x 232 picture is not 4:3";
  EXPECT_EQ(setup.previewHeight, 240);
  EXPECT_EQ(setup.events, static_cast<FfConvertEvent*>(&form));

  Show();
  EXPECT_EQ(ScriptedFfConverter::Count("Start"), 1);
  EXPECT_TRUE(Control<QTimer>("ProgTimer2")->isActive());
  EXPECT_EQ(Control<QTimer>("ProgTimer2")->interval(), 200);
  EXPECT_EQ(Text("lblTaskIndex"), "[1/2]");
  EXPECT_EQ(Text("lblBanner"), "Creating File: job0.mp4");
  EXPECT_EQ(Text("lblLength"), "00:00:00 / 00:00:10");
  EXPECT_EQ(form.windowTitle(), "0% Converting");
  EXPECT_FALSE(form.Closed());
}

TEST_F(RipDlgTest, TheShutdownBoxStartsFromTheStoredPreference) {
  const struct {
    const char* stored;  // null: not stored at all
    bool ticked;
  } cases[] = {{nullptr, false}, {"0", false}, {"1", true}, {"2", false}, {"yes", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored != nullptr ? c.stored : "unset");
    const QString path = context_.productFolder + "Profile/preferences.xml";
    QFile::remove(path);
    if (c.stored != nullptr) {
      PlugPtr<I_SaveOptionXml> store;
      ASSERT_TRUE(CreateInto(store, kSaveOptionXmlName));
      store->SetString(u"general\\after_ripping_done", U16(QString::fromLatin1(c.stored)));
      ASSERT_TRUE(QDir().mkpath(context_.productFolder + "Profile"));
      ASSERT_TRUE(store->SaveAs(U16(path)));
    }
    Open({10.0});
    EXPECT_EQ(Control<QCheckBox>("cbShutDown")->isChecked(), c.ticked);
  }
}

enum class End { EngineStopped, UserStopped, Finished, Abnormal, StartFails };

struct EndCase {
  const char* name;
  End end;
  bool shutDownTicked;
  bool openFolderTicked;
  std::vector<QString> messages;  // every message box, in order
  MsgIcon lastIcon;
  bool countdown;
};

void PrintTo(const EndCase& c, std::ostream* os) {
  *os << c.name;
}

// The design's text, with the failed job named below it.
const QString kSummary =
    QStringLiteral("Converting 2 Files Done.\n\nSuccess 1\nFailed 1\n\njob1.mp4: the conversion failed");

class EndDecisionTest : public RipDlgTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(EndDecisionTest, TheEndShowsWhatTheStatusAndTheBoxesCallFor) {
  const EndCase& c = GetParam();
  TRipDlg_Form1& form = Open({10.0, 10.0});
  Control<QCheckBox>("cbShutDown")->setChecked(c.shutDownTicked);
  Control<QCheckBox>("cbOpenFolder")->setChecked(c.openFolderTicked);
  ScriptedFfConverter::startResult = c.end != End::StartFails;
  ScriptedFfConverter::results = {1, 0};

  Show();
  if (c.end != End::StartFails) {
    ASSERT_FALSE(form.Closed());
    Running(3.0);
    CancelCountdownWhenShown(&form);
    switch (c.end) {
      case End::EngineStopped:
        Tick({kConvertStopped, 0.0, 0, {}, {}});
        break;
      case End::UserStopped:
        dialogs_.answers.push_back(MsgAnswer::Yes);
        Control<TssSkinButton>("ssSBStop")->OnClick();
        break;
      case End::Finished:
        Tick({kConvertFinished, 0.0, 0, {}, {}});
        break;
      case End::Abnormal:
        Tick({-7, 0.0, 0, {}, {}});
        break;
      case End::StartFails:
        break;
    }
  }

  EXPECT_TRUE(form.Closed());
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(Control<QTimer>("ProgTimer2")->isActive());
  EXPECT_EQ(Messages(), c.messages);
  for (const auto& shown : dialogs_.shown) {
    EXPECT_EQ(shown.caption, "Convert");
  }
  if (!dialogs_.shown.empty()) {
    EXPECT_EQ(dialogs_.shown.back().icon, c.lastIcon);
  }
  EXPECT_EQ(countdownSeen_, c.countdown);
  EXPECT_EQ(shutdown_.powerOffCalls, 0);
  const bool ended = c.end == End::Finished || c.end == End::Abnormal;
  EXPECT_EQ(ScriptedFfConverter::Count("GetResults"), ended ? 1 : 0);
  EXPECT_EQ(ScriptedFfConverter::Count("Stop"), c.end == End::UserStopped ? 1 : 0);
  // After the user's Stop the engine is polled once more, until it has cleaned up.
  EXPECT_EQ(ScriptedFfConverter::Count("GetProgress"), c.end == End::StartFails ? 0 : 2);
  EXPECT_EQ(ScriptedFfConverter::alive, 0) << "the engine goes with the window";
  // The driver opens the folder whenever the box is ticked at the close, also after a cancelled
  // countdown.
  EXPECT_EQ(form.OpenFolderChecked(), c.openFolderTicked);

  // Nothing more is asked of a released engine.
  form.ProgTimer2Timer();
  EXPECT_EQ(ScriptedFfConverter::steps.size(), 0u);
}

const EndCase kEndCases[] = {
    {"engine_stopped", End::EngineStopped, true, true, {}, MsgIcon::None, false},
    {"user_stopped", End::UserStopped, true, false, {kStopQuestion}, MsgIcon::Information, false},
    {"finished_with_shutdown", End::Finished, true, true, {}, MsgIcon::None, true},
    {"finished_with_open_folder_only", End::Finished, false, true, {}, MsgIcon::None, false},
    {"finished_with_neither", End::Finished, false, false, {kSummary}, MsgIcon::Information, false},
    {"abnormal_end_with_shutdown", End::Abnormal, true, false, {kSummary}, MsgIcon::Information, false},
    {"start_fails",
     End::StartFails,
     true,
     false,
     {QStringLiteral("Fail to start conversion")},
     MsgIcon::Error,
     false},
};
INSTANTIATE_TEST_SUITE_P(Ends, EndDecisionTest, ::testing::ValuesIn(kEndCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RipDlgTest, PercentagesNeverPassAHundredAndTheTitleCarriesTheBatch) {
  TRipDlg_Form1& form = Open({100.0});
  Show();
  Running(37.6);
  EXPECT_EQ(Text("lblCurProg"), "37%");
  EXPECT_EQ(Control<TSkinProcess>("SkinProcess1")->Model().FillWidth(),
            Control<TSkinProcess>("SkinProcess1")->width() * 37 / 100);
  EXPECT_EQ(form.windowTitle(), "37% Converting");

  Running(250.0);
  EXPECT_EQ(Text("lblCurProg"), "100%");
  EXPECT_EQ(Text("lblAllProg"), "100%");
  // The bars fill their whole width, no further.
  for (const char* name : {"SkinProcess1", "SkinProcess2"}) {
    const TSkinProcess* bar = Control<TSkinProcess>(name);
    EXPECT_EQ(bar->Model().FillWidth(), bar->width()) << name;
  }
  EXPECT_EQ(form.windowTitle(), "100% Converting");
  EXPECT_EQ(Text("lblLength"), "00:04:10 / 00:01:40");
}

TEST_F(RipDlgTest, ASkipFromTheFirstToTheThirdJobAddsOnlyTheFirstJobsDuration) {
  TRipDlg_Form1& form = Open({10.0, 20.0, 30.0});
  Show();
  Running(5.0, 0);
  Running(0.0, 2);
  EXPECT_DOUBLE_EQ(form.Progress().DoneDuration(), 10.0);
  EXPECT_EQ(Text("lblTaskIndex"), "[3/3]");
  EXPECT_EQ(Text("lblBanner"), "Creating File: job2.mp4");
  EXPECT_EQ(Text("lblAllProg"), "16%");

  // A report of an earlier job changes nothing.
  Running(4.0, 1);
  EXPECT_EQ(Text("lblTaskIndex"), "[3/3]");
  EXPECT_DOUBLE_EQ(form.Progress().DoneDuration(), 10.0);
}

TEST_F(RipDlgTest, TimesStandStillWhilePausedOrAtPositionZero) {
  Open({20.0});
  Show();
  now_ += 10;
  Running(0.0);
  EXPECT_EQ(Text("lblPassed"), "00:00:00");
  Running(5.0);
  EXPECT_EQ(Text("lblPassed"), "00:00:10");
  EXPECT_EQ(Text("lblRemaining"), "00:00:30");

  Control<TssSkinButton>("ssSBPause")->OnClick();
  EXPECT_TRUE(Control<TssSkinButton>("ssSBPause")->isHidden());
  EXPECT_FALSE(Control<TssSkinButton>("ssSBContinue")->isHidden());
  now_ += 30;
  Running(6.0);
  EXPECT_EQ(Text("lblPassed"), "00:00:10");
  EXPECT_EQ(Text("lblRemaining"), "00:00:30");

  Control<TssSkinButton>("ssSBContinue")->OnClick();
  EXPECT_FALSE(Control<TssSkinButton>("ssSBPause")->isHidden());
  now_ += 2;
  Running(10.0);
  EXPECT_EQ(Text("lblPassed"), "00:00:12") << "the 30 paused seconds are left out";
  EXPECT_EQ(Text("lblRemaining"), "00:00:12");
  EXPECT_EQ(ScriptedFfConverter::Count("Pause"), 1);
  EXPECT_EQ(ScriptedFfConverter::Count("Resume"), 1);
}

TEST_F(RipDlgTest, TimeSpentInTheStopQuestionCountsAsPausedOnNo) {
  TRipDlg_Form1& form = Open({100.0});
  Show();
  now_ += 10;
  Running(5.0);
  ASSERT_EQ(Text("lblPassed"), "00:00:10");

  std::vector<std::string> callsDuringQuestion;
  dialogs_.onMessage = [&](const ScriptedDialogs::Shown&) {
    callsDuringQuestion = ScriptedFfConverter::calls;
    now_ += 40;
    // The timer must not end the conversion underneath the question.
    ScriptedFfConverter::steps.push_back({kConvertFinished, 0.0, 0, {}, {}});
    form.ProgTimer2Timer();
  };
  dialogs_.answers.push_back(MsgAnswer::No);
  Control<TssSkinButton>("ssSBStop")->OnClick();
  dialogs_.onMessage = nullptr;
  ScriptedFfConverter::steps.clear();

  ASSERT_FALSE(callsDuringQuestion.empty());
  EXPECT_EQ(callsDuringQuestion.back(), "Pause") << "the engine waits while the user reads";
  EXPECT_EQ(ScriptedFfConverter::calls.back(), "Resume");
  EXPECT_FALSE(form.Closed());
  EXPECT_EQ(dialogs_.shown.back().buttons, MsgButtons::YesNo);

  now_ += 5;
  Running(10.0);
  EXPECT_EQ(Text("lblPassed"), "00:00:15");
}

TEST_F(RipDlgTest, DecliningToStopAPausedConversionLeavesItPaused) {
  TRipDlg_Form1& form = Open({100.0});
  Show();
  now_ += 10;
  Running(5.0);
  Control<TssSkinButton>("ssSBPause")->OnClick();
  now_ += 20;
  dialogs_.answers.push_back(MsgAnswer::No);
  Control<TssSkinButton>("ssSBClose")->OnClick();

  EXPECT_EQ(Messages(), std::vector<QString>{kStopQuestion});
  EXPECT_EQ(ScriptedFfConverter::Count("Pause"), 1) << "already paused";
  EXPECT_EQ(ScriptedFfConverter::Count("Resume"), 0);
  EXPECT_FALSE(Control<TssSkinButton>("ssSBContinue")->isHidden());
  EXPECT_FALSE(form.Closed());

  now_ += 10;
  Control<TssSkinButton>("ssSBContinue")->OnClick();
  Running(6.0);
  EXPECT_EQ(Text("lblPassed"), "00:00:10") << "paused from the Pause click until Continue";
}

TEST_F(RipDlgTest, EscapeAsksLikeStop) {
  TRipDlg_Form1& form = Open({10.0});
  Show();
  dialogs_.answers.push_back(MsgAnswer::No);
  form.reject();
  EXPECT_EQ(Messages(), std::vector<QString>{kStopQuestion});
  EXPECT_FALSE(form.Closed());
  dialogs_.answers.push_back(MsgAnswer::Yes);
  form.reject();
  EXPECT_TRUE(form.Closed());
  EXPECT_EQ(ScriptedFfConverter::Count("Stop"), 1);
}

TEST_F(RipDlgTest, ShowPreviewTogglesTheEngineAndThePictureAndLabelsToggleTheirBoxes) {
  TRipDlg_Form1& form = Open({10.0});
  Show();
  QLabel* picture = Control<QLabel>("ImagePreview");
  auto* preview = Control<QCheckBox>("cbPreview");
  ASSERT_TRUE(picture->isVisibleTo(&form));

  preview->click();
  EXPECT_FALSE(preview->isChecked());
  EXPECT_FALSE(picture->isVisibleTo(&form));
  EXPECT_EQ(ScriptedFfConverter::Count("TogglePreview"), 1);

  QTest::mouseClick(Control<QLabel>("lblPreview"), Qt::LeftButton);
  EXPECT_TRUE(preview->isChecked());
  EXPECT_TRUE(picture->isVisibleTo(&form));
  EXPECT_EQ(ScriptedFfConverter::Count("TogglePreview"), 2);

  QTest::mouseClick(Control<QLabel>("lblShutDown"), Qt::LeftButton);
  EXPECT_TRUE(Control<QCheckBox>("cbShutDown")->isChecked());
  QTest::mouseClick(Control<QLabel>("lblOpenFolder"), Qt::LeftButton);
  EXPECT_TRUE(Control<QCheckBox>("cbOpenFolder")->isChecked());
  QTest::mouseClick(Control<QLabel>("lblOpenFolder"), Qt::LeftButton);
  EXPECT_FALSE(Control<QCheckBox>("cbOpenFolder")->isChecked());
  EXPECT_EQ(ScriptedFfConverter::Count("TogglePreview"), 2) << "only the preview box reaches the engine";
}

TEST_F(RipDlgTest, PreviewFramesLandInATopDownBitmapOfThePreviewSize) {
  TRipDlg_Form1& form = Open({10.0});
  form.OnPreviewFrame("\x01\x02\x03", 3);  // before the start there is no picture to write into
  Show();

  const QByteArray& bitmap = form.PreviewBuffer();
  ASSERT_EQ(bitmap.size(), 54 + 320 * 240 * 3);
  const auto* header = reinterpret_cast<const uchar*>(bitmap.constData());
  EXPECT_EQ(bitmap.left(2), "BM");
  EXPECT_EQ(qFromLittleEndian<quint32>(header + 2), static_cast<quint32>(bitmap.size()));
  EXPECT_EQ(qFromLittleEndian<quint32>(header + 10), 54u);
  EXPECT_EQ(qFromLittleEndian<quint32>(header + 14), 40u);
  EXPECT_EQ(qFromLittleEndian<qint32>(header + 18), 320);
  EXPECT_EQ(qFromLittleEndian<qint32>(header + 22), -240) << "rows top-down";
  EXPECT_EQ(qFromLittleEndian<quint16>(header + 26), 1);
  EXPECT_EQ(qFromLittleEndian<quint16>(header + 28), 24);
  EXPECT_EQ(qFromLittleEndian<quint32>(header + 30), 0u) << "no compression";

  // The top row red, the rest blue; bytes in bitmap order (blue, green, red).
  std::vector<uint8_t> frame(320 * 240 * 3, 0);
  for (size_t i = 0; i < frame.size(); i += 3) {
    frame[i] = i < 320 * 3 ? 0 : 255;
    frame[i + 2] = i < 320 * 3 ? 255 : 0;
  }
  Tick({kConvertRunning, 1.0, 0, {}, frame});
  EXPECT_EQ(std::memcmp(bitmap.constData() + 54, frame.data(), frame.size()), 0);
  const QImage shown = Control<QLabel>("ImagePreview")->pixmap().toImage();
  ASSERT_EQ(shown.size(), QSize(320, 240));
  EXPECT_EQ(shown.pixelColor(5, 0), QColor(255, 0, 0));
  EXPECT_EQ(shown.pixelColor(5, 239), QColor(0, 0, 255));

  // A frame larger than the picture is cut, never written past it.
  std::vector<uint8_t> oversized(frame.size() + 4096, 0x77);
  Tick({kConvertRunning, 2.0, 0, {}, oversized});
  EXPECT_EQ(bitmap.size(), 54 + 320 * 240 * 3);
  EXPECT_EQ(static_cast<uint8_t>(bitmap.back()), 0x77);
}

TEST_F(RipDlgTest, TheLogIsWrittenToLogsLogOnCloseExactlyAsCollected) {
  const QString logPath = LogPath();
  WriteFile(logPath, "an older, longer log that must go away entirely\n");
  TRipDlg_Form1& form = Open({10.0});
  form.OnLog("before the start\n");
  Show();
  Tick({kConvertRunning, 1.0, 0, {"[mp4] opening\n", "frame=10 "}, {}});
  Tick({kConvertRunning, 2.0, 0, {"done"}, {}});
  EXPECT_EQ(form.ConversionLog(), "[mp4] opening\nframe=10 done") << "emptied when the engine starts";
  Control<QCheckBox>("cbOpenFolder")->setChecked(true);
  Tick({kConvertFinished, 0.0, 0, {}, {}});

  ASSERT_TRUE(form.Closed());
  QFile log(logPath);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(log.readAll(), "[mp4] opening\nframe=10 done");
  EXPECT_EQ(QDir(QFileInfo(logPath).absolutePath()).entryList(QDir::Files), QStringList{"logs.log"})
      << "no temporary file is left behind";
  EXPECT_FALSE(QFileInfo::exists(context_.productFolder + "logs.log")) << "never into the product folder";
}

// The engine hands its lines over only when polled: what the stopped job says while it cleans up
// (the temporary file removed, the reason it stopped) must still reach the log.
TEST_F(RipDlgTest, AStopByTheUserKeepsTheLinesTheEngineSaysWhileItCleansUp) {
  const QString logPath = LogPath();
  TRipDlg_Form1& form = Open({10.0});
  Show();
  Running(3.0);
  // What the engine answers once it was told to stop: still busy, then stopped.
  ScriptedFfConverter::steps.push_back({kConvertRunning, 3.0, 0, {"stopping\n"}, {}});
  ScriptedFfConverter::steps.push_back({kConvertStopped, 3.0, 0, {"temporary output removed\n"}, {}});
  dialogs_.answers.push_back(MsgAnswer::Yes);
  Control<TssSkinButton>("ssSBStop")->OnClick();

  ASSERT_TRUE(form.Closed());
  QFile log(logPath);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(log.readAll(), "stopping\ntemporary output removed\n");
  EXPECT_EQ(ScriptedFfConverter::Count("Stop"), 1);
}

// A countdown that ends in a power-off never reaches the window's close: the log must be on the disk
// before the countdown starts, or the unattended conversion leaves the previous log behind.
TEST_F(RipDlgTest, TheLogIsOnTheDiskBeforeTheShutdownCountdownStarts) {
  const QString logPath = LogPath();
  WriteFile(logPath, "the log of an earlier conversion\n");
  TRipDlg_Form1& form = Open({10.0});
  Control<QCheckBox>("cbShutDown")->setChecked(true);
  Show();
  Tick({kConvertRunning, 1.0, 0, {"[mp4] opening\n"}, {}});
  QByteArray onDiskDuringCountdown;
  QTimer::singleShot(0, &form, [&] {
    QFile log(logPath);
    if (log.open(QIODevice::ReadOnly)) {
      onDiskDuringCountdown = log.readAll();
    }
  });
  CancelCountdownWhenShown(&form);
  Tick({kConvertFinished, 0.0, 0, {"all done"}, {}});

  EXPECT_TRUE(countdownSeen_);
  EXPECT_EQ(onDiskDuringCountdown, "[mp4] opening\nall done");
  ASSERT_TRUE(form.Closed());
  QFile log(logPath);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(log.readAll(), "[mp4] opening\nall done");
}

TEST_F(RipDlgTest, AnUnwritableLogFolderIsNotReported) {
  // A file where the user's data folder would be: nothing can be made beneath it.
  WriteFile(Root("blocked"));
  SetEnv("XDG_DATA_HOME", Root("blocked/data"));
  TRipDlg_Form1& form = Open({10.0});
  Show();
  Control<QCheckBox>("cbOpenFolder")->setChecked(true);
  Tick({kConvertFinished, 0.0, 0, {"text"}, {}});
  EXPECT_TRUE(form.Closed());
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_FALSE(QFileInfo::exists(context_.productFolder + "logs.log"));
}

TEST_F(RipDlgTest, AJobShorterThanASecondShowsWithoutDividingByZero) {
  Open({0.5});
  // A job that succeeded: a failed one never shows as complete.
  ScriptedFfConverter::results = {1};
  Show();
  now_ += 1;
  Running(0.3);
  EXPECT_EQ(Text("lblCurProg"), "0%");
  EXPECT_EQ(Text("lblAllProg"), "0%");
  Running(1.2);
  EXPECT_EQ(Text("lblCurProg"), "0%");
  Control<QCheckBox>("cbOpenFolder")->setChecked(true);
  Tick({kConvertFinished, 0.0, 0, {}, {}});
  EXPECT_EQ(Text("lblCurProg"), "100%");
  EXPECT_EQ(Text("lblAllProg"), "100%");
}

TEST_F(RipDlgTest, ABatchThatEndsBehindOtherWindowsIsAnnouncedOnTheDesktop) {
  TRipDlg_Form1& form = Open({10.0, 10.0});
  ScriptedFfConverter::results = {1, 1};
  Show();
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  ASSERT_FALSE(form.isActiveWindow());
  Tick({kConvertFinished, 0.0, 0, {}, {}});

  ASSERT_EQ(notifier_.notes.size(), 1u);
  EXPECT_EQ(notifier_.notes[0].summary, "Conversion finished");
  EXPECT_EQ(notifier_.notes[0].body, "Converting 2 Files Done. Success 2, Failed 0.");
  EXPECT_EQ(Messages(), std::vector<QString>{"Converting 2 Files Done.\n\nSuccess 2\nFailed 0"});
}

TEST_F(RipDlgTest, ABatchThatEndsInFrontIsNotAnnounced) {
  TRipDlg_Form1& form = Open({10.0});
  Show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  Tick({kConvertFinished, 0.0, 0, {}, {}});
  EXPECT_TRUE(notifier_.notes.empty());

  // Nor is a conversion the user stopped.
  Open({10.0});
  Show();
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  dialogs_.answers.push_back(MsgAnswer::Yes);
  Control<TssSkinButton>("ssSBStop")->OnClick();
  EXPECT_TRUE(notifier_.notes.empty());
}

}  // namespace
