// The program installed where its user cannot write: everything it saves (preferences, the user's
// own profiles, the conversion log) goes to the user's data folder and is read back from there, and
// the product folder is left exactly as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <functional>
#include <string>

#include "base/mui_context.h"
#include "components/field_text.h"
#include "components/text_utf.h"
#include "convert/progress_window.h"
#include "mainwin/main_window.h"
#include "platform/application.h"
#include "run/kestrelvine.h"
#include "settings/catalogue.h"
#include "tests/app/context_test_env.h"
#include "tests/convert_ui/convert_test_support.h"
#include "tests/fakes/recording_shell.h"
#include "tests/fakes/scripted_dialogs.h"
#include "widgets/ssbutton.h"

namespace {

constexpr char kProduct[] = "Kestrelvine Converter";

QString SourceFolder() {
  const char* source = std::getenv("KV_SOURCE_DIR");
  return QString::fromUtf8(source != nullptr ? source : KV_TEST_SOURCE_DIR);
}

// Every entry under `folder` with its size and time of last change: what "left exactly as it was"
// is checked against.
QStringList Snapshot(const QString& folder) {
  QStringList entries;
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo info(it.next());
    entries << QStringLiteral("%1 %2 %3")
                   .arg(info.filePath())
                   .arg(info.isDir() ? -1 : info.size())
                   .arg(info.lastModified().toMSecsSinceEpoch());
  }
  entries.sort();
  return entries;
}

void SetWritable(const QString& folder, bool writable) {
  QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  QStringList paths{folder};
  while (it.hasNext()) {
    paths << it.next();
  }
  for (const QString& path : paths) {
    const bool dir = QFileInfo(path).isDir();
    const mode_t mode = writable ? (dir ? 0755 : 0644) : (dir ? 0555 : 0444);
    ::chmod(QFile::encodeName(path).constData(), mode);
  }
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ReadOnlyProductTest : public ContextTest, protected ConvertServices {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    host_ = Root("host/");
    product_ = host_ + "sys/soft/" + kProduct + "/";
    userData_ = Root("home/.local/share/Tolvermax Studio/") + kProduct + "/";
    ASSERT_TRUE(QDir().mkpath(product_ + "Profile"));
    for (const char* file : {"Profile/Profile.xml", "Profile/ProfileGroup.xml", "config.xml"}) {
      ASSERT_TRUE(QFile::copy(SourceFolder() + "/data/" + file, product_ + file)) << file;
    }
    // A default the product ships: shown until the user applies his own.
    WriteFile(product_ + "Profile/preferences.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options>\n  <section name=\"general\">\n"
              "    <value key=\"image_type\" text=\"GIF\"/>\n  </section>\n</options>\n");
    SetWritable(product_, false);
    before_ = Snapshot(host_);
  }

  void TearDown() override {
    SetWritable(product_, true);
    RemoveServices();
    ContextTest::TearDown();
  }

  // Runs the module; `body` gets the main window and the context while its message loop runs.
  void Run(const std::function<void(TConverterForm1&, MuiContext&, platform::Application&)>& body) {
    ScriptedDialogs dialogs;
    RecordingShell shell;
    RunArgs args;
    args.productName = kProduct;
    args.moduleFolder = host_;
    bool ran = false;
    args.beforeMessageLoop = [&] {
      platform::Application* app = platform::Application::Current();
      InstallServices(*app);
      QTimer::singleShot(0, [&, app] {
        auto* form = qobject_cast<TConverterForm1*>(app->MainForm());
        ASSERT_NE(form, nullptr);
        ran = true;
        body(*form, *static_cast<MuiContext*>(app->Tag()), *app);
        form->close();
      });
    };
    RunModule(args, dialogs, shell);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(dialogs.exceptions.empty());
  }

  // Opens the Preferences window through its action and hands it to `look` while it is shown.
  static void WithPreferences(TConverterForm1& form, const std::function<void(QWidget&)>& look) {
    QTimer::singleShot(0, [look] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      look(*modal);
    });
    form.actions.Preferences->trigger();
  }

  QString host_;
  QString product_;
  QString userData_;
  QStringList before_;
};

TEST_F(ReadOnlyProductTest, PreferencesUserProfilesAndTheLogAreSavedAndReadBackFromTheUsersFolder) {
  Run([&](TConverterForm1& form, MuiContext& context, platform::Application& app) {
    WithPreferences(form, [](QWidget& window) {
      auto* imageType = window.findChild<QComboBox*>("ImageType");
      ASSERT_NE(imageType, nullptr);
      EXPECT_EQ(imageType->currentText(), "GIF") << "the product's default";
      imageType->setCurrentText("BMP");
      emit window.findChild<TssSkinButton*>("ssSBApply")->OnClick();
    });

    ProfileSetting mine = *form.Catalogue().ProfileAt(0);
    mine.ProfileName = "Mine";
    ASSERT_NE(form.Catalogue().AddUserProfile(mine), nullptr);
    EXPECT_TRUE(form.Catalogue().SaveUserProfiles());

    TRipDlg_Form1 progress(UiContext{context, app}, &form, Clock());
    progress.Configure(context.moduleFolder);
    CIOutput output{};
    CopyTextToField(output.outputFile, sizeof output.outputFile, Root("out/clip.mp4").toStdString());
    CIInput input{};
    input.clipLength = 10.0;
    progress.AddJob(output, input);
    progress.show();
    QCoreApplication::processEvents();
    progress.findChild<QCheckBox*>("cbOpenFolder")->setChecked(true);
    ScriptedFfConverter::steps.push_back({kConvertRunning, 1.0, 0, {"[mp4] the job's own words\n"}, {}});
    progress.ProgTimer2Timer();
    ScriptedFfConverter::steps.push_back({kConvertFinished, 0.0, 0, {}, {}});
    progress.ProgTimer2Timer();
    EXPECT_TRUE(progress.Closed());
  });

  EXPECT_EQ(Snapshot(host_), before_) << "nothing in the product folder changed";
  EXPECT_TRUE(ReadAll(userData_ + "Profile/preferences.xml").contains("BMP"));
  EXPECT_TRUE(ReadAll(userData_ + "Profile/UserProfile.xml").contains("Mine"));
  EXPECT_EQ(ReadAll(userData_ + "logs.log"), "[mp4] the job's own words\n");

  // The next start finds all of it again.
  Run([&](TConverterForm1& form, MuiContext&, platform::Application&) {
    bool found = false;
    for (int i = 0; i < form.Catalogue().ProfileCount(); ++i) {
      found = found || form.Catalogue().ProfileAt(i)->ProfileName == "Mine";
    }
    EXPECT_TRUE(found) << "the user's profile is in the catalogue";
    WithPreferences(form, [](QWidget& window) {
      EXPECT_EQ(window.findChild<QComboBox*>("ImageType")->currentText(), "BMP");
      emit window.findChild<TssSkinButton*>("ssSBCancel")->OnClick();
    });
  });
  EXPECT_EQ(Snapshot(host_), before_);
}

}  // namespace
