#include "widgets/slider_model.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace skin {

namespace {

int Saturate(int64_t v) {
  return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

}  // namespace

void SliderModel::SetExtRange(int start, int length) {
  rangeStart_ = start;
  rangeLength_ = length;
  fillLeft_ = left_ + start;
  fillWidth_ = 0;
  thumbLeft_ = fillLeft_ - Half();
}

void SliderModel::SetImage2Range(int start, int width) {
  rangeMode_ = true;
  fillLeft_ = left_ + start;
  fillWidth_ = width;
  thumbLeft_ = ControlImage3Left(thumbLeft_);
}

int SliderModel::ControlImage3Left(int left) const {
  int lo, hi;
  if (!rangeMode_ || freeMode_) {
    lo = left_ + rangeStart_ - Half();
    hi = left_ + rangeStart_ + rangeLength_ - Half();
  } else {
    lo = fillLeft_ - Half();
    hi = fillLeft_ + fillWidth_ - Half();
  }
  return std::min(hi, std::max(lo, left));
}

void SliderModel::Setprocess(int percent) {
  // Whole-number arithmetic gives the exact truncation of percent × length / 100: a binary
  // floating-point 0.01 would land just below some whole pixels.
  const int64_t scaled = int64_t(percent) * rangeLength_;
  const int64_t origin = int64_t(left_) + rangeStart_ - Half();
  if (hasThumb_) {
    thumbLeft_ = ControlImage3Left(Saturate((scaled + 100 * origin) / 100));
  }
  if (!rangeMode_) {
    fillWidth_ = Saturate(scaled / 100);
  }
}

int SliderModel::Getprocess() const {
  if (!hasThumb_ || rangeLength_ == 0) {
    return 0;
  }
  const int64_t offset = int64_t(thumbLeft_) + Half() - left_ - rangeStart_;
  return Saturate(offset * 100 / rangeLength_);
}

void SliderModel::FollowThumb() {
  if (!rangeMode_) {
    fillWidth_ = thumbLeft_ + Half() - fillLeft_;
  }
}

std::optional<int> SliderModel::ClickTrack(int x) {
  if (!hasThumb_) {
    return std::nullopt;
  }
  thumbLeft_ = ControlImage3Left(x + left_ - Half());
  FollowThumb();
  return Getprocess();
}

std::optional<int> SliderModel::ClickFill(int x) {
  return ClickTrack(fillLeft_ + x - left_);
}

void SliderModel::ThumbDown(int grabX) {
  if (!hasThumb_) {
    return;
  }
  grabX_ = grabX;
  dragging_ = true;
}

std::optional<int> SliderModel::ThumbMove(int x) {
  if (!dragging_) {
    return std::nullopt;
  }
  thumbLeft_ = ControlImage3Left(thumbLeft_ + x - grabX_);
  FollowThumb();
  if (moveChangeNotify_) {
    return Getprocess();
  }
  return std::nullopt;
}

std::optional<int> SliderModel::ThumbUp() {
  if (!hasThumb_) {
    return std::nullopt;
  }
  dragging_ = false;
  return Getprocess();
}

}  // namespace skin
