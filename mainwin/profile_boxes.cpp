#include "mainwin/profile_boxes.h"

#include <QComboBox>

#include "base/mui_context.h"
#include "settings/catalogue.h"
#include "settings/current_profile.h"
#include "tasks/task_list.h"

namespace {

// The first row whose text equals `text`, letter case ignored; -1 when there is none.
int RowOf(const QComboBox* box, const QString& text) {
  for (int row = 0; row < box->count(); ++row) {
    if (box->itemText(row).compare(text, Qt::CaseInsensitive) == 0) {
      return row;
    }
  }
  return -1;
}

}  // namespace

ProfileBoxes::ProfileBoxes(MuiContext& context, ConverterSettings& catalogue, QComboBox* groups,
                           QComboBox* profiles, TVirtualStringTreeHelper& list, QObject* parent)
    : QObject(parent),
      context_(context),
      catalogue_(catalogue),
      groups_(groups),
      profiles_(profiles),
      list_(list) {
  // `activated` comes from the user only; the operations run the handlers themselves.
  connect(groups_, &QComboBox::activated, this, [this] { GroupChosen(); });
  connect(profiles_, &QComboBox::activated, this, [this] { ProfileChosen(); });
}

void ProfileBoxes::FillGroups() {
  catalogue_.LoadCatalogue();
  groupIds_.clear();
  groups_->clear();
  for (int i = 0; i < catalogue_.GroupCount(); ++i) {
    const ProfileGroup* group = catalogue_.GroupAt(i);
    groupIds_.push_back(group->GroupId);
    groups_->addItem(group->GroupName);
  }
  if (groups_->count() == 0) {
    return;
  }
  const int remembered = RowOf(groups_, context_.currentProfileGroup);
  groups_->setCurrentIndex(remembered >= 0 ? remembered : 0);
  GroupChosen();
}

void ProfileBoxes::GroupChosen() {
  const int row = groups_->currentIndex();
  if (row < 0 || row >= groupIds_.size()) {
    return;
  }
  const int32_t group = groupIds_[row];
  profileIds_.clear();
  profiles_->clear();
  for (int i = 0; i < catalogue_.ProfileCount(); ++i) {
    const ProfileSetting* profile = catalogue_.ProfileAt(i);
    if (catalogue_.IsInGroup(profile, group)) {
      profileIds_.push_back(profile->ProfileId);
      profiles_->addItem(profile->ProfileName);
    }
  }
  if (profiles_->count() > 0) {
    const int remembered = RowOf(profiles_, context_.currentProfile);
    profiles_->setCurrentIndex(remembered >= 0 ? remembered : 0);
    ProfileChosen();
    return;
  }
  // A group without profiles falls back to the remembered group. When that is this very group the
  // fallback would choose it again for ever, so the profile box stays empty instead.
  const int fallback = RowOf(groups_, context_.currentProfileGroup);
  groups_->setCurrentIndex(fallback);
  if (fallback >= 0 && fallback != row) {
    GroupChosen();
  }
}

void ProfileBoxes::ProfileChosen() {
  const int row = profiles_->currentIndex();
  if (row < 0 || row >= profileIds_.size()) {
    return;
  }
  lastProfileId_ = profileIds_[row];
  if (showingItem_) {
    // Only the rows are being filled on the way to the item's own profile, which comes next.
    return;
  }
  const ProfileSetting* chosen = CurrentProfile();
  if (chosen != nullptr) {
    if (MuiItemInfo* focused = list_.FocusedItem(); focused != nullptr) {
      const ProfileSetting profile = *chosen;
      const int32_t group = CurrentGroup().value_or(focused->groupId);
      const bool otherExtension = focused->profile.FormatExt != profile.FormatExt;
      focused->groupId = group;
      focused->profile = profile;
      if (otherExtension) {
        list_.ApplyProfileExtension(focused, true);
      }
      if (focused->itemKind() == kMergedItem) {
        // The parts are converted with the merged item's profile; their names stay.
        const TaskNode* node = focused->Node();
        for (int i = 0; node != nullptr && i < node->ChildCount(); ++i) {
          MuiItemInfo* part = node->ChildAt(i)->Item();
          part->groupId = group;
          part->profile = profile;
        }
      }
      if (list_.Tree() != nullptr && focused->Node() != nullptr) {
        list_.Tree()->InvalidateNode(focused->Node());
      }
    }
  }
  Remember();
}

void ProfileBoxes::Remember() {
  const CurrentProfileChoice choice{groups_->currentText(), profiles_->currentText()};
  context_.currentProfileGroup = choice.group;
  context_.currentProfile = choice.profile;
  // Moving the focus through items of one profile chooses it again and again; the file already holds
  // it, and each save is flushed to the disk.
  if (written_ && written_->group == choice.group && written_->profile == choice.profile) {
    return;
  }
  // A missing file is created; a failed save costs only the memory of this choice.
  if (WriteCurrentProfile(context_, choice)) {
    written_ = choice;
  } else {
    written_.reset();
  }
}

void ProfileBoxes::SyncProfileBoxes(int32_t group, int32_t profile) {
  if (const int row = groupIds_.indexOf(group); row >= 0) {
    groups_->setCurrentIndex(row);
    // The group handler would give the focused item the remembered profile before its own one: with
    // another extension that renames the item, and the name made unique would stick.
    showingItem_ = true;
    GroupChosen();
    showingItem_ = false;
  }
  const int row = profileIds_.indexOf(profile);
  profiles_->setCurrentIndex(row >= 0 ? row : (profiles_->count() > 0 ? 0 : -1));
  ProfileChosen();
}

const ProfileSetting* ProfileBoxes::CurrentProfile() const {
  const int row = profiles_->currentIndex();
  if (row >= 0 && row < profileIds_.size()) {
    if (const ProfileSetting* profile = catalogue_.FindProfile(profileIds_[row]); profile != nullptr) {
      return profile;
    }
  }
  return catalogue_.FindProfile(lastProfileId_);
}

std::optional<int32_t> ProfileBoxes::CurrentGroup() const {
  const int row = groups_->currentIndex();
  if (row < 0 || row >= groupIds_.size()) {
    return std::nullopt;
  }
  return groupIds_[row];
}
