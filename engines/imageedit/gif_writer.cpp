#include "engines/imageedit/gif_writer.h"

#include "engines/ffengine/ff_handles.h"

#include <cstdio>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

namespace imageedit {

namespace {

constexpr int kMaxGifSide = 65535;  // the format's fields are 16 bits wide
constexpr int kIoBufferSize = 64 * 1024;

using ffengine::CodecContextPtr;
using ffengine::FramePtr;
using ffengine::PacketPtr;

struct GraphFree {
  void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};
using GraphPtr = std::unique_ptr<AVFilterGraph, GraphFree>;

using CodecPtr = CodecContextPtr;

struct InOutFree {
  void operator()(AVFilterInOut* io) const { avfilter_inout_free(&io); }
};
using InOutPtr = std::unique_ptr<AVFilterInOut, InOutFree>;

// The muxer writes into memory; the caller decides where the bytes go, so a failure leaves no file.
struct MemoryOutput {
  MemoryOutput() {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (buffer == nullptr) {
      return;
    }
    io = avio_alloc_context(buffer, kIoBufferSize, 1, this, nullptr, &MemoryOutput::Write, nullptr);
    if (io == nullptr) {
      av_free(buffer);
    }
  }
  ~MemoryOutput() {
    if (io != nullptr) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
  }
  MemoryOutput(const MemoryOutput&) = delete;
  MemoryOutput& operator=(const MemoryOutput&) = delete;

  static int Write(void* opaque, uint8_t* data, int size) {
    try {
      static_cast<MemoryOutput*>(opaque)->bytes.append(reinterpret_cast<const char*>(data),
                                                       static_cast<size_t>(size));
      return size;
    } catch (...) {
      return AVERROR(ENOMEM);
    }
  }

  AVIOContext* io = nullptr;
  std::string bytes;
};

struct MuxerFree {
  void operator()(AVFormatContext* m) const { avformat_free_context(m); }
};
using MuxerPtr = std::unique_ptr<AVFormatContext, MuxerFree>;

FramePtr SourceFrame(const uint8_t* rgba, int width, int height, int stride) {
  FramePtr frame(av_frame_alloc());
  if (!frame) {
    return nullptr;
  }
  frame->format = AV_PIX_FMT_RGBA;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) {
    return nullptr;
  }
  av_image_copy_plane(frame->data[0], frame->linesize[0], rgba, stride, width * 4, height);
  return frame;
}

// The picture on a palette of its own: split it, let one copy make the palette, map the other onto it.
FramePtr Palettize(FramePtr source) {
  GraphPtr graph(avfilter_graph_alloc());
  if (!graph) {
    return nullptr;
  }
  graph->nb_threads = 1;
  char arguments[128];
  std::snprintf(arguments, sizeof(arguments), "video_size=%dx%d:pix_fmt=%d:time_base=1/25:pixel_aspect=1/1",
                source->width, source->height, static_cast<int>(AV_PIX_FMT_RGBA));
  AVFilterContext* input = nullptr;
  AVFilterContext* output = nullptr;
  if (avfilter_graph_create_filter(&input, avfilter_get_by_name("buffer"), "in", arguments, nullptr,
                                   graph.get()) < 0 ||
      avfilter_graph_create_filter(&output, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                   graph.get()) < 0) {
    return nullptr;
  }
  const AVPixelFormat paletted[] = {AV_PIX_FMT_PAL8, AV_PIX_FMT_NONE};
  if (av_opt_set_int_list(output, "pix_fmts", paletted, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN) < 0) {
    return nullptr;
  }
  InOutPtr graphInput(avfilter_inout_alloc());
  InOutPtr graphOutput(avfilter_inout_alloc());
  if (!graphInput || !graphOutput) {
    return nullptr;
  }
  graphInput->name = av_strdup("in");
  graphInput->filter_ctx = input;
  graphOutput->name = av_strdup("out");
  graphOutput->filter_ctx = output;
  AVFilterInOut* outputs = graphInput.release();
  AVFilterInOut* inputs = graphOutput.release();
  const int parsed = avfilter_graph_parse_ptr(
      graph.get(), "split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse=dither=sierra2_4a", &inputs,
      &outputs, nullptr);
  avfilter_inout_free(&inputs);
  avfilter_inout_free(&outputs);
  if (parsed < 0 || avfilter_graph_config(graph.get(), nullptr) < 0) {
    return nullptr;
  }
  // The palette is made when the input ends, so the one picture goes in followed by the end.
  if (av_buffersrc_add_frame(input, source.get()) < 0 || av_buffersrc_add_frame(input, nullptr) < 0) {
    return nullptr;
  }
  FramePtr result(av_frame_alloc());
  if (!result || av_buffersink_get_frame(output, result.get()) < 0) {
    return nullptr;
  }
  return result;
}

bool Encode(AVCodecContext* codec, const AVFrame* frame, AVFormatContext* muxer) {
  PacketPtr packet(av_packet_alloc());
  if (!packet || avcodec_send_frame(codec, frame) < 0 || avcodec_send_frame(codec, nullptr) < 0) {
    return false;
  }
  for (;;) {
    const int received = avcodec_receive_packet(codec, packet.get());
    if (received == AVERROR_EOF) {
      return true;
    }
    if (received < 0) {
      return false;
    }
    packet->stream_index = 0;
    av_packet_rescale_ts(packet.get(), codec->time_base, muxer->streams[0]->time_base);
    if (av_write_frame(muxer, packet.get()) < 0) {
      return false;
    }
    av_packet_unref(packet.get());
  }
}

std::string EncodePaletted(const AVFrame* picture) {
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_GIF);
  if (encoder == nullptr) {
    return {};
  }
  CodecPtr codec(avcodec_alloc_context3(encoder));
  if (!codec) {
    return {};
  }
  codec->width = picture->width;
  codec->height = picture->height;
  codec->pix_fmt = AV_PIX_FMT_PAL8;
  codec->time_base = AVRational{1, 25};
  codec->thread_count = 1;
  if (avcodec_open2(codec.get(), encoder, nullptr) < 0) {
    return {};
  }

  MemoryOutput sink;
  AVFormatContext* rawMuxer = nullptr;
  if (sink.io == nullptr || avformat_alloc_output_context2(&rawMuxer, nullptr, "gif", nullptr) < 0) {
    return {};
  }
  MuxerPtr muxer(rawMuxer);
  muxer->pb = sink.io;
  muxer->flags |= AVFMT_FLAG_CUSTOM_IO;
  AVStream* stream = avformat_new_stream(muxer.get(), nullptr);
  if (stream == nullptr || avcodec_parameters_from_context(stream->codecpar, codec.get()) < 0) {
    return {};
  }
  stream->time_base = codec->time_base;
  // A still picture: no looping block.
  AVDictionary* options = nullptr;
  av_dict_set(&options, "loop", "-1", 0);
  const int headerWritten = avformat_write_header(muxer.get(), &options);
  av_dict_free(&options);
  if (headerWritten < 0) {
    return {};
  }
  if (!Encode(codec.get(), picture, muxer.get()) || av_write_trailer(muxer.get()) < 0) {
    return {};
  }
  avio_flush(sink.io);
  if (sink.io->error < 0) {
    return {};
  }
  return std::move(sink.bytes);
}

}  // namespace

std::string EncodeGif(const uint8_t* rgba, int width, int height, int stride) {
  if (rgba == nullptr || width <= 0 || height <= 0 || width > kMaxGifSide || height > kMaxGifSide ||
      stride < width * 4) {
    return {};
  }
  try {
    FramePtr source = SourceFrame(rgba, width, height, stride);
    if (!source) {
      return {};
    }
    const FramePtr paletted = Palettize(std::move(source));
    if (!paletted || paletted->format != AV_PIX_FMT_PAL8) {
      return {};
    }
    return EncodePaletted(paletted.get());
  } catch (...) {
    return {};
  }
}

}  // namespace imageedit
