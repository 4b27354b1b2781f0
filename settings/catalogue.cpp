#include "settings/catalogue.h"

#include <algorithm>
#include <limits>

#include "base/folders.h"
#include "base/mui_context.h"
#include "base/qt_text.h"
#include "components/i_save_option_xml.h"
#include "plug/plug_ptr.h"
#include "settings/profile_record.h"

namespace {

// Empty without a product folder: nothing may be read relative to the working folder.
QString ProductFile(const MuiContext& context, const char* relative) {
  if (context.productFolder.isEmpty()) {
    return {};
  }
  return context.productFolder + QString::fromUtf8(relative);
}

}  // namespace

void ConverterSettings::Clear() {
  userGroup_ = nullptr;
  profiles_.clear();
  groups_.clear();
  lastProfileId_ = kFirstLastProfileId;
}

bool ConverterSettings::LoadCatalogue() {
  Clear();
  const QString groupFile = ProductFile(context_, kProfileGroupFile);
  PlugPtr<I_SaveOptionXml> store;
  if (groupFile.isEmpty() || !CreateInto(store, kSaveOptionXmlName)) {
    return false;
  }

  if (store->Load(U16(groupFile)) && store->FirstRecord(kGroupRecordName)) {
    do {
      groups_.push_back(std::make_unique<ProfileGroup>(ReadGroupRecord(*store)));
      if (userGroup_ == nullptr && groups_.back()->UserGroup != 0) {
        userGroup_ = groups_.back().get();
      }
    } while (store->NextRecord());
  }

  // The user's profiles are the program's own writing, so the user's copy comes first.
  const QString profileFiles[] = {ProductFile(context_, kFactoryProfileFile),
                                  UserFileToRead(context_, QString::fromUtf8(kUserProfileFile))};
  for (const QString& file : profileFiles) {
    if (!file.isEmpty() && store->Load(U16(file)) && store->FirstRecord(kProfileRecordName)) {
      do {
        if (!IsDisabledRecord(*store)) {
          AddLoadedProfile(ReadProfileRecord(*store));
        }
      } while (store->NextRecord());
    }
  }
  return userGroup_ != nullptr && !groups_.empty() && !profiles_.empty();
}

void ConverterSettings::AddLoadedProfile(ProfileSetting profile) {
  if (profile.ProfileId == 0) {
    profile.ProfileId = static_cast<int32_t>(profiles_.size());
  }
  // The profile boxes find profiles by number, so a second profile under a number already taken (a
  // numberless profile landing on a stored number, or a hand-edited file) would be unreachable: it gets
  // a fresh number instead.
  if (FindProfile(profile.ProfileId) != nullptr && lastProfileId_ < std::numeric_limits<int32_t>::max()) {
    profile.ProfileId = lastProfileId_ + 1;
  }
  lastProfileId_ = std::max(lastProfileId_, profile.ProfileId);
  profiles_.push_back(std::make_unique<ProfileSetting>(std::move(profile)));
}

ProfileGroup* ConverterSettings::GroupAt(int index) const {
  return index >= 0 && index < GroupCount() ? groups_[static_cast<size_t>(index)].get() : nullptr;
}

ProfileGroup* ConverterSettings::FindGroup(int32_t groupId) const {
  const auto found = std::find_if(groups_.begin(), groups_.end(),
                                  [groupId](const auto& group) { return group->GroupId == groupId; });
  return found == groups_.end() ? nullptr : found->get();
}

ProfileSetting* ConverterSettings::ProfileAt(int index) const {
  return index >= 0 && index < ProfileCount() ? profiles_[static_cast<size_t>(index)].get() : nullptr;
}

ProfileSetting* ConverterSettings::FindProfile(int32_t profileId) const {
  const auto found = std::find_if(profiles_.begin(), profiles_.end(), [profileId](const auto& profile) {
    return profile->ProfileId == profileId;
  });
  return found == profiles_.end() ? nullptr : found->get();
}

bool ConverterSettings::IsInGroup(const ProfileSetting* profile, int32_t groupId) const {
  return profile != nullptr && profile->Groups.contains(groupId);
}

bool ConverterSettings::IsUserProfile(const ProfileSetting* profile) const {
  return userGroup_ != nullptr && IsInGroup(profile, userGroup_->GroupId);
}

ProfileSetting* ConverterSettings::AddUserProfile(const ProfileSetting& source) {
  if (userGroup_ == nullptr || lastProfileId_ == std::numeric_limits<int32_t>::max()) {
    return nullptr;
  }
  const bool taken = std::any_of(profiles_.begin(), profiles_.end(), [&source](const auto& profile) {
    return profile->ProfileName == source.ProfileName;
  });
  if (taken) {
    return nullptr;
  }
  auto copy = std::make_unique<ProfileSetting>(source);
  copy->Groups = {userGroup_->GroupId};
  copy->ProfileId = ++lastProfileId_;
  ProfileSetting* added = copy.get();
  profiles_.push_back(std::move(copy));
  SaveUserProfiles();
  return added;
}

bool ConverterSettings::DeleteUserProfile(ProfileSetting* profile) {
  if (!IsUserProfile(profile)) {
    return false;
  }
  const auto found = std::find_if(profiles_.begin(), profiles_.end(),
                                  [profile](const auto& held) { return held.get() == profile; });
  if (found == profiles_.end()) {
    return false;
  }
  profiles_.erase(found);
  SaveUserProfiles();
  return true;
}

bool ConverterSettings::SaveUserProfiles() const {
  const QString relative = QString::fromUtf8(kUserProfileFile);
  const QString target = UserFileToWrite(context_, relative);
  PlugPtr<I_SaveOptionXml> store;
  if (userGroup_ == nullptr || target.isEmpty() || !CreateInto(store, kSaveOptionXmlName)) {
    return false;
  }
  // A missing file is no error: saving creates it. Whatever else the file holds besides the profile
  // elements is kept; the first save takes the product's copy as its start.
  store->Load(U16(UserFileToRead(context_, relative)));
  store->ClearRecords();
  for (const auto& profile : profiles_) {
    if (IsUserProfile(profile.get())) {
      store->AddRecord(kProfileRecordName);
      WriteProfileRecord(*store, *profile);
    }
  }
  return store->SaveAs(U16(target));
}
