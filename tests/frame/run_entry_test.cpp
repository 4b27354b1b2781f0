#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "base/mui_context.h"
#include "base/web_links.h"
#include "components/i_save_option_xml.h"
#include "platform/application.h"
#include "plug/plug_table.h"
#include "run/kestrelvine.h"
#include "tests/fakes/recording_shell.h"
#include "tests/fakes/scripted_dialogs.h"

namespace {

void WriteFile(const QString& path, const QByteArray& text) {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

QByteArray OptionFile(const QByteArray& section, const QByteArray& values) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options>\n  <section name=\"" + section + "\">\n" +
         values + "  </section>\n</options>\n";
}

QByteArray Value(const QByteArray& key, const QByteArray& text) {
  return "    <value key=\"" + key + "\" text=\"" + text + "\"/>\n";
}

void LoadOptionStoreModule() {
  const std::string path = std::string(std::getenv("KV_BIN_DIR")) + "/plugins/libsaveoptionxml.so";
  ASSERT_NE(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
  ASSERT_NE(FindPlugEntry(OpenPlugTable(), kSaveOptionXmlName), nullptr);
}

QWidget* MainForm() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == "TConverterForm1") {
      return widget;
    }
  }
  return nullptr;
}

// A host folder, a product folder and a user's home, all temporary.
class RunEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid() && host_.isValid());
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
    moduleFolder_ = host_.path() + "/";
    productFolder_ = moduleFolder_ + "sys/soft/P/";
    userData_ = home_.path() + "/data/Tolvermax Studio/P";
  }

  // Runs the entry; while the main window is up, keeps a copy of the context and closes the window.
  bool RunAndClose(ScriptedDialogs& dialogs) {
    RecordingShell shell;
    RunArgs args;
    args.productName = "P";
    args.moduleFolder = moduleFolder_;
    args.beforeMessageLoop = [this] {
      QTimer::singleShot(0, [this] {
        seen_ = *static_cast<const MuiContext*>(platform::Application::Current()->Tag());
        QWidget* form = MainForm();
        title_ = form != nullptr ? form->windowTitle() : QString();
        if (form != nullptr) {
          form->close();
        }
      });
    };
    return RunModule(args, dialogs, shell);
  }

  QTemporaryDir home_;
  QTemporaryDir host_;
  QString moduleFolder_;
  QString productFolder_;
  QString userData_;
  std::optional<MuiContext> seen_;
  QString title_;
};

TEST_F(RunEntryTest, WithoutTheOptionStoreTheUserIsToldAndTheRunEnds) {
  ScriptedDialogs dialogs;
  EXPECT_TRUE(RunAndClose(dialogs));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_TRUE(dialogs.shown[0].text.contains("\"SaveOptionXml\"")) << dialogs.shown[0].text.toStdString();
  EXPECT_EQ(dialogs.shown[0].caption, "P");
  EXPECT_FALSE(seen_.has_value()) << "no main window may open without settings";
  EXPECT_EQ(platform::Application::Current(), nullptr);
}

TEST_F(RunEntryTest, TheContextIsFilledFromTheOptionFilesAndGoneAfterTheRun) {
  LoadOptionStoreModule();
  WriteFile(productFolder_ + "config.xml", OptionFile("product", Value("version", "9.8.7")));
  WriteFile(moduleFolder_ + "config-ext.xml", OptionFile("product", Value("language", "2")));
  WriteFile(userData_ + "/user_current_profile.xml",
            OptionFile("product", Value("profile_grp", "HD Video") + Value("profile", "MP4 &amp; H.264")));
  WriteFile(userData_ + "/TextImage/TxtImg0.bmp", "BM");

  ScriptedDialogs dialogs;
  EXPECT_TRUE(RunAndClose(dialogs));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(dialogs.exceptions.empty());
  ASSERT_TRUE(seen_.has_value()) << "the main window never ran";
  EXPECT_EQ(seen_->moduleFolder, moduleFolder_);
  EXPECT_EQ(seen_->productFolder, productFolder_);
  EXPECT_EQ(seen_->productName, "P");
  EXPECT_EQ(seen_->makerName, "Tolvermax Studio");
  EXPECT_EQ(seen_->productVersion, "9.8.7");
  EXPECT_FALSE(seen_->noticeText.isEmpty());
  EXPECT_EQ(seen_->currentProfileGroup, "HD Video");
  EXPECT_EQ(seen_->currentProfile, "MP4 & H.264");
  CSTRWEBLINK german;
  ASSERT_TRUE(BuildWebLinks(2, MakerDomainWord(), &german));
  EXPECT_EQ(seen_->homePageLink, german.siteLink);
  EXPECT_EQ(seen_->supportLink, german.supportLink);
  EXPECT_EQ(title_, "P");

  EXPECT_EQ(platform::Application::Current(), nullptr);
  EXPECT_FALSE(QDir(userData_ + "/TextImage").exists());
}

// The region comes from config-ext.xml; anything unusable counts as the international one.
struct RegionCase {
  const char* name;
  std::string configExt;  // empty: no file
  int region;
};

void PrintTo(const RegionCase& c, std::ostream* os) {
  *os << c.name;
}

class RunEntryRegionTest : public RunEntryTest, public ::testing::WithParamInterface<RegionCase> {};

TEST_P(RunEntryRegionTest, ChoosesTheWebLinksOfTheRegion) {
  LoadOptionStoreModule();
  if (!GetParam().configExt.empty()) {
    WriteFile(moduleFolder_ + "config-ext.xml", QByteArray::fromStdString(GetParam().configExt));
  }
  ScriptedDialogs dialogs;
  EXPECT_TRUE(RunAndClose(dialogs));
  ASSERT_TRUE(seen_.has_value());
  CSTRWEBLINK expected;
  ASSERT_TRUE(BuildWebLinks(GetParam().region, MakerDomainWord(), &expected));
  EXPECT_EQ(seen_->homePageLink, expected.siteLink);
  EXPECT_EQ(seen_->supportLink, expected.supportLink);
  EXPECT_TRUE(seen_->productVersion.isEmpty()) << "there is no config.xml";
  EXPECT_TRUE(seen_->currentProfile.isEmpty());
  EXPECT_TRUE(QDir(userData_).exists()) << "the first run makes the user data folder";
}

std::string Language(const char* value) {
  return OptionFile("product", Value("language", value)).toStdString();
}

INSTANTIATE_TEST_SUITE_P(ConfigExt, RunEntryRegionTest,
                         ::testing::Values(RegionCase{"Absent", "", 0},
                                           RegionCase{"France", Language("3"), 3},
                                           RegionCase{"Japan", Language("1"), 1},
                                           RegionCase{"AboveRange", Language("7"), 0},
                                           RegionCase{"Negative", Language("-1"), 0},
                                           RegionCase{"Malformed", "<options><section", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunEntryTest, AnExceptionFromAWindowHandlerIsReportedAndTheProgramGoesOn) {
  LoadOptionStoreModule();
  struct Thrower : QObject {
    bool event(QEvent* event) override {
      if (event->type() == QEvent::User) {
        throw std::runtime_error("the handler failed");
      }
      return QObject::event(event);
    }
  };
  ScriptedDialogs dialogs;
  RecordingShell shell;
  RunArgs args;
  args.productName = "P";
  args.moduleFolder = moduleFolder_;
  Thrower* thrower = nullptr;
  args.beforeMessageLoop = [&] {
    thrower = new Thrower;
    QCoreApplication::postEvent(thrower, new QEvent(QEvent::User));
    QTimer::singleShot(20, [&] {
      delete thrower;
      if (QWidget* form = MainForm()) {
        form->close();
      }
    });
  };
  EXPECT_TRUE(RunModule(args, dialogs, shell));
  ASSERT_EQ(dialogs.exceptions.size(), 1u);
  EXPECT_EQ(dialogs.exceptions[0], "the handler failed");
}

TEST(KestrelvineObject, CountsReferencesAndIsAlwaysReady) {
  I_Plug* plug = NewKestrelvine();
  auto* module = static_cast<I_Kestrelvine*>(plug);
  EXPECT_TRUE(module->InitInstance());
  EXPECT_TRUE(module->QueryReady());
  EXPECT_EQ(module->AddRef(), 2);
  EXPECT_TRUE(module->InitInstance());
  EXPECT_TRUE(module->QueryReady());
  EXPECT_EQ(module->AddRef(), 3);
  module->Release();
  module->Release();
  module->Release();  // the count reaches 0: the object is gone (the sanitizer build checks for leaks)
}

TEST(ContextFolders, FollowTheHostFolderAndTheProductName) {
  EXPECT_EQ(ProductFolderOf("/opt/Tools/Conv/", "P"), "/opt/Tools/Conv/sys/soft/P/");
  EXPECT_EQ(ProductFolderOf("/opt/P/", "Video Converter"), "/opt/P/sys/soft/Video Converter/");
  const QString exeFolder = ExecutableFolder();
  EXPECT_TRUE(exeFolder.endsWith('/'));
  EXPECT_TRUE(QFileInfo::exists(exeFolder + "run_tests")) << exeFolder.toStdString();
}

}  // namespace
