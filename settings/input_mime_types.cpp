#include "settings/input_mime_types.h"

#include <QMimeDatabase>
#include <QSet>
#include <algorithm>

#include "settings/input_formats.h"

QStringList InputMimeTypesFor(int edition) {
  const QMimeDatabase database;
  QSet<QString> types;
  for (const InputFormatRow& row : InputFormatTable()) {
    if (std::binary_search(row.withheld.begin(), row.withheld.end(), edition)) {
      continue;
    }
    for (const QString& pattern : row.patterns) {
      if (pattern == QLatin1String("*.*")) {
        continue;
      }
      // A made-up name with the extension: only the glob decides, never a file's content.
      for (const QMimeType& type : database.mimeTypesForFileName(QStringLiteral("x") + pattern.mid(1))) {
        // An extension another kind of file shares (".ts": MPEG transport streams and Qt translations)
        // brings a text type along; no text file is media.
        if (!type.name().startsWith(QLatin1String("text/"))) {
          types.insert(type.name());
        }
      }
    }
  }
  QStringList sorted(types.begin(), types.end());
  sorted.sort();
  return sorted;
}
