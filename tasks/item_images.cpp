#include "tasks/item_images.h"

#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kWidth = 23;
constexpr int kHeight = 16;

// A grey stand-in: a note for audio, a film frame for video, two stacked frames for a merge.
QPixmap Neutral(int image) {
  QPixmap pixmap(kWidth, kHeight);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor ink(0x9a, 0xa0, 0xad);
  painter.setPen(QPen(ink, 1.5));
  switch (image) {
    case 0:
      painter.setBrush(ink);
      painter.drawEllipse(QRectF(6, 9, 5, 4));
      painter.drawLine(QPointF(11, 11), QPointF(11, 3));
      painter.drawLine(QPointF(11, 3), QPointF(16, 5));
      break;
    case 1:
      painter.setBrush(Qt::NoBrush);
      painter.drawRoundedRect(QRectF(3.5, 3.5, 16, 9), 1.5, 1.5);
      painter.setBrush(ink);
      painter.drawPolygon(QPolygonF({QPointF(10, 5.5), QPointF(14, 8), QPointF(10, 10.5)}));
      break;
    default:
      painter.setBrush(Qt::NoBrush);
      painter.drawRoundedRect(QRectF(6.5, 2.5, 13, 7), 1.5, 1.5);
      painter.drawRoundedRect(QRectF(3.5, 6.5, 13, 7), 1.5, 1.5);
      break;
  }
  return pixmap;
}

}  // namespace

QList<QIcon> LoadItemImages(const QString& productFolder) {
  static const char* const kFiles[] = {"Skins/item_audio.png", "Skins/item_video.png",
                                       "Skins/item_merged.png"};
  QList<QIcon> images;
  for (int i = 0; i < 3; ++i) {
    QPixmap pixmap;
    if (!productFolder.isEmpty()) {
      pixmap.load(productFolder + QString::fromLatin1(kFiles[i]));
    }
    images.push_back(QIcon(pixmap.isNull() ? Neutral(i) : pixmap));
  }
  return images;
}
