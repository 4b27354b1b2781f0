#include "settings/profile_setting.h"

#include <QStringList>

namespace {

bool IsBlankOrControl(QChar c) {
  return c.isSpace() || c.category() == QChar::Other_Control;
}

QStringView Trimmed(QStringView piece) {
  while (!piece.isEmpty() && IsBlankOrControl(piece.front())) {
    piece = piece.sliced(1);
  }
  while (!piece.isEmpty() && IsBlankOrControl(piece.back())) {
    piece.chop(1);
  }
  return piece;
}

}  // namespace

QList<int32_t> ParseGroupList(const QString& text) {
  QList<int32_t> groups;
  for (const QStringView piece : QStringView(text).split(u',')) {
    const QStringView number = Trimmed(piece);
    if (number.isEmpty()) {
      continue;
    }
    bool ok = false;
    const int value = number.toInt(&ok, 10);
    if (ok) {
      groups.append(value);
    }
  }
  return groups;
}

QString JoinGroupList(const QList<int32_t>& groups) {
  QStringList pieces;
  pieces.reserve(groups.size());
  for (const int32_t group : groups) {
    pieces.append(QString::number(group));
  }
  return pieces.join(u',');
}
