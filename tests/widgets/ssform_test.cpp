#include "widgets/ssform.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>

#include "tests/widgets/widget_test_support.h"
#include "widgets/skin_window.h"

namespace {

// A window picture: an opaque body with key-coloured corners, a key-coloured top row and an opaque
// rightmost column.
QImage WindowPicture() {
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(QColor(30, 36, 48));
  QPainter painter(&picture);
  painter.fillRect(0, 0, 40, 1, kMagenta);
  painter.fillRect(0, 0, 3, 3, kMagenta);
  painter.fillRect(0, 27, 3, 3, kMagenta);
  painter.end();
  picture.setPixelColor(39, 0, QColor(1, 2, 3));
  return picture;
}

QRegion NaiveRegion(const QImage& picture, const QColor& key) {
  QRegion region;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (picture.pixelColor(x, y).rgb() != key.rgb()) {
        region += QRect(x, y, 1, 1);
      }
    }
  }
  return region;
}

TEST(BitmapRegion, IsExactlyThePixelsThatAreNotTheKeyInAnyPictureDepth) {
  QImage noisy(37, 23, QImage::Format_RGB32);
  QRandomGenerator random(7);
  for (int y = 0; y < noisy.height(); ++y) {
    for (int x = 0; x < noisy.width(); ++x) {
      noisy.setPixelColor(x, y, random.bounded(3) == 0 ? kMagenta : QColor(random.bounded(256), 0, 255));
    }
  }
  for (const QImage& picture : {WindowPicture(), noisy}) {
    const QRegion expected = NaiveRegion(picture, kMagenta);
    EXPECT_EQ(BitmapRegion(picture, kMagenta), expected);
    EXPECT_EQ(BitmapRegion(picture.convertToFormat(QImage::Format_ARGB32), kMagenta), expected);
    EXPECT_EQ(BitmapRegion(picture.convertToFormat(QImage::Format_RGB888), kMagenta), expected);
  }
  const QImage indexed = WindowPicture().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
  EXPECT_EQ(BitmapRegion(indexed, kMagenta), NaiveRegion(indexed, kMagenta));
  EXPECT_TRUE(BitmapRegion(QImage(), kMagenta).isEmpty());
}

TEST(SkinForm, ShapesAndSizesItsWindowFromThePicture) {
  QWidget window;
  window.resize(300, 300);
  auto* form = new TssSkinForm(&window);
  EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
  QSignalSpy changed(form, &TssSkinForm::OnRegionChanged);
  form->move(5, 5);
  form->SetPicture(WindowPicture());
  window.show();

  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(form->geometry(), QRect(0, 0, 40, 30));
  EXPECT_EQ(window.size(), QSize(40, 30));
  const QRegion outline = window.mask();
  EXPECT_TRUE(outline.contains(QPoint(39, 0)));   // the opaque pixel in the key-coloured top row
  EXPECT_TRUE(outline.contains(QPoint(39, 15)));  // the rightmost column
  EXPECT_FALSE(outline.contains(QPoint(20, 0)));
  EXPECT_FALSE(outline.contains(QPoint(1, 28)));
  EXPECT_TRUE(outline.contains(QPoint(3, 28)));
  EXPECT_EQ(PixelOf(*form, 20, 15), QColor(30, 36, 48));

  // Another key colour cuts other holes.
  form->SetColor(QColor(30, 36, 48));
  EXPECT_EQ(changed.count(), 2);
  EXPECT_FALSE(window.mask().contains(QPoint(20, 15)));
  EXPECT_TRUE(window.mask().contains(QPoint(20, 0)));
}

TEST(SkinForm, WithoutAPictureTheWindowStaysRectangularWithABlackFrame) {
  QWidget window;
  auto* form = new TssSkinForm(&window);
  form->SetPicture(WindowPicture());
  form->SetPicture(QImage());
  window.show();
  EXPECT_TRUE(window.mask().isEmpty());
  EXPECT_EQ(form->size(), QSize(40, 30));
  EXPECT_EQ(PixelOf(*form, 0, 10), QColor(Qt::black));
}

TEST(SkinForm, ScalingStretchesThePictureOnceAndRebuildsTheOutline) {
  QWidget window;
  auto* form = new TssSkinForm(&window);
  form->SetPicture(WindowPicture());
  form->ChangeScale(3, 2);
  EXPECT_EQ(form->Glyph().size(), QSize(60, 45));
  EXPECT_EQ(window.size(), QSize(60, 45));
  EXPECT_FALSE(window.mask().contains(QPoint(1, 1)));
  EXPECT_TRUE(window.mask().contains(QPoint(59, 44)));
  // A new picture is scaled by the density the window was last told.
  form->SetPicture(WindowPicture());
  EXPECT_EQ(form->Glyph().size(), QSize(60, 45));
}

}  // namespace
