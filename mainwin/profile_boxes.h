#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

#include "settings/current_profile.h"

class ConverterSettings;
class QComboBox;
class TVirtualStringTreeHelper;
struct MuiContext;
struct ProfileSetting;

// The main window's two profile boxes: the groups of the catalogue and the profiles of the chosen
// group. The chosen pair is what new items and merges receive, and choosing a profile gives it to the
// focused item at once. Every choice is remembered by caption in the context and in the
// current-profile file of the user data folder.
//
// Selecting a row and then running that box's handler is how the operations chain; the handlers
// behave exactly as a choice made by the user. UI thread only.
class ProfileBoxes : public QObject {
  Q_OBJECT

 public:
  // `context` (where the choice is remembered for this run) outlives the boxes.
  ProfileBoxes(MuiContext& context, ConverterSettings& catalogue, QComboBox* groups, QComboBox* profiles,
               TVirtualStringTreeHelper& list, QObject* parent = nullptr);

  // Loads the catalogue, lists its groups and selects the remembered one (row 0 when it is gone).
  void FillGroups();
  // The handler of the group box: lists the group's profiles and selects the remembered one.
  void GroupChosen();
  // The handler of the profile box: the focused item gets the profile, and the choice is remembered.
  void ProfileChosen();
  // Shows `group` and `profile` (by number) in the boxes; a profile no longer listed in the group
  // gives way to the group's first one. The focused item receives a fresh copy of the result.
  void SyncProfileBoxes(int32_t group, int32_t profile);

  // The profile of the selected row, else the one chosen last; null when neither is in the catalogue.
  const ProfileSetting* CurrentProfile() const;
  // The group of the selected group row; none without a selected row.
  std::optional<int32_t> CurrentGroup() const;

  int32_t lastProfileId() const { return lastProfileId_; }
  const QList<int32_t>& groupIds() const { return groupIds_; }
  const QList<int32_t>& profileIds() const { return profileIds_; }

 private:
  void Remember();

  MuiContext& context_;
  ConverterSettings& catalogue_;
  QComboBox* groups_;
  QComboBox* profiles_;
  TVirtualStringTreeHelper& list_;
  QList<int32_t> groupIds_;
  QList<int32_t> profileIds_;
  int32_t lastProfileId_ = -1;
  bool showingItem_ = false;                     // SyncProfileBoxes is filling the boxes for the focused item
  std::optional<CurrentProfileChoice> written_;  // what this window last saved to the file
};
