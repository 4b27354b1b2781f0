#pragma once

#include <QString>

namespace platform {

// Hands files, folders and addresses to the desktop. Tests use a recording fake: no test may start an
// outside program.
class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a file, folder or web address with the desktop's handler; failures are silent.
  virtual void Open(const QString& target) = 0;
  // Shows the file selected in the file manager, or at least opens its folder.
  virtual void ShowInFileManager(const QString& file) = 0;
};

// The desktop's handlers (xdg through Qt) and the file manager's D-Bus interface.
class DesktopShell final : public Shell {
 public:
  void Open(const QString& target) override;
  void ShowInFileManager(const QString& file) override;
};

}  // namespace platform
