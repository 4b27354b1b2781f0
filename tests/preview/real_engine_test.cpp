#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "engines/ffengine/ff_preview.h"
#include "plug/plug_ptr.h"
#include "plug/plug_table.h"
#include "preview/preview_wrapper.h"
#include "tasks/mui_item_info.h"
#include "tests/app/context_test_env.h"
#include "tests/convert_engine/media_maker.h"
#include "widgets/tcroppanelex.h"
#include "widgets/tmarkpanel.h"

namespace {

using namespace std::chrono_literals;

// The wrapper over the real engine, linked in and registered under its name as the module does.
class RealEngineTest : public ContextTest {};

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) {
      return false;
    }
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

TEST_F(RealEngineTest, BothBoxesGetFramesAndTheSnapshotDecodesUprightAtTheRoundedSize) {
  // 300 pixels wide: the snapshot rounds it to 304. No sound, so nothing depends on a sound device.
  const std::string clip = Root("clip.mkv").toStdString();
  media_maker::ClipPlan plan;
  plan.width = 300;
  plan.height = 240;
  plan.seconds = 2.0;
  plan.channels = 0;
  std::string error;
  ASSERT_TRUE(media_maker::MakeClip(clip, plan, &error)) << error;

  const AutoReg engineName(kFfPreviewName, &CreateFfPreview);
  ASSERT_TRUE(engineName.Registered());
  MuiItemInfo item;
  {
    PlugPtr<I_FfPreview> prober;
    ASSERT_TRUE(CreateInto(prober, kFfPreviewName));
    ASSERT_TRUE(prober->Probe(clip.c_str(), &item.input.media));
  }
  const MediaInfo& media = item.input.media;
  ASSERT_EQ(media.videoCount, 1);
  item.sourcePath = QString::fromStdString(clip);
  item.input.effects.volume = 256;
  item.input.clipLength = media.duration;
  item.input.cropWidth = media.width;
  item.input.cropHeight = media.height;
  item.input.zoomMode = 1;
  item.input.videoId = media.videoStreamId;
  item.input.audioId = -1;
  item.input.subtitleId = -1;

  QWidget window;
  auto* markBox = new TMarkPanel(&window);
  auto* cropBox = new TCropPanelEx(&window);
  PreviewWrapper wrapper(context_);
  PreviewSetup setup;
  setup.item = &item;
  setup.outWidth = 320;
  setup.outHeight = 240;
  setup.viewRect = QRect(0, 0, 264, 198);
  setup.markBox = markBox;
  setup.cropView = true;
  setup.cropRect = QRect(270, 0, 200, 150);
  setup.cropBox = cropBox;
  setup.snapshotOn = true;
  ASSERT_TRUE(wrapper.Open(setup)) << wrapper.PreviewLog().toStdString();
  wrapper.Engine()->Play();

  EXPECT_TRUE(WaitUntil([&] { return markBox->HasBkBmp(); }, 5s)) << "the main view's frames";
  EXPECT_TRUE(WaitUntil([&] { return cropBox->HasBkBmp(); }, 5s)) << "the crop view's frames";

  const QString file = Root("snapshot.bmp");
  ASSERT_TRUE(wrapper.TakeSnapshot(file)) << wrapper.PreviewLog().toStdString();
  wrapper.Close();
  const QImage picture(file);
  ASSERT_EQ(picture.size(), QSize(304, 240));
  // The clip's quadrants, clockwise from the top left: red, green, yellow, blue.
  const QColor topLeft = picture.pixelColor(76, 60);
  const QColor bottomLeft = picture.pixelColor(76, 180);
  EXPECT_GT(topLeft.red(), 150);
  EXPECT_LT(topLeft.blue(), 100);
  EXPECT_GT(bottomLeft.blue(), 150);
  EXPECT_LT(bottomLeft.red(), 100);
}

}  // namespace
