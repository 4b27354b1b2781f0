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
// is false.
bool ReplaceFile(const std::string& path, std::string_view content, bool keepOld);

}  // namespace optionxml
