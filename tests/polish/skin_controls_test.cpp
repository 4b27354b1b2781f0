// The skinned controls with the keyboard and through the accessibility layer a screen reader uses.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>

#include "widgets/skin_accessible.h"
#include "widgets/ssbutton.h"
#include "widgets/tskinprocess.h"

namespace {

QString Skins() {
  return QString::fromUtf8(std::getenv("KV_SOURCE_DIR")) + "/data/Skins/";
}

QAccessibleInterface* Access(QWidget* widget) {
  return QAccessible::queryAccessibleInterface(widget);
}

class SkinControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.resize(400, 200);
    window_.show();
    QApplication::setActiveWindow(&window_);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  }

  TssSkinButton* Button(const char* picture) {
    auto* button = new TssSkinButton(&window_);
    button->SetDivNum(4);
    button->SetSkin(QImage(Skins() + picture));
    button->show();
    return button;
  }

  QWidget window_;
};

TEST_F(SkinControlsTest, AFocusedButtonClicksOnSpaceAndEnterButNotWhenDisabled) {
  TssSkinButton* button = Button("btn_ok.png");
  EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus);
  QSignalSpy clicks(button, &TssCustomButton::OnClick);
  button->setFocus();
  ASSERT_TRUE(button->hasFocus());
  for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
    QTest::keyClick(button, key);
  }
  EXPECT_EQ(clicks.count(), 3);
  QTest::keyClick(button, Qt::Key_A);
  QTest::keyPress(button, Qt::Key_Space, Qt::NoModifier, -1);
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QString(" "), true);
  QApplication::sendEvent(button, &repeat);
  EXPECT_EQ(clicks.count(), 4) << "other keys and a held key's repeats do not click";

  button->setEnabled(false);
  QTest::keyClick(button, Qt::Key_Space);
  Access(button)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(clicks.count(), 4);
}

TEST_F(SkinControlsTest, SpaceOnADialogButtonTriggersItsActionAndEndsTheDialogWithItsResult) {
  QDialog dialog(&window_);
  QAction action(QStringLiteral("&Apply"));
  QSignalSpy triggered(&action, &QAction::triggered);
  auto* button = new TssSkinButton(&dialog);
  button->SetSkin(QImage(Skins() + "btn_apply.png"));
  button->SetAction(&action);
  button->SetModalResult(QDialog::Accepted);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  button->setFocus();
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(triggered.count(), 1);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(SkinControlsTest, AButtonIsReadByItsCaptionThenHintThenActionAndDescribedByItsHint) {
  TssSkinButton* captioned = Button("tool_add_files.png");
  captioned->setToolTip(QStringLiteral("Add video and audio files"));
  QAccessibleInterface* access = Access(captioned);
  ASSERT_NE(access, nullptr);
  EXPECT_EQ(access->role(), QAccessible::Button);
  EXPECT_EQ(access->text(QAccessible::Name), "Add Files") << "the caption drawn on the picture";
  EXPECT_EQ(access->text(QAccessible::Description), "Add video and audio files");

  QAction action(QStringLiteral("E&xit..."));
  TssSkinButton* icon = Button("tb_close.png");
  icon->SetAction(&action);
  EXPECT_EQ(Access(icon)->text(QAccessible::Name), "Exit") << "an icon's action, without & and dots";
  TssSkinButton* hinted = Button("ctl_snap.png");
  hinted->SetAction(&action);
  hinted->setToolTip(QStringLiteral("Take a snapshot"));
  EXPECT_EQ(Access(hinted)->text(QAccessible::Name), "Take a snapshot") << "an icon's hint before its action";
  hinted->setAccessibleName(QStringLiteral("Snapshot"));
  EXPECT_EQ(Access(hinted)->text(QAccessible::Name), "Snapshot") << "a name given wins";

  QSignalSpy clicks(captioned, &TssCustomButton::OnClick);
  QAccessibleActionInterface* actions = access->actionInterface();
  ASSERT_NE(actions, nullptr);
  EXPECT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(clicks.count(), 1);
}

class SkinSliderTest : public SkinControlsTest {
 protected:
  TSkinProcess* Slider(bool withThumb) {
    auto* slider = new TSkinProcess(&window_);
    slider->setGeometry(20, 50, 263, 10);
    slider->SetPicture(QImage(Skins() + "track.png"));
    slider->SetImage2(Skins() + "progress.bmp");
    if (withThumb) {
      slider->SetImage3(Skins() + "slide.bmp");
    }
    slider->SetBaseLine(6);
    slider->SetExtRange(1, slider->width() - 2);
    slider->show();
    return slider;
  }
};

TEST_F(SkinSliderTest, ArrowPageHomeAndEndKeysMoveTheSliderAndReportAsAUsersMove) {
  TSkinProcess* slider = Slider(true);
  EXPECT_TRUE(slider->focusPolicy() & Qt::TabFocus);
  EXPECT_FALSE(slider->Image3()->focusPolicy() & Qt::TabFocus) << "the thumb is part of the slider";
  slider->Setprocess(50);
  QSignalSpy moves(slider, &TSkinProcess::OnProcessChange);
  slider->setFocus();
  // Positions are whole pixels of a 261-pixel range, so a step of one percent moves by one or two.
  const struct {
    Qt::Key key;
    int least;
    int most;
  } steps[] = {{Qt::Key_Right, 1, 2},  {Qt::Key_Left, -2, -1},  {Qt::Key_Up, 1, 2},
               {Qt::Key_Down, -2, -1}, {Qt::Key_PageUp, 9, 11}, {Qt::Key_PageDown, -11, -9}};
  for (const auto& step : steps) {
    const int before = slider->Getprocess();
    const int reports = moves.count();
    QTest::keyClick(slider, step.key);
    const int moved = slider->Getprocess() - before;
    EXPECT_TRUE(moved >= step.least && moved <= step.most) << "key " << step.key << " moved " << moved;
    ASSERT_EQ(moves.count(), reports + 1);
    EXPECT_EQ(moves.last().at(0).toInt(), slider->Getprocess());
  }
  QTest::keyClick(slider, Qt::Key_End);
  EXPECT_EQ(slider->Getprocess(), 100);
  QTest::keyClick(slider, Qt::Key_Home);
  EXPECT_EQ(slider->Getprocess(), 0);
  const int reports = moves.count();
  QTest::keyClick(slider, Qt::Key_Left);
  EXPECT_EQ(moves.count(), reports) << "a key that cannot move it reports nothing";
}

TEST_F(SkinSliderTest, AScreenReaderReadsAndSetsTheSliderAndSeesABarWithoutAThumbAsProgress) {
  TSkinProcess* slider = Slider(true);
  slider->setToolTip(QStringLiteral("Position"));
  slider->Setprocess(30);
  const int shown = slider->Getprocess();  // 30 to the pixel
  QAccessibleInterface* access = Access(slider);
  ASSERT_NE(access, nullptr);
  EXPECT_EQ(access->role(), QAccessible::Slider);
  EXPECT_EQ(access->text(QAccessible::Name), "Position");
  QAccessibleValueInterface* value = access->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->currentValue().toInt(), shown);
  EXPECT_NEAR(shown, 30, 1);
  EXPECT_EQ(value->maximumValue().toInt(), 100);
  QSignalSpy moves(slider, &TSkinProcess::OnProcessChange);
  value->setCurrentValue(75);
  EXPECT_NEAR(slider->Getprocess(), 75, 1);
  EXPECT_EQ(moves.count(), 1);
  EXPECT_EQ(Access(slider->Image3())->role(), QAccessible::Indicator);

  TSkinProcess* bar = Slider(false);
  bar->Setprocess(40);
  EXPECT_EQ(Access(bar)->role(), QAccessible::ProgressBar);
  EXPECT_NEAR(Access(bar)->valueInterface()->currentValue().toInt(), 40, 1) << "read from its fill";
  EXPECT_FALSE(bar->focusPolicy() & Qt::TabFocus);
  bar->setFocus();
  QTest::keyClick(bar, Qt::Key_Right);
  Access(bar)->valueInterface()->setCurrentValue(90);
  EXPECT_NEAR(bar->Shown(), 40, 1) << "a progress bar is not the user's to move";
}

}  // namespace
