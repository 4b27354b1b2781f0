#pragma once

#include <QByteArray>
#include <QImage>

// A still that looks like a video frame: a dusk landscape with hills and a low sun.
QImage SampleFrame(int width, int height);

// The frame as the preview wrapper hands it to the boxes: a bitmap file image with a bottom-up
// header over rows written from the top down.
QByteArray WrapperBitmap(const QImage& frame);
