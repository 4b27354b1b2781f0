#include "platform/render_surface.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QTest>
#include <atomic>
#include <chrono>
#include <climits>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "plug/plug_ptr.h"
#include "tests/platform_surface/bgr_frame.h"

namespace {

using platform::RenderSurface;
using surface_test::Bgr;
using surface_test::BgrFrame;
using surface_test::PresentFromThread;
using surface_test::QuadrantFrame;
using surface_test::RunEventsUntil;
using surface_test::Shown;
using surface_test::SolidFrame;

// Blue and red differ in every quadrant, so a frame read as R,G,B shows the wrong colours.
constexpr Bgr kQuadrants[4] = {{10, 20, 200}, {200, 30, 40}, {50, 180, 60}, {240, 240, 20}};
constexpr int kWidth = 64;
constexpr int kHeight = 48;

std::string HandleOf(const RenderSurface& surface) {
  return surface.Handle().toStdString();
}

void ExpectQuadrants(const QImage& shown, const Bgr (&quadrants)[4]) {
  const int w = shown.width();
  const int h = shown.height();
  const QPoint centres[4] = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(shown.pixelColor(centres[i]), quadrants[i].Colour()) << "quadrant " << i;
  }
}

int NonBlackPixels(const QImage& shown) {
  int count = 0;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      count += shown.pixelColor(x, y) != QColor(Qt::black);
    }
  }
  return count;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  std::atomic<int> paints{0};

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      ++paints;
    }
    return false;
  }
};

class RenderSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateInto(surfaces_, kRenderSurfaceName)); }

  bool Present(const std::string& handle, const BgrFrame& frame) {
    return PresentFromThread(*surfaces_, handle, frame);
  }

  PlugPtr<I_RenderSurface> surfaces_;
};

TEST_F(RenderSurfaceTest, FramePresentedFromAnotherThreadIsPaintedScaledToTheWidget) {
  struct Shape {
    const char* what;
    int32_t width, height, stride;
  };
  const Shape shapes[] = {
      {"rows packed", kWidth, kHeight, kWidth * 3},
      {"rows padded by a part of a pixel", kWidth, kHeight, kWidth * 3 + 7},
      {"rows padded to twice their length", kWidth, kHeight, kWidth * 6},
      {"smaller than the widget", kWidth / 2, kHeight / 2, kWidth / 2 * 3 + 5},
      {"larger than the widget", kWidth * 2, kHeight * 2, kWidth * 6},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.what);
    RenderSurface surface;
    surface.resize(kWidth, kHeight);
    surface.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&surface));
    PaintCounter counter;
    surface.installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;

    ASSERT_TRUE(
        Present(HandleOf(surface), QuadrantFrame(shape.width, shape.height, shape.stride, kQuadrants)));
    EXPECT_TRUE(RunEventsUntil([&] { return counter.paints > 0; })) << "no repaint followed the frame";
    ExpectQuadrants(Shown(surface), kQuadrants);
  }
}

TEST_F(RenderSurfaceTest, BlackBeforeTheFirstFrameAndAfterClear) {
  RenderSurface surface;
  surface.resize(40, 30);
  EXPECT_EQ(NonBlackPixels(Shown(surface)), 0);

  ASSERT_TRUE(Present(HandleOf(surface), QuadrantFrame(40, 30, 40 * 3, kQuadrants)));
  ExpectQuadrants(Shown(surface), kQuadrants);

  surface.Clear();
  EXPECT_EQ(NonBlackPixels(Shown(surface)), 0);
}

TEST_F(RenderSurfaceTest, ShownFrameIsACopyNotTheCallersBuffer) {
  RenderSurface surface;
  surface.resize(kWidth, kHeight);
  BgrFrame frame = QuadrantFrame(kWidth, kHeight, kWidth * 3, kQuadrants);
  ASSERT_TRUE(Present(HandleOf(surface), frame));
  std::fill(frame.bytes.begin(), frame.bytes.end(), uint8_t{0x7f});
  ExpectQuadrants(Shown(surface), kQuadrants);
}

TEST_F(RenderSurfaceTest, UnknownHandlesAndUnusableFramesAreRefusedAndShowNothing) {
  RenderSurface surface;
  surface.resize(kWidth, kHeight);
  const std::string live = HandleOf(surface);
  const BgrFrame frame = QuadrantFrame(kWidth, kHeight, kWidth * 3, kQuadrants);
  const uint8_t* bytes = frame.bytes.data();

  struct Refused {
    const char* what;
    std::string handle;
    bool noHandle;
    const uint8_t* bgr;
    int32_t width, height, stride;
  };
  const Refused cases[] = {
      {"no handle", "", true, bytes, kWidth, kHeight, kWidth * 3},
      {"empty handle", "", false, bytes, kWidth, kHeight, kWidth * 3},
      {"handle 0", "0", false, bytes, kWidth, kHeight, kWidth * 3},
      {"not a number", "MarkPanel1", false, bytes, kWidth, kHeight, kWidth * 3},
      {"text after the number", live + "x", false, bytes, kWidth, kHeight, kWidth * 3},
      {"blank before the number", " " + live, false, bytes, kWidth, kHeight, kWidth * 3},
      {"signed", "+" + live, false, bytes, kWidth, kHeight, kWidth * 3},
      {"negative", "-" + live, false, bytes, kWidth, kHeight, kWidth * 3},
      {"no such surface", "987654321098", false, bytes, kWidth, kHeight, kWidth * 3},
      {"past 64 bits", "99999999999999999999999", false, bytes, kWidth, kHeight, kWidth * 3},
      {"no pixels", live, false, nullptr, kWidth, kHeight, kWidth * 3},
      {"zero width", live, false, bytes, 0, kHeight, kWidth * 3},
      {"zero height", live, false, bytes, kWidth, 0, kWidth * 3},
      {"negative width", live, false, bytes, -kWidth, kHeight, kWidth * 3},
      {"negative height", live, false, bytes, kWidth, -kHeight, kWidth * 3},
      {"stride short of a row", live, false, bytes, kWidth, kHeight, kWidth * 3 - 1},
      {"negative stride", live, false, bytes, kWidth, kHeight, -kWidth * 3},
      // Were these taken, the copy would read far past the caller's buffer.
      {"width past any picture", live, false, bytes, INT32_MAX, 1, INT32_MAX},
      {"height past any picture", live, false, bytes, 1, INT32_MAX, 3},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.what);
    bool accepted = true;
    std::thread presenter([&] {
      accepted =
          surfaces_->Present(c.noHandle ? nullptr : c.handle.c_str(), c.bgr, c.width, c.height, c.stride);
    });
    presenter.join();
    EXPECT_FALSE(accepted);
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(NonBlackPixels(Shown(surface)), 0) << "a refused frame reached the widget";

  EXPECT_TRUE(Present(live, frame)) << "the same frame to the live handle is taken";
}

TEST_F(RenderSurfaceTest, EveryWidgetGetsAFreshHandle) {
  std::vector<std::unique_ptr<RenderSurface>> surfaces;
  std::vector<std::string> handles;
  const auto make = [&](int count) {
    for (int i = 0; i < count; ++i) {
      surfaces.push_back(std::make_unique<RenderSurface>());
      handles.push_back(HandleOf(*surfaces.back()));
    }
  };
  make(4);
  surfaces.erase(surfaces.begin() + 1, surfaces.begin() + 3);
  make(3);

  EXPECT_EQ(std::set<std::string>(handles.begin(), handles.end()).size(), handles.size())
      << "a handle was given twice, or again after its widget went";
  for (const std::string& handle : handles) {
    SCOPED_TRACE(handle);
    ASSERT_FALSE(handle.empty());
    EXPECT_LT(handle.size(), 32u) << "must fit the open record's handle field";
    EXPECT_EQ(handle.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_NE(handle[0], '0');
  }
  for (const std::string& gone : {handles[1], handles[2]}) {
    EXPECT_FALSE(Present(gone, SolidFrame(8, 8, {1, 2, 3})));
  }
}

TEST_F(RenderSurfaceTest, EachWidgetShowsOnlyTheFramesPresentedToItsHandle) {
  const Bgr colours[] = {{0, 0, 255}, {255, 0, 0}, {0, 255, 0}};
  std::vector<std::unique_ptr<RenderSurface>> surfaces;
  for (int i = 0; i < 3; ++i) {
    surfaces.push_back(std::make_unique<RenderSurface>());
    surfaces.back()->resize(kWidth, kHeight);
  }
  // One engine per widget, all presenting at once; each widget's last frame is its own colour.
  std::atomic<int> refused{0};
  std::vector<std::thread> engines;
  for (int i = 0; i < 3; ++i) {
    engines.emplace_back([&, i] {
      const std::string handle = HandleOf(*surfaces[i]);
      for (int frame = 0; frame < 50; ++frame) {
        const BgrFrame picture =
            frame % 2 == 0 ? SolidFrame(kWidth, kHeight, {9, 9, 9}) : SolidFrame(kWidth, kHeight, colours[i]);
        if (!surfaces_->Present(handle.c_str(), picture.bytes.data(), picture.width, picture.height,
                                picture.stride)) {
          ++refused;
        }
      }
    });
  }
  for (std::thread& engine : engines) {
    engine.join();
  }
  EXPECT_EQ(refused, 0);
  QCoreApplication::processEvents();
  for (int i = 0; i < 3; ++i) {
    const QImage shown = Shown(*surfaces[i]);
    EXPECT_EQ(shown.pixelColor(0, 0), colours[i].Colour()) << "widget " << i;
    EXPECT_EQ(shown.pixelColor(kWidth - 1, kHeight - 1), colours[i].Colour()) << "widget " << i;
  }
}

// The engine keeps presenting while the window goes; the widget must be gone from the table before it
// is torn down, and a frame being handed over must finish first. AddressSanitizer builds turn a slip
// into a report. Tiny frames keep the engine in the handover rather than in the copy, and many rounds
// let the destruction land inside it.
TEST_F(RenderSurfaceTest, WidgetDestroyedWhileAnEnginePresentsToIt) {
  const BgrFrame frame = QuadrantFrame(4, 4, 4 * 3, kQuadrants);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    auto* surface = new RenderSurface;
    surface->resize(32, 24);
    surface->show();
    const std::string handle = HandleOf(*surface);
    std::atomic<int> accepted{0};
    std::atomic<bool> refused{false};
    std::thread engine([&] {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (std::chrono::steady_clock::now() < deadline) {
        if (!surfaces_->Present(handle.c_str(), frame.bytes.data(), frame.width, frame.height,
                                frame.stride)) {
          refused = true;
          return;
        }
        ++accepted;
      }
    });
    // Let some frames arrive and be painted, then pull the widget away mid-stream.
    RunEventsUntil([&] { return accepted > round % 4; });
    delete surface;
    engine.join();
    EXPECT_GT(accepted, 0);
    EXPECT_TRUE(refused) << "Present kept accepting frames for a destroyed widget";
    QCoreApplication::processEvents();  // repaints posted for the widget are dropped with it
    EXPECT_FALSE(Present(handle, frame));
  }
}

}  // namespace
