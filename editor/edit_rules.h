#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "components/single_task_view.h"

// The rules of an item's edits: trim, crop and zoom, effects and watermark, in the units the engines
// read (seconds, source pixels, the watermark box's pixels). The clip editor binds its controls to
// them; they know nothing of windows. Qt Core only.
//
// Every setter that may refuse answers whether it changed the item; a refused value leaves it as it
// was. The source's duration and size are those of the item's probe (`input.media`).

// ---- Trim -------------------------------------------------------------------------------------

// A typed time "h:m:s" in whole seconds. The parts are read in turn like "%d:%d:%d": reading stops at
// the first part that is not a number, and the parts not read count 0 ("1:2" is 1 h 2 min, "junk" 0).
int ParseTime(const QString& text);
// "hh:mm:ss" of the value truncated to whole seconds; a negative value shows as 0.
QString FormatTime(double seconds);
// "hh:mm:ss / hh:mm:ss": a playing position and the source's duration.
QString PositionText(double position, double duration);

// A new start, typed or marked at the playing position: only when 0 <= t <= the clip's end; the end
// stays where it is.
bool SetTrimStart(CIInput& input, double t);
// A typed end: only when t >= the start; an end past the source's end is taken as its end.
bool SetTrimEnd(CIInput& input, double t);
// The end marked at the playing position p: only when p >= the start.
bool SetTrimEndAt(CIInput& input, double p);
// A typed length: at most what is left of the source after the start; a negative one is refused.
bool SetTrimLength(CIInput& input, double t);
// The start dragged by its handle: the end stays, without the check against it (the handle cannot
// pass the other).
void DragTrimStart(CIInput& input, double t);
// The end dragged by its handle.
void DragTrimEnd(CIInput& input, double t);
void ResetTrim(CIInput& input);
// At OK: a clip shorter than 2 s becomes 2 s long, its start moved back when it would then end after
// the source's end (never before 0).
void ApplyTrimMinimum(CIInput& input);

// The trim handles over a slider whose left edge is at `sliderLeft` and that is `sliderWidth` wide
// (the range inside its one-pixel frame is sliderWidth - 2): the start handle's right edge, the end
// handle's left edge, and the stretch the slider highlights (from its own left edge).
struct TrimHandles {
  int startRight = 0;
  int endLeft = 0;
  int rangeStart = 0;
  int rangeLength = 0;
};
TrimHandles PlaceTrimHandles(int sliderLeft, int sliderWidth, double clipStart, double clipLength,
                             double duration);
// The time at a handle edge `edge` (in the slider's parent's pixels).
double HandleTime(int edge, int sliderLeft, int sliderWidth, double duration);
// Where a dragged start handle's right edge may go: from the slider's range start to one pixel before
// the end handle's left edge.
int ClampStartHandle(int rightEdge, int sliderLeft, int endHandleLeft);
// Where a dragged end handle's left edge may go: from one pixel after the start handle's right edge
// to the slider's range end.
int ClampEndHandle(int leftEdge, int startHandleRight, int sliderLeft, int sliderWidth);

// ---- Crop and zoom ------------------------------------------------------------------------------

struct CropMargins {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
// The four margins of the kept rectangle, in source pixels.
CropMargins MarginsOf(const CIInput& input);

// The smallest kept rectangle: 15 pixels of a crop box boxWidth x boxHeight, in source pixels
// (integer division). A box or source without size gives 0.
struct MinimumCrop {
  int width = 0;
  int height = 0;
};
MinimumCrop MinimumCropOf(const CIInput& input, int boxWidth, int boxHeight);

// A new margin n: accepted when 0 <= n and the kept rectangle stays at least the minimum; the
// opposite side stays where it is.
bool SetCropLeft(CIInput& input, int n, const MinimumCrop& minimum);
bool SetCropTop(CIInput& input, int n, const MinimumCrop& minimum);
bool SetCropRight(CIInput& input, int n, const MinimumCrop& minimum);
bool SetCropBottom(CIInput& input, int n, const MinimumCrop& minimum);

// A rectangle in a box's pixels.
struct BoxRect32 {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
// The kept rectangle shown in a crop box boxWidth x boxHeight (source pixels scaled, integer).
BoxRect32 CropInBox(const CIInput& input, int boxWidth, int boxHeight);
// The kept rectangle from the crop box after a drag (box pixels scaled to source pixels, integer).
void CropFromBox(CIInput& input, const BoxRect32& box, int boxWidth, int boxHeight);
// The whole frame, zoom "Keep Original".
void ResetCrop(CIInput& input);

// ---- Effects ------------------------------------------------------------------------------------

// Slider positions are 0..100. Brightness, contrast and saturation run -100..+100, the volume 0..512.
double EffectFromPercent(int percent);
int32_t VolumeFromPercent(int percent);
// The slider position that shows a value of the range min..max (truncated).
int PercentOf(double value, double min, double max);
int EffectPercent(double value);    // PercentOf(value, -100, 100)
int VolumePercent(int32_t volume);  // PercentOf(volume, 0, 512)
// Effects unchanged, deinterlacing as the source was probed.
void ResetEffects(CIInput& input);

// ---- Watermark ----------------------------------------------------------------------------------

// The font a text watermark is drawn in: the platform's font description (QFont::toString's text)
// and the colour 0xRRGGBB.
struct WatermarkFont {
  QString description;
  uint32_t colour = 0xFFFFFF;
};
// The item's stored form of a font (WatermarkInfo::font): description and colour, UTF-8.
std::string WatermarkFontText(const WatermarkFont& font);
// False, leaving `font` alone, for an empty or damaged text.
bool ParseWatermarkFont(const std::string& text, WatermarkFont& font);

// Draws `text` in `font` into the picture file `path`; true when written.
using RenderTextFn = std::function<bool(const QString& text, const QString& path, const WatermarkFont& font)>;
// The size of the picture at `path` (UTF-8); false when it cannot be read.
using ImageSizeFn = std::function<bool(const std::string& path, int32_t& width, int32_t& height)>;

// Text (1) or picture (2): the mark's size is taken from the picture again.
void ChooseWatermarkType(SingleTaskView& view, int32_t type);
// The text, trimmed, is stored; when it is not empty and differs from what was stored, it is drawn
// into `textImagePath` and, when that worked, becomes the text picture with its own size. Answers
// whether a picture was drawn.
bool SetWatermarkText(SingleTaskView& view, const QString& text, const QString& textImagePath,
                      const WatermarkFont& font, const RenderTextFn& render);
// A new font is stored and, with a text, drawn again as above. Answers whether a picture was drawn.
bool SetWatermarkFont(SingleTaskView& view, const WatermarkFont& font, const QString& textImagePath,
                      const RenderTextFn& render);
// A chosen picture different from the stored one is stored with its own size; answers whether it was.
bool SetWatermarkPicture(SingleTaskView& view, const QString& file);
// Points the engine record at the chosen picture (or at none), reads the picture's size when the mark
// has none, and clips the mark to the watermark box boxWidth x boxHeight. Nothing is done while no
// type was chosen. Answers whether the item now carries a watermark (input.mark.markFile set).
bool ApplyWatermark(SingleTaskView& view, int boxWidth, int boxHeight, const ImageSizeFn& imageSize);
// A new position: accepted when the mark stays inside the box.
bool SetMarkLeft(CIInput& input, int n, int boxWidth);
bool SetMarkTop(CIInput& input, int n, int boxHeight);
// A requested transparency wrapped into 0..99: below 0 gives 99, above 99 gives 0.
int WrapTransparency(int value);
// No watermark, nothing chosen, the rectangle and transparency zero.
void ResetWatermark(SingleTaskView& view);
