#include "tools/skins/draw_kit.h"

#include <QFontMetricsF>
#include <QPainterPath>

#include "tools/skins/theme.h"

namespace kit {

QImage Canvas(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void Smooth(QPainter& painter) {
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
}

QImage Matte(const QImage& drawing, const QColor& matte) {
  QImage flat(drawing.size(), QImage::Format_RGB32);
  flat.fill(matte);
  QPainter painter(&flat);
  painter.drawImage(0, 0, drawing);
  return flat;
}

QImage KeyOut(const QImage& drawing, const QColor& matte) {
  QImage flat = Matte(drawing, matte);
  const QImage straight = drawing.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < flat.height(); ++y) {
    auto* out = reinterpret_cast<QRgb*>(flat.scanLine(y));
    const auto* in = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
    for (int x = 0; x < flat.width(); ++x) {
      if (qAlpha(in[x]) < 128) {
        out[x] = theme::kKey.rgb();
      }
    }
  }
  return flat;
}

QImage Strip(int frameWidth, int height, int frames,
             const std::function<void(QPainter&, State, QRectF)>& paint,
             const std::function<QImage(const QImage&)>& finish) {
  QImage strip(frameWidth * frames, height, QImage::Format_RGB32);
  QPainter out(&strip);
  for (int f = 0; f < frames; ++f) {
    QImage canvas = Canvas(frameWidth, height);
    {
      QPainter painter(&canvas);
      Smooth(painter);
      paint(painter, State(f), QRectF(0, 0, frameWidth, height));
    }
    out.drawImage(f * frameWidth, 0, finish(canvas));
  }
  return strip;
}

QPainterPath Rounded(const QRectF& rect, double radius) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  return path;
}

QFont Fit(QFont font, const QString& text, double width, double minPixelSize) {
  while (font.pixelSize() > minPixelSize && QFontMetricsF(font).horizontalAdvance(text) > width) {
    font.setPixelSize(font.pixelSize() - 1);
  }
  return font;
}

void Text(QPainter& painter, const QRectF& box, const QString& text, const QFont& font, const QColor& colour,
          Qt::Alignment align) {
  painter.save();
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(box, int(align), text);
  painter.restore();
}

QColor Mix(const QColor& a, const QColor& b, double t) {
  return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                          float(a.greenF() + (b.greenF() - a.greenF()) * t),
                          float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

}  // namespace kit
