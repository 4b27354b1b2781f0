#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "platform/dialogs.h"

// Answers message boxes and choosers from a script and keeps what was shown. An unscripted message
// box answers Cancel (or No where there is no Cancel), an unscripted chooser is cancelled.
class ScriptedDialogs final : public platform::Dialogs {
 public:
  struct Shown {
    QString text;
    QString caption;
    platform::MsgButtons buttons;
    platform::MsgIcon icon;
  };

  std::deque<platform::MsgAnswer> answers;
  std::deque<QString> folders;
  std::vector<Shown> shown;
  std::vector<QString> folderTitles;
  std::vector<QString> exceptions;

  platform::MsgAnswer MessageBox(QWidget*, const QString& text, const QString& caption,
                                 platform::MsgButtons buttons, platform::MsgIcon icon) override {
    shown.push_back({text, caption, buttons, icon});
    if (!answers.empty()) {
      const platform::MsgAnswer answer = answers.front();
      answers.pop_front();
      return answer;
    }
    switch (buttons) {
      case platform::MsgButtons::Ok:
        return platform::MsgAnswer::Ok;
      case platform::MsgButtons::YesNo:
        return platform::MsgAnswer::No;
      default:
        return platform::MsgAnswer::Cancel;
    }
  }

  QString BrowseForFolder(QWidget*, const QString& title) override {
    folderTitles.push_back(title);
    if (folders.empty()) {
      return {};
    }
    const QString folder = folders.front();
    folders.pop_front();
    return folder;
  }

  void ShowException(const QString& message) override { exceptions.push_back(message); }
};
