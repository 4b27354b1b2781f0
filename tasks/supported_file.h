#pragma once

#include <QString>

// The extension test for single files: "*" and the extension from the last "." of the file's name on
// ("*" alone without one) is a pattern the product accepts (settings/input_formats.h).
bool IsSupportedFile(const QString& path);
