#pragma once

#include <cstdint>
#include <string>

namespace imageedit {

// A still picture as the bytes of a GIF file, through FFmpeg: a palette of up to 255 colours made for
// this picture (palettegen) and the picture mapped onto it with dithering (paletteuse), so a snapshot
// keeps its look rather than being forced onto a fixed palette. Pixels with less than half alpha become
// the transparent entry. `rgba` holds `height` rows of `width` pixels, R G B A bytes each, rows
// `stride` bytes apart. Empty on any failure; never throws.
std::string EncodeGif(const uint8_t* rgba, int width, int height, int stride);

}  // namespace imageedit
