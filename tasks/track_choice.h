#pragma once

#include <QStringList>

#include "tasks/mui_item_info.h"

// The audio-track and subtitle boxes of the focused item. A merged item has no choices, so both boxes
// stay empty for it.
enum class TrackKind { Subtitle, Audio };

QStringList TrackLabels(const MuiItemInfo& item, TrackKind kind);
// The entry the box selects when it is filled.
int TrackIndex(const MuiItemInfo& item, TrackKind kind);
// A choice in a box: the index is kept, and when it names an entry, that entry's stream id goes into
// the input record.
void ChooseTrack(MuiItemInfo& item, TrackKind kind, int index);
