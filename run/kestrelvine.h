#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "components/i_kestrelvine.h"

namespace platform {
class Dialogs;
class Shell;
}  // namespace platform

class Kestrelvine final : public I_Kestrelvine {
 public:
  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++refCount_; }
  void Release() override;
  bool QueryReady() override { return true; }
  bool Run(const char* icon, const char* productName, const char* reserved1, const char* reserved2,
           const char* reserved3) override;
  void SetStartupPaths(const char* const* paths, int32_t count) override;

 private:
  ~Kestrelvine() = default;
  int32_t refCount_ = 1;
  QStringList startupPaths_;
};

I_Plug* NewKestrelvine();

struct RunArgs {
  const char* icon = nullptr;
  const char* productName = "";
  // The folder of the host executable, ending in "/"; empty means the running executable's folder.
  QString moduleFolder;
  // Called on the UI thread once the main window exists, just before the message loop runs.
  std::function<void()> beforeMessageLoop;
  // Files and folders to add, as a drop of them, once the main window is open.
  QStringList startupPaths;
};

// The run entry with its services given: the product passes the Qt ones, tests pass fakes.
bool RunModule(const RunArgs& args, platform::Dialogs& dialogs, platform::Shell& shell);

// The folder of the running executable, ending in "/".
QString ExecutableFolder();
// moduleFolder + "sys/soft/" + productName + "/".
QString ProductFolderOf(const QString& moduleFolder, const QString& productName);
