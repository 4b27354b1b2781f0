#include "widgets/tskinprocess.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tests/widgets/widget_test_support.h"
#include "widgets/ssbutton.h"

namespace {

const QColor kFill(240, 138, 60);

// The main window's preview slider: a 263 × 10 track at (40, 338) with a 4-pixel-high fill and a
// 14-pixel thumb from files, base line 6.
class SkinProcessTest : public ::testing::Test {
 protected:
  static constexpr int kLeft = 40, kTop = 338;

  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    QImage fill(4, 4, QImage::Format_RGB32);
    fill.fill(kFill);
    ASSERT_TRUE(fill.save(Path("progress.bmp")));
    ASSERT_TRUE(SolidStrip(14, 14, {Qt::white, Qt::yellow, Qt::red}).save(Path("slide.bmp")));
    window_.resize(400, 420);
    slider_ = new TSkinProcess(&window_);
    slider_->setGeometry(kLeft, kTop, 263, 10);
  }

  void SetUpLikeTheMainWindow() {
    ASSERT_TRUE(slider_->SetImage2(Path("progress.bmp")));
    ASSERT_TRUE(slider_->SetImage3(Path("slide.bmp")));
    slider_->SetBaseLine(6);
    slider_->SetExtRange(1, slider_->width() - 2);
    slider_->Setprocess(0);
    window_.show();
  }

  QString Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
  TssSkinButton* Thumb() const { return slider_->Image3(); }
  int ThumbCentre() const { return Thumb()->x() + Thumb()->width() / 2; }

  // Drags the thumb by dx window pixels in one move, pressing where it was grabbed.
  void DragThumb(int dx, int steps = 1) {
    const QPoint grab(7, 7);
    QTest::mousePress(Thumb(), Qt::LeftButton, {}, grab);
    const int start = Thumb()->x();
    for (int i = 1; i <= steps; ++i) {
      // Positions are inside the thumb, which follows the pointer.
      const int pointer = start + grab.x() + dx * i / steps;
      QTest::mouseMove(Thumb(), QPoint(pointer - Thumb()->x(), grab.y()));
    }
    QTest::mouseRelease(Thumb(), Qt::LeftButton, {}, QPoint(start + grab.x() + dx - Thumb()->x(), grab.y()));
  }

  QTemporaryDir dir_;
  QWidget window_;
  TSkinProcess* slider_ = nullptr;
};

TEST_F(SkinProcessTest, PlacesFillAndThumbOnTheParentAroundTheBaseLine) {
  SetUpLikeTheMainWindow();
  ASSERT_NE(slider_->Image2(), nullptr);
  EXPECT_EQ(slider_->Image2()->parentWidget(), &window_);
  EXPECT_EQ(Thumb()->parentWidget(), &window_);
  EXPECT_EQ(slider_->Image2()->geometry(), QRect(kLeft + 1, kTop + 6 - 2, 0, 4));
  EXPECT_EQ(Thumb()->geometry(), QRect(kLeft + 1 - 7, kTop + 6 - 7, 14, 14));

  slider_->Setprocess(50);
  EXPECT_EQ(ThumbCentre(), kLeft + 1 + 130);
  EXPECT_EQ(slider_->Image2()->width(), 130);
  EXPECT_EQ(slider_->Getprocess(), 49);
  EXPECT_EQ(PixelOf(window_, kLeft + 60, kTop + 5), kFill);

  slider_->Setprocess(150);
  EXPECT_EQ(ThumbCentre(), kLeft + 1 + 261);
  EXPECT_EQ(slider_->Image2()->width(), 391);
}

TEST_F(SkinProcessTest, ARealDragReportsOnceAtTheReleaseUnlessMovesAreNotified) {
  SetUpLikeTheMainWindow();
  QSignalSpy changes(slider_, &TSkinProcess::OnProcessChange);
  DragThumb(100, 4);
  EXPECT_EQ(ThumbCentre(), kLeft + 1 + 100);
  EXPECT_EQ(slider_->Image2()->width(), 100);
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes.at(0).at(0).toInt(), 38);

  changes.clear();
  slider_->SetMoveChangeNotify(true);
  DragThumb(-1000, 2);
  EXPECT_EQ(ThumbCentre(), kLeft + 1);
  ASSERT_EQ(changes.count(), 3);
  EXPECT_EQ(changes.last().at(0).toInt(), 0);
}

TEST_F(SkinProcessTest, RangeModeStopsADragAtTheFillsEndsUnlessFree) {
  SetUpLikeTheMainWindow();
  slider_->SetImage2Range(51, 100);
  EXPECT_EQ(slider_->Image2()->geometry().left(), kLeft + 51);
  EXPECT_EQ(slider_->Image2()->width(), 100);
  DragThumb(1000);
  EXPECT_EQ(ThumbCentre(), kLeft + 151);
  DragThumb(-1000);
  EXPECT_EQ(ThumbCentre(), kLeft + 51);

  slider_->SetFreeMode(true);
  DragThumb(-1000);
  EXPECT_EQ(ThumbCentre(), kLeft + 1);
  DragThumb(1000);
  EXPECT_EQ(ThumbCentre(), kLeft + 262);
  EXPECT_EQ(slider_->Image2()->width(), 100);
}

TEST_F(SkinProcessTest, AClickOnTrackOrFillCentresTheThumbThere) {
  SetUpLikeTheMainWindow();
  QSignalSpy changes(slider_, &TSkinProcess::OnProcessChange);
  QSignalSpy presses(slider_, &TSkinProcess::OnMouseDown);
  QTest::mousePress(slider_, Qt::RightButton, {}, QPoint(100, 5));
  EXPECT_EQ(ThumbCentre(), kLeft + 100);
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes.at(0).at(0).toInt(), 37);
  ASSERT_EQ(presses.count(), 1);
  EXPECT_EQ(presses.at(0).at(1).toInt(), 100);

  // The fill now spans columns 41..139; a press 20 pixels into it is column 61.
  QTest::mousePress(slider_->Image2(), Qt::LeftButton, {}, QPoint(20, 2));
  EXPECT_EQ(ThumbCentre(), kLeft + 21);
  EXPECT_EQ(changes.count(), 2);
  EXPECT_EQ(presses.last().at(1).toInt(), 21);
}

TEST_F(SkinProcessTest, AProgressBarWithoutThumbHasNoHandlingOfItsOwn) {
  ASSERT_TRUE(slider_->SetImage2(Path("progress.bmp")));
  slider_->SetBaseLine(10);
  slider_->SetExtRange(0, slider_->width());
  window_.show();
  QSignalSpy changes(slider_, &TSkinProcess::OnProcessChange);
  slider_->Setprocess(40);
  EXPECT_EQ(slider_->Image2()->width(), 105);
  QTest::mousePress(slider_, Qt::LeftButton, {}, QPoint(200, 5));
  QTest::mousePress(slider_->Image2(), Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(changes.count(), 0);
  EXPECT_EQ(slider_->Image2()->width(), 105);
  EXPECT_EQ(slider_->Getprocess(), 0);
}

TEST_F(SkinProcessTest, UnreadablePicturesGiveAWorkingPlainSlider) {
  EXPECT_FALSE(slider_->SetImage2(Path("missing.bmp")));
  QFile corrupt(Path("corrupt.bmp"));
  ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
  corrupt.write("BM this is not a picture");
  corrupt.close();
  EXPECT_FALSE(slider_->SetImage3(Path("corrupt.bmp")));
  ASSERT_NE(slider_->Image2(), nullptr);
  ASSERT_NE(Thumb(), nullptr);
  EXPECT_GT(Thumb()->width(), 0);
  EXPECT_LT(Thumb()->width(), 50);
  slider_->SetBaseLine(6);
  slider_->SetExtRange(1, 261);
  window_.show();
  DragThumb(130);
  EXPECT_EQ(slider_->Getprocess(), 49);
  EXPECT_GT(slider_->Image2()->width(), 0);
}

TEST_F(SkinProcessTest, FillAndThumbFollowTheTracksPlaceAndVisibility) {
  SetUpLikeTheMainWindow();
  slider_->Setprocess(50);
  const QRect fill = slider_->Image2()->geometry();
  const QRect thumb = Thumb()->geometry();
  slider_->move(kLeft + 10, kTop - 100);
  EXPECT_EQ(slider_->Image2()->geometry(), fill.translated(10, -100));
  EXPECT_EQ(Thumb()->geometry(), thumb.translated(10, -100));
  EXPECT_EQ(slider_->Getprocess(), 49);

  slider_->hide();
  EXPECT_FALSE(Thumb()->isVisible());
  EXPECT_FALSE(slider_->Image2()->isVisible());
  slider_->show();
  EXPECT_TRUE(Thumb()->isVisible());
  slider_->setEnabled(false);
  EXPECT_FALSE(Thumb()->isEnabled());

  delete slider_;
  EXPECT_EQ(window_.findChildren<TssSkinButton*>().size(), 0);
}

}  // namespace
