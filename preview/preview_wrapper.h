#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "components/i_ff_preview.h"
#include "plug/plug_ptr.h"

struct MuiContext;
struct MuiItemInfo;
class TCropPanelEx;
class TMarkPanel;
namespace platform {
class RenderSurface;
}

// What a window hands to its preview wrapper when a preview starts.
struct PreviewSetup {
  MuiItemInfo* item = nullptr;
  int outWidth = 0;  // the output frame's size, each 0 already replaced by the view's
  int outHeight = 0;
  QRect viewRect;                                   // area of the main view, in its parent's coordinates
  platform::RenderSurface* renderWindow = nullptr;  // the engine draws here when no watermark box is given
  TMarkPanel* markBox = nullptr;                    // when given, shows the main view from the view buffer
  bool cropView = false;                            // an "original" view is wanted as well
  QRect cropRect;
  TCropPanelEx* cropBox = nullptr;
  bool trimmedPlay = false;  // only the item's clip range
  bool snapshotOn = false;   // prepare full-size snapshot frames
};

// A window's adapter around one playing "FfPreview": it places the view controls, fills the engine's
// open record, owns the bitmap buffers the engine's frames are written into, receives the engine's
// events, saves snapshots and keeps the preview log, written to "logs.log" on every Close.
//
// Threads: the engine calls the sink from its playback threads. `lock_` guards the snapshot buffer and
// the log; `frameArrived_` is atomic. The crop and view buffers are written by the engine's picture
// thread only while a preview is open, and handed to the boxes, which copy them under their own locks.
// Everything else runs on the window's thread.
class PreviewWrapper final : public FfPreviewEvent {
 public:
  // `context` (for the log file's place) outlives the wrapper.
  explicit PreviewWrapper(const MuiContext& context);
  ~PreviewWrapper();
  PreviewWrapper(const PreviewWrapper&) = delete;
  PreviewWrapper& operator=(const PreviewWrapper&) = delete;

  // Starts a preview of setup.item, paused on its first picture; false (nothing reported) when the
  // engine cannot play it. Close any open preview first.
  bool Open(const PreviewSetup& setup);
  // Ends the preview, if one is open, and writes the log.
  void Close();
  // Saves the picture on screen as a bitmap file at `path`; false when no frame comes within a second.
  bool TakeSnapshot(const QString& path);

  // The playing engine, null when closed; the windows call its playback operations directly.
  I_FfPreview* Engine() const { return engine_.Get(); }
  const PreviewSetup& Setup() const { return setup_; }
  QByteArray PreviewLog() const;
  // The three values of the last OnInfo; nothing reads them.
  void Info(int32_t& first, int32_t& second, int32_t& third) const;

  void OnSnapshotFrame(const void* pixels, int32_t size) override;
  void OnCropFrame(const void* pixels, int32_t size) override;
  void OnViewFrame(const void* pixels, int32_t size) override;
  void OnLog(const char* text) override;
  void OnInfo(int32_t first, int32_t second, int32_t third) override;
  void OnNotify(int32_t first, int32_t second) override {}

 private:
  void WriteLog() const;

  const MuiContext& context_;
  PreviewSetup setup_;
  PlugPtr<I_FfPreview> engine_;
  QByteArray viewBuffer_;
  QByteArray cropBuffer_;
  QByteArray snapshotBuffer_;
  std::atomic<bool> frameArrived_{false};
  mutable std::mutex lock_;  // guards snapshotBuffer_, previewLog_ and info_
  QByteArray previewLog_;
  int32_t info_[3] = {};
};
