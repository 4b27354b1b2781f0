#pragma once

#include <QString>
#include <vector>

#include "platform/shell.h"

// Records what would have been handed to the desktop; starts nothing.
class RecordingShell final : public platform::Shell {
 public:
  std::vector<QString> opened;
  std::vector<QString> shownInFileManager;

  void Open(const QString& target) override { opened.push_back(target); }
  void ShowInFileManager(const QString& file) override { shownInFileManager.push_back(file); }
};
