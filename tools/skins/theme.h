#pragma once

#include <QColor>
#include <QFont>

// The product's one theme: a deep slate body with a single kestrel-orange accent. Everything the
// generator draws takes its colours and type from here, so the whole set changes together.
namespace theme {

inline const QColor kKey(255, 0, 255);  // see-through in outlines, masks and slider pictures

inline const QColor kTitle(21, 25, 34);      // title bars
inline const QColor kBody(28, 33, 43);       // window body
inline const QColor kCard(36, 42, 55);       // cards, footers: where most buttons sit
inline const QColor kWell(13, 16, 22);       // video wells, list well, slider grooves
inline const QColor kControl(47, 54, 70);    // button face
inline const QColor kControlHi(58, 67, 86);  // button face under the pointer
inline const QColor kControlLo(30, 35, 46);  // button face pressed
inline const QColor kBorder(62, 71, 90);
inline const QColor kBorderSoft(46, 53, 68);
inline const QColor kOutline(8, 10, 14);  // the outermost window edge

inline const QColor kText(236, 239, 244);
inline const QColor kTextDim(160, 168, 184);
inline const QColor kTextOff(96, 104, 120);

inline const QColor kAccent(242, 140, 56);
inline const QColor kAccentHi(255, 172, 96);
inline const QColor kAccentLo(196, 102, 32);
inline const QColor kCool(126, 164, 232);  // effect sliders
inline const QColor kDanger(229, 83, 75);

// The main window's menu strip colour, which its tool bar is painted with.
inline const QColor kMenuStrip(161, 164, 180);

inline QFont Font(double pixelSize, int weight = QFont::DemiBold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(int(pixelSize));
  font.setWeight(QFont::Weight(weight));
  font.setHintingPreference(QFont::PreferFullHinting);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

}  // namespace theme
