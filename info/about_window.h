#pragma once

#include <QDialog>

#include "app/ui_context.h"

namespace platform {
class Shell;
}  // namespace platform

class QLabel;
class TssSkinButton;
class TssSkinForm;

// Opens the About window modally over `owner` and destroys it when it closes.
void ShowAboutWindow(const UiContext& ui, QWidget* owner);

// The About window: version, rights notice and the regional web links of the context it is given.
// Clicking a link hands it to the application's shell. Its picture is
// productFolder + "Skins/about.bmp", or the one built into the program when that file is missing or
// unreadable. UI thread only.
class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  TAboutForm(const UiContext& ui, QWidget* owner);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LinkClick(QLabel* link);

  platform::Shell& shell_;

  TssSkinForm* ssSkinForm1;
  QLabel* lblTitle;
  QLabel* lblVersion;
  QLabel* lblSupport;
  QLabel* lblHome;
  QLabel* lblNotice;
  TssSkinButton* ssSBOk;
  TssSkinButton* ssSBClose;
};
