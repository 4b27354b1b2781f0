#include "engines/ffengine/stream_decoder.h"

namespace ffengine {

CodecContextPtr OpenDecoder(AVFormatContext* context, AVStream* stream) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (codec == nullptr) {
    return nullptr;
  }
  CodecContextPtr decoder(avcodec_alloc_context3(codec));
  if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0) {
    return nullptr;
  }
  decoder->pkt_timebase = stream->time_base;
  if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
    decoder->framerate = av_guess_frame_rate(context, stream, nullptr);
  }
  decoder->thread_count = 0;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) {
    return nullptr;
  }
  return decoder;
}

}  // namespace ffengine
