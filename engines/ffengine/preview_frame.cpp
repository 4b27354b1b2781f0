#include "engines/ffengine/preview_frame.h"

#include <algorithm>

extern "C" {
#include <libswscale/swscale.h>
}

namespace ffengine {

PreviewMaker::~PreviewMaker() {
  sws_freeContext(shrink_);
  sws_freeContext(toBgr_);
  av_frame_free(&small_);
}

namespace {

// The even size of a picture of the frame's display shape that fits `width` x `height`, as large as
// fits; the whole area when that is within two pixels of it.
void FitFrame(const AVFrame& frame, int width, int height, int& fitWidth, int& fitHeight) {
  double aspect = static_cast<double>(frame.width) / frame.height;
  if (frame.sample_aspect_ratio.num > 0 && frame.sample_aspect_ratio.den > 0) {
    aspect *= av_q2d(frame.sample_aspect_ratio);
  }
  fitWidth = width;
  fitHeight = static_cast<int>(width / aspect);
  if (fitHeight > height) {
    fitHeight = height;
    fitWidth = static_cast<int>(height * aspect);
  }
  fitWidth -= fitWidth % 2;
  fitHeight -= fitHeight % 2;
  if (fitWidth < 2 || fitHeight < 2 || (width - fitWidth <= 2 && height - fitHeight <= 2)) {
    fitWidth = width;
    fitHeight = height;
  }
}

}  // namespace

std::vector<uint8_t> PreviewMaker::Make(const AVFrame* frame, int width, int height) {
  if (frame == nullptr || width <= 0 || height <= 0 || frame->width <= 0 || frame->height <= 0) {
    return {};
  }
  int fitWidth = 0;
  int fitHeight = 0;
  FitFrame(*frame, width, height, fitWidth, fitHeight);
  if (width != width_ || height != height_ || fitWidth != fitWidth_ || fitHeight != fitHeight_) {
    av_frame_free(&small_);
    width_ = width;
    height_ = height;
    fitWidth_ = fitWidth;
    fitHeight_ = fitHeight;
  }
  shrink_ = sws_getCachedContext(shrink_, frame->width, frame->height,
                                 static_cast<AVPixelFormat>(frame->format), fitWidth_, fitHeight_,
                                 AV_PIX_FMT_YUV420P, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
  toBgr_ = sws_getCachedContext(toBgr_, fitWidth_, fitHeight_, AV_PIX_FMT_YUV420P, fitWidth_, fitHeight_,
                                AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr);
  if (shrink_ == nullptr || toBgr_ == nullptr) {
    return {};
  }
  if (small_ == nullptr) {
    small_ = av_frame_alloc();
    if (small_ == nullptr) {
      return {};
    }
    small_->width = fitWidth_;
    small_->height = fitHeight_;
    small_->format = AV_PIX_FMT_YUV420P;
    if (av_frame_get_buffer(small_, 0) < 0) {
      av_frame_free(&small_);
      return {};
    }
  }
  sws_scale(shrink_, frame->data, frame->linesize, 0, frame->height, small_->data, small_->linesize);
  const int stride = BitmapStride(width_);
  const size_t bytes = static_cast<size_t>(stride) * height_;
  if (fitWidth_ == width_ && fitHeight_ == height_) {
    // swscale's vector code may write a little past the last row.
    std::vector<uint8_t> pixels(bytes + 64);
    uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    sws_scale(toBgr_, small_->data, small_->linesize, 0, height_, planes, strides);
    pixels.resize(bytes);
    return pixels;
  }
  // Converted on its own first: swscale may write past a row's end, which would mark the bar beside it.
  const int fitStride = BitmapStride(fitWidth_);
  std::vector<uint8_t> picture(static_cast<size_t>(fitStride) * fitHeight_ + 64);
  uint8_t* planes[4] = {picture.data(), nullptr, nullptr, nullptr};
  int strides[4] = {fitStride, 0, 0, 0};
  sws_scale(toBgr_, small_->data, small_->linesize, 0, fitHeight_, planes, strides);
  std::vector<uint8_t> pixels(bytes, 0);  // black bars
  const int left = (width_ - fitWidth_) / 2;
  const int top = (height_ - fitHeight_) / 2;
  for (int row = 0; row < fitHeight_; ++row) {
    std::copy_n(picture.data() + static_cast<size_t>(row) * fitStride, static_cast<size_t>(fitWidth_) * 3,
                pixels.data() + static_cast<size_t>(top + row) * stride + static_cast<size_t>(left) * 3);
  }
  return pixels;
}

}  // namespace ffengine
