#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engines/ffengine/edit_filters.h"
#include "engines/ffengine/ff_handles.h"
#include "engines/ffengine/filter_graph.h"

namespace ffengine {

class SubtitleTrack;

// The main view of a preview: decoded pictures through the chain a conversion uses (crop, zoom into
// the view's frame, effects, deinterlace, burned subtitle, watermark), at the view's size in BGR rows.
// A changed edit takes effect with the next picture rendered. Used by one thread at a time.
class PreviewPicture {
 public:
  // `stream` is the video stream the pictures come from; their times count from the file's start in
  // its time base.
  PreviewPicture(const AVStream* stream, int viewWidth, int viewHeight);

  // The crop, zoom, effects and deinterlace of `record` are taken from it; the rest is the view's.
  void SetEdit(const PictureEdit& edit);
  // A watermark picture (copied) at a rectangle of the view, a zero size taking the picture's own;
  // null = none.
  void SetWatermark(const AVFrame* picture, int left, int top, int width, int height, int transparency);
  // Bitmap or text subtitles to burn in; null = none. Kept by pointer: it must outlive the renders.
  void SetSubtitles(SubtitleTrack* subtitles);

  // Feeds `source` and appends what the chain gives back: usually its view picture, none while a
  // deinterlacer waits for the next picture. False with the reason in `error` when the chain fails.
  bool Render(const AVFrame* source, std::vector<FramePtr>& out, std::string& error);
  // The next Render starts a chain afresh (after a seek: a deinterlacer must not mix the two places).
  void Restart() { stale_ = true; }
  // The view picture of `source` alone, through a chain of its own: what a paused preview shows after
  // an edit. Null with the reason in `error`.
  FramePtr RenderStill(const AVFrame* source, std::string& error);

 private:
  bool Build(FilterGraph& graph, const AVFrame* first, std::string& error);
  bool Feed(FilterGraph& graph, const AVFrame* source, std::string& error);
  bool Pull(FilterGraph& graph, std::vector<FramePtr>& out, std::string& error);

  const AVStream* stream_;
  PictureEdit edit_;
  FramePtr mark_;
  SubtitleTrack* subtitles_ = nullptr;
  size_t markSource_ = 0;
  size_t subtitleSource_ = 0;
  std::unique_ptr<FilterGraph> graph_;
  bool stale_ = true;  // the graph no longer matches the edit or the pictures
  int width_ = 0;      // what the graph was built for
  int height_ = 0;
  int format_ = -1;
};

}  // namespace ffengine
