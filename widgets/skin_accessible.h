#pragma once

#include <QString>

class TssCustomButton;

// Makes the skinned controls known to Qt's accessibility layer, so that a screen reader reads them as
// it reads the standard ones:
// - a skinned button is a push button, named by SkinButtonName and described by its hint, whose
//   press action clicks it;
// - a picture slider with a thumb is a slider whose value (0..100) can be read and set; without a
//   thumb it is a progress bar; its thumb is a part of it, not a control of its own.
// Every skinned control calls it when made; only the first call installs anything.
void InstallSkinAccessibility();

// The name of a skinned button: the name given to it, else the caption drawn on its picture, else its
// hint, else its action's text.
QString SkinButtonName(const TssCustomButton& button);

// Set on a slider's thumb button.
inline constexpr char kSliderThumbProperty[] = "skinSliderThumb";
