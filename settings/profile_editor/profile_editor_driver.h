#pragma once

#include <cstdint>

#include "app/ui_context.h"

class ConverterSettings;
class QWidget;

// Runs the profile parameter editor modally over `owner` on `catalogue`, opened on the group and
// profile with the numbers `groupId` and `profileId`. Shows nothing and answers false when either
// number is not in the catalogue. When the editor closes with "OK" the two numbers become those of
// the group and profile it showed last and the answer is true; otherwise they stay as they were.
// Changes made with OK stay in memory (nothing is saved here); profiles added or deleted in the editor
// are already saved by the catalogue, whatever the answer.
bool EditProfile(const UiContext& ui, QWidget* owner, ConverterSettings& catalogue, int32_t& groupId,
                 int32_t& profileId);
