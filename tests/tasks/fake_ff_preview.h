#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "components/media_info.h"
#include "tests/fakes/null_ff_preview.h"

// A media engine that answers Probe from a table of paths and plays by script. Registered under
// "FfPreview" by whoever needs it (see FakeEngineRegistration), it makes every rule of the task list and
// the players testable without media files. Paths missing from the table are refused.
//
// Playback: every operation is written to `calls` ("Open", "Play", "Seek 12", ...); Open answers
// `openResult` and keeps its record in `lastOpen`; GetPosition answers the front of `positions` (kept
// when it is the last one) or {0, 0}; Snapshot answers `snapshotResult` and, when `snapshotDelay` is
// not negative, delivers a frame of the record's snapshot size through the record's sink that many
// milliseconds later, from another thread (0: before Snapshot returns, on the caller's thread).
class FakeFfPreview final : public NullFfPreview {
 public:
  static I_Plug* Make();

  // What Probe answers, by path; and how often the engine was made and asked.
  static std::map<std::string, MediaInfo> table;
  static int created;
  static int probes;
  static int alive;
  // Runs at the start of every Probe (a slow disk, a slow file), when set.
  static std::function<void(const std::string& path)> onProbe;
  static void Reset();

  static std::vector<std::string> calls;
  static bool openResult;
  static PreviewOpen lastOpen;
  static std::deque<std::pair<int32_t, double>> positions;
  static bool snapshotResult;
  static int snapshotDelay;
  // The calls named `name`, counted.
  static int Count(const std::string& name);

  bool Probe(const char* path, MediaInfo* info) override;
  bool Open(const PreviewOpen* record) override;
  void Play() override { calls.push_back("Play"); }
  void Pause() override { calls.push_back("Pause"); }
  void Close() override { calls.push_back("Close"); }
  void Seek(int32_t seconds) override { calls.push_back("Seek " + std::to_string(seconds)); }
  void StepFrame() override { calls.push_back("StepFrame"); }
  int32_t GetPosition(double* seconds) override;
  bool Snapshot() override;

 private:
  FakeFfPreview() { ++alive; }
  ~FakeFfPreview() override { --alive; }
};

// Probe results a person would describe.
MediaInfo VideoMedia(double duration, int32_t width = 160, int32_t height = 120);
MediaInfo AudioMedia(double duration);
// Appends an audio stream or a subtitle stream to the record.
void AddAudio(MediaInfo& media, int32_t id, const char* codec, const char* channels, const char* tag);
void AddSubtitle(MediaInfo& media, int32_t id, const char* tag);
