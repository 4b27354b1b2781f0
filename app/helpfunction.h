#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "components/engine_records.h"

class QWidget;

namespace platform {
class Dialogs;
class Shell;
}  // namespace platform

// Small routines many windows share. Those that talk to the user or the desktop use the services of
// the current application object; the overloads taking a service are for callers that hold one.

// The folder chooser; false, with `out` untouched, when the user cancels.
bool BrowseForFolder(QWidget* owner, const QString& title, QString& out);
bool BrowseForFolder(platform::Dialogs& dialogs, QWidget* owner, const QString& title, QString& out);

// The output path for `name` in `folder` (which ends in "/"): the plain path when free; otherwise the
// user is asked whether to replace the file, and "No" gives the first free "<base>_<n><ext>".
QString ResolveOutputName(const QString& folder, const QString& name);
QString ResolveOutputName(platform::Dialogs& dialogs, const QString& folder, const QString& name);

// "hh:mm:ss", hours unbounded.
std::string FormatHms(int32_t seconds);

// The first name "<base>_<n><ext>" (n = 0, 1, ...) that nothing in `folder` occupies and `taken` (when
// given) does not claim, as a full path.
QString FreeOutputName(const QString& folder, const QString& name,
                       const std::function<bool(const QString& path)>& taken = {});

// Converts the watermark rectangle of `mark` from a frameW x frameH frame to a newW x newH one and
// records the new frame size; the picture and the transparency are left alone.
void RescaleRect(WatermarkBlock& mark, int32_t& frameW, int32_t& frameH, int32_t newW, int32_t newH);

// Size of a regular file in bytes; 0 when it cannot be opened.
uint64_t FileSizeOf(const QString& path);

// Opens a file, folder or address with the desktop's handler.
void ShellOpen(const QString& target);
