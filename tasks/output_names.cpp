#include "tasks/output_names.h"

namespace output_names {

namespace {

// The position a number goes in front of: the last ".", or the end.
qsizetype NumberPosition(const QString& name) {
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? name.size() : dot;
}

bool IsControlOrBlank(QChar c) {
  return c.unicode() <= 32;
}

}  // namespace

QString Numbered(const QString& name, int number) {
  QString numbered = name;
  numbered.insert(NumberPosition(name), u'-' + QString::number(number));
  return numbered;
}

std::optional<NumberedName> SplitNumbered(const QString& name) {
  const qsizetype end = NumberPosition(name);
  qsizetype first = end;
  while (first > 0 && name[first - 1].unicode() >= u'0' && name[first - 1].unicode() <= u'9') {
    --first;
  }
  // Nine digits at most: a number the list would ever reach fits an int with room to spare.
  const qsizetype digits = end - first;
  if (digits == 0 || digits > 9 || name[first] == u'0' || first == 0 || name[first - 1] != u'-') {
    return std::nullopt;
  }
  NumberedName split;
  split.number = QStringView(name).sliced(first, digits).toInt();
  split.base = name.left(first - 1) + name.mid(end);
  return split;
}

QString ForSourceFile(const QString& fileName, const QString& formatExt) {
  const qsizetype dot = fileName.lastIndexOf(u'.');
  return (dot > 0 ? fileName.left(dot) : fileName) + formatExt;
}

QString WithProfileExtension(const QString& name, const QString& formatExt, bool replace) {
  const qsizetype dot = name.lastIndexOf(u'.');
  if (replace) {
    return (dot > 0 ? name.left(dot) : name) + formatExt;
  }
  const QStringView extension = dot > 0 ? QStringView(name).sliced(dot) : QStringView();
  return extension == formatExt ? name : name + formatExt;
}

QString TrimTyped(const QString& text) {
  qsizetype first = 0;
  qsizetype end = text.size();
  while (first < end && IsControlOrBlank(text[first])) {
    ++first;
  }
  while (end > first && IsControlOrBlank(text[end - 1])) {
    --end;
  }
  return text.mid(first, end - first);
}

bool HasForbiddenCharacter(const QString& name) {
  for (const QChar c : name) {
    switch (c.unicode()) {
      case u'\\':
      case u'/':
      case u':':
      case u'*':
      case u'?':
      case u'"':
      case u'<':
      case u'>':
      case u'|':
        return true;
      default:
        break;
    }
  }
  return false;
}

}  // namespace output_names
