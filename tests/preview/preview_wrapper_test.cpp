#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QWidget>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/folders.h"
#include "components/field_text.h"
#include "components/text_utf.h"
#include "platform/render_surface.h"
#include "preview/preview_rules.h"
#include "preview/preview_wrapper.h"
#include "tasks/mui_item_info.h"
#include "tests/app/context_test_env.h"
#include "tests/fakes/scripted_ff_preview.h"
#include "widgets/tcroppanelex.h"
#include "widgets/tmarkpanel.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using From = ScriptedFfPreview::From;

MediaInfo Media(bool video, double duration, int width, int height, int aspectNum, int aspectDen) {
  MediaInfo media{};
  media.duration = duration;
  media.videoCount = video ? 1 : 0;
  media.videoStreamId = video ? 0 : -1;
  media.width = video ? width : 0;
  media.height = video ? height : 0;
  media.aspectNum = aspectNum;
  media.aspectDen = aspectDen;
  return media;
}

// A wrapper inside a window with the main window's and the clip editor's controls, over the scripted
// engine.
class WrapperTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    ASSERT_TRUE(engines_.Registered());
    item_.sourcePath = QStringLiteral("/media/clips/holiday.mkv");
    CopyTextToField(item_.input.path, sizeof item_.input.path, "/where/it/was/probed.mkv");
    item_.input.media = Media(true, 120.0, 718, 480, 16, 9);
    item_.input.clipStart = 30;
    item_.input.clipLength = 20;
    item_.input.zoomMode = 2;
    wrapper_ = std::make_unique<PreviewWrapper>(context_);
  }
  void TearDown() override {
    // The wrapper's last Close writes into the test's home, which ends with the base's TearDown.
    wrapper_.reset();
    ContextTest::TearDown();
  }

  PreviewSetup MainSetup() {
    PreviewSetup setup;
    setup.item = &item_;
    setup.outWidth = 640;
    setup.outHeight = 480;
    setup.viewRect = QRect(40, 128, 264, 198);
    setup.renderWindow = surface_;
    return setup;
  }
  PreviewSetup BoxSetup() {
    PreviewSetup setup = MainSetup();
    setup.markBox = markBox_;
    setup.cropView = true;
    setup.cropRect = QRect(10, 10, 264, 198);
    setup.cropBox = cropBox_;
    setup.snapshotOn = true;
    return setup;
  }

  QString LogFile() const { return UserFileToWrite(context_, QStringLiteral("logs.log")); }

  ScriptedFfPreviewRegistration engines_;
  MuiItemInfo item_;
  QWidget window_;
  platform::RenderSurface* surface_ = new platform::RenderSurface(&window_);
  TMarkPanel* markBox_ = new TMarkPanel(&window_);
  TCropPanelEx* cropBox_ = new TCropPanelEx(&window_);
  std::unique_ptr<PreviewWrapper> wrapper_;
};

// ---- the open record and the controls -------------------------------------------------------------

TEST_F(WrapperTest, FillsTheOpenRecordAndPlacesTheView) {
  struct Case {
    const char* name;
    int outWidth, outHeight;
    bool trimmed;
    QRect view;  // where the render window lands
  };
  for (const Case& c : {Case{"4:3, trimmed", 640, 480, true, QRect(40, 128, 264, 198)},
                        Case{"16:9, whole file", 1280, 720, false, QRect(40, 153, 264, 148)}}) {
    SCOPED_TRACE(c.name);
    PreviewSetup setup = MainSetup();
    setup.outWidth = c.outWidth;
    setup.outHeight = c.outHeight;
    setup.trimmedPlay = c.trimmed;
    setup.snapshotOn = true;
    ASSERT_TRUE(wrapper_->Open(setup));
    ScriptedFfPreview* engine = engines_.Last();
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(wrapper_->Engine(), engine);
    EXPECT_EQ(wrapper_->Setup().outWidth, c.outWidth);
    const PreviewOpen record = engine->Record();
    EXPECT_EQ(record.events, wrapper_.get());
    EXPECT_EQ(QString::fromStdString(std::string(FieldText(record.renderWindow))), surface_->Handle());
    EXPECT_FALSE(surface_->Handle().isEmpty());
    EXPECT_EQ(record.viewToBuffer, 0);
    EXPECT_EQ(record.viewWidth, c.view.width());
    EXPECT_EQ(record.viewHeight, c.view.height());
    EXPECT_EQ(surface_->geometry(), c.view);
    EXPECT_FALSE(surface_->isHidden()) << "an item with video shows its view";
    EXPECT_EQ(record.snapshotWidth, 720) << "718 rounded to eights";
    EXPECT_EQ(record.snapshotHeight, 480);
    EXPECT_EQ(record.alwaysOne, 1);
    EXPECT_EQ(record.cropView, 0);
    EXPECT_EQ(record.cropViewWidth, 0);
    EXPECT_EQ(record.cropViewHeight, 0);
    EXPECT_EQ(std::string(FieldText(record.input.path)), "/media/clips/holiday.mkv")
        << "the source, not the probe";
    EXPECT_DOUBLE_EQ(record.input.clipStart, c.trimmed ? 30.0 : 0.0);
    EXPECT_DOUBLE_EQ(record.input.clipLength, c.trimmed ? 20.0 : 120.0);
    EXPECT_EQ(record.input.zoomMode, 2) << "the rest of the item's input travels as it is";
    EXPECT_EQ(record.input.media.width, 718);
    for (uint8_t byte : record.reserved) {
      EXPECT_EQ(byte, 0);
    }
    EXPECT_DOUBLE_EQ(item_.input.clipStart, 30.0) << "the item itself is left alone";
    EXPECT_EQ(std::string(FieldText(item_.input.path)), "/where/it/was/probed.mkv");
    wrapper_->Close();
    EXPECT_EQ(wrapper_->Engine(), nullptr);
    EXPECT_EQ(engine->CallTexts(), (std::vector<std::string>{"Open", "Close"}));
    EXPECT_EQ(engine->References(), 1) << "the wrapper released the engine";
  }
}

TEST_F(WrapperTest, ALongSourcePathIsCutWithoutSplittingACharacter) {
  // 510 bytes and a two-byte character: only 511 bytes fit before the terminator.
  item_.sourcePath = QString(510, QLatin1Char('a')) + QString::fromUtf8("é");
  ASSERT_TRUE(wrapper_->Open(MainSetup()));
  EXPECT_EQ(std::string(FieldText(engines_.Last()->Record().input.path)), std::string(510, 'a'));
}

TEST_F(WrapperTest, BoxesGetTheViewAndTheCropViewInTheSourcesShape) {
  struct Case {
    const char* name;
    int aspectNum, aspectDen, width, height;
    QRect crop;  // where the crop box lands
  };
  for (const Case& c :
       {Case{"display shape 16:9", 16, 9, 718, 480, QRect(10, 35, 264, 148)},
        Case{"no denominator: the picture's own shape", 16, 0, 720, 360, QRect(10, 43, 264, 132)},
        Case{"no shape at all: 4:3", 0, 0, 0, 0, QRect(10, 10, 264, 198)}}) {
    SCOPED_TRACE(c.name);
    item_.input.media = Media(true, 120.0, c.width, c.height, c.aspectNum, c.aspectDen);
    ASSERT_TRUE(wrapper_->Open(BoxSetup()));
    const PreviewOpen record = engines_.Last()->Record();
    EXPECT_EQ(record.viewToBuffer, 1);
    EXPECT_EQ(record.viewWidth, 264);
    EXPECT_EQ(record.viewHeight, 198);
    EXPECT_EQ(markBox_->geometry(), QRect(40, 128, 264, 198));
    EXPECT_EQ(record.cropView, 1);
    EXPECT_EQ(record.cropViewWidth, c.crop.width());
    EXPECT_EQ(record.cropViewHeight, c.crop.height());
    EXPECT_EQ(cropBox_->geometry(), c.crop);
    wrapper_->Close();
  }
}

TEST_F(WrapperTest, TheViewsShowOnlyForAnItemWithVideo) {
  for (bool video : {true, false, true}) {
    SCOPED_TRACE(video ? "video" : "sound only");
    item_.input.media = Media(video, 60.0, 320, 240, 4, 3);
    // Every control starts in the other state, so each must be set.
    for (QWidget* control : {static_cast<QWidget*>(surface_), static_cast<QWidget*>(markBox_),
                             static_cast<QWidget*>(cropBox_)}) {
      control->setVisible(!video);
    }
    PreviewSetup main = MainSetup();
    main.cropView = true;
    main.cropRect = QRect(10, 10, 264, 198);
    main.cropBox = cropBox_;
    ASSERT_TRUE(wrapper_->Open(main));
    EXPECT_EQ(surface_->isHidden(), !video);
    EXPECT_EQ(cropBox_->isHidden(), !video);
    EXPECT_EQ(markBox_->isHidden(), video) << "not this preview's control: left as it was";
    wrapper_->Close();

    markBox_->setVisible(!video);
    ASSERT_TRUE(wrapper_->Open(BoxSetup()));
    EXPECT_EQ(markBox_->isHidden(), !video) << "the watermark box stands in for the render window";
    wrapper_->Close();
  }
}

TEST_F(WrapperTest, AnEngineThatCannotPlayIsDroppedAndNothingIsReported) {
  // An earlier preview, so that a log exists to be written.
  ASSERT_TRUE(wrapper_->Open(MainSetup()));
  wrapper_->Close();
  ASSERT_TRUE(QFile::remove(LogFile()));

  engines_.script.openResult = false;
  EXPECT_FALSE(wrapper_->Open(MainSetup()));
  EXPECT_EQ(wrapper_->Engine(), nullptr);
  ScriptedFfPreview* refused = engines_.Last();
  ASSERT_NE(refused, nullptr);
  EXPECT_EQ(refused->CallTexts(), (std::vector<std::string>{"Open"})) << "neither played nor closed";
  EXPECT_EQ(refused->References(), 1) << "only the registration still holds it";
  EXPECT_FALSE(QFileInfo::exists(LogFile())) << "a refused open writes nothing";
  EXPECT_FALSE(wrapper_->TakeSnapshot(Root("shot.bmp")));
  EXPECT_EQ(refused->Count("Snapshot"), 0);

  // No item, or no engine under the name: refused before any engine is asked.
  const int made = engines_.Created();
  PreviewSetup noItem = MainSetup();
  noItem.item = nullptr;
  EXPECT_FALSE(wrapper_->Open(noItem));
  EXPECT_EQ(engines_.Created(), made);
}

TEST_F(WrapperTest, OpeningAgainClosesThePreviewStillOpen) {
  ASSERT_TRUE(wrapper_->Open(BoxSetup()));
  ScriptedFfPreview* first = engines_.Last();
  ASSERT_TRUE(wrapper_->Open(BoxSetup()));
  ScriptedFfPreview* second = engines_.Last();
  ASSERT_NE(first, second);
  EXPECT_EQ(first->CallTexts(), (std::vector<std::string>{"Open", "Close"}));
  EXPECT_EQ(first->References(), 1);
  EXPECT_EQ(wrapper_->Engine(), second);
}

// ---- frames ----------------------------------------------------------------------------------------

TEST_F(WrapperTest, FramesReachTheBoxesThroughTheBuffers) {
  ASSERT_TRUE(wrapper_->Open(BoxSetup()));
  ScriptedFfPreview* engine = engines_.Last();
  EXPECT_FALSE(markBox_->HasBkBmp());
  EXPECT_FALSE(cropBox_->HasBkBmp());
  for (From from : {From::kOtherThread, From::kCaller}) {
    markBox_->FreeBkBmp();
    cropBox_->FreeBkBmp();
    ASSERT_TRUE(engine->SendView(from));
    EXPECT_TRUE(markBox_->HasBkBmp());
    EXPECT_FALSE(cropBox_->HasBkBmp()) << "a view frame is not the crop box's";
    ASSERT_TRUE(engine->SendCrop(from));
    EXPECT_TRUE(cropBox_->HasBkBmp());
  }
}

TEST_F(WrapperTest, AFrameOfAnotherSizeIsIgnored) {
  ASSERT_TRUE(wrapper_->Open(BoxSetup()));
  ScriptedFfPreview* engine = engines_.Last();
  const PreviewOpen record = engine->Record();
  const auto frame = [](int width, int height) { return ScriptedFfPreview::Frame(width, height, {1, 2, 3}); };
  const struct {
    const char* name;
    bool crop;
    std::vector<uint8_t> bytes;
  } frames[] = {
      {"view, larger", false, frame(record.viewWidth + 4, record.viewHeight)},
      {"view, smaller", false, frame(record.viewWidth, record.viewHeight - 2)},
      {"view, one byte short", false,
       std::vector<uint8_t>(static_cast<size_t>(record.viewWidth) * record.viewHeight * 3 - 1, 9)},
      {"view, the crop's size", false, frame(record.cropViewWidth, record.cropViewHeight)},
      {"crop, the view's size", true, frame(record.viewWidth, record.viewHeight)},
      {"crop, empty", true, {}},
  };
  for (const auto& f : frames) {
    ASSERT_TRUE(f.crop ? engine->SendCropBytes(f.bytes) : engine->SendViewBytes(f.bytes)) << f.name;
  }
  EXPECT_FALSE(markBox_->HasBkBmp());
  EXPECT_FALSE(cropBox_->HasBkBmp());
  EXPECT_TRUE(wrapper_->PreviewLog().isEmpty()) << "refusing a frame is not worth a log line";

  // After Close the buffers are gone: a frame that still comes lands nowhere.
  wrapper_->Close();
  ASSERT_TRUE(engine->SendView());
  ASSERT_TRUE(engine->SendCrop());
  EXPECT_FALSE(markBox_->HasBkBmp());
  EXPECT_FALSE(cropBox_->HasBkBmp());
}

// ---- snapshots -------------------------------------------------------------------------------------

TEST_F(WrapperTest, SnapshotsWriteABitmapOfTheRoundedSize) {
  using Frame = PreviewScript::SnapshotFrame;
  struct Case {
    const char* name;
    bool engineAgrees;
    Frame frame;
    std::chrono::milliseconds delay;
    bool written;
  };
  const Case cases[] = {
      {"at once", true, Frame::kAtOnce, 0ms, true},
      {"late but within the second", true, Frame::kLater, 400ms, true},
      {"refused", false, Frame::kAtOnce, 0ms, false},
      {"never", true, Frame::kNone, 0ms, false},
      {"after the second", true, Frame::kLater, 1400ms, false},
  };
  QDir().mkpath(Root("shots"));
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    engines_.script.snapshotResult = c.engineAgrees;
    engines_.script.snapshotFrame = c.frame;
    engines_.script.snapshotDelay = c.delay;
    ASSERT_TRUE(wrapper_->Open(BoxSetup()));
    const QString file = Root(QStringLiteral("shots/shot%1.bmp").arg(n++));
    const auto start = Clock::now();
    EXPECT_EQ(wrapper_->TakeSnapshot(file), c.written);
    const auto took = Clock::now() - start;
    EXPECT_EQ(engines_.Last()->Count("Snapshot"), 1);
    EXPECT_EQ(QFileInfo::exists(file), c.written);
    if (c.written) {
      const QImage picture(file);
      EXPECT_EQ(picture.size(), QSize(720, 480));
      EXPECT_EQ(picture.pixelColor(0, 0), QColor(0xA0, 0x60, 0x20)) << "bytes B, G, R";
      EXPECT_EQ(picture.pixelColor(719, 479), QColor(0xA0, 0x60, 0x20));
    }
    if (!c.engineAgrees) {
      EXPECT_LT(took, 100ms) << "a refusal fails at once";
    }
    if (!c.written && c.engineAgrees) {
      EXPECT_GE(took, 900ms) << "waits its second";
      EXPECT_LT(took, 1300ms) << "and no longer";
    }
    // A frame still on its way is waited for by the engine's Close, not delivered into a freed buffer.
    wrapper_->Close();
  }
  EXPECT_EQ(QDir(Root("shots")).entryList(QDir::Files), (QStringList{"shot0.bmp", "shot1.bmp"}))
      << "nothing left aside";
}

TEST_F(WrapperTest, ASnapshotIsSavedUpright) {
  // The engine's rows come top-down: the top half white, the bottom half black.
  std::vector<uint8_t> rows = ScriptedFfPreview::Frame(720, 480, {0, 0, 0});
  std::fill(rows.begin(), rows.begin() + rows.size() / 2, uint8_t{0xFF});
  engines_.script.snapshotBytes = rows;
  ASSERT_TRUE(wrapper_->Open(BoxSetup()));
  const QString file = Root("upright.bmp");
  ASSERT_TRUE(wrapper_->TakeSnapshot(file));
  const QImage picture(file);
  ASSERT_EQ(picture.size(), QSize(720, 480));
  EXPECT_EQ(picture.pixelColor(10, 10), QColor(Qt::white)) << "the top stays on top";
  EXPECT_EQ(picture.pixelColor(10, 470), QColor(Qt::black));
}

TEST_F(WrapperTest, AFrameOfAnotherSizeIsNoSnapshot) {
  engines_.script.snapshotBytes = ScriptedFfPreview::Frame(716, 480, {1, 2, 3});
  ASSERT_TRUE(wrapper_->Open(BoxSetup()));
  EXPECT_FALSE(wrapper_->TakeSnapshot(Root("wrong.bmp")));
  EXPECT_FALSE(QFileInfo::exists(Root("wrong.bmp")));

  // Without snapshots prepared there is no buffer for one.
  engines_.script.snapshotBytes = ScriptedFfPreview::Frame(720, 480, {1, 2, 3});
  PreviewSetup setup = BoxSetup();
  setup.snapshotOn = false;
  ASSERT_TRUE(wrapper_->Open(setup));
  EXPECT_EQ(engines_.Last()->Record().snapshotWidth, 0);
  EXPECT_FALSE(wrapper_->TakeSnapshot(Root("none.bmp")));
  EXPECT_FALSE(QFileInfo::exists(Root("none.bmp")));
}

// ---- the log ---------------------------------------------------------------------------------------

ino_t Inode(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(WrapperTest, EveryCloseWritesTheLogAgain) {
  ASSERT_TRUE(wrapper_->Open(MainSetup()));
  ScriptedFfPreview* engine = engines_.Last();
  ASSERT_TRUE(engine->SendLog("opening holiday.mkv\n"));
  ASSERT_TRUE(engine->SendLog("playing ü\n"));
  const QByteArray expected("opening holiday.mkv\nplaying \xC3\xBC\n");
  EXPECT_EQ(wrapper_->PreviewLog(), QString::fromUtf8(expected));

  wrapper_->Close();
  EXPECT_EQ(Contents(LogFile()), expected);
  const ino_t first = Inode(LogFile());
  ASSERT_NE(first, 0u);

  wrapper_->Close();
  EXPECT_EQ(Contents(LogFile()), expected) << "the log is kept between Closes";
  const ino_t second = Inode(LogFile());
  EXPECT_NE(second, first) << "a new file took the old one's place";

  // The destructor's Close writes it too.
  ASSERT_TRUE(QFile::remove(LogFile()));
  wrapper_.reset();
  EXPECT_EQ(Contents(LogFile()), expected);
  EXPECT_EQ(QDir(QFileInfo(LogFile()).absolutePath()).entryList(QDir::Files), QStringList{"logs.log"})
      << "nothing left aside";
}

TEST_F(WrapperTest, ANewPreviewStartsANewLogWithWhatTheEngineSaysWhileOpening) {
  ASSERT_TRUE(wrapper_->Open(MainSetup()));
  ASSERT_TRUE(engines_.Last()->SendLog("the first preview\n"));
  wrapper_->Close();

  // The engine's threads start inside Open and may log before it returns.
  engines_.script.openLog = {"no sound device can be opened\n"};
  ASSERT_TRUE(wrapper_->Open(MainSetup()));
  EXPECT_EQ(wrapper_->PreviewLog(), QStringLiteral("no sound device can be opened\n"));
  wrapper_->Close();
  EXPECT_EQ(Contents(LogFile()), QByteArray("no sound device can be opened\n"));
}

TEST_F(WrapperTest, AWrapperNeverOpenedLeavesTheLogFileAlone) {
  // The conversion writes the same file; a preview that never ran has nothing to put there.
  WriteFile(LogFile(), "the conversion's log\n");
  wrapper_->Close();
  wrapper_.reset();
  EXPECT_EQ(Contents(LogFile()), QByteArray("the conversion's log\n"));
}

TEST_F(WrapperTest, ALogThatCannotBeWrittenIsIgnored) {
  ASSERT_TRUE(wrapper_->Open(MainSetup()));
  ASSERT_TRUE(engines_.Last()->SendLog("line\n"));
  // A folder where the file should be: the write fails, and Close carries on.
  ASSERT_TRUE(QDir().mkpath(LogFile()));
  wrapper_->Close();
  EXPECT_TRUE(QFileInfo(LogFile()).isDir());
  EXPECT_EQ(wrapper_->Engine(), nullptr);
}

// ---- other events ----------------------------------------------------------------------------------

TEST_F(WrapperTest, InfoKeepsThreeValuesOnlyWhenAllAreGiven) {
  const struct {
    int32_t first, second, third;
    int32_t kept[3];
  } cases[] = {
      {1, 2, 3, {1, 2, 3}},
      {1, 0, 3, {0, 0, 0}},
      {-4, 5, 6, {-4, 5, 6}},
      {0, 0, 9, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    int32_t kept[3] = {-1, -1, -1};
    wrapper_->OnInfo(c.first, c.second, c.third);
    wrapper_->Info(kept[0], kept[1], kept[2]);
    EXPECT_EQ(kept[0], c.kept[0]);
    EXPECT_EQ(kept[1], c.kept[1]);
    EXPECT_EQ(kept[2], c.kept[2]);
  }
  wrapper_->OnNotify(1, 2);
  wrapper_->OnLog(nullptr);
  EXPECT_TRUE(wrapper_->PreviewLog().isEmpty());
}

}  // namespace
