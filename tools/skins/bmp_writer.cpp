#include "tools/skins/bmp_writer.h"

#include <QFile>
#include <QHash>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/skins/theme.h"

namespace {

struct Entry {
  QRgb colour;
  int count;
};

// One median-cut box: a slice of the colour list.
struct Box {
  int first, last;  // [first, last)
  int Channel(const std::vector<Entry>& e, int* range) const {
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    for (int i = first; i < last; ++i) {
      const int c[3] = {qRed(e[i].colour), qGreen(e[i].colour), qBlue(e[i].colour)};
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], c[k]);
        hi[k] = std::max(hi[k], c[k]);
      }
    }
    int best = 0;
    for (int k = 1; k < 3; ++k) {
      if (hi[k] - lo[k] > hi[best] - lo[best]) {
        best = k;
      }
    }
    *range = hi[best] - lo[best];
    return best;
  }
};

int ChannelOf(QRgb c, int k) {
  return k == 0 ? qRed(c) : k == 1 ? qGreen(c) : qBlue(c);
}

std::vector<QRgb> MedianCut(std::vector<Entry> entries, int colours) {
  std::vector<Box> boxes{{0, int(entries.size())}};
  while (int(boxes.size()) < colours) {
    int pick = -1, pickScore = 0, pickChannel = 0;
    for (int b = 0; b < int(boxes.size()); ++b) {
      if (boxes[b].last - boxes[b].first < 2) {
        continue;
      }
      int range = 0;
      const int channel = boxes[b].Channel(entries, &range);
      long weight = 0;
      for (int i = boxes[b].first; i < boxes[b].last; ++i) {
        weight += entries[i].count;
      }
      // Wide boxes that many pixels use are split first.
      const int score = int(std::min<long>(long(range) * (1 + long(std::sqrt(double(weight)))), 1L << 30));
      if (score > pickScore) {
        pick = b;
        pickScore = score;
        pickChannel = channel;
      }
    }
    if (pick < 0) {
      break;
    }
    Box box = boxes[pick];
    std::sort(entries.begin() + box.first, entries.begin() + box.last, [&](const Entry& a, const Entry& b) {
      return ChannelOf(a.colour, pickChannel) < ChannelOf(b.colour, pickChannel);
    });
    long total = 0;
    for (int i = box.first; i < box.last; ++i) {
      total += entries[i].count;
    }
    long seen = 0;
    int cut = box.first + 1;
    for (int i = box.first; i < box.last - 1; ++i) {
      seen += entries[i].count;
      cut = i + 1;
      if (2 * seen >= total) {
        break;
      }
    }
    boxes[pick] = {box.first, cut};
    boxes.push_back({cut, box.last});
  }
  std::vector<QRgb> palette;
  for (const Box& b : boxes) {
    double r = 0, g = 0, bl = 0, n = 0;
    for (int i = b.first; i < b.last; ++i) {
      r += qRed(entries[i].colour) * double(entries[i].count);
      g += qGreen(entries[i].colour) * double(entries[i].count);
      bl += qBlue(entries[i].colour) * double(entries[i].count);
      n += entries[i].count;
    }
    palette.push_back(qRgb(int(r / n + 0.5), int(g / n + 0.5), int(bl / n + 0.5)));
  }
  return palette;
}

}  // namespace

QImage Palettised(const QImage& picture) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  const QRgb key = theme::kKey.rgb();
  QHash<QRgb, int> counts;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      ++counts[row[x] | 0xff000000u];
    }
  }
  std::vector<QRgb> palette;
  if (counts.size() <= 256) {
    for (auto it = counts.begin(); it != counts.end(); ++it) {
      palette.push_back(it.key());
    }
    std::sort(palette.begin(), palette.end());
  } else {
    std::vector<Entry> entries;
    for (auto it = counts.begin(); it != counts.end(); ++it) {
      if (it.key() != key) {
        entries.push_back({it.key(), it.value()});
      }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.colour < b.colour; });
    const bool hasKey = counts.contains(key);
    palette = MedianCut(entries, hasKey ? 255 : 256);
    if (hasKey) {
      palette.push_back(key);
    }
  }
  QImage indexed(rgb.size(), QImage::Format_Indexed8);
  indexed.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
  QHash<QRgb, int> nearest;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    uchar* out = indexed.scanLine(y);
    for (int x = 0; x < rgb.width(); ++x) {
      const QRgb c = row[x] | 0xff000000u;
      auto found = nearest.constFind(c);
      if (found == nearest.constEnd()) {
        int best = 0;
        long bestDistance = -1;
        for (int i = 0; i < int(palette.size()); ++i) {
          // The key matches only itself: no other colour may turn into a hole.
          if ((palette[i] == key) != (c == key)) {
            continue;
          }
          const long dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                     db = qBlue(c) - qBlue(palette[i]);
          const long distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
          if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
          }
        }
        found = nearest.insert(c, best);
      }
      out[x] = uchar(*found);
    }
  }
  return indexed;
}

namespace {

// One row in run-length form: runs of a repeated index, and literal stretches of at least three.
void EncodeRow(const uchar* row, int width, QByteArray& out) {
  int x = 0;
  while (x < width) {
    int run = 1;
    while (x + run < width && run < 255 && row[x + run] == row[x]) {
      ++run;
    }
    if (run >= 2) {
      out.append(char(run));
      out.append(char(row[x]));
      x += run;
      continue;
    }
    int literal = 1;
    while (x + literal < width && literal < 255) {
      if (x + literal + 1 < width && row[x + literal] == row[x + literal + 1]) {
        break;
      }
      ++literal;
    }
    if (literal < 3) {
      for (int i = 0; i < literal; ++i) {
        out.append(char(1));
        out.append(char(row[x + i]));
      }
    } else {
      out.append(char(0));
      out.append(char(literal));
      out.append(reinterpret_cast<const char*>(row + x), literal);
      if (literal % 2) {
        out.append(char(0));
      }
    }
    x += literal;
  }
  out.append(char(0));
  out.append(char(0));
}

}  // namespace

bool WriteRle8Bitmap(const QImage& picture, const QString& path) {
  const QImage indexed = Palettised(picture);
  QByteArray pixels;
  for (int y = indexed.height() - 1; y >= 0; --y) {
    EncodeRow(indexed.constScanLine(y), indexed.width(), pixels);
  }
  pixels.append(char(0));
  pixels.append(char(1));

  const int colours = int(indexed.colorCount());
  const quint32 offset = 14 + 40 + 4 * colours;
  QByteArray file(int(offset), '\0');
  char* h = file.data();
  h[0] = 'B';
  h[1] = 'M';
  qToLittleEndian<quint32>(offset + pixels.size(), h + 2);
  qToLittleEndian<quint32>(offset, h + 10);
  qToLittleEndian<quint32>(40, h + 14);
  qToLittleEndian<qint32>(indexed.width(), h + 18);
  qToLittleEndian<qint32>(indexed.height(), h + 22);
  qToLittleEndian<quint16>(1, h + 26);
  qToLittleEndian<quint16>(8, h + 28);
  qToLittleEndian<quint32>(1, h + 30);  // run-length encoded, 8 bits
  qToLittleEndian<quint32>(pixels.size(), h + 34);
  qToLittleEndian<qint32>(2835, h + 38);
  qToLittleEndian<qint32>(2835, h + 42);
  qToLittleEndian<quint32>(colours, h + 46);
  qToLittleEndian<quint32>(colours, h + 50);
  for (int i = 0; i < colours; ++i) {
    const QRgb c = indexed.color(i);
    char* p = h + 54 + 4 * i;
    p[0] = char(qBlue(c));
    p[1] = char(qGreen(c));
    p[2] = char(qRed(c));
  }
  file.append(pixels);

  QFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size()) {
    return false;
  }
  out.close();
  const QImage back = QImage(path).convertToFormat(QImage::Format_RGB32);
  return back == indexed.convertToFormat(QImage::Format_RGB32);
}
