#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
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
  // Answers of the file-open chooser, in turn; an empty list is a cancel.
  std::deque<QStringList> fileChoices;
  struct FileChooser {
    QString title;
    QString filter;
    QString start;
  };
  std::vector<FileChooser> fileChoosers;
  // Answers of the one-file chooser, in turn; empty text is a cancel. Its choosers are recorded in
  // fileChoosers too.
  std::deque<QString> fileChoice;
  // Answers of the font chooser, in turn; none is a cancel. What each chooser started from is kept.
  struct FontAnswer {
    QFont font;
    QColor colour;
  };
  std::deque<std::optional<FontAnswer>> fontChoices;
  std::vector<FontAnswer> fontStarts;
  std::vector<Shown> shown;
  // Runs while a message box is open, before it is answered: what happens while the user reads it.
  std::function<void(const Shown&)> onMessage;
  std::vector<QString> folderTitles;
  // The folder each folder chooser opened in.
  std::vector<QString> folderStarts;
  std::vector<QString> exceptions;

  platform::MsgAnswer MessageBox(QWidget*, const QString& text, const QString& caption,
                                 platform::MsgButtons buttons, platform::MsgIcon icon) override {
    shown.push_back({text, caption, buttons, icon});
    if (onMessage) {
      onMessage(shown.back());
    }
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

  QString BrowseForFolder(QWidget*, const QString& title, const QString& start) override {
    folderTitles.push_back(title);
    folderStarts.push_back(start);
    if (folders.empty()) {
      return {};
    }
    const QString folder = folders.front();
    folders.pop_front();
    return folder;
  }

  QStringList OpenFiles(QWidget*, const QString& title, const QString& filter,
                        const QString& start) override {
    fileChoosers.push_back({title, filter, start});
    if (fileChoices.empty()) {
      return {};
    }
    const QStringList files = fileChoices.front();
    fileChoices.pop_front();
    return files;
  }

  QString OpenFile(QWidget*, const QString& title, const QString& filter, const QString& start) override {
    fileChoosers.push_back({title, filter, start});
    if (fileChoice.empty()) {
      return {};
    }
    const QString file = fileChoice.front();
    fileChoice.pop_front();
    return file;
  }

  bool ChooseFont(QWidget*, QFont& font, QColor& colour) override {
    fontStarts.push_back({font, colour});
    if (fontChoices.empty()) {
      return false;
    }
    const std::optional<FontAnswer> answer = fontChoices.front();
    fontChoices.pop_front();
    if (!answer) {
      return false;
    }
    font = answer->font;
    colour = answer->colour;
    return true;
  }

  void ShowException(const QString& message) override { exceptions.push_back(message); }
};
