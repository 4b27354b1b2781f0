#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "settings/profile_setting.h"

struct MuiContext;

// Where the catalogue lives, relative to the product folder.
inline constexpr char kProfileGroupFile[] = "Profile/ProfileGroup.xml";
inline constexpr char kFactoryProfileFile[] = "Profile/Profile.xml";
inline constexpr char kUserProfileFile[] = "Profile/UserProfile.xml";

// The profile catalogue: the groups of the group file, the factory profiles, then the user's own
// profiles, read through the option store ("SaveOptionXml") from the product folder of the context it
// is given (the user's profiles from the user's copy first: see base/folders.h). It owns every group and
// profile; the pointers it hands out stay valid until the profile is deleted, the catalogue loaded again or
// destroyed. Windows refer to profiles and groups across calls by number.
//
// Only the profiles of the user group are ever written, to the user profile file, and only when a
// profile is added or deleted. Without a user group every profile is a factory profile: nothing can be
// added or deleted, and the user profile file is never rewritten, so a damaged group file cannot cost
// the user his profiles.
//
// UI thread only.
class ConverterSettings {
 public:
  // `context` outlives the catalogue.
  explicit ConverterSettings(const MuiContext& context) : context_(context) {}
  ConverterSettings(const ConverterSettings&) = delete;
  ConverterSettings& operator=(const ConverterSettings&) = delete;

  // Reads the three catalogue files into an empty catalogue (anything held before is dropped). A file
  // that cannot be read adds nothing. True when a user group exists and neither list is empty.
  bool LoadCatalogue();

  int GroupCount() const { return static_cast<int>(groups_.size()); }
  // Null outside 0 .. GroupCount()-1.
  ProfileGroup* GroupAt(int index) const;
  // The first group with that number, or null.
  ProfileGroup* FindGroup(int32_t groupId) const;

  int ProfileCount() const { return static_cast<int>(profiles_.size()); }
  // Null outside 0 .. ProfileCount()-1.
  ProfileSetting* ProfileAt(int index) const;
  // The first profile with that number, or null.
  ProfileSetting* FindProfile(int32_t profileId) const;

  // The profile's group list holds the number. False for null.
  bool IsInGroup(const ProfileSetting* profile, int32_t groupId) const;
  // The profile is listed in the user group; false when there is no user group.
  bool IsUserProfile(const ProfileSetting* profile) const;

  // Adds a copy of `source` to the user group alone, under the next free number, and saves. Null, with
  // nothing changed, when another profile has exactly that name (case-sensitive), when there is no user
  // group, or when the numbers are used up. `source` itself is neither changed nor kept.
  ProfileSetting* AddUserProfile(const ProfileSetting& source);
  // Removes and destroys a user profile of this catalogue and saves. False, with nothing changed, for a
  // profile that is not a user profile or not in this catalogue (compared by identity).
  bool DeleteUserProfile(ProfileSetting* profile);
  // Rewrites the user profile file with the user profiles, in catalogue order. The old file is replaced
  // atomically: a crash leaves either the old or the new file. False when nothing could be written
  // (no user data folder, no option store, no user group, a failed save); the catalogue in memory is kept.
  bool SaveUserProfiles() const;

  // The first group of the group file marked as the user group, or null.
  const ProfileGroup* UserGroup() const { return userGroup_; }
  // The highest profile number seen or given; 1000 for a new catalogue.
  int32_t LastProfileId() const { return lastProfileId_; }

 private:
  static constexpr int32_t kFirstLastProfileId = 1000;

  void Clear();
  void AddLoadedProfile(ProfileSetting profile);

  const MuiContext& context_;
  std::vector<std::unique_ptr<ProfileGroup>> groups_;
  std::vector<std::unique_ptr<ProfileSetting>> profiles_;
  const ProfileGroup* userGroup_ = nullptr;
  int32_t lastProfileId_ = kFirstLastProfileId;
};
