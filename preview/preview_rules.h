#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The arithmetic of a preview: where a view goes, the snapshot's size and name, the bitmap buffers
// frames are written into, and the player's slider. Qt Core only.

// A view's place inside its area, relative to the area's origin.
struct ViewPlace {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Fits a view of shape `aspect` (width / height) into an area: as wide as the area unless that makes it
// too tall; the width cut down to a multiple of 4 and the height to even (the engine's frames need it);
// centred. A nonsensical aspect or area gives an empty place.
ViewPlace FitView(int areaWidth, int areaHeight, double aspect);

// A snapshot's size for a source: the width rounded to the nearest multiple of 8 (a remainder of 4
// rounds up), the height cut to even.
void SnapshotSize(int width, int height, int& outWidth, int& outHeight);

inline constexpr int kBitmapHeaderSize = 54;

// A 24-bit bitmap file image of width x height with black pixels: the 14-byte file header and the
// 40-byte info header, then unpadded rows (every width used is a multiple of 4).
QByteArray MakeBitmapFile(int width, int height);

// The slider (0 .. 100) for a position in a file of `duration` seconds; 0 for a file without length.
int SliderPercent(double position, double duration);
// The whole second a slider position stands for.
int SeekSecond(int percent, double duration);
// The clip range drawn on a slider `sliderWidth` pixels wide, its ends inside the slider's frame.
void ClipRangeOnSlider(int sliderWidth, double clipStart, double clipLength, double duration, int& start,
                       int& length);

// A snapshot's bitmap file: `folder` (a "/" added when missing), the output name without its extension,
// "_", the time as yyyyMMddhhmmss, ".bmp".
QString SnapshotFile(const QString& folder, const QString& outputName, const QDateTime& when);
// The same file with the extension of picture type `type` in lower case ("JPEG" gives ".jpeg").
QString ConvertedSnapshotFile(const QString& bitmapFile, const QString& type);
