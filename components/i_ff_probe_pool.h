#pragma once

#include <cstdint>

#include "components/media_info.h"
#include "plug/i_plug.h"

// What became of one probe.
inline constexpr int32_t kProbeMedia = 0;    // `media` holds the file's streams
inline constexpr int32_t kProbeRefused = 1;  // the engine refused the file (see I_FfPreview::Probe)
inline constexpr int32_t kProbeFailed = 2;   // the probing process crashed or hung and was ended

struct ProbeAnswer {
  int64_t ticket;  // as given to Submit
  int32_t verdict;
  int32_t unused;
  MediaInfo media;
};

// Probes media files several at once, each in a process of the engine's own program, so that a file
// that crashes or hangs the media libraries costs that file only: its process is ended and the next
// file gets a fresh one. Answers come in the order the probes finish, not the order given. One thread
// at a time; processes end with the pool, and by themselves when the program goes.
class I_FfProbePool : public I_Plug {
 public:
  // Uses up to `processes` processes of `program` (a path), each probe bounded at `boundMs` (0: the
  // engine's bound for opening a file, with room for a loaded machine). False when the program cannot
  // be started: the caller probes another way.
  virtual bool Start(const char* program, int32_t processes, int32_t boundMs) = 0;
  // Queues a probe of `path` (UTF-8).
  virtual void Submit(int64_t ticket, const char* path) = 0;
  // Waits up to `waitMs` for probes to finish and copies up to `room` answers into `answers`; how many
  // it copied. Probes keep running between calls only as far as their processes get on alone.
  virtual int32_t Collect(int32_t waitMs, ProbeAnswer* answers, int32_t room) = 0;
  // Drops every queued probe and ends those under way; no answer comes for them.
  virtual void Cancel() = 0;
  // Probes queued or under way.
  virtual int32_t Pending() = 0;

 protected:
  ~I_FfProbePool() = default;
};

inline constexpr char kFfProbePoolName[] = "FfProbePool";
