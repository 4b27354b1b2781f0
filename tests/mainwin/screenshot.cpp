// Saves a picture of the main window with two items, as the run entry builds it offscreen:
//   KV_MAINWIN_SCREENSHOT=/tmp/mainwin.png KV_BIN_DIR=... KV_SOURCE_DIR=... QT_QPA_PLATFORM=offscreen
//   mainwin_screenshot
// Not a test: it checks nothing and is not registered with CTest.
#include "tests/mainwin/main_window_test_support.h"

namespace mainwin_test {
namespace {

class MainWindowPicture : public MainWindowTest {};

TEST_F(MainWindowPicture, Save) {
  const QByteArray target = qgetenv("KV_MAINWIN_SCREENSHOT");
  ASSERT_FALSE(target.isEmpty()) << "set KV_MAINWIN_SCREENSHOT to the file to write";
  MediaInfo audio = AudioMedia(200.0);
  AddAudio(audio, 1, "mp3", "stereo", "und");
  const QStringList files = {Video("Holiday at the lake.mp4"), Media("Interview.mp3", audio)};
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, files);
    Idle();
    EXPECT_TRUE(form.grab().save(QString::fromUtf8(target)));
  }));
}

}  // namespace
}  // namespace mainwin_test
