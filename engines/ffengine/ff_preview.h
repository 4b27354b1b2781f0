#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "components/i_ff_preview.h"
#include "engines/ffengine/preview_player.h"

// The media engine behind "FfPreview": probes (media_probe.h), picture sizes (image_size.h) and one
// playback at a time (preview_player.h). Playback operations without an open playback do nothing;
// GetPosition then reports an end and Snapshot refuses. The sink's OnInfo receives the source's width,
// height and frame rate in hundredths once playback starts; OnNotify is not used. No exception leaves
// an operation.
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
  void Play() override;
  void Pause() override;
  void Close() override;
  void Seek(int32_t seconds) override;
  void StepFrame() override;
  int32_t GetPosition(double* seconds) override;
  bool Snapshot() override;
  void Reserved2() override {}
  void SetCrop(int32_t x, int32_t y, int32_t width, int32_t height, int32_t zoomMode) override;
  void SetEffects(const EffectBlock* effects) override;
  void SetWatermark(const WatermarkBlock* mark) override;
  bool Probe(const char* path, MediaInfo* info) override;
  bool GetImageSize(const char* path, int32_t* width, int32_t* height) override;

  // How the playback open now went; empty when none is open.
  ffengine::PlaybackStats Stats() const;
  // True while an open playback sends its sound to a device.
  bool HasSound() const { return player_ && player_->HasSound(); }

 private:
  ~FfPreview();  // only Release destroys

  std::atomic<int32_t> refs_{1};
  std::unique_ptr<ffengine::PreviewPlayer> player_;
};

// The factory registered as kFfPreviewName.
I_Plug* CreateFfPreview();
