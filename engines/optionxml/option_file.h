#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace optionxml {

enum class ReadResult {
  kRead,
  kMissing,  // nothing at the path (or a folder on the way is missing)
  kFailed,   // something is there but could not be taken in: unreadable, not a file, too large
};

// Reads a regular file of at most `maxBytes` bytes. Never blocks on a FIFO or a device.
ReadResult ReadSmallFile(const std::string& path, size_t maxBytes, std::string& out);

// Replaces the file at `path` with `content` so that a reader sees either the old file or the whole
// new one, even across a crash: the content goes to a temporary file in the same folder, is synced,
// and is renamed over the target. A symbolic link is written through, so the link stays a link.
// The old file's permission bits are kept; a new file gets 0666 under the umask. With `keepOld`, an
// existing regular file is first kept beside it as "<name>.bad", replacing an older one. Missing folders
// are not created. On failure the old file is untouched, no temporary file is left, and the result
// is false. The temporary file ".<name>.tmp-XXXXXX" stays locked (flock, exclusive) until it has
// been renamed, so that RemoveLeftoverSaves in another process leaves it alone. Leftovers of killed
// saves beside the file are removed first.
bool ReplaceFile(const std::string& path, std::string_view content, bool keepOld);

// Removes the temporary files that saves of `path` killed before their rename left beside it: regular
// files named exactly ".<name>.tmp-" and six letters or digits, beside the file a link at `path` ends
// at, that no process holds locked and that last changed before this program started. A file whose
// lock cannot be tried is kept.
void RemoveLeftoverSaves(const std::string& path);

// True when `name` is a temporary file name ReplaceFile gives the file named `target` (no folders).
bool IsLeftoverSaveName(std::string_view name, std::string_view target);

}  // namespace optionxml
