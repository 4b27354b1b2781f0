#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Writing a job's output without ever damaging another file: the muxer writes a temporary file beside
// the output, and only a finished job renames it over the output path. Until then a file already at the
// output path stays as it was; a failed or stopped job leaves nothing behind.
namespace ffengine {

// True when both paths name one existing file (same device and inode), whatever the spelling: a
// symbolic link, a hard link or "dir/../file" all count. False when either does not exist.
bool IsSameFile(const std::string& a, const std::string& b);

// True when the finished file may take `path`: nothing is there yet, or a file or a symbolic link
// (the link itself is replaced, never what it points at). A folder, device, pipe or socket is not
// replaced by a finished job. When the path cannot be looked at, `error` (if given) receives the
// errno that said so; otherwise 0.
bool IsReplaceable(const std::string& path, int* error = nullptr);

// The job failure kind (kJobNoSpace, kJobCannotWrite or kJobFailed of the engine contract) for an
// errno met while making, writing or putting in place a job's output. A missing folder, or a "folder"
// that is a file, counts as one that cannot be written to: the user picked a place that takes no file.
int32_t OutputFailureKind(int error);

// The name of a job's temporary output beside the output file `name`: hidden, so a file manager
// showing the folder does not offer a half-written file, and ending in eight lower-case hex digits of
// `number` and ".part". A name near the file system's limit leaves no room for the suffix: such a file
// gets "kv-output" in its place.
std::string TempOutputName(const std::string& name, uint32_t number);
// True when `name` (a file name, no folder) has exactly the form TempOutputName gives.
bool IsTempOutputName(std::string_view name);

class TempOutput {
 public:
  // Creates an empty, uniquely named file in the folder of `outputPath`; Ok() tells whether it could.
  // The file stays locked (flock, exclusive) while this object holds it, so that another process
  // sweeping the folder for leftovers of killed runs can tell it is in use.
  explicit TempOutput(std::string outputPath);
  ~TempOutput();  // removes the temporary file unless Commit succeeded
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;

  bool Ok() const { return !tempPath_.empty(); }
  // The errno of the last failure to create or commit the file; 0 when none failed.
  int Error() const { return error_; }
  const std::string& TempPath() const { return tempPath_; }
  // Moves the finished file onto the output path in one step; false leaves the temporary file to the
  // destructor and the output path untouched.
  bool Commit();
  void Discard();

 private:
  std::string outputPath_;
  std::string tempPath_;
  int lockFd_ = -1;  // open, and locked where the file system allows, while tempPath_ is ours
  bool committed_ = false;
  int error_ = 0;
};

}  // namespace ffengine
