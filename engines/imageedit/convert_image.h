#pragma once

#include <QString>

namespace imageedit {

// `source` with its extension replaced by "." + `type` ("shot" without one gets it appended); only
// the file name's last extension counts, never a dot in a folder name or a leading dot.
QString ConvertedPath(const QString& source, const QString& type);

// Writes the picture at `source` as `type` at ConvertedPath. True when that file now holds the
// picture. When it would be the source itself (the same path, or another name of the same file),
// nothing is written and the answer is whether the source reads as a picture. An unknown type or an
// unreadable source writes nothing; a failed write leaves the target as it was.
bool ConvertPicture(const QString& source, const QString& type);

}  // namespace imageedit
