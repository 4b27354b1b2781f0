#include "engines/ffengine/preview_frame.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace ffengine {

PreviewMaker::~PreviewMaker() {
  sws_freeContext(shrink_);
  sws_freeContext(toBgr_);
  av_frame_free(&small_);
}

std::vector<uint8_t> PreviewMaker::Make(const AVFrame* frame, int width, int height) {
  if (width != width_ || height != height_) {
    av_frame_free(&small_);
    width_ = width;
    height_ = height;
  }
  if (frame == nullptr || width_ <= 0 || height_ <= 0 || frame->width <= 0 || frame->height <= 0) {
    return {};
  }
  shrink_ =
      sws_getCachedContext(shrink_, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                           width_, height_, AV_PIX_FMT_YUV420P, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
  toBgr_ = sws_getCachedContext(toBgr_, width_, height_, AV_PIX_FMT_YUV420P, width_, height_,
                                AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr);
  if (shrink_ == nullptr || toBgr_ == nullptr) {
    return {};
  }
  if (small_ == nullptr) {
    small_ = av_frame_alloc();
    if (small_ == nullptr) {
      return {};
    }
    small_->width = width_;
    small_->height = height_;
    small_->format = AV_PIX_FMT_YUV420P;
    if (av_frame_get_buffer(small_, 0) < 0) {
      av_frame_free(&small_);
      return {};
    }
  }
  sws_scale(shrink_, frame->data, frame->linesize, 0, frame->height, small_->data, small_->linesize);
  const int stride = BitmapStride(width_);
  const size_t bytes = static_cast<size_t>(stride) * height_;
  // swscale's vector code may write a little past the last row.
  std::vector<uint8_t> pixels(bytes + 64);
  uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  int strides[4] = {stride, 0, 0, 0};
  sws_scale(toBgr_, small_->data, small_->linesize, 0, height_, planes, strides);
  pixels.resize(bytes);
  return pixels;
}

}  // namespace ffengine
