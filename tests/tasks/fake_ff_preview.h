#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "components/i_ff_preview.h"
#include "components/media_info.h"

// A media engine that answers Probe from a table of paths and plays nothing. Registered under
// "FfPreview" by whoever needs it (see FakeEngineRegistration), it makes every rule of the task list
// testable without media files. Paths missing from the table are refused.
class FakeFfPreview final : public I_FfPreview {
 public:
  static I_Plug* Make();

  // What Probe answers, by path; and how often the engine was made and asked.
  static std::map<std::string, MediaInfo> table;
  static int created;
  static int probes;
  static int alive;
  static void Reset();

  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++refs_; }
  void Release() override;
  void Reserved1() override {}
  bool Open(const PreviewOpen*) override { return false; }
  void Play() override {}
  void Pause() override {}
  void Close() override {}
  void Seek(int32_t) override {}
  void StepFrame() override {}
  int32_t GetPosition(double*) override { return 1; }
  bool Snapshot() override { return false; }
  void Reserved2() override {}
  void SetCrop(int32_t, int32_t, int32_t, int32_t, int32_t) override {}
  void SetEffects(const EffectBlock*) override {}
  void SetWatermark(const WatermarkBlock*) override {}
  bool Probe(const char* path, MediaInfo* info) override;
  bool GetImageSize(const char*, int32_t*, int32_t*) override { return false; }

 private:
  FakeFfPreview() { ++alive; }
  ~FakeFfPreview() { --alive; }
  int32_t refs_ = 1;
};

// Probe results a person would describe.
MediaInfo VideoMedia(double duration, int32_t width = 160, int32_t height = 120);
MediaInfo AudioMedia(double duration);
// Appends an audio stream or a subtitle stream to the record.
void AddAudio(MediaInfo& media, int32_t id, const char* codec, const char* channels, const char* tag);
void AddSubtitle(MediaInfo& media, int32_t id, const char* tag);
