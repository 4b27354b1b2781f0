#pragma once

#include <optional>

namespace skin {

// The arithmetic of the picture slider. All positions are in pixels of the slider's parent, like the
// track's own `left`; the fill and the thumb lie on the parent beside the track. 0 % lies at
// left + rangeStart, 100 % at left + rangeStart + rangeLength. Half a width truncates toward zero.
class SliderModel {
 public:
  // The track's left edge in the parent. The window places the track before setting ranges.
  void SetLeft(int left) { left_ = left; }
  int Left() const { return left_; }
  // The track moved by dx: fill and thumb move with it.
  void MoveBy(int dx) {
    left_ += dx;
    fillLeft_ += dx;
    thumbLeft_ += dx;
  }

  void SetThumb(bool present, int width) {
    hasThumb_ = present;
    thumbWidth_ = present ? width : 0;
  }
  bool HasThumb() const { return hasThumb_; }

  void SetFreeMode(bool on) { freeMode_ = on; }
  bool FreeMode() const { return freeMode_; }
  bool RangeMode() const { return rangeMode_; }
  void SetMoveChangeNotify(bool on) { moveChangeNotify_ = on; }
  bool MoveChangeNotify() const { return moveChangeNotify_; }

  // The value range; the fill starts empty at the range start with the thumb centred there.
  void SetExtRange(int start, int length);
  // Range mode: the fill shows this fixed stretch of the track and no longer follows the position;
  // the thumb is kept inside it unless in free mode.
  void SetImage2Range(int start, int width);

  // Moves the thumb to `percent` of the range (kept within the allowed positions) and, outside range
  // mode, makes the fill that wide. The fill is not clamped: 150 % gives a fill half again as long.
  void Setprocess(int percent);
  // The thumb centre's place in the range in whole percent truncated toward zero; 0 without a thumb or
  // with an empty range.
  int Getprocess() const;

  // The allowed thumb left edge nearest to `left`: the thumb centre stays within the range, or within
  // the fill's stretch in range mode without free mode.
  int ControlImage3Left(int left) const;

  // A press on the track at x (track coordinates) centres the thumb there. Answers the new position
  // to report, or nothing without a thumb.
  std::optional<int> ClickTrack(int x);
  // The same for a press on the fill at x (fill coordinates).
  std::optional<int> ClickFill(int x);

  // Thumb drag: press at grabX inside the thumb, moves at x inside the thumb, release. Moves answer
  // the position to report only with move-change notify on; the release always reports.
  void ThumbDown(int grabX);
  std::optional<int> ThumbMove(int x);
  std::optional<int> ThumbUp();
  bool ThumbDragging() const { return dragging_; }

  int ThumbLeft() const { return thumbLeft_; }
  int ThumbWidth() const { return thumbWidth_; }
  int FillLeft() const { return fillLeft_; }
  int FillWidth() const { return fillWidth_; }
  int RangeStart() const { return rangeStart_; }
  int RangeLength() const { return rangeLength_; }

 private:
  int Half() const { return thumbWidth_ / 2; }
  void FollowThumb();

  int left_ = 0;
  int rangeStart_ = 0;
  int rangeLength_ = 0;
  int fillLeft_ = 0;
  int fillWidth_ = 0;
  bool hasThumb_ = false;
  int thumbWidth_ = 0;
  int thumbLeft_ = 0;
  bool rangeMode_ = false;
  bool freeMode_ = false;
  bool moveChangeNotify_ = false;
  bool dragging_ = false;
  int grabX_ = 0;
};

}  // namespace skin
