#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "app/ui_context.h"
#include "settings/profile_editor_rules.h"

class ConverterSettings;
class QComboBox;
class QKeyEvent;
class QLabel;
class TssSkinButton;
class TssSkinForm;
struct ProfileSetting;

// The profile parameter editor ("Settings"): the user browses the catalogue by group and profile and
// changes the output parameters of the profile shown, each box offering only the values of that
// profile's own choice lists (only the resolution is typed). OK writes the boxes into the profile in
// memory; Add saves them as a new user profile through the "Save as ..." window; Delete removes a user
// profile. Adding and deleting are saved by the catalogue at once and are not undone by Cancel.
//
// The accept result is "OK": after OK, and after Cancel or the close button once the profile the editor
// was opened with has been deleted (the caller's numbers are stale then and must be replaced by the
// shown ones). Every other way out rejects. UI thread only.
class TSettingsMuiForm1 : public QDialog {
  Q_OBJECT

 public:
  TSettingsMuiForm1(const UiContext& ui, QWidget* owner);

  // Binds the editor to `catalogue` (which outlives it) and shows the given group and profile, or the
  // first group and its first profile when they are not there. True when a profile is shown; only
  // then is the window worth showing.
  bool Setup(ConverterSettings& catalogue, int32_t groupId, int32_t profileId);

  // The numbers of the group and profile the boxes show; −1 for both when no profile is left to show
  // (the last profile of the first group was deleted and that group is empty).
  int32_t shownGroupId() const { return shownGroupId_; }
  int32_t shownProfileId() const { return shownProfileId_; }
  // The profile the boxes show, owned by the catalogue; null when none is.
  ProfileSetting* shownProfile() const { return shownProfile_; }
  bool initialDeleted() const { return initialDeleted_; }

  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildFrame();
  void BuildProfileRow();
  void BuildVideoCard();
  void BuildAudioCard();
  void BuildHelpCard();
  QImage Pic(const char* file) const;

  void FillGroups();
  void CmbProfileGrpSelect();
  void CmbProfileSelect();
  void FillChoices();
  void ShowValues();
  void ShowNothing();
  // Checks the boxes and, when every check passes, writes them into `target`; a rejected resolution
  // or audio bit rate is told to the user. A box without a selection fails silently.
  bool ApplyControls(ProfileSetting& target);

  void CmbEnter(QComboBox* box);
  // True when the key typed into the resolution box is to be discarded.
  bool CmbVResKeyPress(const QKeyEvent& key) const;
  void CmbDropDown(QComboBox* box);
  void ssSBOkClick();
  void ssSBCancelClick();
  void SBtnCloseClick();
  void ssSBAddClick();
  void ssSBDeleteClick();
  void SBtnHelpClick();

  void Tell(const QString& text);
  // Leaves with "OK" when the caller's profile is gone, else with "Cancel".
  void Leave();

  UiContext ui_;
  ConverterSettings* catalogue_ = nullptr;
  ProfileSetting* shownProfile_ = nullptr;
  int32_t shownGroupId_ = -1;
  int32_t shownProfileId_ = -1;
  int32_t initialGroupId_ = -1;
  int32_t initialProfileId_ = -1;
  bool initialDeleted_ = false;

  // The values of the rows now in the parameter boxes, index for index.
  std::vector<ProfileChoice> videoCodecValues_;
  std::vector<ProfileNumberChoice> frameRateValues_;
  std::vector<ProfileNumberChoice> videoBitRateValues_;
  std::vector<ProfileChoice> audioCodecValues_;
  std::vector<ProfileNumberChoice> audioBitRateValues_;
  std::vector<ProfileNumberChoice> channelValues_;
  std::vector<ProfileNumberChoice> sampleRateValues_;

  TssSkinForm* ssSkinForm1;
  QLabel* lblTitle;
  TssSkinButton* SBtnHelp;
  TssSkinButton* SBtnClose;
  QComboBox* CmbProfileGrp;
  QComboBox* CmbProfile;
  QComboBox* CmbVCode;
  QComboBox* CmbVRes;
  QComboBox* CmbVRate;
  QComboBox* CmbVBit;
  QComboBox* CmbACode;
  QComboBox* CmbARate;
  QComboBox* CmbAChan;
  QComboBox* CmbABit;
  QLabel* LabelDesc;
  TssSkinButton* ssSBAdd;
  TssSkinButton* ssSBDelete;
  TssSkinButton* ssSBOk;
  TssSkinButton* ssSBCancel;
};
