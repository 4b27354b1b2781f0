#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include "tools/skins/draw_kit.h"
#include "tools/skins/glyphs.h"
#include "tools/skins/registry.h"
#include "tools/skins/theme.h"

namespace {

constexpr double kRadius = 10;
constexpr int kTitleHeight = 32;
constexpr int kFooterHeight = 52;

// Draws a window: rounded outline keyed out around it, a title bar, the body, and `content` on top.
QImage Window(int w, int h, int titleHeight, int footerHeight,
              const std::function<void(QPainter&)>& content) {
  QImage canvas = kit::Canvas(w, h);
  {
    QPainter p(&canvas);
    kit::Smooth(p);
    const QPainterPath outline = kit::Rounded(QRectF(0, 0, w, h), kRadius);
    p.setClipPath(outline);
    p.fillRect(QRectF(0, 0, w, h), theme::kBody);
    if (titleHeight > 0) {
      QLinearGradient title(0, 0, 0, titleHeight);
      title.setColorAt(0, theme::kTitle.lighter(112));
      title.setColorAt(0.15, theme::kTitle);
      title.setColorAt(1, theme::kTitle);
      p.fillRect(QRectF(0, 0, w, titleHeight), title);
      p.fillRect(QRectF(0, titleHeight, w, 1), theme::kOutline);
      DrawMark(p, QRectF(11, (titleHeight - 18) / 2.0, 18, 18));
    }
    if (footerHeight > 0) {
      p.fillRect(QRectF(0, h - footerHeight, w, footerHeight), theme::kCard);
      p.fillRect(QRectF(0, h - footerHeight, w, 1), theme::kBorderSoft);
    }
    content(p);
    p.setClipping(false);
    p.setPen(QPen(theme::kOutline, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(kit::Rounded(QRectF(0.5, 0.5, w - 1, h - 1), kRadius - 0.5));
    p.setPen(QPen(QColor(255, 255, 255, 22), 1));
    p.drawPath(kit::Rounded(QRectF(1.5, 1.5, w - 3, h - 3), kRadius - 1.5));
  }
  return kit::KeyOut(canvas, theme::kOutline);
}

void Card(QPainter& p, const QRectF& r, const QColor& fill = theme::kCard, double radius = 8) {
  p.save();
  p.setPen(QPen(theme::kBorderSoft, 1));
  p.setBrush(fill);
  p.drawPath(kit::Rounded(r.adjusted(0.5, 0.5, -0.5, -0.5), radius));
  p.restore();
}

// A recessed area where pictures or lists show.
void Well(QPainter& p, const QRectF& r, double radius = 4) {
  p.save();
  p.setPen(QPen(theme::kOutline, 1));
  p.setBrush(theme::kWell);
  p.drawPath(kit::Rounded(r.adjusted(0.5, 0.5, -0.5, -0.5), radius));
  p.setPen(QPen(kit::Mix(theme::kCard, theme::kBorder, 0.4), 1));
  p.drawLine(QPointF(r.left() + radius, r.bottom() + 0.5), QPointF(r.right() - radius, r.bottom() + 0.5));
  p.restore();
}

Painter Dialog(int titleHeight, int footerHeight, std::function<void(QPainter&, int, int)> content) {
  return [=](const skin::SkinPicture& pic) {
    const int w = pic.frameWidth, h = pic.frameHeight;
    return Window(w, h, titleHeight, footerHeight, [&](QPainter& p) { content(p, w, h); });
  };
}

void Nothing(QPainter&, int, int) {}

QImage MainForm(const skin::SkinPicture& pic) {
  const int w = pic.frameWidth, h = pic.frameHeight;
  return Window(w, h, 0, 0, [&](QPainter& p) {
    // Title band with the menu strip the tool bar sits in.
    QLinearGradient title(0, 0, 0, 57);
    title.setColorAt(0, theme::kTitle.lighter(110));
    title.setColorAt(0.12, theme::kTitle);
    title.setColorAt(1, kit::Mix(theme::kTitle, theme::kBody, 0.35));
    p.fillRect(QRectF(0, 0, w, 57), title);
    p.fillRect(QRectF(0, 57, w, 1), theme::kOutline);
    DrawMark(p, QRectF(14, 7, 20, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(theme::kMenuStrip.darker(135));
    p.drawRoundedRect(QRectF(209, 27, 285, 28), 7, 7);
    p.setBrush(theme::kMenuStrip);
    p.drawRoundedRect(QRectF(210, 28, 283, 26), 6, 6);

    // Brand block beside the tool buttons.
    DrawMark(p, QRectF(26, 67, 38, 38));
    kit::Text(p, QRectF(72, 68, 80, 20), QStringLiteral("Kestrelvine"), theme::Font(12.5, QFont::Bold),
              theme::kText, Qt::AlignLeft | Qt::AlignVCenter);
    kit::Text(p, QRectF(72, 86, 80, 18), QStringLiteral("Converter"), theme::Font(11, QFont::Normal),
              theme::kTextDim, Qt::AlignLeft | Qt::AlignVCenter);

    // Player card: video well, slider, transport.
    Card(p, QRectF(28, 120, 288, 296));
    Well(p, QRectF(38, 126, 268, 202));
    // List card: list well and list buttons.
    Card(p, QRectF(314 + 2, 120, 504, 296));
    Well(p, QRectF(318, 126, 491, 243));
    // Output card: tracks, profile, destination and the start button.
    Card(p, QRectF(28, 426, 792, 154));
    kit::Text(p, QRectF(40, 430, 200, 16), QStringLiteral("OUTPUT"), theme::Font(9.5, QFont::Bold),
              theme::kTextOff, Qt::AlignLeft | Qt::AlignVCenter);
    p.fillRect(QRectF(630, 440, 1, 128), theme::kBorderSoft);
  });
}

QImage Face(const skin::SkinPicture& pic) {
  const int w = pic.frameWidth, h = pic.frameHeight;
  QImage face(w, h, QImage::Format_RGB32);
  face.fill(theme::kWell);
  QPainter p(&face);
  kit::Smooth(p);
  QRadialGradient glow(QPointF(w / 2.0, h / 2.0 - 10), w * 0.55);
  glow.setColorAt(0, kit::Mix(theme::kWell, theme::kCard, 0.55));
  glow.setColorAt(1, theme::kWell);
  p.fillRect(face.rect(), glow);
  QPen dash(kit::Mix(theme::kWell, theme::kAccent, 0.45), 1.6, Qt::CustomDashLine, Qt::RoundCap);
  dash.setDashPattern({5, 4});
  p.setPen(dash);
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(14.5, 14.5, w - 29, h - 29), 14, 14);
  // A file with a plus in a soft disc.
  p.setPen(Qt::NoPen);
  p.setBrush(kit::Mix(theme::kWell, theme::kAccent, 0.16));
  p.drawEllipse(QPointF(w / 2.0, 84), 36, 36);
  DrawGlyph(p, Glyph::AddFile, QRectF(w / 2.0 - 22, 62, 44, 44), theme::kAccent, 2.4);
  kit::Text(p, QRectF(0, 132, w, 26), QStringLiteral("Add videos and audio to begin"),
            theme::Font(16, QFont::Bold), theme::kText);
  kit::Text(p, QRectF(0, 160, w, 20), QStringLiteral("Drop files or folders here, or click Add Files"),
            theme::Font(12, QFont::Normal), theme::kTextDim);
  kit::Text(p, QRectF(0, 190, w, 18), QStringLiteral("Trim, crop, add effects and watermarks, then convert"),
            theme::Font(10.5, QFont::Normal), theme::kTextOff);
  return face;
}

// The wordmark: the product's name in two weights.
void Wordmark(QPainter& p, QPointF at, double size) {
  kit::Text(p, QRectF(at.x(), at.y(), 400, size * 1.4), QStringLiteral("Kestrelvine"),
            theme::Font(size, QFont::Bold), theme::kText, Qt::AlignLeft | Qt::AlignVCenter);
  kit::Text(p, QRectF(at.x() + 1, at.y() + size * 1.3, 400, size * 1.1), QStringLiteral("Converter"),
            theme::Font(size * 0.72, QFont::Normal), theme::kAccent, Qt::AlignLeft | Qt::AlignVCenter);
}

// Swept lines across a dark field, like wing beats.
void FlightLines(QPainter& p, const QRectF& area) {
  p.save();
  p.setClipRect(area);
  for (int i = 0; i < 7; ++i) {
    QPainterPath sweep;
    const double y = area.top() + area.height() * (0.35 + i * 0.09);
    sweep.moveTo(area.left() - 20, y + 60);
    sweep.cubicTo(area.left() + area.width() * 0.35, y - 10 - i * 6, area.left() + area.width() * 0.6, y + 30,
                  area.right() + 20, y - 50 - i * 4);
    QColor c = theme::kAccent;
    c.setAlpha(10 + i * 5);
    p.setPen(QPen(c, 1.4 + i * 0.25));
    p.setBrush(Qt::NoBrush);
    p.drawPath(sweep);
  }
  p.restore();
}

QImage About(const skin::SkinPicture& pic) {
  const int w = pic.frameWidth, h = pic.frameHeight;
  return Window(w, h, kTitleHeight, kFooterHeight, [&](QPainter& p) {
    QLinearGradient hero(0, kTitleHeight, 0, 130);
    hero.setColorAt(0, kit::Mix(theme::kBody, theme::kCard, 0.7));
    hero.setColorAt(1, theme::kBody);
    p.fillRect(QRectF(0, kTitleHeight + 1, w, 130 - kTitleHeight), hero);
    FlightLines(p, QRectF(0, kTitleHeight + 1, w, 130 - kTitleHeight));
    DrawMark(p, QRectF(24, 48, 64, 64));
    Wordmark(p, QPointF(104, 52), 22);
    p.fillRect(QRectF(24, 130, w - 48, 1), theme::kBorderSoft);
  });
}

QImage Splash(const skin::SkinPicture& pic) {
  const int w = pic.frameWidth, h = pic.frameHeight;
  return Window(w, h, 0, 0, [&](QPainter& p) {
    QLinearGradient field(0, 0, w, h);
    field.setColorAt(0, kit::Mix(theme::kBody, theme::kCard, 0.8));
    field.setColorAt(1, theme::kWell);
    p.fillRect(QRectF(0, 0, w, h), field);
    FlightLines(p, QRectF(0, 0, w, h));
    DrawMark(p, QRectF(40, 64, 88, 88));
    Wordmark(p, QPointF(148, 70), 30);
    kit::Text(p, QRectF(150, 150, 300, 20), QStringLiteral("Convert, trim and polish your videos"),
              theme::Font(12, QFont::Normal), theme::kTextDim, Qt::AlignLeft | Qt::AlignVCenter);
    // Accent rule above the version and notice lines.
    QLinearGradient rule(40, 0, w - 40, 0);
    rule.setColorAt(0, theme::kAccent);
    rule.setColorAt(1, QColor(theme::kAccent.red(), theme::kAccent.green(), theme::kAccent.blue(), 0));
    p.fillRect(QRectF(40, 200, w - 80, 2), rule);
  });
}

}  // namespace

void AddWindows(Registry& r) {
  r["form_main.png"] = MainForm;
  r["face.bmp"] = Face;
  r["about.bmp"] = About;
  r["splash.bmp"] = Splash;
  r["form_preferences.png"] = Dialog(kTitleHeight, kFooterHeight, [](QPainter& p, int w, int h) {
    // The page card under the two tab buttons at (16, 44) and (130, 44).
    Card(p, QRectF(16, 74, w - 32, h - kFooterHeight - 74 - 12));
  });
  r["form_settings.png"] = Dialog(kTitleHeight, kFooterHeight, [](QPainter& p, int w, int h) {
    Card(p, QRectF(16, 84, (w - 48) / 2.0, 216));
    Card(p, QRectF(32 + (w - 48) / 2.0, 84, (w - 48) / 2.0, 216));
    Card(p, QRectF(16, 310, w - 32, h - kFooterHeight - 310 - 10));
  });
  r["form_saveas.png"] = Dialog(kTitleHeight, kFooterHeight, Nothing);
  r["form_progress.png"] = Dialog(kTitleHeight, kFooterHeight, [](QPainter& p, int w, int h) {
    Well(p, QRectF(23, 47, 314, 234));  // around the 312 × 232 preview at (24, 48)
    Card(p, QRectF(16, 296, w - 32, h - kFooterHeight - 296 - 10));
  });
  r["form_properties.png"] = Dialog(kTitleHeight, kFooterHeight, [](QPainter& p, int w, int) {
    Card(p, QRectF(16, 44, w - 32, 108));
    Card(p, QRectF(16, 160, w - 32, 100));
  });
  r["form_editor.png"] = Dialog(kTitleHeight, kFooterHeight, [](QPainter& p, int w, int h) {
    Well(p, QRectF(23, 63, 326, 224));  // around the 324 × 222 views at (24, 64) and (412, 64)
    Well(p, QRectF(411, 63, 326, 224));
    Card(p, QRectF(16, 298, w - 32, 92));
    Card(p, QRectF(16, 430, w - 32, h - kFooterHeight - 430 - 8));
  });
}
