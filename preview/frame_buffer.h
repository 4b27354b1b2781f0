#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <mutex>

// A bitmap file image (see MakeBitmapFile) that the preview engine's frames are written into from its
// playback threads, while the window's thread makes, frees and saves it. Every access takes the
// buffer's own lock, so a frame is never seen half written and never lands in a freed image.
class FrameBuffer {
 public:
  // Receives the whole image after each frame, still under the lock; it must copy what it keeps.
  using Shower = std::function<void(const QByteArray& bitmapFile)>;

  // A black picture of width x height, shown through `show` after each frame. A size that makes no
  // image leaves the buffer empty, refusing every frame.
  void Reset(int width, int height, Shower show = {});
  // Empties the buffer; frames are refused until the next Reset.
  void Free();

  // Copies one frame's pixels in and shows the image. A frame whose byte count is not the buffer's
  // pixel count (another size, or the buffer is empty) is refused and nothing is written: the engine
  // may still deliver a frame of an earlier size, and writing it would run past the image.
  bool Store(const void* pixels, int32_t size);

  // Writes the image as it is at one instant to `path`, replacing the file atomically, its rows turned
  // over when `flipRows` (see FlipBitmapRows); false when the buffer is empty or the write fails.
  bool SaveTo(const QString& path, bool flipRows = false) const;

  QByteArray Image() const;
  bool IsEmpty() const;

 private:
  mutable std::mutex lock_;
  QByteArray image_;
  Shower show_;
};
