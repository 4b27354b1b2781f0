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
