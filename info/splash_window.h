#pragma once

#include <QWidget>

struct MuiContext;

class QLabel;
class TssSkinForm;

// Shows the splash window, centred on the screen, and keeps processing window messages until
// `milliseconds` have passed since the call began; then closes and destroys it. Not modal.
void ShowSplashFor(const MuiContext& context, int milliseconds);

// The borderless splash window: the product picture with the version and the rights notice of the
// context it is given. Its picture is productFolder + "Skins/splash.bmp", or the one built into the
// program when that file is missing or unreadable. UI thread only.
class TMainMUI_SplashForm : public QWidget {
  Q_OBJECT

 public:
  explicit TMainMUI_SplashForm(const MuiContext& context, QWidget* parent = nullptr);

 private:
  TssSkinForm* ssSkinForm1;
  QLabel* lblVersion;
  QLabel* lblNotice;
};
