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
  // The first profile with the rates a real one has, so that the size above Convert shows.
  std::vector<Record> profiles;
  for (const TestProfile& profile : DefaultProfiles()) {
    profiles.push_back(ProfileRecord(profile));
  }
  for (const auto& [key, value] : Record{{"VideoCodecName", "libx264"},
                                         {"VideoBitRate", "2500000"},
                                         {"AudioCodecName", "libfaac"},
                                         {"AudioBitRate", "128000"}}) {
    profiles.front().emplace_back(key, value);
  }
  WriteBytes(ProductFolder() + "Profile/Profile.xml", RecordFile("Profile", profiles));
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
