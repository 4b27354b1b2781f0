#include "bench/bench_source.h"

#include <cstdio>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

namespace bench {

namespace {

struct GraphFree {
  void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};

// A lavfi source ending in a buffersink.
struct Source {
  std::unique_ptr<AVFilterGraph, GraphFree> graph;
  AVFilterContext* sink = nullptr;
};

bool OpenSource(Source& source, const char* description, bool video) {
  source.graph.reset(avfilter_graph_alloc());
  const AVFilter* sinkFilter = avfilter_get_by_name(video ? "buffersink" : "abuffersink");
  if (avfilter_graph_create_filter(&source.sink, sinkFilter, "out", nullptr, nullptr, source.graph.get()) <
      0) {
    return false;
  }
  AVFilterInOut* inputs = avfilter_inout_alloc();
  inputs->name = av_strdup("out");
  inputs->filter_ctx = source.sink;
  inputs->pad_idx = 0;
  inputs->next = nullptr;
  AVFilterInOut* outputs = nullptr;
  const int parsed = avfilter_graph_parse_ptr(source.graph.get(), description, &inputs, &outputs, nullptr);
  avfilter_inout_free(&inputs);
  avfilter_inout_free(&outputs);
  return parsed >= 0 && avfilter_graph_config(source.graph.get(), nullptr) >= 0;
}

bool Drain(AVFormatContext* format, AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
  if (avcodec_send_frame(codec, frame) < 0) {
    return false;
  }
  AVPacket* packet = av_packet_alloc();
  bool ok = true;
  while (avcodec_receive_packet(codec, packet) >= 0) {
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    ok = av_interleaved_write_frame(format, packet) >= 0 && ok;
  }
  av_packet_free(&packet);
  return ok;
}

}  // namespace

bool MakeSource(const std::string& path, int width, int height, int seconds) {
  Source picture;
  Source sound;
  char description[256];
  std::snprintf(description, sizeof description, "testsrc2=size=%dx%d:rate=30:duration=%d,format=yuv420p",
                width, height, seconds);
  if (!OpenSource(picture, description, true)) {
    return false;
  }
  std::snprintf(
      description, sizeof description,
      "sine=frequency=440:sample_rate=48000:duration=%d,aformat=sample_fmts=fltp:channel_layouts=stereo",
      seconds);
  if (!OpenSource(sound, description, false)) {
    return false;
  }

  AVFormatContext* format = nullptr;
  if (avformat_alloc_output_context2(&format, nullptr, "mp4", path.c_str()) < 0) {
    return false;
  }
  const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
  const AVCodec* aac = avcodec_find_encoder_by_name("aac");
  AVCodecContext* video = avcodec_alloc_context3(h264);
  video->width = width;
  video->height = height;
  video->pix_fmt = AV_PIX_FMT_YUV420P;
  video->time_base = av_buffersink_get_time_base(picture.sink);
  video->framerate = AVRational{30, 1};
  video->thread_count = 0;
  video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(video->priv_data, "preset", "veryfast", 0);
  av_opt_set(video->priv_data, "crf", "20", 0);
  AVCodecContext* audio = avcodec_alloc_context3(aac);
  audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
  audio->sample_rate = 48000;
  av_channel_layout_default(&audio->ch_layout, 2);
  audio->bit_rate = 128000;
  audio->time_base = AVRational{1, 48000};
  audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  bool ok = avcodec_open2(video, h264, nullptr) >= 0 && avcodec_open2(audio, aac, nullptr) >= 0;
  AVStream* videoStream = avformat_new_stream(format, nullptr);
  AVStream* audioStream = avformat_new_stream(format, nullptr);
  if (ok) {
    avcodec_parameters_from_context(videoStream->codecpar, video);
    avcodec_parameters_from_context(audioStream->codecpar, audio);
    videoStream->time_base = video->time_base;
    audioStream->time_base = audio->time_base;
    av_buffersink_set_frame_size(sound.sink, audio->frame_size);
    ok = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
         avformat_write_header(format, nullptr) >= 0;
  }
  AVFrame* frame = av_frame_alloc();
  bool pictureDone = false;
  bool soundDone = false;
  double pictureTime = 0;
  double soundTime = 0;
  // Whichever stream is behind goes next, so the file is interleaved as it is written.
  while (ok && (!pictureDone || !soundDone)) {
    const bool takePicture = !pictureDone && (soundDone || pictureTime <= soundTime);
    Source& from = takePicture ? picture : sound;
    AVCodecContext* codec = takePicture ? video : audio;
    AVStream* stream = takePicture ? videoStream : audioStream;
    const int got = av_buffersink_get_frame(from.sink, frame);
    if (got == AVERROR_EOF) {
      ok = Drain(format, codec, stream, nullptr);
      (takePicture ? pictureDone : soundDone) = true;
      continue;
    }
    if (got < 0) {
      ok = false;
      break;
    }
    (takePicture ? pictureTime : soundTime) = frame->pts * av_q2d(av_buffersink_get_time_base(from.sink));
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    ok = Drain(format, codec, stream, frame);
    av_frame_unref(frame);
  }
  av_frame_free(&frame);
  if (ok) {
    ok = av_write_trailer(format) >= 0;
  }
  avcodec_free_context(&video);
  avcodec_free_context(&audio);
  avio_closep(&format->pb);
  avformat_free_context(format);
  return ok;
}

}  // namespace bench
