#pragma once

#include <QString>

class QWidget;

namespace platform {
class Dialogs;
}  // namespace platform

// Small routines of the windows that talk to the user; the toolkit-free ones are in base/routines.h.

// The folder chooser, opened in the folder `out` holds; false, with `out` untouched, when the user
// cancels.
bool BrowseForFolder(platform::Dialogs& dialogs, QWidget* owner, const QString& title, QString& out);

// The output path for `name` in `folder` (which ends in "/"): the plain path when free; otherwise the
// user is asked whether to replace the file, and "No" gives the first free "<base>_<n><ext>".
QString ResolveOutputName(platform::Dialogs& dialogs, const QString& folder, const QString& name);

// The question ResolveOutputName asks, as a "may replace?" answer for the toolkit-free planners.
bool AskReplace(platform::Dialogs& dialogs, const QString& name);
