#include "preview/frame_buffer.h"

#include <cstring>
#include <utility>

#include "preview/preview_rules.h"
#include "preview/replace_file.h"

void FrameBuffer::Reset(int width, int height, Shower show) {
  QByteArray image = MakeBitmapFile(width, height);
  std::lock_guard lock(lock_);
  image_ = std::move(image);
  show_ = image_.isEmpty() ? Shower() : std::move(show);
}

void FrameBuffer::Free() {
  std::lock_guard lock(lock_);
  image_ = QByteArray();
  show_ = Shower();
}

bool FrameBuffer::Store(const void* pixels, int32_t size) {
  std::lock_guard lock(lock_);
  if (pixels == nullptr || image_.size() <= kBitmapHeaderSize || size != image_.size() - kBitmapHeaderSize) {
    return false;
  }
  std::memcpy(image_.data() + kBitmapHeaderSize, pixels, static_cast<size_t>(size));
  if (show_) {
    show_(image_);
  }
  return true;
}

bool FrameBuffer::SaveTo(const QString& path, bool flipRows) const {
  QByteArray image;
  {
    // A shared copy: the engine's next frame writes into a copy of its own, so the file gets the image
    // of this instant without the disk write holding up the playback thread.
    std::lock_guard lock(lock_);
    image = image_;
  }
  return !image.isEmpty() && ReplaceFile(path, flipRows ? FlipBitmapRows(image) : image);
}

QByteArray FrameBuffer::Image() const {
  std::lock_guard lock(lock_);
  return image_;
}

bool FrameBuffer::IsEmpty() const {
  std::lock_guard lock(lock_);
  return image_.isEmpty();
}
