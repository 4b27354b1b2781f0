#include <QToolBar>
#include <cstdlib>

#include "tests/mainwin/main_window_test_support.h"

namespace mainwin_test {
namespace {

// The whole program sees a screen of twice the design density; set before the application exists.
const bool kDoubleDensity = [] {
  qputenv("QT_SCALE_FACTOR", "2");
  return true;
}();

class HighDensityTest : public MainWindowTest {};

TEST_F(HighDensityTest, TheWindowScalesAsOneAndTheToolBarKeepsItsDesignPlace) {
  ASSERT_TRUE(kDoubleDensity);
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    EXPECT_DOUBLE_EQ(form.devicePixelRatioF(), 2.0);
    EXPECT_EQ(form.size(), QSize(850, 585)) << "the picture is not scaled a second time";
    EXPECT_EQ(form.CoolBar1->geometry(), QRect(216, 30, 270, 22));
    EXPECT_EQ(form.ToolBar1->geometry(), QRect(0, 0, 270, 22));
    const QPixmap picture = form.grab();
    EXPECT_EQ(picture.size(), QSize(1700, 1170));
  }));
}

}  // namespace
}  // namespace mainwin_test
