#pragma once

#include <atomic>
#include <cstdint>

#include "components/i_ff_preview.h"

// The media engine behind "FfPreview". Probe and GetImageSize work on FFmpeg (media_probe.h,
// image_size.h); playback is not built yet: Open refuses, GetPosition reports the end, Snapshot
// refuses, and the other playback operations do nothing. No exception leaves an operation.
class FfPreview final : public I_FfPreview {
 public:
  FfPreview() = default;
  FfPreview(const FfPreview&) = delete;
  FfPreview& operator=(const FfPreview&) = delete;

  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++refs_; }
  void Release() override;

  void Reserved1() override {}
  bool Open(const PreviewOpen* record) override;
  void Play() override {}
  void Pause() override {}
  void Close() override {}
  void Seek(int32_t seconds) override {}
  void StepFrame() override {}
  int32_t GetPosition(double* seconds) override;
  bool Snapshot() override { return false; }
  void Reserved2() override {}
  void SetCrop(int32_t x, int32_t y, int32_t width, int32_t height, int32_t zoomMode) override {}
  void SetEffects(const EffectBlock* effects) override {}
  void SetWatermark(const WatermarkBlock* mark) override {}
  bool Probe(const char* path, MediaInfo* info) override;
  bool GetImageSize(const char* path, int32_t* width, int32_t* height) override;

 private:
  ~FfPreview() = default;  // only Release destroys

  std::atomic<int32_t> refs_{1};
};

// The factory registered as kFfPreviewName.
I_Plug* CreateFfPreview();
