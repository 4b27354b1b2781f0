#pragma once

#include <QDialog>

class QLabel;
class TssSkinButton;
class TssSkinForm;

// Opens the About window modally over `owner` and destroys it when it closes.
void ShowAboutWindow(QWidget* owner);

// The About window: version, rights notice and the regional web links of the published context.
// Clicking a link hands it to the shell of the current application object. Its picture is
// productFolder + "Skins/about.bmp", or the one built into the program when that file is missing or
// unreadable. UI thread only.
class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutForm(QWidget* owner);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LinkClick(QLabel* link);

  TssSkinForm* ssSkinForm1;
  QLabel* lblTitle;
  QLabel* lblVersion;
  QLabel* lblSupport;
  QLabel* lblHome;
  QLabel* lblNotice;
  TssSkinButton* ssSBOk;
  TssSkinButton* ssSBClose;
};
