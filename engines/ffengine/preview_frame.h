#pragma once

#include <cstdint>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

struct SwsContext;

namespace ffengine {

// Row length of a 24-bit bitmap: rows are padded to whole 4-byte words.
inline int BitmapStride(int width) {
  return (width * 3 + 3) & ~3;
}

// Turns filtered video frames into the progress window's preview: previewWidth x previewHeight, 24 bits
// (bytes B, G, R), rows top-down, each padded as a bitmap row is. The frame keeps its shape (its display
// aspect) and is centred between black bars; a shape within two pixels of the preview's fills it.
// Scaling happens in YUV before the colour conversion, which costs far less than converting the whole
// frame.
class PreviewMaker {
 public:
  PreviewMaker() = default;
  ~PreviewMaker();
  PreviewMaker(const PreviewMaker&) = delete;
  PreviewMaker& operator=(const PreviewMaker&) = delete;

  // Empty when the frame cannot be converted.
  std::vector<uint8_t> Make(const AVFrame* frame, int width, int height);

 private:
  int width_ = 0;
  int height_ = 0;
  // The size of the picture inside the bars.
  int fitWidth_ = 0;
  int fitHeight_ = 0;
  SwsContext* shrink_ = nullptr;
  SwsContext* toBgr_ = nullptr;
  AVFrame* small_ = nullptr;
};

}  // namespace ffengine
