#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "app/ui_context.h"
#include "platform/application.h"
#include "settings/catalogue.h"
#include "settings/profile_setting.h"
#include "tests/fakes/recording_shell.h"
#include "tests/fakes/scripted_dialogs.h"
#include "tests/settings/settings_test_env.h"
#include "widgets/ssbutton.h"

namespace profile_editor_test {

using settings_test::Values;

inline constexpr char kTitle[] = "Kestrelvine Converter";

// Every key of a profile record, as the catalogue files hold them.
inline Values Record(const ProfileSetting& p) {
  QStringList groups;
  for (const int32_t group : p.Groups) {
    groups << QString::number(group);
  }
  return {{"ProfileId", QString::number(p.ProfileId)},
          {"Groups", groups.join(',')},
          {"ProfileName", p.ProfileName},
          {"FormatExt", p.FormatExt},
          {"FormatName", p.FormatName},
          {"AudioFormat", QString::number(p.AudioFormat)},
          {"VideoCodecName", p.VideoCodecName},
          {"Width", QString::number(p.Width)},
          {"Height", QString::number(p.Height)},
          {"KeepOriFrameRate", QString::number(p.KeepOriFrameRate)},
          {"FrameRate", QString::number(p.FrameRate)},
          {"VideoBitRate", QString::number(p.VideoBitRate)},
          {"AudioCodecName", p.AudioCodecName},
          {"SampleRate", QString::number(p.SampleRate)},
          {"AudioBitRate", QString::number(p.AudioBitRate)},
          {"Channel", QString::number(p.Channel)},
          {"ExtraParam", p.ExtraParam},
          {"Resolutions", p.Resolutions},
          {"FrameRates", p.FrameRates},
          {"VideoCodecs", p.VideoCodecs},
          {"VideoBitRates", p.VideoBitRates},
          {"SampleRates", p.SampleRates},
          {"Channels", p.Channels},
          {"AudioCodecs", p.AudioCodecs},
          {"AudioBitRates", p.AudioBitRates}};
}

// A video profile whose values all lie in its lists: H.264 at 640*480, 25 fps, 1000 kbps; AAC, 44100 Hz,
// stereo, 128 kbps. The lists hold the bit rates the audio rules accept and refuse at their edges.
inline ProfileSetting VideoProfile(int32_t id, QList<int32_t> groups, const QString& name) {
  ProfileSetting p;
  p.ProfileId = id;
  p.Groups = std::move(groups);
  p.ProfileName = name;
  p.FormatExt = ".mp4";
  p.FormatName = "mp4";
  p.VideoCodecName = "libx264";
  p.Width = 640;
  p.Height = 480;
  p.FrameRate = 25;
  p.VideoBitRate = 1000000;
  p.AudioCodecName = "libfaac";
  p.SampleRate = 44100;
  p.AudioBitRate = 128000;
  p.Channel = 2;
  p.ExtraParam = "preset=fast";
  p.Resolutions = "320*240,640*480,1280*720";
  p.FrameRates = "-1$Keep Original,25$25 fps,30$30 fps";
  p.VideoCodecs = "libx264$H.264,mpeg4$MPEG-4";
  p.VideoBitRates = "1000000$1000 kbps,2000000$2000 kbps";
  p.SampleRates = "22050$22050 Hz,44100$44100 Hz,48000$48000 Hz";
  p.Channels = "1$Mono,2$Stereo";
  p.AudioCodecs = "libfaac$AAC,ac3$AC-3,mp2$MP2";
  p.AudioBitRates =
      "24000$24 kbps,56000$56 kbps,72000$72 kbps,128000$128 kbps,528000$528 kbps,530000$530 kbps";
  return p;
}

// An audio-only profile; its video fields hold values the editor must leave alone.
inline ProfileSetting AudioProfile(int32_t id, QList<int32_t> groups, const QString& name) {
  ProfileSetting p = VideoProfile(id, std::move(groups), name);
  p.FormatExt = ".mp3";
  p.AudioFormat = 1;
  p.Width = 0;
  p.Height = 0;
  p.VideoCodecName = "none";
  p.AudioCodecName = "mp2";
  p.SampleRate = 48000;
  p.AudioBitRate = 128000;
  return p;
}

// The catalogue every editor test starts from:
//   groups 1 "Video", 2 "Audio", 3 "Empty" (no profiles), 9 "Mine" (the user group);
//   factory profiles 1 "MP4 Video" and 2 "AVI Video" (its video bit rate is not in its list) in group 1,
//   3 "MP3 Audio" (audio only) in group 2; user profiles 1500 "Mine" and 1501 "Mine Too" in group 9.
class EditorTest : public settings_test::CatalogueTest {
 protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    app_.SetTitle(QString::fromLatin1(kTitle));
    WriteGroups({{{"GroupId", "1"}, {"GroupName", "Video"}},
                 {{"GroupId", "2"}, {"GroupName", "Audio"}},
                 {{"GroupId", "3"}, {"GroupName", "Empty"}},
                 {{"GroupId", "9"}, {"GroupName", "Mine"}, {"UserGroup", "1"}}});
    ProfileSetting avi = VideoProfile(2, {1}, "AVI Video");
    avi.VideoBitRate = 1500000;
    WriteFactory(
        {Record(VideoProfile(1, {1}, "MP4 Video")), Record(avi), Record(AudioProfile(3, {2}, "MP3 Audio"))});
    WriteUser({Record(VideoProfile(1500, {9}, "Mine")), Record(VideoProfile(1501, {9}, "Mine Too"))});
    ASSERT_TRUE(catalogue_.LoadCatalogue());
  }

  UiContext Ui() { return UiContext{context_, app_}; }

  template <typename T = QComboBox>
  static T* Find(const QWidget& window, const char* name) {
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  static QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
      items << box->itemText(i);
    }
    return items;
  }
  static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5)); }
  static void Click(const QWidget& window, const char* button) { Click(Find<TssSkinButton>(window, button)); }
  // Picks the row with `text` as the user does, so the box's select handler runs.
  static void Choose(QComboBox* box, const QString& text) {
    const int row = box->findText(text);
    ASSERT_GE(row, 0) << text.toStdString() << " is not in " << box->objectName().toStdString();
    box->setCurrentIndex(row);
    emit box->activated(row);
  }

  // Runs `act` on the next modal window once it is open; whatever `act` leaves open is then rejected,
  // so a window that does not close cannot hang the test. The timer dies with `scope`.
  static void OnNextModal(QObject* scope, std::function<void(QDialog*)> act) {
    QTimer::singleShot(0, scope, [act] {
      QPointer<QDialog> modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_FALSE(modal.isNull()) << "no modal window is open";
      act(modal);
      if (!modal.isNull() && modal->isVisible()) {
        modal->reject();
      }
    });
  }

  // For windows that must not open: sets `opened` and closes whatever modal window is open once events
  // run. The timer dies with `scope`.
  static void CatchModal(QObject* scope, bool& opened) {
    QTimer::singleShot(0, scope, [&opened] {
      if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        opened = true;
        modal->reject();
      }
    });
  }

  std::vector<QString> MessageTexts() const {
    std::vector<QString> texts;
    for (const ScriptedDialogs::Shown& shown : dialogs_.shown) {
      texts.push_back(shown.text);
    }
    return texts;
  }

  ProfileSetting* Named(const QString& name) const { return CatalogueTest::Named(catalogue_, name); }

  ScriptedDialogs dialogs_;
  RecordingShell shell_;
  platform::Application app_{dialogs_, shell_};
  ConverterSettings catalogue_{context_};
};

}  // namespace profile_editor_test
