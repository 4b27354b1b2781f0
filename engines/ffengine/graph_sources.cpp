#include "engines/ffengine/graph_sources.h"

#include <algorithm>
#include <cstdio>

#include "engines/ffengine/subtitle_track.h"

extern "C" {
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
}

namespace ffengine {

std::string PictureSourceArgs(int width, int height, int pixelFormat, AVRational timeBase, AVRational sar) {
  char args[256];
  std::snprintf(args, sizeof(args), "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", width,
                height, pixelFormat, timeBase.num, timeBase.den, sar.num, sar.den);
  return args;
}

std::string SoundSourceArgs(AVRational timeBase, const AVFrame* first, int& channels) {
  AVChannelLayout layout{};
  if (first->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || first->ch_layout.nb_channels <= 0) {
    av_channel_layout_default(&layout, std::max(first->ch_layout.nb_channels, 1));
  } else {
    av_channel_layout_copy(&layout, &first->ch_layout);
  }
  char layoutName[128] = {};
  av_channel_layout_describe(&layout, layoutName, sizeof(layoutName));
  av_channel_layout_uninit(&layout);
  channels = first->ch_layout.nb_channels;
  char args[512];
  std::snprintf(args, sizeof(args), "time_base=%d/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                timeBase.num, timeBase.den, first->sample_rate,
                av_get_sample_fmt_name(static_cast<AVSampleFormat>(first->format)), layoutName);
  return args;
}

AVRational PictureSar(const AVFrame* frame, const AVStream* stream) {
  const AVRational sar =
      frame->sample_aspect_ratio.num > 0 ? frame->sample_aspect_ratio : stream->codecpar->sample_aspect_ratio;
  return sar.num > 0 && sar.den > 0 ? sar : AVRational{1, 1};
}

PictureSourceIndexes DescribePictureSources(PictureEdit& edit, const AVFrame* first, const AVStream* stream,
                                            SubtitleTrack* subtitles, const AVFrame* mark,
                                            std::vector<FilterGraph::Source>& sources) {
  PictureSourceIndexes indexes;
  edit.sourceWidth = first->width;
  edit.sourceHeight = first->height;
  edit.sourceSar = PictureSar(first, stream);
  sources.push_back(
      {"vin", "buffer",
       PictureSourceArgs(first->width, first->height, first->format, stream->time_base, edit.sourceSar)});
  if (subtitles != nullptr && subtitles->IsText()) {
    edit.subtitleScript = subtitles->ScriptPath();
  } else if (subtitles != nullptr) {
    subtitles->DefaultCanvas(first->width, first->height);
    edit.subtitlePictures = true;
    edit.subtitleWidth = subtitles->CanvasWidth();
    edit.subtitleHeight = subtitles->CanvasHeight();
    indexes.subtitle = sources.size();
    sources.push_back({"sub", "buffer",
                       PictureSourceArgs(edit.subtitleWidth, edit.subtitleHeight, AV_PIX_FMT_RGBA,
                                         stream->time_base, AVRational{1, 1})});
  }
  if (edit.watermark && mark != nullptr) {
    indexes.mark = sources.size();
    sources.push_back(
        {"wm", "buffer",
         PictureSourceArgs(mark->width, mark->height, mark->format, AVRational{1, 1}, AVRational{1, 1})});
  }
  return indexes;
}

bool SendWatermarkPicture(AVFilterContext* source, const AVFrame* mark) {
  FramePtr copy(av_frame_clone(mark));
  if (!copy) {
    return false;
  }
  copy->pts = -1;
  return av_buffersrc_add_frame(source, copy.get()) >= 0 && av_buffersrc_add_frame(source, nullptr) >= 0;
}

bool SendSubtitlePicture(AVFilterContext* source, SubtitleTrack& subtitles, double seconds, int64_t pts) {
  FramePtr shown(av_frame_clone(subtitles.PictureAt(seconds)));
  if (!shown) {
    return true;
  }
  shown->pts = pts;
  return av_buffersrc_add_frame_flags(source, shown.get(), 0) >= 0;
}

}  // namespace ffengine
