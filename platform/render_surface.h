#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/render_surface_table.h"
#include "plug/plug_ptr.h"

namespace platform {

// A window the preview engine draws into: it lists itself in the process's surface table under a
// handle of its own, which a window copies into the engine's open record, and shows the newest frame
// presented to that handle, scaled to its rectangle. Black until the first frame and after Clear().
// Apart from that a plain widget, placed and hidden like any other. Lives on the UI thread; frames
// arrive on any thread.
class RenderSurface : public QWidget, private SurfaceFrameStore {
  Q_OBJECT

 public:
  explicit RenderSurface(QWidget* parent = nullptr);
  ~RenderSurface() override;

  // The surface's handle in decimal, fixed for its life and never given to another surface of the
  // process. When the surface table could not be reached the widget still has one, which no engine
  // can present to, and stays black.
  QString Handle() const { return handle_; }

  // Drops the frame shown; the widget is black until the next one arrives.
  void Clear();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void TakeFrame(QImage frame) override;

  PlugPtr<RenderSurfaceTable> table_;  // empty when the surface could not be listed
  uint64_t listedAs_ = 0;
  QString handle_;

  std::mutex frameLock_;
  QImage frame_;  // the newest frame; null for black
  // One repaint waits in the event queue at most, however fast frames come.
  std::atomic<bool> repaintPosted_{false};
};

}  // namespace platform
