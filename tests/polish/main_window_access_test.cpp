// The main window with the keyboard and a screen reader: every control that shows can be read by a
// name, and Tab reaches every enabled one, with the list empty and with files in it.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "tests/mainwin/main_window_test_support.h"
#include "tests/polish/access_walk.h"
#include "widgets/ssbutton.h"

namespace {

using mainwin_test::MainWindowTest;

class MainWindowAccessTest : public MainWindowTest {};

TEST_F(MainWindowAccessTest, EveryControlHasANameAndTabReachesEveryEnabledOne) {
  const QString clip = Video("holiday.mkv");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    for (const bool withFiles : {false, true}) {
      if (withFiles) {
        AddThroughDialog(form, {clip});
        Idle(100);
        ASSERT_TRUE(form.VstList->isVisible());
      }
      EXPECT_EQ(polish_test::Unnamed(&form), QStringList()) << "with files: " << withFiles;
      EXPECT_EQ(polish_test::Unreached(&form), QStringList()) << "with files: " << withFiles;
    }
  }));
}

TEST_F(MainWindowAccessTest, TheWindowNeverOpensWithTheFocusOnItsTitleBarButtonsButTabReachesThem) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QWidget* first = QApplication::focusWidget();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, form.SBtnClose);
    EXPECT_NE(first, form.SBtnMin);
    const QList<QWidget*> stops = polish_test::TabWalk(&form);
    EXPECT_TRUE(stops.contains(form.SBtnMin));
    EXPECT_TRUE(stops.contains(form.SBtnClose));
    form.SBtnClose->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(form.SBtnClose->hasFocus());
  }));
}

TEST_F(MainWindowAccessTest, TheBoxesAreReadByTheirCaptionsAndTheToolButtonsByTheirs) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    const auto name = [](QWidget* widget) {
      return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    EXPECT_EQ(name(form.cboAudio), "Audio Track");
    EXPECT_EQ(name(form.cboSubtitle), "Subtitle");
    EXPECT_EQ(name(form.EditOutPath), "Destination");
    EXPECT_EQ(name(form.SBtnLoadDvd), "Add Files");
    EXPECT_EQ(name(form.ssSBApplyToAll), "Apply to All");
    EXPECT_EQ(name(form.SBtnStart), "Convert");
    EXPECT_EQ(name(form.SBtnPlay), "Play") << "an icon is read by its hint";
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.SBtnLoadDvd)->text(QAccessible::Description),
              "Add video and audio files");
  }));
}

}  // namespace
