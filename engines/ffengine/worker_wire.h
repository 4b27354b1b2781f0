#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engines/ffengine/convert_job.h"

// What the engine and its conversion process say to each other over a stream socket: messages of a
// kind byte, a 32-bit length and that many bytes. The process is the engine's own program, so the
// records travel as the bytes they are; everything read is still checked, because a process that
// crashed mid-write leaves a message cut short.
namespace ffengine::wire {

enum class Kind : uint8_t {
  // To the process.
  kJob = 1,  // a JobSpec (see EncodeJob)
  kPause,    // hold at the next frame
  kResume,   // go on
  kStop,     // stop the job, leaving nothing behind
  kPreview,  // two int32: the size of one preview frame wanted now
  kProbe,    // an int64 ticket, then the UTF-8 path of a file to probe
  // From the process.
  kPosition = 20,  // a double: seconds of the job's output written
  kLog,            // UTF-8 text, one line
  kFailure,        // int32 kind, then UTF-8 text
  kPicture,        // a preview frame's bytes
  kEnd,            // int32: the JobOutcome
  kProbed,         // the ticket (int64), the verdict (int32), then the MediaInfo record
};

struct Message {
  Kind kind{};
  std::vector<uint8_t> body;
};

// The largest message either side accepts: a preview frame of 4096 x 4096 at 24 bits and room to
// spare. Anything longer is a broken stream.
inline constexpr uint32_t kLargestMessage = 64u << 20;

// Writes one whole message; false when the other side is gone.
bool Send(int fd, Kind kind, const void* body, size_t size);
bool Send(int fd, Kind kind, const std::string& text);
bool SendInt(int fd, Kind kind, int32_t value);

// Waits up to `wait` for a message and reads it whole. kTimeout: nothing came; kClosed: the other side
// closed or sent something that is no message.
enum class Read { kMessage, kTimeout, kClosed };
Read Receive(int fd, std::chrono::milliseconds wait, Message& message);

// A job as bytes and back. The watermark file names travel as text; the records' pointers are cleared.
std::vector<uint8_t> EncodeJob(const JobSpec& job, int32_t index);
std::optional<JobSpec> DecodeJob(const std::vector<uint8_t>& bytes, int32_t* index);

std::optional<int32_t> IntOf(const Message& message);
std::optional<double> DoubleOf(const Message& message);
std::string TextOf(const Message& message);

}  // namespace ffengine::wire
