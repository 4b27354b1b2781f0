#include "engines/imageedit/text_font.h"

#include <QGlyphRun>
#include <QGuiApplication>
#include <QStringList>
#include <QTextLayout>

namespace imageedit {

namespace {

constexpr qreal kDefaultPointSize = 24.0;  // readable over a video frame without covering it

// Glyph 0 is a font's "missing" box; Qt uses it when no face of the fallback chain has a character.
int MissingGlyphs(const QString& text, const QFont& font) {
  int missing = 0;
  for (const QString& line : text.split(u'\n')) {
    QTextLayout layout(line, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns()) {
      for (const quint32 glyph : run.glyphIndexes()) {
        missing += glyph == 0 ? 1 : 0;
      }
    }
  }
  return missing;
}

}  // namespace

QFont TextFont(const QString& description) {
  QFont fallback = QGuiApplication::font();
  fallback.setPointSizeF(kDefaultPointSize);
  if (description.trimmed().isEmpty()) {
    return fallback;
  }
  // Fields the description leaves out keep the fallback's values.
  QFont described = fallback;
  return described.fromString(description) ? described : fallback;
}

QFont FontThatDraws(const QString& text, const QFont& font) {
  QFont best = font;
  int bestMissing = MissingGlyphs(text, font);
  if (bestMissing == 0 || (!font.italic() && font.weight() == QFont::Normal)) {
    return font;
  }
  QFont upright = font;
  upright.setItalic(false);
  QFont regular = font;
  regular.setWeight(QFont::Normal);
  QFont plain = upright;
  plain.setWeight(QFont::Normal);
  for (const QFont& candidate : {upright, regular, plain}) {
    const int missing = MissingGlyphs(text, candidate);
    if (missing < bestMissing) {
      best = candidate;
      bestMissing = missing;
    }
  }
  return best;
}

}  // namespace imageedit
