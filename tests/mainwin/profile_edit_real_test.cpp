// The profile editor with the program's own modules and the shipped catalogue: a profile changed and
// saved under a new name is there after a restart, and a clip converted with it has its new size and
// audio bit rate.
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "settings/profile_editor/save_as_window.h"
#include "settings/profile_editor/settings_window.h"
#include "tests/convert_engine/media_maker.h"
#include "tests/mainwin/main_window_test_support.h"
#include "widgets/ssbutton.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

using namespace mainwin_test;

constexpr char kNewProfile[] = "Small MP4 for the phone";

struct Output {
  bool opened = false;
  int width = 0;
  int height = 0;
  double audioKbps = 0;  // the audio stream's bytes over its duration
};

Output ProbeOutput(const QString& path) {
  Output output;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr) != 0) {
    return output;
  }
  if (avformat_find_stream_info(format, nullptr) >= 0) {
    output.opened = true;
    int audio = -1;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
      const AVCodecParameters* codec = format->streams[i]->codecpar;
      if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
        output.width = codec->width;
        output.height = codec->height;
      } else if (codec->codec_type == AVMEDIA_TYPE_AUDIO) {
        audio = static_cast<int>(i);
      }
    }
    // Measured from the packets, not from what the muxer declares.
    int64_t bytes = 0;
    double seconds = 0;
    AVPacket* packet = av_packet_alloc();
    while (audio >= 0 && av_read_frame(format, packet) >= 0) {
      if (packet->stream_index == audio) {
        bytes += packet->size;
        seconds += packet->duration * av_q2d(format->streams[audio]->time_base);
      }
      av_packet_unref(packet);
    }
    av_packet_free(&packet);
    output.audioKbps = seconds > 0 ? bytes * 8 / seconds / 1000 : 0;
  }
  avformat_close_input(&format);
  return output;
}

class ProfileEditRealTest : public MainWindowTest {
 protected:
  bool UsesFakeEngine() const override { return false; }

  void SetUp() override {
    MainWindowTest::SetUp();
    for (const auto& [file, component] :
         {std::pair{"libffengine.so", kFfPreviewName}, std::pair{"libimageedit.so", kEditName}}) {
      if (FindPlugEntry(OpenPlugTable(), component) == nullptr) {
        const std::string path = std::string(std::getenv("KV_BIN_DIR")) + "/plugins/" + file;
        ASSERT_NE(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
      }
    }
    // The catalogue the product ships.
    const QString shipped = QString::fromUtf8(std::getenv("KV_SOURCE_DIR")) + "/data/Profile/";
    for (const char* file : {"ProfileGroup.xml", "Profile.xml"}) {
      QFile::remove(ProductFolder() + "Profile/" + file);
      ASSERT_TRUE(QFile::copy(shipped + file, ProductFolder() + "Profile/" + file)) << file;
    }
  }

  static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(3, 3)); }

  // A control of a window by its name; the test stops at a missing one.
  template <class Control>
  static Control* Find(QWidget* window, const char* name) {
    auto* control = window->findChild<Control*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  template <class Window>
  static Window* Modal() {
    return qobject_cast<Window*>(QApplication::activeModalWidget());
  }
};

TEST_F(ProfileEditRealTest, ASavedProfileSurvivesARestartAndConvertsWithItsValues) {
  media_maker::ClipPlan plan;
  plan.width = 320;
  plan.height = 240;
  plan.seconds = 2.0;
  const QString clip = media_.path() + "/clip.mkv";
  std::string error;
  ASSERT_TRUE(media_maker::MakeClip(clip.toStdString(), plan, &error)) << error;

  // First run: the shipped MP4 profile made smaller and quieter, kept under a new name.
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    Choose(form.CmbProfileGrp, QStringLiteral("General Video"));
    Choose(form.CmbProfile, QStringLiteral("MP4 Video (H.264 + AAC)"));
    AddThroughDialog(form, {clip});
    FocusOnly(form, {TopLevel(form)[0]});
    form.UpdateActions();
    ASSERT_TRUE(form.actions.Settings->isEnabled());
    bool edited = false;
    QTimer::singleShot(0, [&] {
      TSettingsMuiForm1* editor = Modal<TSettingsMuiForm1>();
      ASSERT_NE(editor, nullptr);
      Find<QComboBox>(editor, "CmbVRes")->setEditText(QStringLiteral("320x180"));
      Choose(Find<QComboBox>(editor, "CmbABit"), QStringLiteral("64 kbps"));
      QTimer::singleShot(0, [&] {
        TSettingSaveAsForm1* saveAs = Modal<TSettingSaveAsForm1>();
        ASSERT_NE(saveAs, nullptr);
        Find<QLineEdit>(saveAs, "edtProfileName")->setText(QString::fromUtf8(kNewProfile));
        Click(Find<QWidget>(saveAs, "ssSBOK"));
      });
      Click(Find<QWidget>(editor, "ssSBAdd"));
      EXPECT_EQ(Find<QComboBox>(editor, "CmbProfile")->currentText(), QString::fromUtf8(kNewProfile));
      edited = true;
      Click(Find<QWidget>(editor, "ssSBOk"));
    });
    form.actions.Settings->trigger();
    ASSERT_TRUE(edited);
    EXPECT_EQ(form.CmbProfile->currentText(), QString::fromUtf8(kNewProfile))
        << "the boxes follow the editor";
    EXPECT_EQ(form.TaskList().FocusedItem()->profile.ProfileName, QString::fromUtf8(kNewProfile))
        << "the focused item takes the profile shown";
  }));

  // Second run: the profile is listed in the user's group and converts with its own values.
  QString output;
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    ASSERT_GE(form.CmbProfileGrp->findText(QStringLiteral("User Defined")), 0);
    Choose(form.CmbProfileGrp, QStringLiteral("User Defined"));
    Choose(form.CmbProfile, QString::fromUtf8(kNewProfile));
    AddThroughDialog(form, {clip});
    ASSERT_EQ(Tree(form).TopLevelCount(), 1);
    form.UpdateActions();
    form.actions.StartConvertAct->trigger();
    ASSERT_FALSE(dialogs_.shown.empty());
    EXPECT_EQ(dialogs_.shown.back().text, "Converting 1 Files Done.\n\nSuccess 1\nFailed 0");
    output = form.EditOutPath->text() + "/clip.mp4";
  }));
  const Output probed = ProbeOutput(output);
  ASSERT_TRUE(probed.opened) << output.toStdString();
  EXPECT_EQ(probed.width, 320);
  EXPECT_EQ(probed.height, 180);
  std::printf("measured: %dx%d, audio %.1f kbps\n", probed.width, probed.height, probed.audioKbps);
  EXPECT_NEAR(probed.audioKbps, 64.0, 16.0) << "the encoder keeps close to the asked rate";
}

}  // namespace
