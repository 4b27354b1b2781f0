#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "components/i_ff_preview.h"
#include "plug/plug_ptr.h"
#include "preview/frame_buffer.h"

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
  int outWidth = 0;  // the output frame's size, each 0 already replaced by the view's by the caller
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
// Threads: the engine calls the sink from its playback threads; each buffer and the log have their own
// locks and `frameArrived_` is atomic. The controls given in the setup must outlive the preview (until
// Close): frames go to the boxes until the engine has stopped. Everything else runs on the window's
// thread.
class PreviewWrapper final : public FfPreviewEvent {
 public:
  // `context` (for the log file's place) outlives the wrapper.
  explicit PreviewWrapper(const MuiContext& context);
  ~PreviewWrapper();  // Close()
  PreviewWrapper(const PreviewWrapper&) = delete;
  PreviewWrapper& operator=(const PreviewWrapper&) = delete;

  // Places the controls and starts a preview of setup.item through a new engine. False (nothing
  // reported, no engine kept) when there is no item, no engine, or the engine cannot play it. A preview
  // still open is closed first.
  bool Open(const PreviewSetup& setup);
  // Ends the preview, if one is open, frees the buffers and writes the log. Once any preview has been
  // opened every Close writes the log again, also with nothing open.
  void Close();
  // Saves the engine's next snapshot frame as a bitmap file at `path`; false when the engine refuses,
  // no frame comes within a second, or the file cannot be written.
  bool TakeSnapshot(const QString& path);

  // The playing engine, null when closed; the windows call its playback operations directly.
  I_FfPreview* Engine() const { return engine_.Get(); }
  const PreviewSetup& Setup() const { return setup_; }
  // What the engine has logged since the last Open began.
  QString PreviewLog() const;
  // The three values of the last OnInfo (zeros unless all three were nonzero); nothing reads them yet.
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
  FrameBuffer view_;
  FrameBuffer crop_;
  FrameBuffer snapshot_;
  std::atomic<bool> frameArrived_{false};
  bool logStarted_ = false;     // an Open has begun a log, so Close has one to write
  mutable std::mutex logLock_;  // guards log_ and info_
  QByteArray log_;              // UTF-8, as the engine wrote it
  int32_t info_[3] = {};
};
