#include "info/splash_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "tests/info/info_test_env.h"
#include "widgets/ssform.h"

namespace {

TMainMUI_SplashForm* ShownSplash() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* splash = qobject_cast<TMainMUI_SplashForm*>(widget); splash != nullptr && splash->isVisible()) {
      return splash;
    }
  }
  return nullptr;
}

// Counts the paint events of the splash window and its children.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget != nullptr && qobject_cast<TMainMUI_SplashForm*>(widget->window()) != nullptr) {
        ++paints;
      }
    }
    return false;
  }
};

class SplashTest : public InfoTest {};

TEST_F(SplashTest, StaysTheWholeTimeWhilePaintingAndTimersRun) {
  PaintCounter counter;
  qApp->installEventFilter(&counter);
  QString version;
  QString notice;
  bool visibleAtStart = false;
  int ticks = 0;
  QTimer ticker;
  ticker.setInterval(100);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    ++ticks;
    if (TMainMUI_SplashForm* splash = ShownSplash(); splash != nullptr && ticks == 1) {
      visibleAtStart = true;
      version = LabelText(*splash, "lblVersion");
      notice = LabelText(*splash, "lblNotice");
    }
  });
  ticker.start();

  QElapsedTimer clock;
  clock.start();
  ShowSplashFor(context_, 2000);
  const qint64 elapsed = clock.elapsed();
  ticker.stop();
  qApp->removeEventFilter(&counter);

  EXPECT_GE(elapsed, 2000);
  // A busy machine may drop ticks; some must still have run all along.
  EXPECT_GE(ticks, 5);
  EXPECT_GT(counter.paints, 0);
  EXPECT_TRUE(visibleAtStart);
  EXPECT_EQ(version, "2.5.1");
  EXPECT_EQ(notice, context_.noticeText);
  EXPECT_EQ(ShownSplash(), nullptr);
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    EXPECT_EQ(qobject_cast<TMainMUI_SplashForm*>(widget), nullptr) << "the splash was not destroyed";
  }
}

TEST_F(SplashTest, IsBorderlessCentredOnTheScreenWithTheBuiltInPictureWhenTheProductHasNone) {
  // As long as the product's own notice, which wraps to stay inside the window.
  context_.noticeText = QStringLiteral(
      "Copyright (C) 2026 Tolvermax Studio. Free software under the GNU GPL, version 2 or later.");
  TMainMUI_SplashForm splash(context_);
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(splash.findChild<TssSkinForm*>("ssSkinForm1")->Glyph().size(), QSize(480, 280));
  EXPECT_EQ(splash.size(), QSize(480, 280));
  EXPECT_LE((splash.geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center())
                .manhattanLength(),
            2);
  EXPECT_EQ(LabelText(splash, "lblVersionCaption"), "Version");
  const auto* notice = splash.findChild<QLabel*>("lblNotice");
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(splash.rect().contains(notice->geometry())) << notice->geometry().right();
}

TEST_F(SplashTest, UsesTheProductsPictureAndShowsEmptyTextsAsEmptyLabels) {
  QImage own(300, 200, QImage::Format_RGB32);
  own.fill(QColor(40, 50, 60));
  PutSkin("splash.bmp", own);
  context_.productVersion.clear();
  context_.noticeText.clear();
  TMainMUI_SplashForm splash(context_);
  EXPECT_EQ(splash.size(), QSize(300, 200));
  EXPECT_EQ(LabelText(splash, "lblVersion"), "");
  EXPECT_EQ(LabelText(splash, "lblNotice"), "");
}

TEST_F(SplashTest, AZeroWaitStillShowsAndDestroysTheWindow) {
  QElapsedTimer clock;
  clock.start();
  ShowSplashFor(context_, 0);
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_EQ(ShownSplash(), nullptr);
}

}  // namespace
