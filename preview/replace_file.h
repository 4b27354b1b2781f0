#pragma once

#include <QByteArray>
#include <QString>

// Writes `bytes` to `path` aside and renames the result over the old file, so that a reader never sees
// half a file and a failed write leaves the old one whole. False when anything fails.
bool ReplaceFile(const QString& path, const QByteArray& bytes);
