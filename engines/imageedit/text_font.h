#pragma once

#include <QFont>
#include <QString>

namespace imageedit {

// The font a description in QFont::toString form names; the default font when it is empty or cannot be
// parsed. Needs a QGuiApplication.
QFont TextFont(const QString& description);

// `font`, or the same family and size with its bold or italic dropped when that draws more of `text`.
// Qt falls back to other families for a script the font lacks, but only to faces of the same style:
// DejaVu Sans has Arabic in its upright faces only, so bold italic Arabic would come out as empty
// boxes. A plainer face beats boxes.
QFont FontThatDraws(const QString& text, const QFont& font);

}  // namespace imageedit
