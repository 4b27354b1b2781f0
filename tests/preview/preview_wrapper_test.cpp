#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QWidget>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "components/field_text.h"
#include "platform/render_surface.h"
#include "plug/plug_table.h"
#include "preview/preview_rules.h"
#include "preview/preview_wrapper.h"
#include "tasks/mui_item_info.h"
#include "tests/app/context_test_env.h"
#include "tests/tasks/fake_ff_preview.h"
#include "widgets/tcroppanelex.h"
#include "widgets/tmarkpanel.h"

namespace {

// A wrapper inside a window with the main window's and the clip editor's controls, over the scripted
// engine.
class WrapperTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    FakeFfPreview::Reset();
    item_.sourcePath = QStringLiteral("/media/clips/holiday.mkv");
    item_.input.media = VideoMedia(120.0, 718, 480);
    item_.input.media.aspectNum = 16;
    item_.input.media.aspectDen = 9;
    item_.input.clipStart = 30;
    item_.input.clipLength = 20;
  }
  void TearDown() override {
    wrapper_.reset();
    FakeFfPreview::Reset();
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

  QString LogFile() const { return Root("home/.local/share/Tolvermax Studio/Video Converter/logs.log"); }

  const AutoReg engine_{kFfPreviewName, &FakeFfPreview::Make};
  MuiItemInfo item_;
  QWidget window_;
  platform::RenderSurface* surface_ = new platform::RenderSurface(&window_);
  TMarkPanel* markBox_ = new TMarkPanel(&window_);
  TCropPanelEx* cropBox_ = new TCropPanelEx(&window_);
  std::unique_ptr<PreviewWrapper> wrapper_ = std::make_unique<PreviewWrapper>(context_);
};

TEST_F(WrapperTest, FillsTheOpenRecordAndPlacesTheView) {
  struct Case {
    const char* name;
    int outWidth, outHeight;
    bool trimmed;
    QRect view;  // where the render window lands
  };
  for (const Case& c : {Case{"4:3, trimmed", 640, 480, true, QRect(40, 128, 264, 198)},
                        Case{"16:9, whole file", 1280, 720, false, QRect(40, 153, 264, 148)}}) {
    PreviewSetup setup = MainSetup();
    setup.outWidth = c.outWidth;
    setup.outHeight = c.outHeight;
    setup.trimmedPlay = c.trimmed;
    setup.snapshotOn = true;
    ASSERT_TRUE(wrapper_->Open(setup)) << c.name;
    const PreviewOpen& record = FakeFfPreview::lastOpen;
    EXPECT_EQ(record.events, wrapper_.get());
    EXPECT_EQ(FieldText(record.renderWindow), surface_->Handle().toStdString());
    EXPECT_EQ(record.viewToBuffer, 0);
    EXPECT_EQ(record.viewWidth, c.view.width()) << c.name;
    EXPECT_EQ(record.viewHeight, c.view.height()) << c.name;
    EXPECT_EQ(surface_->geometry(), c.view) << c.name;
    EXPECT_FALSE(surface_->isHidden()) << "an item with video shows its view";
    EXPECT_EQ(record.snapshotWidth, 720);
    EXPECT_EQ(record.snapshotHeight, 480);
    EXPECT_EQ(record.alwaysOne, 1);
    EXPECT_EQ(record.cropView, 0);
    EXPECT_EQ(FieldText(record.input.path), "/media/clips/holiday.mkv");
    EXPECT_DOUBLE_EQ(record.input.clipStart, c.trimmed ? 30.0 : 0.0);
    EXPECT_DOUBLE_EQ(record.input.clipLength, c.trimmed ? 20.0 : 120.0);
    EXPECT_EQ(wrapper_->Engine() != nullptr, true);
    wrapper_->Close();
    EXPECT_EQ(wrapper_->Engine(), nullptr);
  }
}

TEST_F(WrapperTest, BuffersTheViewAndTheCropViewForTheBoxes) {
  PreviewSetup setup = MainSetup();
  setup.markBox = markBox_;
  setup.cropView = true;
  setup.cropRect = QRect(10, 10, 264, 198);
  setup.cropBox = cropBox_;
  ASSERT_TRUE(wrapper_->Open(setup));
  const PreviewOpen& record = FakeFfPreview::lastOpen;
  EXPECT_EQ(record.viewToBuffer, 1);
  EXPECT_EQ(record.cropView, 1);
  // The crop box takes the source's display shape, 16:9.
  EXPECT_EQ(record.cropViewWidth, 264);
  EXPECT_EQ(record.cropViewHeight, 148);
  EXPECT_EQ(cropBox_->geometry(), QRect(10, 35, 264, 148));
  EXPECT_EQ(markBox_->geometry(), QRect(40, 128, 264, 198));

  const std::vector<uint8_t> view(264 * 198 * 3, 0x40);
  const std::vector<uint8_t> crop(264 * 148 * 3, 0x90);
  std::thread engine([&] {
    record.events->OnViewFrame(view.data(), static_cast<int32_t>(view.size()));
    record.events->OnCropFrame(crop.data(), static_cast<int32_t>(crop.size()));
  });
  engine.join();
  EXPECT_TRUE(markBox_->HasBkBmp());
  EXPECT_TRUE(cropBox_->HasBkBmp());

  // A frame of another size is not the buffer's: it is dropped, never written past the buffer.
  markBox_->FreeBkBmp();
  const std::vector<uint8_t> wrong(100 * 100 * 3, 0x40);
  record.events->OnViewFrame(wrong.data(), static_cast<int32_t>(wrong.size()));
  record.events->OnViewFrame(nullptr, 0);
  EXPECT_FALSE(markBox_->HasBkBmp());
}

TEST_F(WrapperTest, WithoutVideoTheViewsStayHidden) {
  item_.input.media = AudioMedia(60.0);
  surface_->show();
  PreviewSetup setup = MainSetup();
  setup.cropView = true;
  setup.cropRect = QRect(10, 10, 264, 198);
  setup.cropBox = cropBox_;
  ASSERT_TRUE(wrapper_->Open(setup));
  EXPECT_TRUE(surface_->isHidden());
  EXPECT_TRUE(cropBox_->isHidden());
}

TEST_F(WrapperTest, AnEngineThatCannotPlayIsDroppedSilently) {
  FakeFfPreview::openResult = false;
  EXPECT_FALSE(wrapper_->Open(MainSetup()));
  EXPECT_EQ(wrapper_->Engine(), nullptr);
  EXPECT_EQ(FakeFfPreview::alive, 0) << "the refused engine is released";
}

TEST_F(WrapperTest, SnapshotsWriteTheBitmapOfTheRoundedSize) {
  PreviewSetup setup = MainSetup();
  setup.snapshotOn = true;
  ASSERT_TRUE(wrapper_->Open(setup));
  struct Case {
    const char* name;
    bool engineAgrees;
    int delay;  // ms until the frame comes; negative: never
    bool written;
  };
  int n = 0;
  for (const Case& c : {Case{"at once", true, 0, true}, Case{"late but in time", true, 400, true},
                        Case{"refused", false, 0, false}, Case{"never", true, -1, false}}) {
    FakeFfPreview::snapshotResult = c.engineAgrees;
    FakeFfPreview::snapshotDelay = c.delay;
    const QString file = Root(QStringLiteral("shots/shot%1.bmp").arg(n++));
    QDir().mkpath(Root("shots"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(wrapper_->TakeSnapshot(file), c.written) << c.name;
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(QFileInfo(file).exists(), c.written) << c.name;
    if (c.written) {
      const QImage picture(file);
      EXPECT_EQ(picture.size(), QSize(720, 480)) << c.name;
    }
    if (!c.engineAgrees) {
      EXPECT_LT(took, std::chrono::milliseconds(100)) << "a refusal fails at once";
    }
    if (c.delay < 0) {
      EXPECT_GE(took, std::chrono::milliseconds(900)) << "waits its second";
    }
  }
}

TEST_F(WrapperTest, EveryCloseWritesTheLogAgain) {
  ASSERT_TRUE(wrapper_->Open(MainSetup()));
  const char* lines[] = {"opening holiday.mkv\n", "playing\n"};
  std::thread engine([&] {
    for (const char* line : lines) {
      FakeFfPreview::lastOpen.events->OnLog(line);
    }
  });
  engine.join();
  wrapper_->Close();
  QFile first(LogFile());
  ASSERT_TRUE(first.open(QIODevice::ReadOnly));
  EXPECT_EQ(first.readAll(), QByteArray("opening holiday.mkv\nplaying\n"));
  first.close();
  ASSERT_TRUE(QFile::remove(LogFile()));
  wrapper_->Close();
  QFile second(LogFile());
  ASSERT_TRUE(second.open(QIODevice::ReadOnly)) << "the second Close writes it again";
  EXPECT_EQ(second.readAll(), QByteArray("opening holiday.mkv\nplaying\n"));
  // A new preview starts a new log.
  ASSERT_TRUE(wrapper_->Open(MainSetup()));
  EXPECT_TRUE(wrapper_->PreviewLog().isEmpty());
}

TEST_F(WrapperTest, InfoKeepsThreeValuesOnlyWhenAllAreGiven) {
  int32_t a = -1, b = -1, c = -1;
  wrapper_->OnInfo(1, 2, 3);
  wrapper_->Info(a, b, c);
  EXPECT_EQ(a + b + c, 6);
  wrapper_->OnInfo(1, 0, 3);
  wrapper_->Info(a, b, c);
  EXPECT_EQ(a | b | c, 0);
}

}  // namespace
