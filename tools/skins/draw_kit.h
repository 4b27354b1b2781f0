#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <functional>

namespace kit {

// The four states of a button strip, in frame order.
enum class State { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

// A transparent canvas to draw one picture on, antialiased.
QImage Canvas(int width, int height);
void Smooth(QPainter& painter);

// Flattens a drawing onto `matte`: every pixel becomes opaque.
QImage Matte(const QImage& drawing, const QColor& matte);
// Flattens a drawing whose uncovered pixels become the key colour: pixels at least half covered are
// laid on `matte`, the rest are keyed out, so the outline is crisp and has no key-coloured fringe.
QImage KeyOut(const QImage& drawing, const QColor& matte);

// Draws `frames` pictures side by side, each from `paint` on its own transparent canvas, then
// flattened by `finish`.
QImage Strip(int frameWidth, int height, int frames,
             const std::function<void(QPainter&, State, QRectF)>& paint,
             const std::function<QImage(const QImage&)>& finish);

QPainterPath Rounded(const QRectF& rect, double radius);

// The largest font of at most `font`'s size in which `text` fits `width`.
QFont Fit(QFont font, const QString& text, double width, double minPixelSize = 8);
void Text(QPainter& painter, const QRectF& box, const QString& text, const QFont& font, const QColor& colour,
          Qt::Alignment align = Qt::AlignCenter);

QColor Mix(const QColor& a, const QColor& b, double t);

}  // namespace kit
