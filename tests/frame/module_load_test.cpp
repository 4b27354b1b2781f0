#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "components/i_kestrelvine.h"
#include "components/i_save_option_xml.h"
#include "host/module_loader.h"
#include "plug/plug_table.h"

namespace {

// Closes the main window once it is shown; gives up (closing every window) after a bound, so a
// broken run entry fails the test instead of hanging it.
void CloseMainWindowWhenShown(bool& seen, int attemptsLeft = 200) {
  QTimer::singleShot(50, [&seen, attemptsLeft] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == "TConverterForm1" && widget->isVisible()) {
        seen = true;
        widget->close();
        return;
      }
    }
    if (attemptsLeft == 0) {
      QApplication::closeAllWindows();
      return;
    }
    CloseMainWindowWhenShown(seen, attemptsLeft - 1);
  });
}

TEST(ModuleLoad, TheHostsModulesRunTheProgramUntilTheMainWindowCloses) {
  const char* binDir = std::getenv("KV_BIN_DIR");
  ASSERT_NE(binDir, nullptr);
  const ModuleLoadResult modules = LoadModules(std::string(binDir) + "/plugins");
  ASSERT_TRUE(modules.error.empty()) << modules.error;

  PlugModuleManage* table = OpenPlugTable();
  ASSERT_NE(table, nullptr);
  ASSERT_NE(FindPlugEntry(table, kKestrelvineName), nullptr);
  ASSERT_NE(FindPlugEntry(table, kSaveOptionXmlName), nullptr);

  // The run entry takes its folders from the running executable: here, this test's folder.
  const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           "/Tolvermax Studio/Kestrelvine Converter";
  QDir(userData).removeRecursively();
  const QString textImages = userData + "/TextImage";
  ASSERT_TRUE(QDir().mkpath(textImages));
  QFile leftover(textImages + "/TxtImg0.bmp");
  ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  leftover.close();

  int argc = 1;
  char name[] = "module_load_test";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  bool seen = false;
  CloseMainWindowWhenShown(seen);

  I_Plug* plug = CreateComponent(kKestrelvineName);
  ASSERT_NE(plug, nullptr);
  auto* module = static_cast<I_Kestrelvine*>(plug);
  EXPECT_TRUE(module->QueryReady());
  EXPECT_TRUE(module->Run(nullptr, "Kestrelvine Converter", "", "", ""));
  module->Release();

  EXPECT_TRUE(seen) << "the main window was never shown";
  EXPECT_TRUE(QDir(userData).exists()) << userData.toStdString();
  EXPECT_FALSE(QDir(textImages).exists()) << "the temporary text pictures must go when the run ends";
}

// The host copied into a folder of its own, with the given module libraries beside it.
struct HostRun {
  int exitCode;
  QString errors;
};

HostRun RunHostWith(const QStringList& modules, const QByteArray& extraModule = {}) {
  const QString binDir = QString::fromUtf8(std::getenv("KV_BIN_DIR"));
  QTemporaryDir dir;
  QDir().mkpath(dir.path() + "/plugins");
  QFile::copy(binDir + "/kestrelvine", dir.path() + "/kestrelvine");
  for (const QString& module : modules) {
    QFile::copy(binDir + "/plugins/" + module, dir.path() + "/plugins/" + module);
  }
  if (!extraModule.isEmpty()) {
    QFile bad(dir.path() + "/plugins/libbroken.so");
    bad.open(QIODevice::WriteOnly);
    bad.write(extraModule);
  }
  QProcess host;
  host.start(dir.path() + "/kestrelvine", {});
  host.waitForFinished(30000);
  return {host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1,
          QString::fromUtf8(host.readAllStandardError())};
}

TEST(Host, NamesWhatIsMissingInOneLineAndFails) {
  const HostRun noModules = RunHostWith({});
  EXPECT_NE(noModules.exitCode, 0);
  EXPECT_TRUE(noModules.errors.contains("no module libraries")) << noModules.errors.toStdString();
  EXPECT_EQ(noModules.errors.count('\n'), 1);

  const HostRun noUi = RunHostWith({"libsaveoptionxml.so"});
  EXPECT_NE(noUi.exitCode, 0);
  EXPECT_TRUE(noUi.errors.contains("\"Kestrelvine\"")) << noUi.errors.toStdString();
  EXPECT_EQ(noUi.errors.count('\n'), 1);

  const HostRun broken = RunHostWith({"libsaveoptionxml.so"}, "not a library");
  EXPECT_NE(broken.exitCode, 0);
  EXPECT_TRUE(broken.errors.contains("libbroken.so")) << broken.errors.toStdString();
  EXPECT_EQ(broken.errors.count('\n'), 1);
}

TEST(ModuleLoad, AFolderWithoutModulesIsNamedInTheError) {
  const ModuleLoadResult result = LoadModules("/nonexistent/plugins");
  EXPECT_NE(result.error.find("/nonexistent/plugins"), std::string::npos) << result.error;
}

}  // namespace
