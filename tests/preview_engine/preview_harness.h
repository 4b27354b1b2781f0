#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "components/engine_records.h"
#include "components/i_ff_preview.h"
#include "engines/ffengine/ff_preview.h"
#include "tests/convert_engine/output_probe.h"

// Driving the preview engine the way the preview wrapper does: an open record filled like the wrapper
// fills it, and a sink that remembers what arrived, on which thread and when.
namespace preview_harness {

using namespace std::chrono_literals;

enum class Kind { kSnapshot, kCrop, kView, kLog, kInfo, kNotify };

class RecordingSink final : public FfPreviewEvent {
 public:
  void OnSnapshotFrame(const void* pixels, int32_t size) override { Frame(Kind::kSnapshot, pixels, size); }
  void OnCropFrame(const void* pixels, int32_t size) override { Frame(Kind::kCrop, pixels, size); }
  void OnViewFrame(const void* pixels, int32_t size) override { Frame(Kind::kView, pixels, size); }
  void OnLog(const char* text) override;
  void OnInfo(int32_t, int32_t, int32_t) override { Frame(Kind::kInfo, nullptr, 0); }
  void OnNotify(int32_t, int32_t) override { Frame(Kind::kNotify, nullptr, 0); }

  int Count(Kind kind) const;
  int Calls() const;
  // The bytes of the last frame of that kind.
  std::vector<uint8_t> Last(Kind kind) const;
  std::vector<std::thread::id> Threads() const;
  std::string Log() const;
  // Waits until at least `count` frames of that kind have arrived; false after `timeout`.
  bool WaitFor(Kind kind, int count, std::chrono::milliseconds timeout = 5s) const;

 private:
  void Frame(Kind kind, const void* pixels, int32_t size);

  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  int counts_[6] = {};
  std::vector<uint8_t> last_[6];
  std::vector<std::thread::id> threads_;
  std::string log_;
};

// A frame as the engine delivers it (24-bit B, G, R rows, top-down) as an RGB picture.
output_probe::Picture ToPicture(const std::vector<uint8_t>& bgr, int width, int height);

struct ViewPlan {
  int viewWidth = 320;
  int viewHeight = 240;
  bool cropView = false;
  int cropWidth = 0;
  int cropHeight = 0;
  int snapshotWidth = 0;
  int snapshotHeight = 0;
  bool toBuffer = true;
  std::string surface;  // the render surface's handle when not to a buffer

  ViewPlan& Sized(int width, int height) {
    viewWidth = width;
    viewHeight = height;
    return *this;
  }
  ViewPlan& WithCropView(int width, int height) {
    cropView = true;
    cropWidth = width;
    cropHeight = height;
    return *this;
  }
  ViewPlan& WithSnapshot(int width, int height) {
    snapshotWidth = width;
    snapshotHeight = height;
    return *this;
  }
  ViewPlan& IntoSurface(std::string handle) {
    toBuffer = false;
    surface = std::move(handle);
    return *this;
  }
};

PreviewOpen OpenRecord(const CIInput& input, FfPreviewEvent* sink, const ViewPlan& plan);

struct PreviewRelease {
  void operator()(FfPreview* preview) const {
    if (preview != nullptr) {
      preview->Release();
    }
  }
};
using PreviewPtr = std::unique_ptr<FfPreview, PreviewRelease>;
PreviewPtr NewPreview();

// The number of threads this process runs now.
int ThreadCount();

// Polls GetPosition until `done` holds for its status and position; false after `timeout`.
bool PollUntil(FfPreview& preview, const std::function<bool(int32_t, double)>& done,
               std::chrono::milliseconds timeout);

}  // namespace preview_harness
