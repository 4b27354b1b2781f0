#include "editor/edit_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();

int ClampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, kIntMin, kIntMax));
}

// Truncates toward zero like a C cast, but a value an int cannot hold (NaN included) gives a bound
// instead of undefined behaviour.
int TruncToInt(double value) {
  if (std::isnan(value)) {
    return 0;
  }
  if (value >= static_cast<double>(kIntMax)) {
    return kIntMax;
  }
  if (value <= static_cast<double>(kIntMin)) {
    return kIntMin;
  }
  return static_cast<int>(value);
}

bool IsCSpace(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// One "%d" conversion at `pos`: white space, an optional sign, at least one digit. Digits beyond what
// an int holds saturate rather than wrap.
bool ReadInt(const QString& text, qsizetype& pos, int64_t& value) {
  qsizetype i = pos;
  while (i < text.size() && IsCSpace(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  const qsizetype firstDigit = i;
  int64_t magnitude = 0;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
    magnitude = std::min<int64_t>(magnitude * 10 + (text[i].unicode() - u'0'), int64_t{kIntMax} + 1);
    ++i;
  }
  if (i == firstDigit) {
    return false;
  }
  value = std::clamp<int64_t>(negative ? -magnitude : magnitude, kIntMin, kIntMax);
  pos = i;
  return true;
}

QString TwoDigits(int64_t value) {
  return QString::number(value).rightJustified(2, u'0');
}

double ClipEnd(const CIInput& input) {
  return input.clipStart + input.clipLength;
}

// A crop edge test in 64 bits: the sums of four int32 values cannot overflow there.
bool MarginFits(int n, int64_t size, int64_t opposite, int64_t minimum) {
  return n >= 0 && n <= size - opposite - minimum;
}

int ScaleInt(int64_t value, int64_t numerator, int64_t denominator) {
  return ClampToInt(value * numerator / denominator);
}

void ForgetMarkSize(CIInput& input) {
  input.mark.markWidth = 0;
  input.mark.markHeight = 0;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Draws the stored text into the editor's picture file; the previous picture stays when it fails.
bool RenderStoredText(SingleTaskView& view, const QString& textImagePath, const WatermarkFont& font,
                      const RenderTextFn& render) {
  const QString text = QString::fromStdU16String(view.watermark.text);
  if (text.isEmpty() || !render || !render(text, textImagePath, font)) {
    return false;
  }
  view.watermark.textImage = textImagePath.toStdU16String();
  ForgetMarkSize(view.input);
  return true;
}

}  // namespace

// ---- Trim -------------------------------------------------------------------------------------

int ParseTime(const QString& text) {
  int64_t parts[3] = {0, 0, 0};
  qsizetype pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      // A literal in the pattern matches only itself: no white space is skipped before the colon.
      if (pos >= text.size() || text[pos] != u':') {
        break;
      }
      ++pos;
    }
    if (!ReadInt(text, pos, parts[i])) {
      break;
    }
  }
  return ClampToInt(parts[0] * 3600 + parts[1] * 60 + parts[2]);
}

QString FormatTime(double seconds) {
  const int64_t whole = std::max(0, TruncToInt(seconds));
  return TwoDigits(whole / 3600) + u':' + TwoDigits(whole / 60 % 60) + u':' + TwoDigits(whole % 60);
}

QString PositionText(double position, double duration) {
  return FormatTime(position) + QStringLiteral(" / ") + FormatTime(duration);
}

bool SetTrimStart(CIInput& input, double t) {
  // Written so that a NaN fails the test too.
  if (!(t >= 0 && t <= ClipEnd(input))) {
    return false;
  }
  input.clipLength -= t - input.clipStart;
  input.clipStart = t;
  return true;
}

bool SetTrimEnd(CIInput& input, double t) {
  if (!(t >= input.clipStart)) {
    return false;
  }
  input.clipLength = std::min(t, input.media.duration) - input.clipStart;
  return true;
}

bool SetTrimEndAt(CIInput& input, double p) {
  if (!(p >= input.clipStart)) {
    return false;
  }
  input.clipLength = p - input.clipStart;
  return true;
}

bool SetTrimLength(CIInput& input, double t) {
  if (!(t >= 0)) {
    return false;
  }
  input.clipLength = std::min(t, std::max(0.0, input.media.duration - input.clipStart));
  return true;
}

void DragTrimStart(CIInput& input, double t) {
  // The handle edge stops a pixel before the other handle, yet that pixel's time can still lie a
  // fraction past the clip's end; holding the start at the end keeps the length from going negative.
  const double end = ClipEnd(input);
  if (std::isnan(t)) {
    return;
  }
  t = std::clamp(t, 0.0, std::max(0.0, end));
  input.clipLength = end - t;
  input.clipStart = t;
}

void DragTrimEnd(CIInput& input, double t) {
  // The end handle's left edge sits one pixel after the range it closes, so its time can exceed the
  // source by a pixel's worth; the end is held between the start and the source's end.
  if (std::isnan(t)) {
    return;
  }
  t = std::min(t, input.media.duration);
  input.clipLength = std::max(0.0, t - input.clipStart);
}

void ResetTrim(CIInput& input) {
  input.clipStart = 0;
  input.clipLength = input.media.duration;
}

void ApplyTrimMinimum(CIInput& input) {
  if (!(input.clipLength < 2)) {
    return;
  }
  input.clipLength = 2;
  if (input.clipStart + input.clipLength > input.media.duration) {
    input.clipStart = std::max(0.0, input.media.duration - 2);
  }
}

TrimHandles PlaceTrimHandles(int sliderLeft, int sliderWidth, double clipStart, double clipLength,
                             double duration) {
  const int range = std::max(0, sliderWidth - 2);
  // Pixels of the range for a stretch of time, kept inside the range so that a clip reaching past the
  // source (or a source without duration) still puts both handles on the slider.
  const auto pixels = [&](double seconds) {
    if (!(duration > 0)) {
      return 0;
    }
    return std::clamp(TruncToInt(range * seconds / duration), 0, range);
  };
  TrimHandles handles;
  const int c = sliderLeft + 1 + pixels(clipStart);
  const int e = sliderLeft + 1 + range - pixels(duration - clipStart - clipLength);
  handles.startRight = c;
  handles.endLeft = e + 1;
  handles.rangeStart = c - sliderLeft;
  handles.rangeLength = std::max(0, e - c);
  return handles;
}

double HandleTime(int edge, int sliderLeft, int sliderWidth, double duration) {
  if (sliderWidth <= 2) {
    return 0;
  }
  return duration * (static_cast<double>(edge) - sliderLeft - 1) / (sliderWidth - 2);
}

int ClampStartHandle(int rightEdge, int sliderLeft, int endHandleLeft) {
  // When the bounds cross, the other handle wins: the start never reaches it.
  return std::min(std::max(rightEdge, sliderLeft + 1), endHandleLeft - 1);
}

int ClampEndHandle(int leftEdge, int startHandleRight, int sliderLeft, int sliderWidth) {
  return std::max(std::min(leftEdge, sliderLeft + sliderWidth - 1), startHandleRight + 1);
}

// ---- Crop and zoom ------------------------------------------------------------------------------

CropMargins MarginsOf(const CIInput& input) {
  CropMargins margins;
  margins.left = input.cropX;
  margins.top = input.cropY;
  margins.right = ClampToInt(int64_t{input.media.width} - input.cropX - input.cropWidth);
  margins.bottom = ClampToInt(int64_t{input.media.height} - input.cropY - input.cropHeight);
  return margins;
}

MinimumCrop MinimumCropOf(const CIInput& input, int boxWidth, int boxHeight) {
  MinimumCrop minimum;
  if (boxWidth > 0 && input.media.width > 0) {
    minimum.width = ScaleInt(15, input.media.width, boxWidth);
  }
  if (boxHeight > 0 && input.media.height > 0) {
    minimum.height = ScaleInt(15, input.media.height, boxHeight);
  }
  return minimum;
}

bool SetCropLeft(CIInput& input, int n, const MinimumCrop& minimum) {
  if (!MarginFits(n, input.media.width, MarginsOf(input).right, minimum.width)) {
    return false;
  }
  input.cropWidth = ClampToInt(int64_t{input.cropWidth} + input.cropX - n);
  input.cropX = n;
  return true;
}

bool SetCropTop(CIInput& input, int n, const MinimumCrop& minimum) {
  if (!MarginFits(n, input.media.height, MarginsOf(input).bottom, minimum.height)) {
    return false;
  }
  input.cropHeight = ClampToInt(int64_t{input.cropHeight} + input.cropY - n);
  input.cropY = n;
  return true;
}

bool SetCropRight(CIInput& input, int n, const MinimumCrop& minimum) {
  if (!MarginFits(n, input.media.width, input.cropX, minimum.width)) {
    return false;
  }
  input.cropWidth = ClampToInt(int64_t{input.media.width} - input.cropX - n);
  return true;
}

bool SetCropBottom(CIInput& input, int n, const MinimumCrop& minimum) {
  if (!MarginFits(n, input.media.height, input.cropY, minimum.height)) {
    return false;
  }
  input.cropHeight = ClampToInt(int64_t{input.media.height} - input.cropY - n);
  return true;
}

BoxRect32 CropInBox(const CIInput& input, int boxWidth, int boxHeight) {
  BoxRect32 box;
  const int sourceWidth = input.media.width;
  const int sourceHeight = input.media.height;
  if (sourceWidth <= 0 || sourceHeight <= 0) {
    return box;
  }
  box.left = ScaleInt(input.cropX, boxWidth, sourceWidth);
  box.top = ScaleInt(input.cropY, boxHeight, sourceHeight);
  box.width = ScaleInt(input.cropWidth, boxWidth, sourceWidth);
  box.height = ScaleInt(input.cropHeight, boxHeight, sourceHeight);
  return box;
}

void CropFromBox(CIInput& input, const BoxRect32& box, int boxWidth, int boxHeight) {
  if (boxWidth <= 0 || boxHeight <= 0) {
    return;
  }
  input.cropX = ScaleInt(box.left, input.media.width, boxWidth);
  input.cropY = ScaleInt(box.top, input.media.height, boxHeight);
  input.cropWidth = ScaleInt(box.width, input.media.width, boxWidth);
  input.cropHeight = ScaleInt(box.height, input.media.height, boxHeight);
}

void ResetCrop(CIInput& input) {
  input.cropX = 0;
  input.cropY = 0;
  input.cropWidth = input.media.width;
  input.cropHeight = input.media.height;
  input.zoomMode = 1;
}

// ---- Effects ------------------------------------------------------------------------------------

double EffectFromPercent(int percent) {
  return -100 + 200.0 * percent / 100;
}

int32_t VolumeFromPercent(int percent) {
  return ClampToInt(int64_t{512} * percent / 100);
}

int PercentOf(double value, double min, double max) {
  if (!(max != min)) {
    return 0;
  }
  return TruncToInt((value - min) * 100 / (max - min));
}

int EffectPercent(double value) {
  return PercentOf(value, -100, 100);
}

int VolumePercent(int32_t volume) {
  return PercentOf(volume, 0, 512);
}

void ResetEffects(CIInput& input) {
  input.effects.brightness = 0;
  input.effects.contrast = 0;
  input.effects.reserved = 0;
  input.effects.saturation = 0;
  input.effects.volume = 256;
  input.effects.deinterlace = input.media.interlaced;
}

// ---- Watermark ----------------------------------------------------------------------------------

// "<description>|#rrggbb": the description is the platform's and holds commas (and, in a family
// name, possibly a bar), so the colour is taken from after the last bar.
std::string WatermarkFontText(const WatermarkFont& font) {
  char colour[8];
  std::snprintf(colour, sizeof colour, "#%06x", static_cast<unsigned>(font.colour & 0xFFFFFFu));
  return font.description.toStdString() + '|' + colour;
}

bool ParseWatermarkFont(const std::string& text, WatermarkFont& font) {
  const size_t bar = text.rfind('|');
  if (bar == std::string::npos || bar == 0) {
    return false;
  }
  const std::string colour = text.substr(bar + 1);
  if (colour.size() != 7 || colour[0] != '#' || !std::all_of(colour.begin() + 1, colour.end(), IsHexDigit)) {
    return false;
  }
  font.description = QString::fromStdString(text.substr(0, bar));
  font.colour = static_cast<uint32_t>(std::stoul(colour.substr(1), nullptr, 16));
  return true;
}

void ChooseWatermarkType(SingleTaskView& view, int32_t type) {
  // Only the two kinds exist; anything else would leave the item with a type nothing can apply.
  if (type != 1 && type != 2) {
    return;
  }
  view.watermark.type = type;
  ForgetMarkSize(view.input);
}

bool SetWatermarkText(SingleTaskView& view, const QString& text, const QString& textImagePath,
                      const WatermarkFont& font, const RenderTextFn& render) {
  const std::u16string trimmed = text.trimmed().toStdU16String();
  const bool changed = trimmed != view.watermark.text;
  view.watermark.text = trimmed;
  if (!changed) {
    return false;
  }
  return RenderStoredText(view, textImagePath, font, render);
}

bool SetWatermarkFont(SingleTaskView& view, const WatermarkFont& font, const QString& textImagePath,
                      const RenderTextFn& render) {
  view.watermark.font = WatermarkFontText(font);
  return RenderStoredText(view, textImagePath, font, render);
}

bool SetWatermarkPicture(SingleTaskView& view, const QString& file) {
  const std::u16string chosen = file.toStdU16String();
  if (chosen.empty() || chosen == view.watermark.picture) {
    return false;
  }
  view.watermark.picture = chosen;
  ForgetMarkSize(view.input);
  return true;
}

bool ApplyWatermark(SingleTaskView& view, int boxWidth, int boxHeight, const ImageSizeFn& imageSize) {
  WatermarkInfo& info = view.watermark;
  WatermarkBlock& mark = view.input.mark;
  if (info.type == 0) {
    return mark.markFile != nullptr;
  }
  mark.markFile = nullptr;
  if (info.enabled) {
    std::u16string source;
    if (info.type == 1 && !info.text.empty()) {
      source = info.textImage;
    } else if (info.type == 2) {
      source = info.picture;
    }
    info.markFile = QString::fromStdU16String(source).toStdString();
    if (!info.markFile.empty()) {
      mark.markFile = info.markFile.c_str();
      if (mark.markWidth == 0 || mark.markHeight == 0) {
        int32_t width = 0;
        int32_t height = 0;
        // A picture without a size cannot be placed; it counts as unreadable.
        if (imageSize && imageSize(info.markFile, width, height) && width > 0 && height > 0) {
          mark.markWidth = width;
          mark.markHeight = height;
        } else {
          mark.markFile = nullptr;
        }
      }
    }
  }
  // A mark placed further right or down than the box reaches is clipped to nothing, not below it.
  mark.markWidth =
      ClampToInt(std::max<int64_t>(0, std::min<int64_t>(mark.markWidth, int64_t{boxWidth} - mark.markLeft)));
  mark.markHeight =
      ClampToInt(std::max<int64_t>(0, std::min<int64_t>(mark.markHeight, int64_t{boxHeight} - mark.markTop)));
  return mark.markFile != nullptr;
}

bool SetMarkLeft(CIInput& input, int n, int boxWidth) {
  if (n < 0 || n > int64_t{boxWidth} - input.mark.markWidth) {
    return false;
  }
  input.mark.markLeft = n;
  return true;
}

bool SetMarkTop(CIInput& input, int n, int boxHeight) {
  if (n < 0 || n > int64_t{boxHeight} - input.mark.markHeight) {
    return false;
  }
  input.mark.markTop = n;
  return true;
}

int WrapTransparency(int value) {
  return (value % 100 + 100) % 100;
}

void ResetWatermark(SingleTaskView& view) {
  view.input.mark = WatermarkBlock{};
  WatermarkInfo& info = view.watermark;
  info.enabled = false;
  info.type = 0;
  info.text.clear();
  info.font.clear();
  info.textImage.clear();
  info.picture.clear();
  info.markFile.clear();
}
