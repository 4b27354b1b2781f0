#pragma once

#include <span>
#include <string_view>

namespace skin {

// One picture of the product's artwork under "<product folder>/Skins/". A button strip holds
// `frames` equally wide state pictures side by side (normal, mouse over, pressed, disabled); every
// other picture has one frame. Magenta (255, 0, 255) is the key colour of window outlines and masks.
struct SkinPicture {
  std::string_view file;
  int frameWidth;
  int frameHeight;
  int frames;
  std::string_view use;  // the windows and controls that show it
};

// Every picture the windows show, in the order the artwork README lists them.
std::span<const SkinPicture> SkinCatalog();
// The entry for a file name, or null.
const SkinPicture* FindSkinPicture(std::string_view file);

// The frame count of every button strip except the slider thumb, whose slider keeps the default 3.
inline constexpr int kButtonFrames = 4;
inline constexpr int kThumbFrames = 3;

// The text key under which a button picture's file keeps the caption drawn on it (a PNG text chunk).
inline constexpr char kCaptionTextKey[] = "Title";

}  // namespace skin
