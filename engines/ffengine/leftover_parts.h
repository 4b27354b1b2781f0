#pragma once

#include <time.h>

#include <string>
#include <vector>

// The temporary outputs a killed or powered-off run leaves behind. A running job keeps its temporary
// output locked (see TempOutput), so a file of that exact name that nobody holds locked, and that last
// changed before this program started, belongs to a run that can no longer finish it.
namespace ffengine {

// When this program started, on the clock file times are kept in (the engine library is loaded at
// the program's start).
timespec ProgramStart();

// Removes from `folder` every regular file named as TempOutputName names them that no process holds
// locked and that last changed before `startedAt`. Anything else is kept: other names, folders, links,
// files in use, newer files, and files whose lock cannot be tried (a file system without locks).
// Returns the paths removed.
std::vector<std::string> RemoveLeftoverOutputs(const std::string& folder, timespec startedAt);

}  // namespace ffengine
