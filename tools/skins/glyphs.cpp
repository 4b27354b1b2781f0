#include "tools/skins/glyphs.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <cmath>

#include "tools/skins/theme.h"

namespace {

QPainterPath Polyline(std::initializer_list<QPointF> points, bool closed = false) {
  QPainterPath path;
  bool first = true;
  for (const QPointF& p : points) {
    if (first) {
      path.moveTo(p);
      first = false;
    } else {
      path.lineTo(p);
    }
  }
  if (closed) {
    path.closeSubpath();
  }
  return path;
}

QPainterPath Triangle(QPointF a, QPointF b, QPointF c) {
  return Polyline({a, b, c}, true);
}

QPainterPath FolderPath() {
  QPainterPath path;
  path.moveTo(3, 7);
  path.lineTo(3, 18.5);
  path.quadTo(3, 20, 4.5, 20);
  path.lineTo(19.5, 20);
  path.quadTo(21, 20, 21, 18.5);
  path.lineTo(21, 9.5);
  path.quadTo(21, 8, 19.5, 8);
  path.lineTo(11.5, 8);
  path.lineTo(9.5, 5);
  path.lineTo(4.5, 5);
  path.quadTo(3, 5, 3, 7);
  return path;
}

}  // namespace

void DrawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour, double stroke) {
  painter.save();
  painter.translate(box.topLeft());
  painter.scale(box.width() / 24.0, box.height() / 24.0);
  QPen pen(colour, stroke * 24.0 / box.width(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  auto fill = [&](const QPainterPath& path) {
    painter.save();
    QPen soft(colour, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(soft);
    painter.setBrush(colour);
    painter.drawPath(path);
    painter.restore();
  };

  switch (glyph) {
    case Glyph::Play:
      fill(Triangle({8, 5}, {19, 12}, {8, 19}));
      break;
    case Glyph::Pause:
      fill(Polyline({{6.5, 5}, {10, 5}, {10, 19}, {6.5, 19}}, true));
      fill(Polyline({{14, 5}, {17.5, 5}, {17.5, 19}, {14, 19}}, true));
      break;
    case Glyph::Stop:
      fill(Polyline({{6.5, 6.5}, {17.5, 6.5}, {17.5, 17.5}, {6.5, 17.5}}, true));
      break;
    case Glyph::Previous:
      fill(Triangle({18, 6}, {9, 12}, {18, 18}));
      painter.drawLine(QPointF(6.5, 6), QPointF(6.5, 18));
      break;
    case Glyph::Next:
      fill(Triangle({6, 6}, {15, 12}, {6, 18}));
      painter.drawLine(QPointF(17.5, 6), QPointF(17.5, 18));
      break;
    case Glyph::StepFrame:
      fill(Triangle({5, 7}, {12, 12}, {5, 17}));
      fill(Triangle({12, 7}, {19, 12}, {12, 17}));
      break;
    case Glyph::Camera: {
      QPainterPath body;
      body.addRoundedRect(QRectF(3, 7.5, 18, 12.5), 2.5, 2.5);
      painter.drawPath(body);
      painter.drawPath(Polyline({{8.5, 7.5}, {10, 4.5}, {14, 4.5}, {15.5, 7.5}}));
      painter.drawEllipse(QPointF(12, 13.5), 3.5, 3.5);
      break;
    }
    case Glyph::FolderOpen: {
      painter.drawPath(Polyline({{3, 18}, {3, 6}, {9, 6}, {11, 8.5}, {19, 8.5}, {19, 11}}));
      painter.drawPath(Polyline({{3, 19}, {6.5, 11.5}, {22, 11.5}, {18.5, 19}}, true));
      break;
    }
    case Glyph::PlayTrimmed:
      painter.drawPath(Polyline({{6, 5}, {3.5, 5}, {3.5, 19}, {6, 19}}));
      painter.drawPath(Polyline({{18, 5}, {20.5, 5}, {20.5, 19}, {18, 19}}));
      fill(Triangle({9.5, 8}, {15.5, 12}, {9.5, 16}));
      break;
    case Glyph::MarkStart:
      painter.drawPath(Polyline({{10, 4}, {6, 4}, {6, 20}, {10, 20}}));
      fill(Triangle({12, 8}, {18.5, 12}, {12, 16}));
      break;
    case Glyph::MarkEnd:
      painter.drawPath(Polyline({{14, 4}, {18, 4}, {18, 20}, {14, 20}}));
      fill(Triangle({12, 8}, {5.5, 12}, {12, 16}));
      break;
    case Glyph::AddFile:
      painter.drawPath(Polyline({{13.5, 3}, {6, 3}, {6, 21}, {18, 21}, {18, 7.5}, {13.5, 3}}));
      painter.drawPath(Polyline({{13.5, 3}, {13.5, 7.5}, {18, 7.5}}));
      painter.drawLine(QPointF(12, 11), QPointF(12, 17));
      painter.drawLine(QPointF(9, 14), QPointF(15, 14));
      break;
    case Glyph::Download:
      painter.drawLine(QPointF(12, 3.5), QPointF(12, 15));
      painter.drawPath(Polyline({{7, 10}, {12, 15}, {17, 10}}));
      painter.drawPath(Polyline({{4, 15}, {4, 20}, {20, 20}, {20, 15}}));
      break;
    case Glyph::Sparkle: {
      auto star = [&](QPointF c, double r) {
        QPainterPath p;
        p.moveTo(c.x(), c.y() - r);
        p.quadTo(c.x(), c.y(), c.x() + r, c.y());
        p.quadTo(c.x(), c.y(), c.x(), c.y() + r);
        p.quadTo(c.x(), c.y(), c.x() - r, c.y());
        p.quadTo(c.x(), c.y(), c.x(), c.y() - r);
        fill(p);
      };
      star({10, 13}, 8);
      star({18.5, 5.5}, 3.5);
      star({19, 18.5}, 2.5);
      break;
    }
    case Glyph::Scissors:
      painter.drawEllipse(QPointF(6.5, 17.5), 3, 3);
      painter.drawEllipse(QPointF(17.5, 17.5), 3, 3);
      painter.drawLine(QPointF(8.7, 15.3), QPointF(18, 4));
      painter.drawLine(QPointF(15.3, 15.3), QPointF(6, 4));
      break;
    case Glyph::Crop:
      painter.drawPath(Polyline({{7, 2.5}, {7, 17}, {21.5, 17}}));
      painter.drawPath(Polyline({{2.5, 7}, {17, 7}, {17, 21.5}}));
      break;
    case Glyph::Gear: {
      QPainterPath gear;
      constexpr int kTeeth = 8;
      for (int i = 0; i < kTeeth * 4; ++i) {
        const double a = (i - 0.5) * M_PI * 2 / (kTeeth * 4);
        const double r = (i % 4 == 0 || i % 4 == 1) ? 9.5 : 7;
        const QPointF p(12 + r * std::cos(a), 12 + r * std::sin(a));
        if (i == 0) {
          gear.moveTo(p);
        } else {
          gear.lineTo(p);
        }
      }
      gear.closeSubpath();
      painter.drawPath(gear);
      painter.drawEllipse(QPointF(12, 12), 3, 3);
      break;
    }
    case Glyph::Merge:
      painter.drawPath(Polyline({{5, 4}, {5, 8}, {12, 14}, {12, 21}}));
      painter.drawPath(Polyline({{19, 4}, {19, 8}, {12, 14}}));
      painter.drawPath(Polyline({{8.5, 17.5}, {12, 21}, {15.5, 17.5}}));
      break;
    case Glyph::Pencil:
      painter.drawPath(Polyline({{4, 20}, {5, 15}, {15.5, 4.5}, {19.5, 8.5}, {9, 19}}, true));
      painter.drawLine(QPointF(13, 7), QPointF(17, 11));
      break;
    case Glyph::Remove:
      painter.drawEllipse(QPointF(12, 12), 8.5, 8.5);
      painter.drawLine(QPointF(8, 12), QPointF(16, 12));
      break;
    case Glyph::Trash:
      painter.drawLine(QPointF(4, 6.5), QPointF(20, 6.5));
      painter.drawPath(Polyline({{9, 6.5}, {9, 3.5}, {15, 3.5}, {15, 6.5}}));
      painter.drawPath(Polyline({{6, 6.5}, {7, 20.5}, {17, 20.5}, {18, 6.5}}));
      painter.drawLine(QPointF(10, 10.5), QPointF(10, 16.5));
      painter.drawLine(QPointF(14, 10.5), QPointF(14, 16.5));
      break;
    case Glyph::Info:
      painter.drawEllipse(QPointF(12, 12), 9, 9);
      painter.drawLine(QPointF(12, 11), QPointF(12, 16.5));
      fill([] {
        QPainterPath dot;
        dot.addEllipse(QPointF(12, 7.5), 0.9, 0.9);
        return dot;
      }());
      break;
    case Glyph::Sliders:
      painter.drawLine(QPointF(4, 6), QPointF(20, 6));
      painter.drawLine(QPointF(4, 12), QPointF(20, 12));
      painter.drawLine(QPointF(4, 18), QPointF(20, 18));
      for (const QPointF& knob : {QPointF(9, 6), QPointF(16, 12), QPointF(7, 18)}) {
        QPainterPath k;
        k.addEllipse(knob, 2.4, 2.4);
        fill(k);
      }
      break;
    case Glyph::Layers:
      painter.drawPath(Polyline({{12, 3}, {21, 8}, {12, 13}, {3, 8}}, true));
      painter.drawPath(Polyline({{3, 12.5}, {12, 17.5}, {21, 12.5}}));
      painter.drawPath(Polyline({{3, 16.5}, {12, 21.5}, {21, 16.5}}));
      break;
    case Glyph::Folder:
      painter.drawPath(FolderPath());
      break;
    case Glyph::External:
      painter.drawPath(Polyline({{14, 3.5}, {20.5, 3.5}, {20.5, 10}}));
      painter.drawLine(QPointF(20.5, 3.5), QPointF(11, 13));
      painter.drawPath(Polyline({{18, 14}, {18, 20}, {4, 20}, {4, 6}, {10, 6}}));
      break;
    case Glyph::Close:
      painter.drawLine(QPointF(6.5, 6.5), QPointF(17.5, 17.5));
      painter.drawLine(QPointF(17.5, 6.5), QPointF(6.5, 17.5));
      break;
    case Glyph::Minimise:
      painter.drawLine(QPointF(6.5, 16), QPointF(17.5, 16));
      break;
    case Glyph::Help: {
      QPainterPath q;
      q.moveTo(8.5, 9);
      q.cubicTo(8.5, 4.5, 15.5, 4.5, 15.5, 9);
      q.cubicTo(15.5, 11.5, 12, 11.5, 12, 14.5);
      painter.drawPath(q);
      QPainterPath dot;
      dot.addEllipse(QPointF(12, 18.5), 1.1, 1.1);
      fill(dot);
      break;
    }
    case Glyph::Convert:
      fill(Polyline({{3.5, 9.5}, {12.5, 9.5}, {12.5, 4.5}, {21, 12}, {12.5, 19.5}, {12.5, 14.5}, {3.5, 14.5}},
                    true));
      break;
    case Glyph::Note: {
      painter.drawPath(Polyline({{15, 17}, {15, 4}, {20, 6}}));
      QPainterPath head;
      head.addEllipse(QPointF(11.5, 17.5), 3.6, 2.8);
      fill(head);
      break;
    }
    case Glyph::Film: {
      QPainterPath frame;
      frame.addRoundedRect(QRectF(3, 5, 18, 14), 2.5, 2.5);
      painter.drawPath(frame);
      fill(Triangle({10, 9}, {15, 12}, {10, 15}));
      break;
    }
    case Glyph::Stack: {
      QPainterPath back;
      back.addRoundedRect(QRectF(7, 3.5, 14, 11), 2, 2);
      painter.drawPath(back);
      QPainterPath front;
      front.addRoundedRect(QRectF(3, 9.5, 14, 11), 2, 2);
      painter.save();
      painter.setBrush(painter.background());
      painter.drawPath(front);
      painter.restore();
      fill(Triangle({8.5, 12.5}, {12.5, 15}, {8.5, 17.5}));
      break;
    }
    case Glyph::Reset: {
      QPainterPath arc;
      arc.arcMoveTo(QRectF(4, 4, 16, 16), 100);
      arc.arcTo(QRectF(4, 4, 16, 16), 100, 290);
      painter.drawPath(arc);
      painter.drawPath(Polyline({{4.5, 4}, {9.5, 4.3}, {8.8, 9.2}}));
      break;
    }
    case Glyph::Check:
      painter.drawPath(Polyline({{4.5, 12.5}, {9.5, 17.5}, {19.5, 6.5}}));
      break;
    case Glyph::Plus:
      painter.drawLine(QPointF(12, 5), QPointF(12, 19));
      painter.drawLine(QPointF(5, 12), QPointF(19, 12));
      break;
    case Glyph::Font: {
      painter.drawPath(Polyline({{3.5, 19}, {9, 5}, {14.5, 19}}));
      painter.drawLine(QPointF(5.5, 14), QPointF(12.5, 14));
      painter.drawEllipse(QPointF(18, 16), 3, 3);
      painter.drawLine(QPointF(21, 12.5), QPointF(21, 19));
      break;
    }
  }
  painter.restore();
}

void DrawMark(QPainter& painter, const QRectF& box, bool tile) {
  painter.save();
  painter.translate(box.topLeft());
  painter.scale(box.width() / 64.0, box.height() / 64.0);
  painter.setPen(Qt::NoPen);
  if (tile) {
    QLinearGradient warm(0, 0, 64, 64);
    warm.setColorAt(0, theme::kAccentHi);
    warm.setColorAt(1, theme::kAccentLo);
    painter.setBrush(warm);
    painter.drawRoundedRect(QRectF(0, 0, 64, 64), 15, 15);
  }
  const QColor ink = tile ? QColor(255, 250, 244) : theme::kAccent;
  painter.setBrush(ink);
  // A play triangle with a raised wing behind it, set apart by a thin cut: a hovering kestrel, and
  // video.
  QPainterPath wing;
  wing.moveTo(29, 23);
  wing.cubicTo(26, 15, 22, 9, 17, 3.5);
  wing.quadTo(18.5, 10, 20.5, 14.5);
  wing.quadTo(15, 9.5, 9, 8.5);
  wing.quadTo(13.5, 15, 18.5, 19.5);
  wing.quadTo(12, 17.5, 5.5, 18.5);
  wing.quadTo(14, 25.5, 21, 28);
  wing.quadTo(15, 29.5, 9.5, 32.5);
  wing.quadTo(19, 37, 27, 37);
  wing.closeSubpath();
  QPainterPath play;
  play.moveTo(25, 24);
  play.quadTo(25, 19.5, 29, 21.6);
  play.lineTo(52, 34);
  play.quadTo(55.5, 36, 52, 38);
  play.lineTo(29, 50.4);
  play.quadTo(25, 52.5, 25, 48);
  play.closeSubpath();
  painter.translate(1.5, 3.5);  // centres the mark on the tile
  painter.drawPath(wing.subtracted(play).subtracted([&] {
    QPainterPathStroker cut;
    cut.setWidth(3.2);
    cut.setJoinStyle(Qt::RoundJoin);
    return cut.createStroke(play);
  }()));
  painter.drawPath(play);
  painter.restore();
}
