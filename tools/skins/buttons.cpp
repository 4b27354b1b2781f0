#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>

#include "tools/skins/draw_kit.h"
#include "tools/skins/glyphs.h"
#include "tools/skins/registry.h"
#include "tools/skins/theme.h"

namespace {

using kit::State;

struct Face {
  QColor fill;
  QColor border;
  QColor ink;    // text and icon
  QColor icon;   // the icon when it has its own colour
  double shift;  // pressed content moves down a pixel
};

// The face of an ordinary button in each state.
Face Ordinary(State s, bool accentIcon = true) {
  switch (s) {
    case State::Normal:
      return {theme::kControl, theme::kBorderSoft, theme::kText, accentIcon ? theme::kAccent : theme::kText,
              0};
    case State::Hover:
      return {theme::kControlHi, theme::kAccent, QColor(255, 255, 255),
              accentIcon ? theme::kAccentHi : QColor(255, 255, 255), 0};
    case State::Pressed:
      return {theme::kControlLo, theme::kAccentLo, theme::kText, theme::kAccent, 1};
    case State::Disabled:
      break;
  }
  return {kit::Mix(theme::kCard, theme::kControl, 0.45), theme::kBorderSoft, theme::kTextOff, theme::kTextOff,
          0};
}

// The face of a button that does the window's main thing (OK, Apply).
Face Primary(State s) {
  switch (s) {
    case State::Normal:
      return {theme::kAccent, theme::kAccentLo, QColor(28, 18, 8), QColor(28, 18, 8), 0};
    case State::Hover:
      return {theme::kAccentHi, theme::kAccent, QColor(28, 18, 8), QColor(28, 18, 8), 0};
    case State::Pressed:
      return {theme::kAccentLo, kit::Mix(theme::kAccentLo, Qt::black, 0.3), QColor(255, 244, 232),
              QColor(255, 244, 232), 1};
    case State::Disabled:
      break;
  }
  return Ordinary(State::Disabled);
}

void FillFace(QPainter& p, const QRectF& body, double radius, const Face& face) {
  QLinearGradient shade(body.topLeft(), body.bottomLeft());
  shade.setColorAt(0, face.fill.lighter(108));
  shade.setColorAt(1, face.fill.darker(104));
  p.setPen(QPen(face.border, 1));
  p.setBrush(shade);
  p.drawPath(kit::Rounded(body.adjusted(0.5, 0.5, -0.5, -0.5), radius));
}

QImage MatteOn(const QImage& drawing, const QColor& under) {
  return kit::Matte(drawing, under);
}

Painter TitleButton(Glyph glyph, bool danger) {
  return [=](const skin::SkinPicture& p) {
    return kit::Strip(
        p.frameWidth, p.frameHeight, p.frames,
        [&](QPainter& painter, State s, QRectF r) {
          QColor ink = theme::kTextDim;
          if (s == State::Hover || s == State::Pressed) {
            QColor bg = danger ? theme::kDanger : theme::kControlHi;
            if (s == State::Pressed) {
              bg = danger ? theme::kDanger.darker(125) : theme::kControlLo;
            }
            painter.setPen(Qt::NoPen);
            painter.setBrush(bg);
            painter.drawRoundedRect(r, 5, 5);
            ink = QColor(255, 255, 255);
          } else if (s == State::Disabled) {
            ink = theme::kTextOff;
          }
          DrawGlyph(painter, glyph, r.adjusted(2, 2, -2, -2), ink, 1.7);
        },
        [](const QImage& d) { return MatteOn(d, theme::kTitle); });
  };
}

// The caption goes into the picture's file too, so that the button it dresses can tell a screen
// reader what it says.
QImage Captioned(const QString& caption, QImage picture) {
  picture.setText(QString::fromLatin1(skin::kCaptionTextKey), caption);
  return picture;
}

// The main window's tool buttons overlap their neighbours by 22 pixels, so only a narrower body is
// drawn and the margins are keyed out (the buttons are shown with their mask on).
Painter ToolButton(Glyph glyph, QString label) {
  return [=](const skin::SkinPicture& p) {
    return Captioned(
        label, kit::Strip(
                   p.frameWidth, p.frameHeight, p.frames,
                   [&](QPainter& painter, State s, QRectF r) {
                     const Face face = Ordinary(s);
                     const QRectF body(15, 1, 99, r.height() - 2);
                     FillFace(painter, body, 9, face);
                     const QRectF content = body.translated(0, face.shift);
                     DrawGlyph(painter, glyph, QRectF(content.center().x() - 11, content.top() + 5, 22, 22),
                               face.icon, 2.0);
                     kit::Text(painter,
                               QRectF(content.left() + 2, content.top() + 28, content.width() - 4, 14), label,
                               kit::Fit(theme::Font(11.5), label, content.width() - 8), face.ink);
                   },
                   [](const QImage& d) { return kit::KeyOut(d, theme::kBody); }));
  };
}

Painter TransportButton(Glyph glyph, bool accent) {
  return [=](const skin::SkinPicture& p) {
    return kit::Strip(
        p.frameWidth, p.frameHeight, p.frames,
        [&](QPainter& painter, State s, QRectF r) {
          Face face = Ordinary(s, false);
          QColor ink = accent ? theme::kAccent : theme::kText;
          if (s == State::Hover) {
            ink = accent ? theme::kAccentHi : QColor(255, 255, 255);
          } else if (s == State::Pressed) {
            face.fill = theme::kAccent;
            face.border = theme::kAccentLo;
            ink = theme::kWell;
          } else if (s == State::Disabled) {
            ink = theme::kTextOff;
          }
          const QRectF body = r.adjusted(2, 2, -2, -2);
          FillFace(painter, body, 9, face);
          DrawGlyph(painter, glyph,
                    QRectF(body.center().x() - 10, body.center().y() - 10 + face.shift, 20, 20), ink, 2.0);
        },
        [](const QImage& d) { return MatteOn(d, theme::kCard); });
  };
}

// A wide button with a small icon before its caption.
Painter ActionButton(Glyph glyph, QString label) {
  return [=](const skin::SkinPicture& p) {
    return Captioned(label,
                     kit::Strip(
                         p.frameWidth, p.frameHeight, p.frames,
                         [&](QPainter& painter, State s, QRectF r) {
                           const Face face = Ordinary(s);
                           FillFace(painter, r, 6, face);
                           const QFont font = kit::Fit(theme::Font(11.5), label, r.width() - 32);
                           const double textWidth = QFontMetricsF(font).horizontalAdvance(label);
                           const double start = (r.width() - (15 + 6 + textWidth)) / 2;
                           DrawGlyph(painter, glyph, QRectF(start, r.center().y() - 7.5 + face.shift, 15, 15),
                                     face.icon, 1.8);
                           kit::Text(painter, QRectF(start + 21, face.shift, textWidth + 2, r.height()),
                                     label, font, face.ink, Qt::AlignLeft | Qt::AlignVCenter);
                         },
                         [](const QImage& d) { return MatteOn(d, theme::kCard); }));
  };
}

Painter TextButton(QString label, bool primary) {
  return [=](const skin::SkinPicture& p) {
    return Captioned(label, kit::Strip(
                                p.frameWidth, p.frameHeight, p.frames,
                                [&](QPainter& painter, State s, QRectF r) {
                                  const Face face = primary ? Primary(s) : Ordinary(s);
                                  FillFace(painter, r, 6, face);
                                  kit::Text(painter, r.translated(0, face.shift), label,
                                            kit::Fit(theme::Font(12), label, r.width() - 10), face.ink);
                                },
                                [](const QImage& d) { return MatteOn(d, theme::kCard); }));
  };
}

Painter IconButton(Glyph glyph) {
  return [=](const skin::SkinPicture& p) {
    return kit::Strip(
        p.frameWidth, p.frameHeight, p.frames,
        [&](QPainter& painter, State s, QRectF r) {
          const Face face = Ordinary(s, false);
          FillFace(painter, r, 5, face);
          DrawGlyph(painter, glyph, QRectF(r.center().x() - 8, r.center().y() - 8 + face.shift, 16, 16),
                    face.ink, 1.7);
        },
        [](const QImage& d) { return MatteOn(d, theme::kCard); });
  };
}

Painter StartButton() {
  return [](const skin::SkinPicture& p) {
    return Captioned(QStringLiteral("Convert"),
                     kit::Strip(
                         p.frameWidth, p.frameHeight, p.frames,
                         [&](QPainter& painter, State s, QRectF r) {
                           const QRectF body = r.adjusted(3, 3, -3, -3);
                           QColor top = theme::kAccentHi, bottom = theme::kAccentLo, ink(255, 255, 255),
                                  edge = theme::kAccentLo;
                           double shift = 0;
                           if (s == State::Hover) {
                             top = QColor(255, 190, 126);
                             bottom = theme::kAccent;
                             edge = theme::kAccentHi;
                           } else if (s == State::Pressed) {
                             top = theme::kAccentLo;
                             bottom = theme::kAccentLo.darker(120);
                             shift = 1;
                           } else if (s == State::Disabled) {
                             top = theme::kControl;
                             bottom = kit::Mix(theme::kControl, theme::kCard, 0.5);
                             edge = theme::kBorderSoft;
                             ink = theme::kTextOff;
                           }
                           QLinearGradient shade(body.topLeft(), body.bottomLeft());
                           shade.setColorAt(0, top);
                           shade.setColorAt(1, bottom);
                           painter.setPen(QPen(edge, 1));
                           painter.setBrush(shade);
                           painter.drawPath(kit::Rounded(body.adjusted(0.5, 0.5, -0.5, -0.5), 20));
                           if (s != State::Disabled) {
                             // A soft highlight across the upper half.
                             QLinearGradient gloss(body.topLeft(), QPointF(body.left(), body.center().y()));
                             gloss.setColorAt(0, QColor(255, 255, 255, s == State::Pressed ? 18 : 56));
                             gloss.setColorAt(1, QColor(255, 255, 255, 0));
                             painter.setPen(Qt::NoPen);
                             painter.setBrush(gloss);
                             painter.drawPath(kit::Rounded(body.adjusted(2, 2, -2, -body.height() / 2), 18));
                           }
                           DrawGlyph(painter, Glyph::Convert,
                                     QRectF(body.center().x() - 21, body.top() + 16 + shift, 42, 42), ink);
                           kit::Text(painter, QRectF(body.left(), body.top() + 62 + shift, body.width(), 22),
                                     QStringLiteral("Convert"), theme::Font(14, QFont::Bold), ink);
                         },
                         [](const QImage& d) { return MatteOn(d, theme::kCard); }));
  };
}

// Trim handles: a bar with a flag pointing into the kept stretch.
Painter Handle(bool start) {
  return [=](const skin::SkinPicture& p) {
    return kit::Strip(
        p.frameWidth, p.frameHeight, p.frames,
        [&](QPainter& painter, State s, QRectF r) {
          QColor ink = theme::kAccent;
          if (s == State::Hover) {
            ink = theme::kAccentHi;
          } else if (s == State::Pressed) {
            ink = QColor(255, 255, 255);
          } else if (s == State::Disabled) {
            ink = theme::kTextOff;
          }
          painter.setPen(Qt::NoPen);
          painter.setBrush(ink);
          QPainterPath shape;
          const double w = r.width(), h = r.height();
          if (start) {
            shape.addRoundedRect(QRectF(0, 0, 3.5, h), 1.5, 1.5);
            shape.addPolygon(QPolygonF({QPointF(2, 0), QPointF(w, 0), QPointF(2, 7)}));
          } else {
            shape.addRoundedRect(QRectF(w - 3.5, 0, 3.5, h), 1.5, 1.5);
            shape.addPolygon(QPolygonF({QPointF(w - 2, 0), QPointF(0, 0), QPointF(w - 2, 7)}));
          }
          shape.setFillRule(Qt::WindingFill);
          painter.drawPath(shape.simplified());
        },
        [](const QImage& d) { return MatteOn(d, theme::kCard); });
  };
}

Painter Tab(Glyph glyph, QString label, bool on) {
  return [=](const skin::SkinPicture& p) {
    return Captioned(
        label, kit::Strip(
                   p.frameWidth, p.frameHeight, p.frames,
                   [&](QPainter& painter, State s, QRectF r) {
                     QColor face = Qt::transparent, ink = theme::kTextDim, icon = theme::kTextDim,
                            bar = Qt::transparent;
                     if (on) {
                       face = theme::kCard;
                       ink = QColor(255, 255, 255);
                       icon = theme::kAccent;
                       bar = theme::kAccent;
                     }
                     if (s == State::Hover) {
                       face = on ? kit::Mix(theme::kCard, theme::kControlHi, 0.35) : theme::kControl;
                       ink = QColor(255, 255, 255);
                       icon = on ? theme::kAccentHi : theme::kAccent;
                       bar = on ? theme::kAccentHi : bar;
                     } else if (s == State::Pressed) {
                       face = on ? theme::kCard.darker(112) : theme::kControlLo;
                       ink = theme::kText;
                       icon = theme::kAccent;
                     } else if (s == State::Disabled) {
                       ink = theme::kTextOff;
                       icon = theme::kTextOff;
                       bar = on ? theme::kTextOff : bar;
                     }
                     QPainterPath top;
                     top.moveTo(0, r.height());
                     top.lineTo(0, 6);
                     top.quadTo(0, 0, 6, 0);
                     top.lineTo(r.width() - 6, 0);
                     top.quadTo(r.width(), 0, r.width(), 6);
                     top.lineTo(r.width(), r.height());
                     top.closeSubpath();
                     painter.setPen(Qt::NoPen);
                     painter.setBrush(face);
                     painter.drawPath(top);
                     if (bar.alpha() != 0) {
                       painter.setBrush(bar);
                       painter.drawRoundedRect(QRectF(10, 0, r.width() - 20, 2.5), 1.2, 1.2);
                     }
                     const QFont font = kit::Fit(theme::Font(12), label, r.width() - 40);
                     const double textWidth = QFontMetricsF(font).horizontalAdvance(label);
                     const double start = (r.width() - (16 + 7 + textWidth)) / 2;
                     const double dy = s == State::Pressed ? 1 : 0;
                     DrawGlyph(painter, glyph, QRectF(start, r.center().y() - 7 + dy, 16, 16), icon, 1.8);
                     kit::Text(painter, QRectF(start + 23, 1 + dy, textWidth + 2, r.height()), label, font,
                               ink, Qt::AlignLeft | Qt::AlignVCenter);
                   },
                   [](const QImage& d) { return MatteOn(d, theme::kBody); }));
  };
}

}  // namespace

void AddButtons(Registry& r) {
  r["tb_min.png"] = TitleButton(Glyph::Minimise, false);
  r["tb_close.png"] = TitleButton(Glyph::Close, true);
  r["tb_help.png"] = TitleButton(Glyph::Help, false);

  r["tool_add_files.png"] = ToolButton(Glyph::AddFile, QStringLiteral("Add Files"));
  r["tool_download.png"] = ToolButton(Glyph::Download, QStringLiteral("Download"));
  r["tool_effect.png"] = ToolButton(Glyph::Sparkle, QStringLiteral("Effect"));
  r["tool_trim.png"] = ToolButton(Glyph::Scissors, QStringLiteral("Trim"));
  r["tool_crop.png"] = ToolButton(Glyph::Crop, QStringLiteral("Crop"));
  r["tool_preferences.png"] = ToolButton(Glyph::Gear, QStringLiteral("Preferences"));

  r["ctl_play.png"] = TransportButton(Glyph::Play, true);
  r["ctl_pause.png"] = TransportButton(Glyph::Pause, true);
  r["ctl_stop.png"] = TransportButton(Glyph::Stop, false);
  r["ctl_back.png"] = TransportButton(Glyph::Previous, false);
  r["ctl_forward.png"] = TransportButton(Glyph::Next, false);
  r["ctl_snap.png"] = TransportButton(Glyph::Camera, false);
  r["ctl_open_snap.png"] = TransportButton(Glyph::FolderOpen, false);
  r["ctl_next_frame.png"] = TransportButton(Glyph::StepFrame, false);
  r["ctl_play_trimmed.png"] = TransportButton(Glyph::PlayTrimmed, true);
  r["ctl_mark_start.png"] = TransportButton(Glyph::MarkStart, false);
  r["ctl_mark_end.png"] = TransportButton(Glyph::MarkEnd, false);

  r["list_merge.png"] = ActionButton(Glyph::Merge, QStringLiteral("Merge"));
  r["list_rename.png"] = ActionButton(Glyph::Pencil, QStringLiteral("Rename"));
  r["list_remove.png"] = ActionButton(Glyph::Remove, QStringLiteral("Remove"));
  r["list_clear_all.png"] = ActionButton(Glyph::Trash, QStringLiteral("Clear All"));
  r["list_properties.png"] = ActionButton(Glyph::Info, QStringLiteral("Properties"));
  r["btn_settings.png"] = ActionButton(Glyph::Sliders, QStringLiteral("Settings"));
  r["btn_apply_all.png"] = ActionButton(Glyph::Layers, QStringLiteral("Apply to All"));
  r["btn_browse.png"] = ActionButton(Glyph::Folder, QStringLiteral("Browse"));
  r["btn_open_folder.png"] = ActionButton(Glyph::FolderOpen, QStringLiteral("Open"));
  r["btn_start.png"] = StartButton();

  r["btn_ok.png"] = TextButton(QStringLiteral("OK"), true);
  r["btn_apply.png"] = TextButton(QStringLiteral("Apply"), true);
  r["btn_cancel.png"] = TextButton(QStringLiteral("Cancel"), false);
  r["btn_close.png"] = TextButton(QStringLiteral("Close"), false);
  r["btn_reset.png"] = TextButton(QStringLiteral("Reset"), false);
  r["btn_add.png"] = TextButton(QStringLiteral("Add"), false);
  r["btn_delete.png"] = TextButton(QStringLiteral("Delete"), false);
  r["btn_pause.png"] = TextButton(QStringLiteral("Pause"), false);
  r["btn_continue.png"] = TextButton(QStringLiteral("Continue"), true);
  r["btn_stop.png"] = TextButton(QStringLiteral("Stop"), false);
  r["btn_set.png"] = TextButton(QStringLiteral("Set"), false);
  r["btn_font.png"] = TextButton(QStringLiteral("Font"), false);
  r["btn_pick.png"] = IconButton(Glyph::Folder);
  r["btn_open.png"] = IconButton(Glyph::External);
  r["handle_start.png"] = Handle(true);
  r["handle_end.png"] = Handle(false);

  const struct {
    const char* file;
    Glyph glyph;
    const char* label;
  } tabs[] = {{"tab_general", Glyph::Gear, "General"},  {"tab_option", Glyph::Sliders, "Option"},
              {"tab_trim", Glyph::Scissors, "Trim"},    {"tab_crop", Glyph::Crop, "Crop"},
              {"tab_effect", Glyph::Sparkle, "Effect"}, {"tab_mark", Glyph::Layers, "Watermark"}};
  for (const auto& t : tabs) {
    r[std::string(t.file) + ".png"] = Tab(t.glyph, QString::fromUtf8(t.label), false);
    r[std::string(t.file) + "_on.png"] = Tab(t.glyph, QString::fromUtf8(t.label), true);
  }
}
