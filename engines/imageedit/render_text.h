#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>

namespace imageedit {

// Text pictures larger than this are refused: the conversion engine reads watermark pictures of at
// most 64 MiB, and a 32-bit BMP takes four bytes a pixel.
inline constexpr int kMaxTextSide = 8192;
inline constexpr int64_t kMaxTextPixels = 12 * 1024 * 1024;

// `text` drawn in `font` and `colour` (0xRRGGBB) on transparent pixels, in a picture just large enough
// for it: its lines' full height and advance, widened to any ink that reaches past them (italics,
// marks), plus a small margin so antialiased edges are kept. Lines break at "\n" (or "\r\n");
// shaping and direction follow each line's script, and a line the font's style cannot draw is drawn
// in a plainer face of it (text_font.h). Straight (not premultiplied) ARGB32. Null when the
// text draws nothing, the picture would be too large, or there is no QGuiApplication.
QImage DrawText(const QString& text, const QFont& font, uint32_t colour);

// DrawText written at `path` in the type its extension names (a BMP keeps the transparency).
bool RenderTextPicture(const QString& text, const QString& path, const QString& font, uint32_t colour);

}  // namespace imageedit
