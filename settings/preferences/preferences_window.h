#pragma once

#include <QDialog>
#include <QImage>
#include <QList>
#include <QString>

#include "components/i_save_option_xml.h"
#include "plug/plug_ptr.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;
class TssSkinButton;
class TssSkinForm;

namespace platform {
class Application;
}

// The driver through which the main window opens the Preferences window.
class ConverterPreferences {
 public:
  // The application object that owns the window; always true.
  bool AttachApplication(platform::Application* application);
  // Shows the Preferences window modally; true exactly when it closed through Apply.
  bool Execute();

 private:
  platform::Application* application_ = nullptr;
};

// The Preferences window: the output and snapshot folders, the snapshot picture type, the action
// after a conversion, and the stored-only CPU, language and skin choices. It keeps the option store
// of "Profile/preferences.xml" open from construction until it closes; only Apply writes, and then
// every key at once. Opening it creates the two default folders under the documents folder. Needs
// the published context and, for its messages, browsing and opening, the current application
// object. UI thread only.
class TPreferencesForm1 : public QDialog {
  Q_OBJECT

 public:
  explicit TPreferencesForm1(QWidget* owner);
  ~TPreferencesForm1() override;

  // True while the General page is the one shown.
  bool GeneralShown() const { return generalShown_; }

  void done(int result) override;

 private:
  void BuildFrame();
  void BuildGeneralPage();
  void BuildOptionPage();
  void LoadValues();
  void ShowPage(bool general);

  void ssSBGeneralClick();
  void ssSBOptionClick();
  void DestBrowserClick();
  void SnapBrowserClick();
  void DestOpenClick();
  void SnapOpenClick();
  void ssSBApplyClick();
  void ssSBHelpClick();

  bool SaveValues();
  void Warn(const QString& text);

  PlugPtr<I_SaveOptionXml> store_;
  QString file_;
  bool generalShown_ = true;

  TssSkinForm* ssSForm1;
  QLabel* lblTitle;
  TssSkinButton* ssSBHelp;
  TssSkinButton* ssSBClose;
  TssSkinButton* ssSBApply;
  TssSkinButton* ssSBCancel;
  TssSkinButton* ssSBGeneral;
  TssSkinButton* ssSBOption;
  QList<QImage> ImgLstGeneral;  // 0: page shown, 1: page hidden
  QList<QImage> ImgLstOpt;

  QWidget* GeneralPanel;
  QLineEdit* Destination;
  QLineEdit* SnapShot;
  TssSkinButton* DestBrowser;
  TssSkinButton* SnapBrowser;
  TssSkinButton* DestOpen;
  TssSkinButton* SnapOpen;
  QComboBox* ImageType;
  QComboBox* RippingDone;
  QComboBox* CPUUsage;

  QWidget* OptionPanel;
  QComboBox* Language;
  QComboBox* Skin;
};
