#include "tools/gallery/sample_frame.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtEndian>
#include <cmath>

QImage SampleFrame(int width, int height) {
  QImage frame(width, height, QImage::Format_RGB32);
  QPainter p(&frame);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, height);
  sky.setColorAt(0, QColor(38, 52, 96));
  sky.setColorAt(0.45, QColor(196, 110, 92));
  sky.setColorAt(0.62, QColor(250, 190, 120));
  sky.setColorAt(1, QColor(250, 210, 150));
  p.fillRect(frame.rect(), sky);
  QRadialGradient sun(QPointF(width * 0.68, height * 0.58), height * 0.22);
  sun.setColorAt(0, QColor(255, 246, 220));
  sun.setColorAt(0.35, QColor(255, 226, 170, 230));
  sun.setColorAt(1, QColor(255, 200, 140, 0));
  p.fillRect(frame.rect(), sun);
  const QColor ridges[] = {QColor(120, 72, 92), QColor(74, 46, 72), QColor(34, 26, 44)};
  for (int layer = 0; layer < 3; ++layer) {
    QPainterPath hill;
    const double base = height * (0.62 + layer * 0.12);
    hill.moveTo(0, height);
    for (int x = 0; x <= width; x += 4) {
      const double t = double(x) / width;
      hill.lineTo(x, base - height * 0.08 * std::sin(t * (3.1 + layer) + layer * 1.7) -
                         height * 0.04 * std::sin(t * 11.0 + layer));
    }
    hill.lineTo(width, height);
    hill.closeSubpath();
    p.fillPath(hill, ridges[layer]);
  }
  return frame;
}

QByteArray WrapperBitmap(const QImage& frame) {
  const QImage rgb = frame.convertToFormat(QImage::Format_RGB888);
  const int w = rgb.width(), h = rgb.height();
  QByteArray file(54, '\0');
  char* d = file.data();
  d[0] = 'B';
  d[1] = 'M';
  qToLittleEndian<quint32>(54, d + 10);
  qToLittleEndian<quint32>(40, d + 14);
  qToLittleEndian<qint32>(w, d + 18);
  qToLittleEndian<qint32>(h, d + 22);
  qToLittleEndian<quint16>(1, d + 26);
  qToLittleEndian<quint16>(24, d + 28);
  for (int y = 0; y < h; ++y) {
    const uchar* row = rgb.constScanLine(y);
    for (int x = 0; x < w; ++x) {
      const char bgr[3] = {char(row[3 * x + 2]), char(row[3 * x + 1]), char(row[3 * x])};
      file.append(bgr, 3);
    }
    file.append((4 - (3 * w) % 4) % 4, '\0');
  }
  qToLittleEndian<quint32>(quint32(file.size()), file.data() + 2);
  return file;
}
