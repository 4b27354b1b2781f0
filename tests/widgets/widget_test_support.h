#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>
#include <initializer_list>
#include <ostream>

inline void PrintTo(const QColor& color, std::ostream* os) {
  *os << "rgb(" << color.red() << "," << color.green() << "," << color.blue() << ")";
}

inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << "(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}

inline const QColor kMagenta(255, 0, 255);

// A strip of equally wide frames, each filled with its own colour.
inline QImage SolidStrip(int frameWidth, int height, std::initializer_list<QColor> colours) {
  QImage strip(frameWidth * int(colours.size()), height, QImage::Format_RGB32);
  if (strip.isNull()) {
    return strip;
  }
  QPainter painter(&strip);
  int x = 0;
  for (const QColor& c : colours) {
    painter.fillRect(x, 0, frameWidth, height, c);
    x += frameWidth;
  }
  return strip;
}

// What the widget shows at (x, y) when it paints itself.
inline QColor PixelOf(QWidget& widget, int x, int y) {
  return widget.grab().toImage().pixelColor(x, y);
}
