#pragma once

#include <cstdint>

#include "components/i_ff_preview.h"

// A media engine that probes nothing and plays nothing; fakes override what they answer.
class NullFfPreview : public I_FfPreview {
 public:
  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++refs_; }
  void Release() override {
    if (--refs_ == 0) {
      delete this;
    }
  }
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
  bool Probe(const char*, MediaInfo*) override { return false; }
  bool GetImageSize(const char*, int32_t*, int32_t*) override { return false; }

 protected:
  // Only Release destroys; the fake's own destructor runs through this one.
  virtual ~NullFfPreview() = default;

 private:
  int32_t refs_ = 1;
};
