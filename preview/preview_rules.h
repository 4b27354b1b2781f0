#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "components/media_info.h"

// The arithmetic of a preview: where a view goes, the snapshot's size and name, the bitmap file images
// frames are written into, and the player's slider. Qt Core only.

// A view's place inside its area, relative to the area's origin.
struct ViewPlace {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Fits a view of shape `aspect` (width / height) into an area: as wide as the area unless that makes it
// too tall; the width cut down to a multiple of 4 and the height to even, because the engine's frames
// are bitmap rows that must need no padding; centred. A nonsensical aspect or area gives an empty
// place.
ViewPlace FitView(int areaWidth, int areaHeight, double aspect);

// The shape (width / height) a source is shown in: its display aspect, else its picture's own shape,
// else 4:3 for a damaged record.
double DisplayAspect(const MediaInfo& media);
// A snapshot's size for a source: the width rounded to the nearest multiple of 8 (a remainder of 4
// rounds up), the height cut to even. Negative sizes give 0.
void SnapshotSize(int width, int height, int& outWidth, int& outHeight);

inline constexpr int kBitmapHeaderSize = 54;

// A 24-bit bitmap file image of width x height with black pixels: the 14-byte file header and the
// 40-byte info header, then width * height * 3 bytes. The rows carry no padding, so only widths that
// are multiples of 4 (every width FitView and SnapshotSize give) make a file other readers accept.
// Empty for a size that is not positive or too large to hold.
QByteArray MakeBitmapFile(int width, int height);

// The same bitmap file image with its rows in the opposite order. The engine's frames arrive top-down
// under the bottom-up header MakeBitmapFile writes (the boxes expect that and turn them over), so a file
// meant for other readers needs its rows turned over to show upright. An image whose header does not
// describe its bytes (24 bits, pixels right after the headers, rows padded to 4 bytes) comes back
// unchanged.
QByteArray FlipBitmapRows(const QByteArray& bitmapFile);

// The slider (0 .. 100) for a position in a file of `duration` seconds; 0 for a file without length.
int SliderPercent(double position, double duration);
// The whole second a slider position stands for.
int SeekSecond(int percent, double duration);
// The clip range drawn on a slider `sliderWidth` pixels wide, its ends inside the slider's one-pixel
// frame. A file without length gives the whole slider.
void ClipRangeOnSlider(int sliderWidth, double clipStart, double clipLength, double duration, int& start,
                       int& length);

// A snapshot's bitmap file: `folder` (a "/" added when missing), the output name without its extension,
// "_", the time as yyyyMMddhhmmss on a 24-hour clock, ".bmp".
QString SnapshotFile(const QString& folder, const QString& outputName, const QDateTime& when);
// The same file with the extension of picture type `type` in lower case ("JPEG" gives ".jpeg").
QString ConvertedSnapshotFile(const QString& bitmapFile, const QString& type);
