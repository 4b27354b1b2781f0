#pragma once

#include <QString>

struct MuiContext;

// The extension test for single files: "*" and the extension from the last "." of the file's name on
// ("*" alone without one) is a pattern the context's product accepts (settings/input_formats.h).
bool IsSupportedFile(const MuiContext& context, const QString& path);
