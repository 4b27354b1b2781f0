#pragma once

#include <QImage>
#include <QString>

// An opaque picture reduced to at most 256 colours. Pictures with few colours keep them exactly;
// others get a median-cut palette. The key colour, where present, always stays exact, so outlines cut
// from it do not move.
QImage Palettised(const QImage& picture);

// Writes an 8-bit run-length-encoded bitmap file (bottom-up rows). The answer says whether the file
// was written and reads back as exactly the palettised picture.
bool WriteRle8Bitmap(const QImage& picture, const QString& path);
