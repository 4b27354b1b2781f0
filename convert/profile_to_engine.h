#pragma once

#include "components/engine_records.h"
#include "settings/profile_setting.h"

// Fills the encoder part of `out` from `profile`: the texts in UTF-8, each cut at its field's width
// without splitting a character (a text that fills its field has no terminator), the codec names
// trimmed of blanks and control characters at both ends, the numbers as they are. The profile's
// keep-the-source-rate flag is not carried: the engine reads a negative FrameRate as that. The output
// path is left alone.
void ProfileToEngineRecord(const ProfileSetting& profile, CIOutput& out);
