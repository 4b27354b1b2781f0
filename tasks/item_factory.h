#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "components/media_info.h"
#include "settings/profile_setting.h"
#include "tasks/mui_item_info.h"

// Whether a probe result is a file the list takes: a duration of at least one whole second and at
// least one video or audio stream.
bool IsUsableProbe(const MediaInfo& media);

// A single item for the source at `path`, probed into `media`, with its initial values; its output
// name is left for the list to make unique. `path` must fit the input record's path field.
std::unique_ptr<MuiItemInfo> NewFileItem(const QString& path, const MediaInfo& media,
                                         const ProfileSetting& profile, int32_t group);

// An empty merged item named `name`. Its own input carries no source: its length is 1 second so that
// nothing divides by zero, and its columns show the sums of its parts.
std::unique_ptr<MuiItemInfo> NewMergedItem(const QString& name, const ProfileSetting& profile, int32_t group);

// The name of a path without its folder.
QString FileNameOf(const QString& path);
