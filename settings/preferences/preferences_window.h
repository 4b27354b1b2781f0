#pragma once

#include <QDialog>
#include <QImage>
#include <QList>
#include <QString>

#include "app/ui_context.h"
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
  // `context` outlives the driver.
  explicit ConverterPreferences(MuiContext& context) : context_(context) {}
  // The application object that owns the window; always true.
  bool AttachApplication(platform::Application* application);
  // Shows the Preferences window modally; true exactly when it closed through Apply. False, showing
  // nothing, before an application is attached.
  bool Execute();

 private:
  MuiContext& context_;
  platform::Application* application_ = nullptr;
};

// The Preferences window: the output and snapshot folders, the snapshot picture type, the action
// after a conversion, and the stored-only CPU, language and skin choices. It keeps the option store
// of "Profile/preferences.xml" open from construction until it closes; only Apply writes, and then
// every key at once, into the user's copy of the file. Opening it creates the two default folders
// under the documents folder. UI thread only.
class TPreferencesForm1 : public QDialog {
  Q_OBJECT

 public:
  TPreferencesForm1(const UiContext& ui, QWidget* owner);
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
  // The window's picture `file` of the product's Skins, or the copy built into the program.
  QImage Pic(const char* file) const;
  void Warn(const QString& text);

  UiContext ui_;
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
