#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "base/mui_context.h"
#include "components/i_ff_preview.h"
#include "components/i_save_option_xml.h"
#include "mainwin/main_window.h"
#include "mainwin/profile_boxes.h"
#include "platform/application.h"
#include "plug/plug_table.h"
#include "run/kestrelvine.h"
#include "tasks/vstlist.h"
#include "tests/fakes/recording_shell.h"
#include "tests/fakes/scripted_dialogs.h"
#include "tests/tasks/fake_ff_preview.h"

inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace mainwin_test {

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath())) << path.toStdString();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray Escaped(const QString& text) {
  return text.toHtmlEscaped().toUtf8();
}

// An option-store document of records, each a list of key and text pairs.
using Record = std::vector<std::pair<QString, QString>>;
inline QByteArray RecordFile(const char* recordName, const std::vector<Record>& records) {
  QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options>\n";
  for (const Record& record : records) {
    text += QByteArray("  <record name=\"") + recordName + "\">\n";
    for (const auto& [key, value] : record) {
      text += "    <value key=\"" + Escaped(key) + "\" text=\"" + Escaped(value) + "\"/>\n";
    }
    text += "  </record>\n";
  }
  return text + "</options>\n";
}

struct TestProfile {
  int id;
  QString groups;
  QString name;
  QString ext;
  int audioOnly = 0;
};

inline Record ProfileRecord(const TestProfile& p) {
  return {{"ProfileId", QString::number(p.id)},
          {"Groups", p.groups},
          {"ProfileName", p.name},
          {"FormatExt", p.ext},
          {"FormatName", p.ext.mid(1)},
          {"AudioFormat", QString::number(p.audioOnly)},
          {"Width", "640"},
          {"Height", "480"}};
}

inline Record GroupRecord(int id, const QString& name, int user = 0) {
  return {{"GroupId", QString::number(id)}, {"GroupName", name}, {"UserGroup", QString::number(user)}};
}

// The main window as the run entry builds it: a host folder with the product's artwork, a catalogue
// written by the test, the option store module from the build, a fake media engine, and a user's home
// of its own. Everything a test does to the window happens while its message loop runs.
class MainWindowTest : public ::testing::Test {
 protected:
  static constexpr char kProduct[] = "Kestrelvine Converter";

  void SetUp() override {
    ASSERT_TRUE(home_.isValid() && host_.isValid() && media_.isValid());
    SetEnv("HOME", home_.path());
    SetEnv("XDG_DATA_HOME", home_.path() + "/data");
    SetEnv("XDG_CONFIG_HOME", home_.path() + "/config");
    LoadOptionStore();
    FakeFfPreview::Reset();
    if (UsesFakeEngine()) {
      engine_ = std::make_unique<AutoReg>(kFfPreviewName, &FakeFfPreview::Make);
    }
    UseProduct(kProduct);
  }

  void TearDown() override {
    engine_.reset();
    FakeFfPreview::Reset();
    for (auto it = savedEnv_.rbegin(); it != savedEnv_.rend(); ++it) {
      if (it->second.isNull()) {
        qunsetenv(it->first);
      } else {
        qputenv(it->first, it->second);
      }
    }
  }

  // False for tests that load the real media engine module instead.
  virtual bool UsesFakeEngine() const { return true; }

  // The product the host names; its folder gets the artwork and the test catalogue.
  void UseProduct(const QString& name) {
    product_ = name;
    const QString folder = ProductFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString skins = QString::fromUtf8(std::getenv("KV_SOURCE_DIR")) + "/data/Skins";
    QFile::link(skins, folder + "Skins");
    WriteCatalogue(DefaultGroups(), DefaultProfiles());
  }

  QString ProductFolder() const { return host_.path() + "/sys/soft/" + product_ + "/"; }
  QString UserDataFolder() const { return home_.path() + "/data/Tolvermax Studio/" + product_; }

  static std::vector<Record> DefaultGroups() {
    return {GroupRecord(1, "General Video"), GroupRecord(2, "Audio"), GroupRecord(9, "Customized", 1)};
  }
  static std::vector<TestProfile> DefaultProfiles() {
    return {{11, "1", "MP4 Video", ".mp4"},
            {12, "1", "MP4 Small", ".mp4"},
            {13, "1", "AVI Video", ".avi"},
            {21, "2", "MP3 Audio", ".mp3", 1}};
  }

  void WriteCatalogue(const std::vector<Record>& groups, const std::vector<TestProfile>& profiles) {
    const QString folder = ProductFolder() + "Profile/";
    QDir(folder).removeRecursively();
    if (!groups.empty()) {
      WriteBytes(folder + "ProfileGroup.xml", RecordFile("ProfileGroup", groups));
    }
    if (!profiles.empty()) {
      std::vector<Record> records;
      for (const TestProfile& profile : profiles) {
        records.push_back(ProfileRecord(profile));
      }
      WriteBytes(folder + "Profile.xml", RecordFile("Profile", records));
    }
  }

  void RememberChoice(const QString& group, const QString& profile) {
    WriteBytes(UserDataFolder() + "/user_current_profile.xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options>\n  <section name=\"product\">\n"
               "    <value key=\"profile_grp\" text=\"" +
                   Escaped(group) + "\"/>\n    <value key=\"profile\" text=\"" + Escaped(profile) +
                   "\"/>\n  </section>\n</options>\n");
  }

  // A non-empty file that the fake engine probes as `media`.
  QString Media(const QString& relative, const MediaInfo& media) {
    const QString path = media_.path() + "/" + relative;
    WriteBytes(path, "media");
    FakeFfPreview::table[path.toStdString()] = media;
    return path;
  }
  QString Video(const QString& relative) {
    MediaInfo media = VideoMedia(30.0);
    AddAudio(media, 0x80, "ac3", "stereo", "eng");
    return Media(relative, media);
  }

  // The context the run entry publishes in the application's tag; only while Run's body runs.
  static const MuiContext& ProductContext() {
    return *static_cast<const MuiContext*>(platform::Application::Current()->Tag());
  }

  // Runs the program; `body` gets the main window once its message loop runs, and the window is
  // closed afterwards. False when the window never came up.
  bool Run(const std::function<void(TConverterForm1&)>& body) {
    bool ran = false;
    RunArgs args;
    const QByteArray name = product_.toUtf8();
    args.productName = name.constData();
    args.moduleFolder = host_.path() + "/";
    args.startupPaths = startupPaths_;
    args.beforeMessageLoop = [&] {
      afterConstruction_();
      QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<TConverterForm1*>(platform::Application::Current()->MainForm());
        if (form == nullptr) {
          return;
        }
        ran = true;
        body(*form);
        form->close();
      });
    };
    RunModule(args, dialogs_, shell_);
    EXPECT_TRUE(dialogs_.exceptions.empty()) << dialogs_.exceptions.front().toStdString();
    return ran;
  }

  // Lets the application go idle for a moment, as it does between a user's steps.
  static void Idle(int milliseconds = 30) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
  }

  // Chooses a row of a box as the user does.
  static void Choose(QComboBox* box, const QString& text) {
    const int row = box->findText(text);
    ASSERT_GE(row, 0) << text.toStdString();
    box->setCurrentIndex(row);
    emit box->activated(row);
  }

  // Adds files through the add-file action and its dialog.
  void AddThroughDialog(TConverterForm1& form, const QStringList& files) {
    dialogs_.fileChoices.push_back(files);
    form.actions.AddFileAct->trigger();
  }

  static TaskTree& Tree(TConverterForm1& form) { return form.VstList->Tree(); }
  static std::vector<TaskNode*> TopLevel(TConverterForm1& form) {
    std::vector<TaskNode*> nodes;
    for (int i = 0; i < Tree(form).TopLevelCount(); ++i) {
      nodes.push_back(Tree(form).Root()->ChildAt(i));
    }
    return nodes;
  }
  static void FocusOnly(TConverterForm1& form, const std::vector<TaskNode*>& nodes) {
    Tree(form).ClearSelection();
    for (TaskNode* node : nodes) {
      Tree(form).SetSelected(node, true);
    }
    ASSERT_FALSE(nodes.empty());
    Tree(form).SetFocusedNode(nodes.front());
  }

  void SetEnv(const char* name, const QString& value) {
    savedEnv_.emplace_back(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
    qputenv(name, value.toUtf8());
  }

  static void LoadOptionStore() {
    static bool loaded = false;
    if (loaded) {
      return;
    }
    const std::string path = std::string(std::getenv("KV_BIN_DIR")) + "/plugins/libsaveoptionxml.so";
    ASSERT_NE(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
    ASSERT_NE(FindPlugEntry(OpenPlugTable(), kSaveOptionXmlName), nullptr);
    loaded = true;
  }

  QTemporaryDir home_;
  QTemporaryDir host_;
  QTemporaryDir media_;
  QString product_;
  ScriptedDialogs dialogs_;
  RecordingShell shell_;
  std::function<void()> afterConstruction_ = [] {};
  // What the program is started with, as the host hands its command line on.
  QStringList startupPaths_;

 private:
  std::unique_ptr<AutoReg> engine_;
  std::vector<std::pair<const char*, QByteArray>> savedEnv_;
};

}  // namespace mainwin_test
