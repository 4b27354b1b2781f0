#include <QImage>
#include <QTimer>
#include <chrono>

#include "platform/render_surface.h"
#include "tests/convert_engine/media_maker.h"
#include "tests/mainwin/main_window_test_support.h"

namespace {

using namespace mainwin_test;

// The player with the program's own modules: the FFmpeg engine plays a generated clip into the panel,
// and a snapshot is written through the picture component.
class RealPlayerTest : public MainWindowTest {
 protected:
  bool UsesFakeEngine() const override { return false; }

  void SetUp() override {
    MainWindowTest::SetUp();
    for (const auto& [file, component] :
         {std::pair{"libffengine.so", kFfPreviewName}, std::pair{"libimageedit.so", kEditName}}) {
      if (FindPlugEntry(OpenPlugTable(), component) == nullptr) {
        const std::string path = std::string(std::getenv("KV_BIN_DIR")) + "/plugins/" + file;
        ASSERT_NE(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
      }
    }
  }

  // Waits with the window's message loop running until `done` holds; false after `timeout`.
  static bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) {
        return false;
      }
      Idle(20);
    }
    return true;
  }
};

// The share of pixels of `picture` that are not black.
double LitShare(const QImage& picture) {
  if (picture.isNull()) {
    return 0;
  }
  int lit = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      lit += qGray(picture.pixel(x, y)) > 40 ? 1 : 0;
    }
  }
  return static_cast<double>(lit) / (picture.width() * picture.height());
}

TEST_F(RealPlayerTest, PlaysIntoThePanelAndTakesASnapshotOfTheSourcesSize) {
  media_maker::ClipPlan plan;
  plan.width = 318;  // a snapshot rounds it to 320
  plan.height = 240;
  plan.seconds = 3.0;
  plan.fullChroma = true;
  const QString clip = media_.path() + "/clip.mkv";
  std::string error;
  ASSERT_TRUE(media_maker::MakeClip(clip.toStdString(), plan, &error)) << error;

  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {clip});
    ASSERT_EQ(Tree(form).TopLevelCount(), 1);
    FocusOnly(form, {TopLevel(form)[0]});
    form.UpdateActions();
    form.actions.PreviewPlay->trigger();
    ASSERT_EQ(form.playState(), TConverterForm1::PlayState::Playing);
    EXPECT_TRUE(
        WaitUntil([&] { return LitShare(form.MarkPanel1->grab().toImage()) > 0.5; }, std::chrono::seconds(5)))
        << "the panel shows the clip's coloured quadrants";

    form.UpdateActions();
    form.actions.SnapShot->trigger();
    ASSERT_FALSE(form.lastSnapshot().isEmpty());
    const QImage snapshot(form.lastSnapshot());
    EXPECT_EQ(snapshot.size(), QSize(320, 240));
    EXPECT_GT(LitShare(snapshot), 0.5);

    // The clip plays to its end and the player stops by itself.
    EXPECT_TRUE(WaitUntil([&] { return form.playState() == TConverterForm1::PlayState::Stopped; },
                          std::chrono::seconds(8)));
  }));
}

}  // namespace
