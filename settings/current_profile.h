#pragma once

#include <QString>

struct MuiContext;

// The last profile choice, kept across runs in the user data folder (base/folders.h) as the captions
// shown in the main window's boxes; names, not numbers, so that it survives a renumbered catalogue.

inline constexpr char kCurrentProfileFile[] = "user_current_profile.xml";
inline constexpr char16_t kCurrentProfileKey[] = u"product\\profile";
inline constexpr char16_t kCurrentProfileGroupKey[] = u"product\\profile_grp";

struct CurrentProfileChoice {
  QString group;    // GroupName
  QString profile;  // ProfileName
};

// UserDataFolder() + "/user_current_profile.xml"; empty when there is no user data folder.
QString CurrentProfileFilePath(const MuiContext& context);

// Both captions; empty texts when the file, a key or the option store is missing.
CurrentProfileChoice ReadCurrentProfile(const MuiContext& context);

// Rewrites both captions, keeping anything else the file holds, and saves atomically. False when there
// is no user data folder or option store, or the save fails.
bool WriteCurrentProfile(const MuiContext& context, const CurrentProfileChoice& choice);
