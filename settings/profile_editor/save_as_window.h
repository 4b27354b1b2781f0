#pragma once

#include <QDialog>
#include <QImage>

#include "app/ui_context.h"

class ConverterSettings;
class QLabel;
class QLineEdit;
class TssSkinButton;
class TssSkinForm;
struct ProfileSetting;

// The "Save as ..." window: asks for the name under which the profile editor's settings become a new
// user profile, and adds that profile to the catalogue itself. It accepts once the catalogue has made
// the profile; a name some profile already has (compared exactly) is refused with a message and the
// window stays open. UI thread only.
class TSettingSaveAsForm1 : public QDialog {
  Q_OBJECT

 public:
  TSettingSaveAsForm1(const UiContext& ui, QWidget* owner);

  // `catalogue` and `profile` outlive the window; `profile` is the editor's temporary copy, which OK
  // renames. The name box starts with the profile's name.
  void Setup(ConverterSettings& catalogue, ProfileSetting& profile);

  // The profile the catalogue made (it owns it), after the window accepted; null before.
  ProfileSetting* newProfile() const { return newProfile_; }

 private:
  void BuildFrame();
  QImage Pic(const char* file) const;
  void ssSBOKClick();

  UiContext ui_;
  ConverterSettings* catalogue_ = nullptr;
  ProfileSetting* profile_ = nullptr;
  ProfileSetting* newProfile_ = nullptr;

  TssSkinForm* ssSkinForm1;
  QLabel* lblTitle;
  TssSkinButton* ssSBClose;
  QLineEdit* edtProfileName;
  TssSkinButton* ssSBOK;
  TssSkinButton* ssSBCancel;
};
