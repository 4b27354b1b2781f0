#include <QLinearGradient>
#include <QPainterPath>

#include "tools/skins/draw_kit.h"
#include "tools/skins/glyphs.h"
#include "tools/skins/registry.h"
#include "tools/skins/theme.h"

namespace {

// A fill is stretched sideways, so only its rows carry a design: a vertical gradient.
Painter Fill(QColor top, QColor middle, QColor bottom) {
  return [=](const skin::SkinPicture& p) {
    QImage fill(p.frameWidth, p.frameHeight, QImage::Format_RGB32);
    for (int y = 0; y < fill.height(); ++y) {
      const double t = fill.height() > 1 ? double(y) / (fill.height() - 1) : 0.5;
      const QColor c = t < 0.5 ? kit::Mix(top, middle, t * 2) : kit::Mix(middle, bottom, (t - 0.5) * 2);
      for (int x = 0; x < fill.width(); ++x) {
        fill.setPixelColor(x, y, c);
      }
    }
    return fill;
  };
}

// A groove of `rows` rows centred on `baseLine`, with a darker top edge; the rest is see-through.
Painter Track(int baseLine, int rows) {
  return [=](const skin::SkinPicture& p) {
    QImage track(p.frameWidth, p.frameHeight, QImage::Format_RGB32);
    track.fill(theme::kKey);
    const int top = baseLine - rows / 2;
    for (int y = top; y < top + rows; ++y) {
      QColor c = theme::kWell;
      if (y == top) {
        c = theme::kOutline;
      } else if (y == top + rows - 1) {
        c = kit::Mix(theme::kWell, theme::kBorderSoft, 0.6);
      }
      for (int x = 0; x < track.width(); ++x) {
        track.setPixelColor(x, y, c);
      }
    }
    return track;
  };
}

QImage Thumb(const skin::SkinPicture& p) {
  return kit::Strip(
      p.frameWidth, p.frameHeight, p.frames,
      [](QPainter& painter, kit::State s, QRectF r) {
        const QPointF c = r.center();
        const double outer = r.width() / 2 - 0.2;
        QColor ring = theme::kAccent, face(241, 243, 247);
        double ringWidth = 2.2;
        if (s == kit::State::Hover) {
          ring = theme::kAccentHi;
          face = QColor(255, 255, 255);
          ringWidth = 3;
        } else if (s == kit::State::Pressed) {
          ring = QColor(255, 255, 255);
          face = theme::kAccent;
          ringWidth = 2;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(ring);
        painter.drawEllipse(c, outer, outer);
        painter.setBrush(face);
        painter.drawEllipse(c, outer - ringWidth, outer - ringWidth);
      },
      [](const QImage& d) { return kit::KeyOut(d, theme::kWell); });
}

Painter Item(Glyph glyph, QColor colour) {
  return [=](const skin::SkinPicture& p) {
    QImage item = kit::Canvas(p.frameWidth, p.frameHeight);
    QPainter painter(&item);
    kit::Smooth(painter);
    painter.setBackground(theme::kBody);
    DrawGlyph(painter, glyph, QRectF(3.5, 0, 16, 16), colour, 1.6);
    return item;
  };
}

QImage Icon(const skin::SkinPicture& p) {
  QImage icon = kit::Canvas(p.frameWidth, p.frameHeight);
  QPainter painter(&icon);
  kit::Smooth(painter);
  DrawMark(painter, QRectF(8, 8, p.frameWidth - 16, p.frameHeight - 16));
  return icon;
}

QImage Digits(const skin::SkinPicture& p) {
  int digit = 0;
  return kit::Strip(
      p.frameWidth, p.frameHeight, p.frames,
      [&](QPainter& painter, kit::State, QRectF r) {
        painter.setPen(QPen(theme::kBorderSoft, 1));
        painter.setBrush(theme::kWell);
        painter.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        kit::Text(painter, r, QString::number(digit++), theme::Font(17, QFont::Bold), theme::kAccent);
      },
      [](const QImage& d) { return kit::Matte(d, theme::kCard); });
}

Painter StyleGlyph(bool arrow) {
  return [=](const skin::SkinPicture& p) {
    QImage image = kit::Canvas(p.frameWidth, p.frameHeight);
    QPainter painter(&image);
    kit::Smooth(painter);
    if (arrow) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(theme::kTextDim);
      painter.drawPolygon(QPolygonF({QPointF(0.5, 0.5), QPointF(9.5, 0.5), QPointF(5, 5.5)}));
    } else {
      painter.setPen(QPen(QColor(28, 18, 8), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.drawPolyline(QPolygonF({QPointF(1.2, 4), QPointF(4, 6.8), QPointF(8.8, 1.2)}));
    }
    return image;
  };
}

}  // namespace

void AddSmallPictures(Registry& r) {
  r["progress.bmp"] = Fill(theme::kAccentHi, theme::kAccent, theme::kAccentLo);
  r["eprogress.bmp"] = Fill(theme::kCool.lighter(120), theme::kCool, theme::kCool.darker(130));
  r["cprogress.bmp"] = Fill(QColor(255, 196, 140), theme::kAccent, theme::kAccentLo);
  r["slide.bmp"] = Thumb;
  r["track.png"] = Track(6, 6);
  r["etrack.png"] = Track(4, 6);
  r["ctrack.png"] = Track(10, 16);
  r["item_audio.png"] = Item(Glyph::Note, theme::kAccent);
  r["item_video.png"] = Item(Glyph::Film, theme::kCool);
  r["item_merged.png"] = Item(Glyph::Stack, theme::kAccentHi);
  r["kestrelvine.png"] = Icon;
  r["digits.png"] = Digits;
  r["arrow_down.png"] = StyleGlyph(true);
  r["check.png"] = StyleGlyph(false);
}
