#pragma once

#include "settings/profile_setting.h"

class I_SaveOptionXml;

// The catalogue files' elements, read from and written to the record the option store has selected.

inline constexpr char16_t kGroupRecordName[] = u"ProfileGroup";
inline constexpr char16_t kProfileRecordName[] = u"Profile";

// "GroupId", "GroupName", "UserGroup"; absent numbers stay 0.
ProfileGroup ReadGroupRecord(I_SaveOptionXml& store);

// True when the selected "Profile" element carries a nonzero "Disabled": such an element is skipped.
bool IsDisabledRecord(I_SaveOptionXml& store);

// Every key of a profile element except "Disabled". `ProfileId` is as stored: 0 when absent, for the
// catalogue to number by position. Absent numbers stay 0, absent texts come back empty.
ProfileSetting ReadProfileRecord(I_SaveOptionXml& store);

// Writes exactly the keys of a profile element except "Disabled", in file order.
void WriteProfileRecord(I_SaveOptionXml& store, const ProfileSetting& profile);
