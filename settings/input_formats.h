#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct MuiContext;

// The input file types the open-file dialog offers and the task list accepts, by edition (edition.h).

struct InputFormatRow {
  QString description;        // as the dialog shows it, its patterns in brackets
  QStringList patterns;       // "*.ext", lower case; "*.*" stands for every file
  std::vector<int> withheld;  // editions that do not offer the row, ascending
};

// The 34 rows, in dialog order. Every row is withheld from kNoEdition and none from this product.
const std::vector<InputFormatRow>& InputFormatTable();

// "All Supported Formats|" + every offered pattern joined with ";" + "|" + the offered rows, each
// "description|patterns joined with ;", joined with "|". A pattern of several rows occurs several times.
QString OpenFilterFor(int edition);
// OpenFilterFor(EditionIndex(context)).
QString BuildOpenFilter(const MuiContext& context);

// `pattern` is "*" and a file's extension with its dot ("*" alone for a name without one). True when,
// lower-cased, it equals a pattern of a row the edition offers, or such a row has "*.*".
bool IsSupportedPatternFor(int edition, const QString& pattern);
// IsSupportedPatternFor(EditionIndex(context), pattern).
bool IsSupportedPattern(const MuiContext& context, const QString& pattern);
