#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// Every message box and chooser of the program goes through this service, so that tests can script
// the answers and read the texts. Null owners mean the application's main window.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MsgAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption,
                               MsgButtons buttons, MsgIcon icon) = 0;
  // The chosen folder, or empty text when the user cancels. Every chooser opens in `start` (empty: the
  // toolkit's own choice).
  virtual QString BrowseForFolder(QWidget* owner, const QString& title, const QString& start) = 0;
  // A file-open chooser allowing several files; the chosen paths in the chooser's order, or an empty
  // list when the user cancels. `filter` is pairs of a description and its patterns, all separated by
  // "|", the patterns of one pair separated by ";" ("Video Files(*.avi;*.mp4)|*.avi;*.mp4|...").
  virtual QStringList OpenFiles(QWidget* owner, const QString& title, const QString& filter,
                                const QString& start) = 0;
  // A file-open chooser for one file, with a filter of the same form; empty text when the user cancels.
  virtual QString OpenFile(QWidget* owner, const QString& title, const QString& filter,
                           const QString& start) = 0;
  // A chooser of a font and its colour, starting from the ones given; false, leaving both as they
  // were, when the user cancels.
  virtual bool ChooseFont(QWidget* owner, QFont& font, QColor& colour) = 0;
  // The application's standard error report for an exception that escaped a handler.
  virtual void ShowException(const QString& message) = 0;
};

// Qt message boxes and choosers.
class QtDialogs final : public Dialogs {
 public:
  MsgAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption, MsgButtons buttons,
                       MsgIcon icon) override;
  QString BrowseForFolder(QWidget* owner, const QString& title, const QString& start) override;
  QStringList OpenFiles(QWidget* owner, const QString& title, const QString& filter,
                        const QString& start) override;
  QString OpenFile(QWidget* owner, const QString& title, const QString& filter,
                   const QString& start) override;
  bool ChooseFont(QWidget* owner, QFont& font, QColor& colour) override;
  void ShowException(const QString& message) override;
};

}  // namespace platform
