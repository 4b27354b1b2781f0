#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "components/media_info.h"
#include "tests/fakes/null_ff_preview.h"

// A media engine that answers Probe from a table of paths and plays nothing. Registered under
// "FfPreview" by whoever needs it (see FakeEngineRegistration), it makes every rule of the task list
// testable without media files. Paths missing from the table are refused.
class FakeFfPreview final : public NullFfPreview {
 public:
  static I_Plug* Make();

  // What Probe answers, by path; and how often the engine was made and asked.
  static std::map<std::string, MediaInfo> table;
  static int created;
  static int probes;
  static int alive;
  static void Reset();

  bool Probe(const char* path, MediaInfo* info) override;

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
