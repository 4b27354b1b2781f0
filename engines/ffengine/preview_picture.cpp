#include "engines/ffengine/preview_picture.h"

#include "engines/ffengine/av_error.h"
#include "engines/ffengine/graph_sources.h"
#include "engines/ffengine/output_plan.h"
#include "engines/ffengine/subtitle_track.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace ffengine {

PreviewPicture::PreviewPicture(const AVStream* stream, int viewWidth, int viewHeight) : stream_(stream) {
  edit_.retime = false;
  edit_.outWidth = viewWidth;
  edit_.outHeight = viewHeight;
  edit_.pixelFormat = "bgr24";
  edit_.rotation = StreamRotation(stream);
}

void PreviewPicture::SetEdit(const PictureEdit& edit) {
  edit_.cropX = edit.cropX;
  edit_.cropY = edit.cropY;
  edit_.cropWidth = edit.cropWidth;
  edit_.cropHeight = edit.cropHeight;
  edit_.zoomMode = edit.zoomMode;
  edit_.brightness = edit.brightness;
  edit_.contrast = edit.contrast;
  edit_.saturation = edit.saturation;
  edit_.deinterlace = edit.deinterlace;
  stale_ = true;
}

void PreviewPicture::SetWatermark(const AVFrame* picture, int left, int top, int width, int height,
                                  int transparency) {
  mark_.reset(picture != nullptr ? av_frame_clone(picture) : nullptr);
  edit_.watermark = mark_ != nullptr;
  if (mark_) {
    edit_.markLeft = left;
    edit_.markTop = top;
    edit_.markWidth = width > 0 ? width : mark_->width;
    edit_.markHeight = height > 0 ? height : mark_->height;
    edit_.markTransparency = transparency;
  }
  stale_ = true;
}

void PreviewPicture::SetSubtitles(SubtitleTrack* subtitles) {
  subtitles_ = subtitles;
  stale_ = true;
}

bool PreviewPicture::Render(const AVFrame* source, std::vector<FramePtr>& out, std::string& error) {
  if (stale_ || source->width != width_ || source->height != height_ || source->format != format_) {
    graph_ = std::make_unique<FilterGraph>();
    if (!Build(*graph_, source, error)) {
      graph_.reset();
      return false;
    }
    stale_ = false;
  }
  return Feed(*graph_, source, error) && Pull(*graph_, out, error);
}

FramePtr PreviewPicture::RenderStill(const AVFrame* source, std::string& error) {
  FilterGraph graph;
  std::vector<FramePtr> out;
  if (!Build(graph, source, error) || !Feed(graph, source, error) ||
      av_buffersrc_add_frame_flags(graph.SourceAt(0), nullptr, 0) < 0 || !Pull(graph, out, error)) {
    return nullptr;
  }
  if (out.empty()) {
    error = "the edits gave no picture";
    return nullptr;
  }
  return std::move(out.back());
}

bool PreviewPicture::Build(FilterGraph& graph, const AVFrame* first, std::string& error) {
  width_ = first->width;
  height_ = first->height;
  format_ = first->format;
  PictureEdit edit = edit_;
  std::vector<FilterGraph::Source> sources;
  const PictureSourceIndexes indexes =
      DescribePictureSources(edit, first, stream_, subtitles_, mark_.get(), sources);
  subtitleSource_ = indexes.subtitle;
  markSource_ = indexes.mark;
  if (!graph.Build(PictureChain(edit), sources, true, "vout", error)) {
    return false;
  }
  if (edit.watermark && !SendWatermarkPicture(graph.SourceAt(markSource_), mark_.get())) {
    error = "the watermark picture was refused";
    return false;
  }
  return true;
}

bool PreviewPicture::Feed(FilterGraph& graph, const AVFrame* source, std::string& error) {
  if (subtitles_ != nullptr && !subtitles_->IsText() && source->pts != AV_NOPTS_VALUE &&
      !SendSubtitlePicture(graph.SourceAt(subtitleSource_), *subtitles_,
                           source->pts * av_q2d(stream_->time_base), source->pts)) {
    error = "the subtitle picture was refused";
    return false;
  }
  FramePtr copy(av_frame_clone(source));
  if (!copy) {
    error = "out of memory";
    return false;
  }
  const int added = av_buffersrc_add_frame_flags(graph.SourceAt(0), copy.get(), 0);
  if (added < 0) {
    error = "the edits refused a picture: " + ErrorText(added);
    return false;
  }
  return true;
}

bool PreviewPicture::Pull(FilterGraph& graph, std::vector<FramePtr>& out, std::string& error) {
  for (;;) {
    FramePtr frame(av_frame_alloc());
    if (!frame) {
      error = "out of memory";
      return false;
    }
    const int got = av_buffersink_get_frame(graph.Sink(), frame.get());
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
      return true;
    }
    if (got < 0) {
      error = "the edits failed: " + ErrorText(got);
      return false;
    }
    out.push_back(std::move(frame));
  }
}

}  // namespace ffengine
