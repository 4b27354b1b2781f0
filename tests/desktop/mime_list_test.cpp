// The desktop entry's MIME types against the product's input formats, read back from the generated
// file through the MIME database in both directions.
#include <gtest/gtest.h>

#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "settings/edition.h"
#include "settings/input_formats.h"

namespace {

QStringList EntryMimeTypes() {
  QFile file(QStringLiteral(KV_DESKTOP_FILE));
  if (!file.open(QIODevice::ReadOnly)) {
    return {};
  }
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (line.startsWith("MimeType=")) {
      return QString::fromUtf8(line.mid(9)).split(u';', Qt::SkipEmptyParts);
    }
  }
  return {};
}

// The extensions ("*.mp4") this product's open dialog offers, "All Files" aside.
QSet<QString> OfferedPatterns() {
  QSet<QString> patterns;
  for (const InputFormatRow& row : InputFormatTable()) {
    if (std::binary_search(row.withheld.begin(), row.withheld.end(), kThisEdition)) {
      continue;
    }
    for (const QString& pattern : row.patterns) {
      if (pattern != QLatin1String("*.*")) {
        patterns.insert(pattern);
      }
    }
  }
  return patterns;
}

TEST(DesktopEntryMimeTypes, AreExactlyTheTypesOfTheOfferedInputFormats) {
  const QStringList listed = EntryMimeTypes();
  ASSERT_FALSE(listed.isEmpty()) << KV_DESKTOP_FILE;
  const QSet<QString> offered = OfferedPatterns();
  const QMimeDatabase database;

  // Each listed type is named by one of the offered extensions: nothing beyond what the list accepts.
  for (const QString& name : listed) {
    const QMimeType type = database.mimeTypeForName(name);
    ASSERT_TRUE(type.isValid()) << name.toStdString();
    const QStringList globs = type.globPatterns();
    const bool named = std::any_of(globs.begin(), globs.end(),
                                   [&](const QString& glob) { return offered.contains(glob.toLower()); });
    EXPECT_TRUE(named) << name.toStdString() << " is not a type of an offered extension";
    EXPECT_FALSE(name.startsWith(QLatin1String("text/"))) << name.toStdString();
  }
  // Each offered extension the database knows a media type for finds it listed: the file manager
  // offers the program for every file the list takes.
  const QSet<QString> listedSet(listed.begin(), listed.end());
  for (const QString& pattern : offered) {
    for (const QMimeType& type : database.mimeTypesForFileName(QStringLiteral("x") + pattern.mid(1))) {
      if (!type.name().startsWith(QLatin1String("text/"))) {
        EXPECT_TRUE(listedSet.contains(type.name()))
            << pattern.toStdString() << " -> " << type.name().toStdString() << " is not listed";
      }
    }
  }
  for (const char* common : {"video/mp4", "video/x-matroska", "video/x-msvideo", "audio/mpeg"}) {
    EXPECT_TRUE(listedSet.contains(QString::fromLatin1(common))) << common;
  }
}

}  // namespace
