#include "widgets/ssbutton.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <string>

#include "tests/widgets/widget_test_support.h"
#include "widgets/ssnumber.h"

namespace {

const QColor kNormal(10, 20, 30), kOver(40, 50, 60), kDown(70, 80, 90), kOff(100, 110, 120);

// A shown window with one button painted from a 90-pixel strip of solid frames.
class SkinButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.resize(200, 100);
    button_ = new TssSkinButton(&window_);
    button_->move(10, 10);
    button_->SetSkin(SolidStrip(30, 20, {kNormal, kOver, kDown}));
    window_.show();
  }

  void Enter() {
    QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
    QCoreApplication::sendEvent(button_, &enter);
  }
  QColor Shown() { return PixelOf(*button_, 5, 5); }

  QWidget window_;
  TssSkinButton* button_ = nullptr;
};

TEST_F(SkinButtonTest, AThreeFrameStripOf90PixelsMakesA30PixelButton) {
  EXPECT_EQ(button_->size(), QSize(30, 20));
  EXPECT_EQ(Shown(), kNormal);
}

TEST_F(SkinButtonTest, EachStatePaintsItsFrameAndMissingFramesFallBackToNormal) {
  Enter();
  EXPECT_TRUE(button_->Hover());
  EXPECT_EQ(Shown(), kOver);
  QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(Shown(), kDown);
  QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(Shown(), kOver);

  // Three frames hold no disabled picture: the normal one shows.
  button_->setEnabled(false);
  EXPECT_EQ(Shown(), kNormal);

  button_->SetSkin(SolidStrip(30, 20, {kNormal, kOver, kDown, kOff}));
  button_->SetDivNum(4);
  EXPECT_EQ(button_->size(), QSize(30, 20));
  EXPECT_EQ(Shown(), kOff);

  button_->setEnabled(true);
  button_->SetDivNum(1);
  EXPECT_EQ(button_->size(), QSize(120, 20));
  Enter();
  EXPECT_EQ(Shown(), kNormal);
}

TEST_F(SkinButtonTest, DivNumOutsideOneToFourChangesNothing) {
  for (int bad : {5, 0, -3}) {
    button_->SetDivNum(bad);
    EXPECT_EQ(button_->DivNum(), 3) << bad;
    EXPECT_EQ(button_->size(), QSize(30, 20)) << bad;
  }
}

TEST_F(SkinButtonTest, APressReleasedOnTheButtonClicksOnce) {
  QSignalSpy clicks(button_, &TssCustomButton::OnClick);
  QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 0);
  QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(29, 19));
  EXPECT_EQ(clicks.count(), 1);
  // Only the left button clicks.
  QTest::mouseClick(button_, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1);
}

TEST_F(SkinButtonTest, APressDraggedOffAndReleasedThereDoesNotClick) {
  QSignalSpy clicks(button_, &TssCustomButton::OnClick);
  Enter();
  QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseMove(button_, QPoint(60, 5));
  EXPECT_FALSE(button_->Pressed());
  EXPECT_FALSE(button_->Hover());
  EXPECT_EQ(Shown(), kNormal);
  // Coming back without a new press does not press it again.
  QTest::mouseMove(button_, QPoint(5, 5));
  QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 0);

  // A release away from the button with no move in between does not click either.
  QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(-40, 5));
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(SkinButtonTest, MaskCutsTheKeyColourOfTheNormalFrame) {
  QImage strip = SolidStrip(30, 20, {kNormal, kOver, kDown});
  strip.setPixelColor(0, 0, kMagenta);
  strip.setPixelColor(29, 19, kMagenta);
  button_->SetSkin(strip);
  button_->SetMask(true);
  EXPECT_FALSE(button_->mask().contains(QPoint(0, 0)));
  EXPECT_FALSE(button_->mask().contains(QPoint(29, 19)));
  EXPECT_TRUE(button_->mask().contains(QPoint(1, 0)));
  EXPECT_TRUE(button_->mask().contains(QPoint(15, 10)));
  button_->SetMask(false);
  EXPECT_TRUE(button_->mask().isEmpty());
}

TEST_F(SkinButtonTest, WithoutAPictureTheButtonIs50By30) {
  button_->SetSkin(QImage());
  EXPECT_EQ(button_->size(), QSize(50, 30));
  button_->SetSkin(SolidStrip(0, 0, {}));
  EXPECT_EQ(button_->size(), QSize(50, 30));
  button_->SetSkin(SolidStrip(1, 20, {kNormal, kOver}));  // narrower than three frames
  EXPECT_EQ(button_->size(), QSize(50, 30));
  EXPECT_NO_FATAL_FAILURE(button_->grab());
}

TEST_F(SkinButtonTest, AnActionIsTriggeredUnlessSomethingListensToOnClick) {
  QAction action;
  QSignalSpy triggered(&action, &QAction::triggered);
  button_->SetAction(&action);
  QTest::mouseClick(button_, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(triggered.count(), 1);

  action.setEnabled(false);
  EXPECT_FALSE(button_->isEnabled());
  action.setEnabled(true);

  int onClick = 0;
  QObject::connect(button_, &TssCustomButton::OnClick, [&] { ++onClick; });
  QTest::mouseClick(button_, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(onClick, 1);
  EXPECT_EQ(triggered.count(), 1);
}

TEST(SkinButtonModalResult, ClosesItsDialogWithTheResultAfterTheClickHandlers) {
  QDialog dialog;
  auto* ok = new TssSkinButton(&dialog);
  ok->SetSkin(SolidStrip(30, 20, {kNormal, kOver, kDown}));
  ok->SetModalResult(QDialog::Accepted);
  bool visibleDuringClick = false;
  QObject::connect(ok, &TssCustomButton::OnClick, [&] { visibleDuringClick = dialog.isVisible(); });
  dialog.show();
  QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(visibleDuringClick);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);

  // A handler that closes the dialog itself keeps its own result.
  ok->SetModalResult(7);
  QObject::connect(ok, &TssCustomButton::OnClick, &dialog, [&] { dialog.done(3); });
  dialog.show();
  QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(dialog.result(), 3);
}

TEST_F(SkinButtonTest, ALinkButtonShowsItsHoverOnTheLinkedButton) {
  auto* caption = new TssSkinButton(&window_);
  caption->move(60, 10);
  caption->SetSkin(SolidStrip(30, 20, {kNormal, kOver, kDown}));
  auto* icon = new TssLinkButton(&window_);
  icon->SetSkin(SolidStrip(30, 20, {kNormal, kOver, kDown}));
  icon->SetLinkButton(caption);
  caption->show();
  icon->show();

  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QCoreApplication::sendEvent(icon, &enter);
  EXPECT_EQ(PixelOf(*caption, 5, 5), kOver);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(icon, &leave);
  EXPECT_EQ(PixelOf(*caption, 5, 5), kNormal);

  // A linked button that is gone is simply not shown any more.
  delete caption;
  QCoreApplication::sendEvent(icon, &enter);
  EXPECT_TRUE(icon->Hover());
}

TEST(SkinNumber, ShowsTheValuesDigitAndKeepsTheValueInRange) {
  QWidget window;
  auto* number = new TssSkinNumber(&window);
  EXPECT_EQ(number->size(), QSize(24, 40));  // no picture yet
  const QColor digits[] = {Qt::black,   Qt::red,    Qt::green, Qt::blue,    Qt::cyan,
                           Qt::magenta, Qt::yellow, Qt::gray,  Qt::darkRed, Qt::darkGreen};
  QImage strip(160, 24, QImage::Format_RGB32);
  for (int d = 0; d < 10; ++d) {
    QPainter(&strip).fillRect(16 * d, 0, 16, 24, digits[d]);
  }
  number->SetSkin(strip);
  window.show();
  EXPECT_EQ(number->size(), QSize(16, 24));
  number->SetValue(7);
  EXPECT_EQ(PixelOf(*number, 8, 8), QColor(digits[7]));
  number->SetValue(12);
  EXPECT_EQ(number->Value(), 7);
  number->SetMax(4);
  EXPECT_EQ(number->Value(), 4);
  number->SetMin(6);
  EXPECT_EQ(number->Value(), 6);
  // Min above Max leaves no frame to show: the plain box instead of a read past the strip.
  EXPECT_EQ(number->size(), QSize(24, 40));
  EXPECT_EQ(PixelOf(*number, 1, 1), QColor(Qt::white));
}

}  // namespace
