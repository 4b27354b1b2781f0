#include <gtest/gtest.h>

#include <QBuffer>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>
#include <atomic>
#include <thread>

#include "tests/widgets/widget_test_support.h"
#include "widgets/tcroppanelex.h"
#include "widgets/tmarkpanel.h"

namespace {

// A bitmap file image the way the preview wrapper writes one: a 54-byte header with a positive
// (bottom-up) height, then rows of blue, green, red written from the picture's top row down.
QByteArray WrapperBitmap(const QImage& upright) {
  const QImage rgb = upright.convertToFormat(QImage::Format_RGB888);
  const int w = rgb.width(), h = rgb.height();
  QByteArray file(54, '\0');
  auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, file.data() + at); };
  auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, file.data() + at); };
  file[0] = 'B';
  file[1] = 'M';
  put32(10, 54);
  put32(14, 40);
  put32(18, quint32(w));
  put32(22, quint32(h));
  put16(26, 1);
  put16(28, 24);
  for (int y = 0; y < h; ++y) {
    const uchar* row = rgb.constScanLine(y);
    for (int x = 0; x < w; ++x) {
      const char bgr[3] = {char(row[3 * x + 2]), char(row[3 * x + 1]), char(row[3 * x])};
      file.append(bgr, 3);
    }
    file.append((4 - (3 * w) % 4) % 4, '\0');
  }
  put32(2, quint32(file.size()));
  return file;
}

// An upright 320 × 240 frame: the top half grey 200, the bottom half grey 201.
QImage TwoBandFrame(int w = 320, int h = 240) {
  QImage frame(w, h, QImage::Format_RGB32);
  frame.fill(QColor(200, 200, 200));
  QPainter(&frame).fillRect(0, h / 2, w, h - h / 2, QColor(201, 201, 201));
  return frame;
}

template <class Panel>
class BoxPanelFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.resize(400, 300);
    panel_ = new Panel(&window_);
    panel_->setGeometry(10, 10, 320, 240);
    panel_->SetBevelWidth(0);
    window_.show();
  }

  void Press(QPoint p) { QTest::mousePress(panel_, Qt::LeftButton, {}, p); }
  void Drag(QPoint p) { QTest::mouseMove(panel_, p); }
  void Release(QPoint p) { QTest::mouseRelease(panel_, Qt::LeftButton, {}, p); }
  // A move with no button held, as when the pointer only passes over the panel.
  void Hover(QPoint p) {
    QMouseEvent move(QEvent::MouseMove, p, panel_->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(panel_, &move);
  }
  QColor Shown(int x, int y) { return PixelOf(*panel_, x, y); }

  QWidget window_;
  Panel* panel_ = nullptr;
};

class CropPanelTest : public BoxPanelFixture<TCropPanelEx> {
 protected:
  void SetUp() override {
    BoxPanelFixture::SetUp();
    panel_->fSetTransparent(50);
    SetCrop(50, 40, 100, 80);
  }
  void SetCrop(int l, int t, int w, int h) {
    panel_->fSetCropLeft(l);
    panel_->fSetCropTop(t);
    panel_->fSetCropWidth(w);
    panel_->fSetCropHeight(h);
  }
  QRect Crop() const {
    return {panel_->CropLeft(), panel_->CropTop(), panel_->CropWidth(), panel_->CropHeight()};
  }
};

TEST_F(CropPanelTest, TransparentWrapsIntoAPercentage) {
  EXPECT_EQ(TCropPanelEx().Transparent(), 75);
  const int cases[][2] = {{150, 49}, {-1, 100}, {101, 0}, {0, 0}, {100, 100}};
  for (const auto& c : cases) {
    panel_->fSetTransparent(c[0]);
    EXPECT_EQ(panel_->Transparent(), c[1]) << c[0];
  }
}

TEST_F(CropPanelTest, ShowsTheFrameUprightDimmedOutsideTheCropAt50OverBlack) {
  SetCrop(50, 40, 100, 120);
  panel_->UpdateBkBmp(WrapperBitmap(TwoBandFrame()));
  EXPECT_EQ(Shown(100, 60), QColor(200, 200, 200));   // inside, top half
  EXPECT_EQ(Shown(100, 110), QColor(200, 200, 200));  // inside, still the top half
  EXPECT_EQ(Shown(10, 10), QColor(100, 100, 100));    // outside: 200 at 50 % over black
  EXPECT_EQ(Shown(10, 230), QColor(100, 100, 100));   // outside: 201 at 50 % also 100
  EXPECT_EQ(Shown(100, 130), QColor(201, 201, 201));  // inside, bottom half

  panel_->fSetTransparent(0);
  EXPECT_EQ(Shown(10, 10), QColor(Qt::black));
  panel_->fSetTransparent(100);
  EXPECT_EQ(Shown(10, 230), QColor(201, 201, 201));
}

TEST_F(CropPanelTest, AFrameOnePixelOffThePanelSizeIsNotDrawn) {
  panel_->UpdateBkBmp(WrapperBitmap(TwoBandFrame(321, 240)));
  EXPECT_TRUE(panel_->HasBkBmp());
  EXPECT_EQ(Shown(100, 60), QColor(Qt::black));
  panel_->UpdateBkBmp(WrapperBitmap(TwoBandFrame(320, 239)));
  EXPECT_EQ(Shown(100, 60), QColor(Qt::black));
}

TEST_F(CropPanelTest, FramesOfOtherDepthsAndBrokenFramesAreHandled) {
  QByteArray bmp32;
  QBuffer buffer(&bmp32);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(TwoBandFrame().mirrored().convertToFormat(QImage::Format_ARGB32).save(&buffer, "BMP"));
  panel_->fSetTransparent(100);
  panel_->UpdateBkBmp(bmp32);
  EXPECT_EQ(Shown(10, 10), QColor(200, 200, 200));

  // A broken frame keeps the last good one.
  panel_->UpdateBkBmp(QByteArray("BM\x10\0garbage", 12));
  panel_->UpdateBkBmp(QByteArray());
  EXPECT_EQ(Shown(10, 10), QColor(200, 200, 200));

  // The stream is read from its start, wherever it was left.
  QBuffer stream;
  stream.open(QIODevice::ReadWrite);
  stream.write(WrapperBitmap(TwoBandFrame().mirrored()));
  panel_->UpdateBkBmp(stream);
  EXPECT_EQ(Shown(10, 10), QColor(201, 201, 201));

  panel_->FreeBkBmp();
  EXPECT_FALSE(panel_->HasBkBmp());
  EXPECT_EQ(Shown(10, 10), QColor(Qt::black));
}

TEST_F(CropPanelTest, TheBoxIsDrawnWithItsPenAndGaps) {
  panel_->SetBoxPen(QPen(Qt::yellow, 1, Qt::SolidLine));
  EXPECT_EQ(Shown(70, 40), QColor(Qt::yellow));  // on the top line
  EXPECT_EQ(Shown(50, 60), QColor(Qt::yellow));  // on the left line
  EXPECT_EQ(Shown(47, 40), QColor(Qt::yellow));  // the left side of the top-left handle square
  EXPECT_EQ(Shown(99, 37), QColor(Qt::yellow));  // the top side of the top-middle handle square
  EXPECT_EQ(Shown(50, 40), QColor(Qt::black));   // the outline is interrupted inside each square
  EXPECT_EQ(Shown(99, 40), QColor(Qt::black));
  EXPECT_EQ(Shown(100, 80), QColor(Qt::black));  // the interior
}

TEST_F(CropPanelTest, DraggingTheLeftEdgeStopsAtWidth15AndAtColumn0) {
  QSignalSpy drags(panel_, &TCropPanelEx::OnDragCrop);
  Hover(QPoint(52, 80));
  EXPECT_EQ(panel_->cursor().shape(), Qt::SizeHorCursor);
  Press(QPoint(52, 80));
  Drag(QPoint(300, 80));
  EXPECT_EQ(Crop(), QRect(135, 40, 15, 80));
  Drag(QPoint(-300, 90));
  EXPECT_EQ(Crop(), QRect(0, 40, 150, 80));
  Release(QPoint(-300, 90));
  EXPECT_EQ(drags.count(), 2);
  EXPECT_EQ(drags.at(0).at(0).value<TCropPanelEx*>(), panel_);
}

TEST_F(CropPanelTest, MovingAgainstTheRightBorderKeepsTheWidth) {
  Press(QPoint(100, 80));
  EXPECT_EQ(panel_->DragState(), skin::DragState::Move);
  EXPECT_EQ(panel_->cursor().shape(), Qt::SizeAllCursor);
  Drag(QPoint(1000, 80));
  EXPECT_EQ(Crop(), QRect(220, 40, 100, 80));
  EXPECT_EQ(panel_->CropLeft() + panel_->CropWidth(), 320);
  Release(QPoint(1000, 80));
}

TEST_F(CropPanelTest, ATopEdgeDragChangesOnlyTopAndHeight) {
  Press(QPoint(100, 42));
  Drag(QPoint(400, 20));
  Drag(QPoint(-200, 30));
  EXPECT_EQ(Crop(), QRect(50, 28, 100, 92));
  Release(QPoint(-200, 30));
}

TEST_F(CropPanelTest, AReleaseOutsideEndsTheDragAndHoverCursorsReturn) {
  Press(QPoint(100, 80));
  Drag(QPoint(500, 80));
  Release(QPoint(500, 80));
  EXPECT_FALSE(panel_->Dragging());
  const QRect moved = Crop();
  Hover(QPoint(moved.left() + 2, 80));
  EXPECT_EQ(panel_->DragState(), skin::DragState::Left);
  EXPECT_EQ(panel_->cursor().shape(), Qt::SizeHorCursor);
  Hover(QPoint(moved.left() + 2, moved.top()));
  EXPECT_EQ(panel_->cursor().shape(), Qt::SizeFDiagCursor);
  Hover(QPoint(5, 5));
  EXPECT_EQ(panel_->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(Crop(), moved);
}

TEST_F(CropPanelTest, FramesMayArriveFromAnotherThreadWhileThePanelPaints) {
  std::atomic<bool> done{false};
  const QByteArray grey = WrapperBitmap(TwoBandFrame());
  QImage white(320, 240, QImage::Format_RGB32);
  white.fill(Qt::white);
  const QByteArray last = WrapperBitmap(white);
  std::thread engine([&] {
    for (int i = 0; i < 200; ++i) {
      panel_->UpdateBkBmp(i % 2 ? grey : last);
    }
    panel_->UpdateBkBmp(last);
    done = true;
  });
  while (!done) {
    panel_->repaint();
    QCoreApplication::processEvents();
  }
  engine.join();
  QCoreApplication::processEvents();
  panel_->fSetTransparent(100);
  EXPECT_EQ(Shown(10, 10), QColor(Qt::white));
}

class MarkPanelTest : public BoxPanelFixture<TMarkPanel> {
 protected:
  void SetUp() override {
    BoxPanelFixture::SetUp();
    panel_->SetColor(QColor(128, 0, 0));
    panel_->SetBoxPen(QPen(Qt::yellow, 1, Qt::SolidLine));
    panel_->UpdateBkBmp(WrapperBitmap(TwoBandFrame()));
    panel_->fSetMarkLeft(200);
    panel_->fSetMarkTop(150);
    panel_->fSetMarkWidth(105);
    panel_->fSetMarkHeight(41);
  }
  QRect Mark() const {
    return {panel_->MarkLeft(), panel_->MarkTop(), panel_->MarkWidth(), panel_->MarkHeight()};
  }
};

TEST_F(MarkPanelTest, DisabledItIgnoresTheMouseAndDrawsNoBox) {
  QSignalSpy drags(panel_, &TMarkPanel::OnDragMark);
  EXPECT_EQ(Shown(220, 150), QColor(201, 201, 201));  // the frame, copied unchanged
  Press(QPoint(250, 170));
  Drag(QPoint(10, 10));
  Release(QPoint(10, 10));
  EXPECT_EQ(Mark(), QRect(200, 150, 105, 41));
  EXPECT_EQ(drags.count(), 0);
  EXPECT_EQ(panel_->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MarkPanelTest, EnabledItDrawsTheBoxOnlyWithWidthAndHeight) {
  panel_->fSetEnableMark(true);
  EXPECT_EQ(Shown(220, 150), QColor(Qt::yellow));
  panel_->fSetMarkWidth(0);
  EXPECT_EQ(Shown(220, 150), QColor(201, 201, 201));
  panel_->fSetMarkWidth(105);
  panel_->fSetMarkHeight(0);
  EXPECT_EQ(Shown(220, 150), QColor(201, 201, 201));
}

TEST_F(MarkPanelTest, EnabledItDragsTheBoxByTheSameRule) {
  panel_->fSetEnableMark(true);
  QSignalSpy drags(panel_, &TMarkPanel::OnDragMark);
  Press(QPoint(250, 170));
  Drag(QPoint(-500, -500));
  EXPECT_EQ(Mark(), QRect(0, 0, 105, 41));
  Release(QPoint(-500, -500));
  Press(QPoint(104, 40));  // bottom-right corner
  EXPECT_EQ(panel_->cursor().shape(), Qt::SizeFDiagCursor);
  Drag(QPoint(1000, 1000));
  EXPECT_EQ(Mark(), QRect(0, 0, 320, 240));
  Release(QPoint(1000, 1000));
  EXPECT_EQ(drags.count(), 2);

  // Switching it off mid-way leaves no drag and no sizing cursor behind.
  Press(QPoint(2, 2));
  panel_->fSetEnableMark(false);
  Drag(QPoint(100, 100));
  EXPECT_EQ(Mark(), QRect(0, 0, 320, 240));
  EXPECT_FALSE(panel_->Dragging());
  EXPECT_EQ(panel_->cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
