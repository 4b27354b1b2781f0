#include "engines/imageedit/render_text.h"

#include <QColor>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <vector>

#include "engines/imageedit/picture_file.h"
#include "engines/imageedit/picture_type.h"
#include "engines/imageedit/text_font.h"

namespace imageedit {

namespace {

constexpr qreal kMaxEmPixels = 2048.0;  // beyond this a glyph alone outgrows the picture limits
constexpr int kMargin = 2;              // keeps the antialiased fringe of the outermost glyphs
constexpr int kTextFlags = Qt::AlignTop | Qt::TextExpandTabs;

struct TextLine {
  QString text;
  QFont font;
  QRectF box;  // its advance and height, from the top of the block
  int flags;
};

// Fonts come from the platform integration, which only a QGuiApplication sets up; without one Qt
// aborts on the first font lookup.
bool HaveGuiApplication() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QString WithLineFeeds(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  return text;
}

// The smallest rectangle holding every pixel with any coverage; empty when there is none.
QRect InkBounds(const QImage& canvas) {
  int left = canvas.width();
  int right = -1;
  int top = canvas.height();
  int bottom = -1;
  for (int y = 0; y < canvas.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
    for (int x = 0; x < canvas.width(); ++x) {
      if (qAlpha(row[x]) != 0) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

bool WithinLimits(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxTextSide && height <= kMaxTextSide &&
         int64_t{width} * height <= kMaxTextPixels;
}

}  // namespace

QImage DrawText(const QString& text, const QFont& font, uint32_t colour) {
  if (!HaveGuiApplication()) {
    return {};
  }
  const QString joined = WithLineFeeds(text);
  if (joined.trimmed().isEmpty()) {
    return {};
  }
  // Measured on the kind of device it is drawn on, so points turn into the same pixels.
  QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
  const qreal em = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * scratch.logicalDpiY() / 72.0;
  if (!(em > 0.0) || em > kMaxEmPixels) {
    return {};
  }
  // Each line in the face that draws its script, so one Arabic line does not cost the others their
  // italics; a right-to-left line keeps to the right edge, as it would in an editor.
  std::vector<TextLine> lines;
  qreal top = 0.0;
  qreal width = 0.0;
  for (const QString& line : joined.split(u'\n')) {
    TextLine laid{line,
                  FontThatDraws(line, font),
                  {},
                  kTextFlags | (line.isRightToLeft() ? Qt::AlignRight : Qt::AlignLeft)};
    const QFontMetricsF metrics(laid.font, &scratch);
    laid.box = QRectF(0.0, top, metrics.boundingRect(QRectF(), kTextFlags, line).width(), metrics.height());
    width = std::max(width, laid.box.width());
    top += metrics.lineSpacing();
    lines.push_back(std::move(laid));
  }
  const int blockWidth = static_cast<int>(std::ceil(width));
  const int blockHeight = static_cast<int>(std::ceil(lines.back().box.bottom()));

  // Drawn with room of a whole em on every side, then cut down to the lines plus whatever ink reached
  // past them: an italic or a combining mark may stick out of the advance.
  const int pad = static_cast<int>(std::ceil(em)) + kMargin;
  const int canvasWidth = blockWidth + 2 * pad;
  const int canvasHeight = blockHeight + 2 * pad;
  if (!WithinLimits(canvasWidth, canvasHeight)) {
    return {};
  }
  QImage canvas(canvasWidth, canvasHeight, QImage::Format_ARGB32_Premultiplied);
  if (canvas.isNull()) {
    return {};
  }
  canvas.fill(Qt::transparent);
  QPainter painter(&canvas);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setPen(QColor(static_cast<int>((colour >> 16) & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                        static_cast<int>(colour & 0xFF)));
  for (const TextLine& line : lines) {
    painter.setFont(line.font);
    painter.drawText(QRectF(pad, pad + line.box.top(), blockWidth, line.box.height()), line.flags, line.text);
  }
  painter.end();

  const QRect ink = InkBounds(canvas);
  if (ink.isEmpty()) {
    return {};  // only invisible characters: there is nothing to lay over a video
  }
  const QRect block(pad, pad, blockWidth, blockHeight);
  const QRect kept =
      block.united(ink).adjusted(-kMargin, -kMargin, kMargin, kMargin).intersected(canvas.rect());
  return canvas.copy(kept).convertToFormat(QImage::Format_ARGB32);
}

bool RenderTextPicture(const QString& text, const QString& path, const QString& font, uint32_t colour) {
  const PictureType* type = FindPictureType(PathExtension(path));
  if (type == nullptr || !HaveGuiApplication()) {
    return false;
  }
  const QImage picture = DrawText(text, TextFont(font), colour);
  return !picture.isNull() && WritePictureFile(picture, *type, path);
}

}  // namespace imageedit
