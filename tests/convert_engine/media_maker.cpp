#include "tests/convert_engine/media_maker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include "engines/ffengine/ff_handles.h"

namespace media_maker {
namespace {

struct FormatFree {
  void operator()(AVFormatContext* f) const {
    if (f->pb != nullptr && (f->oformat->flags & AVFMT_NOFILE) == 0) {
      avio_closep(&f->pb);
    }
    avformat_free_context(f);
  }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatFree>;
using CodecPtr = ffengine::CodecContextPtr;
using ffengine::FramePtr;
using ffengine::PacketPtr;

bool Fail(std::string* error, const std::string& what, int code = 0) {
  if (error != nullptr) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (code < 0) {
      av_strerror(code, text, sizeof text);
    }
    *error = what + (code < 0 ? std::string(": ") + text : std::string());
  }
  return false;
}

struct Yuv {
  uint8_t y, u, v;
};

// Limited-range BT.601, which is what a decoder assumes for an untagged stream.
Yuv ToYuv(Rgb c) {
  const double r = c.r, g = c.g, b = c.b;
  const double y = 16.0 + (65.481 * r + 128.553 * g + 24.966 * b) / 255.0;
  const double u = 128.0 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255.0;
  const double v = 128.0 + (112.0 * r - 93.786 * g - 18.214 * b) / 255.0;
  auto clamp = [](double x) { return static_cast<uint8_t>(std::clamp(std::lround(x), 0L, 255L)); };
  return {clamp(y), clamp(u), clamp(v)};
}

Rgb PixelAt(const ClipPlan& plan, int x, int y, int64_t frame) {
  if (plan.frameCounter && y >= plan.height * 5 / 6) {
    const int cell = std::min(kCounterCells - 1, x * kCounterCells / plan.width);
    return ((frame >> cell) & 1) != 0 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
  }
  if (plan.interlacedBar) {
    const int64_t field = 2 * frame + (y % 2);
    const int left = static_cast<int>((field * 16) % plan.width);
    if (x >= left && x < left + 16) {
      return Rgb{255, 255, 255};
    }
  }
  const bool right = x >= plan.width / 2;
  const bool bottom = y >= plan.height / 2;
  // Clockwise from the top left.
  const int quadrant = bottom ? (right ? 2 : 3) : (right ? 1 : 0);
  return plan.quadrants[quadrant];
}

// A repeatable number from -amount to amount for a pixel of a frame.
int Grain(int x, int y, int64_t frame, int amount) {
  uint64_t h =
      (static_cast<uint64_t>(frame) << 40) ^ (static_cast<uint64_t>(y) << 20) ^ static_cast<uint64_t>(x);
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return static_cast<int>(h % static_cast<uint64_t>(2 * amount + 1)) - amount;
}

void Draw(AVFrame* frame, const ClipPlan& plan, int64_t index) {
  for (int y = 0; y < plan.height; ++y) {
    uint8_t* row = frame->data[0] + y * frame->linesize[0];
    for (int x = 0; x < plan.width; ++x) {
      row[x] = ToYuv(PixelAt(plan, x, y, index)).y;
      if (plan.grain > 0) {
        row[x] = static_cast<uint8_t>(std::clamp(row[x] + Grain(x, y, index, plan.grain), 0, 255));
      }
    }
  }
  const int shift = plan.fullChroma ? 0 : 1;
  for (int y = 0; y < (plan.height + shift) >> shift; ++y) {
    uint8_t* u = frame->data[1] + y * frame->linesize[1];
    uint8_t* v = frame->data[2] + y * frame->linesize[2];
    for (int x = 0; x < (plan.width + shift) >> shift; ++x) {
      const Yuv c = ToYuv(PixelAt(plan, x << shift, y << shift, index));
      u[x] = c.u;
      v[x] = c.v;
    }
  }
}

// Sends `frame` (null flushes) and writes every packet the encoder gives back.
bool EncodeAndWrite(AVFormatContext* format, AVCodecContext* codec, AVStream* stream, AVFrame* frame,
                    std::string* error) {
  int status = avcodec_send_frame(codec, frame);
  if (status < 0) {
    return Fail(error, "send frame", status);
  }
  PacketPtr packet(av_packet_alloc());
  while ((status = avcodec_receive_packet(codec, packet.get())) >= 0) {
    av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    status = av_interleaved_write_frame(format, packet.get());
    if (status < 0) {
      return Fail(error, "write packet", status);
    }
  }
  return status == AVERROR(EAGAIN) || status == AVERROR_EOF ? true : Fail(error, "receive packet", status);
}

bool WriteSubtitlePacket(AVFormatContext* format, AVStream* stream, const uint8_t* data, int size,
                         int64_t durationMs, std::string* error) {
  PacketPtr packet(av_packet_alloc());
  if (av_new_packet(packet.get(), size) < 0) {
    return Fail(error, "subtitle packet");
  }
  std::memcpy(packet->data, data, size);
  packet->pts = packet->dts = av_rescale_q(0, AVRational{1, 1000}, stream->time_base);
  packet->duration = av_rescale_q(durationMs, AVRational{1, 1000}, stream->time_base);
  packet->stream_index = stream->index;
  const int status = av_interleaved_write_frame(format, packet.get());
  return status >= 0 ? true : Fail(error, "write subtitle", status);
}

// The DVD subtitle: a white block in a transparent frame-sized picture, encoded by FFmpeg's own
// encoder so that the stream carries the palette and size a decoder expects.
bool WriteBitmapSubtitle(AVFormatContext* format, AVStream* stream, AVCodecContext* codec,
                         const ClipPlan& plan, std::string* error) {
  AVSubtitle subtitle{};
  subtitle.start_display_time = 0;
  subtitle.end_display_time = static_cast<uint32_t>(plan.seconds * 1000);
  subtitle.pts = 0;
  subtitle.num_rects = 1;
  subtitle.rects = static_cast<AVSubtitleRect**>(av_mallocz(sizeof(AVSubtitleRect*)));
  AVSubtitleRect* rect = static_cast<AVSubtitleRect*>(av_mallocz(sizeof(AVSubtitleRect)));
  subtitle.rects[0] = rect;
  rect->type = SUBTITLE_BITMAP;
  rect->x = plan.width / 4 & ~1;
  rect->y = plan.height * 60 / 100 & ~1;
  rect->w = plan.width / 2 & ~1;
  rect->h = (plan.height * 85 / 100 & ~1) - rect->y;
  rect->nb_colors = 4;
  rect->linesize[0] = rect->w;
  rect->data[0] = static_cast<uint8_t*>(av_malloc(rect->w * rect->h));
  std::memset(rect->data[0], 1, rect->w * rect->h);
  auto* palette = static_cast<uint32_t*>(av_mallocz(4 * sizeof(uint32_t)));
  palette[0] = 0x00000000;  // transparent
  palette[1] = 0xFFFFFFFF;  // opaque white
  palette[2] = 0xFF000000;
  palette[3] = 0xFF808080;
  rect->data[1] = reinterpret_cast<uint8_t*>(palette);
  rect->linesize[1] = 4 * 4;

  std::vector<uint8_t> buffer(1 << 20);
  const int size = avcodec_encode_subtitle(codec, buffer.data(), static_cast<int>(buffer.size()), &subtitle);
  avsubtitle_free(&subtitle);
  if (size <= 0) {
    return Fail(error, "encode bitmap subtitle", size);
  }
  return WriteSubtitlePacket(format, stream, buffer.data(), size, static_cast<int64_t>(plan.seconds * 1000),
                             error);
}

}  // namespace

bool MakeClip(const std::string& path, const ClipPlan& plan, std::string* error) {
  AVFormatContext* raw = nullptr;
  int status = avformat_alloc_output_context2(&raw, nullptr, plan.format.c_str(), path.c_str());
  if (status < 0 || raw == nullptr) {
    return Fail(error, "output context", status);
  }
  FormatPtr format(raw);
  format->output_ts_offset = std::llround(plan.startSeconds * AV_TIME_BASE);
  const bool globalHeader = (format->oformat->flags & AVFMT_GLOBALHEADER) != 0;

  CodecPtr video;
  AVStream* videoStream = nullptr;
  if (plan.video) {
    const AVCodec* encoder = avcodec_find_encoder_by_name("libx264");
    if (encoder == nullptr) {
      return Fail(error, "no libx264");
    }
    video.reset(avcodec_alloc_context3(encoder));
    video->width = plan.width;
    video->height = plan.height;
    video->pix_fmt = plan.fullChroma ? AV_PIX_FMT_YUV444P : AV_PIX_FMT_YUV420P;
    video->time_base = AVRational{1, plan.fps};
    video->framerate = AVRational{plan.fps, 1};
    video->gop_size = plan.keyframeEvery > 0 ? plan.keyframeEvery : plan.fps;
    video->max_b_frames = 0;
    video->thread_count = 0;
    if (globalHeader) {
      video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    // Near-lossless, so that colours measured after a conversion come from the conversion.
    av_opt_set(video->priv_data, "preset", "ultrafast", 0);
    av_opt_set(video->priv_data, "qp", "6", 0);
    if ((status = avcodec_open2(video.get(), encoder, nullptr)) < 0) {
      return Fail(error, "open video encoder", status);
    }
    videoStream = avformat_new_stream(format.get(), nullptr);
    avcodec_parameters_from_context(videoStream->codecpar, video.get());
    videoStream->time_base = video->time_base;
    videoStream->avg_frame_rate = video->framerate;
  }

  // One AAC track per amplitude: the first is plan.amplitude, a second one plan.secondTrackAmplitude.
  std::vector<double> amplitudes;
  if (plan.channels > 0) {
    amplitudes.push_back(plan.amplitude);
    if (plan.secondTrackAmplitude > 0) {
      amplitudes.push_back(plan.secondTrackAmplitude);
    }
  }
  std::vector<CodecPtr> audios;
  std::vector<AVStream*> audioStreams;
  for (size_t track = 0; track < amplitudes.size(); ++track) {
    const AVCodec* encoder = avcodec_find_encoder_by_name("aac");
    CodecPtr audio(avcodec_alloc_context3(encoder));
    audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
    audio->sample_rate = plan.sampleRate;
    av_channel_layout_default(&audio->ch_layout, plan.channels);
    audio->bit_rate = 64000 * plan.channels;
    audio->time_base = AVRational{1, plan.sampleRate};
    if (globalHeader) {
      audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if ((status = avcodec_open2(audio.get(), encoder, nullptr)) < 0) {
      return Fail(error, "open audio encoder", status);
    }
    AVStream* audioStream = avformat_new_stream(format.get(), nullptr);
    avcodec_parameters_from_context(audioStream->codecpar, audio.get());
    audioStream->time_base = audio->time_base;
    audios.push_back(std::move(audio));
    audioStreams.push_back(audioStream);
  }
  AVCodecContext* const audio = audios.empty() ? nullptr : audios[0].get();

  AVStream* textStream = nullptr;
  if (!plan.subtitleText.empty()) {
    textStream = avformat_new_stream(format.get(), nullptr);
    textStream->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
    textStream->codecpar->codec_id = AV_CODEC_ID_SUBRIP;
    textStream->time_base = AVRational{1, 1000};
  }

  CodecPtr bitmap;
  AVStream* bitmapStream = nullptr;
  if (plan.bitmapSubtitle) {
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_DVD_SUBTITLE);
    if (encoder == nullptr) {
      return Fail(error, "no DVD subtitle encoder");
    }
    bitmap.reset(avcodec_alloc_context3(encoder));
    bitmap->width = plan.width;
    bitmap->height = plan.height;
    bitmap->time_base = AVRational{1, 1000};
    if ((status = avcodec_open2(bitmap.get(), encoder, nullptr)) < 0) {
      return Fail(error, "open DVD subtitle encoder", status);
    }
    bitmapStream = avformat_new_stream(format.get(), nullptr);
    avcodec_parameters_from_context(bitmapStream->codecpar, bitmap.get());
    bitmapStream->time_base = AVRational{1, 1000};
  }

  if ((status = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0) {
    return Fail(error, "create " + path, status);
  }
  if ((status = avformat_write_header(format.get(), nullptr)) < 0) {
    return Fail(error, "write header", status);
  }

  const int64_t durationMs = static_cast<int64_t>(plan.seconds * 1000);
  if (textStream != nullptr &&
      !WriteSubtitlePacket(format.get(), textStream,
                           reinterpret_cast<const uint8_t*>(plan.subtitleText.data()),
                           static_cast<int>(plan.subtitleText.size()), durationMs, error)) {
    return false;
  }
  if (bitmapStream != nullptr &&
      !WriteBitmapSubtitle(format.get(), bitmapStream, bitmap.get(), plan, error)) {
    return false;
  }

  const int64_t frameCount = video ? std::lround(plan.seconds * plan.fps) : 0;
  const int64_t sampleCount = audio != nullptr ? std::lround(plan.seconds * plan.sampleRate) : 0;
  const int audioFrameSize = audio != nullptr && audio->frame_size > 0 ? audio->frame_size : 1024;
  int64_t nextFrame = 0;
  int64_t nextSample = 0;
  FramePtr picture(av_frame_alloc());
  if (video) {
    picture->format = video->pix_fmt;
    picture->width = plan.width;
    picture->height = plan.height;
    if (av_frame_get_buffer(picture.get(), 0) < 0) {
      return Fail(error, "picture buffer");
    }
  }
  // Frames in time order, so that the muxer interleaves without holding the whole clip.
  while (nextFrame < frameCount || nextSample < sampleCount) {
    const double videoTime = nextFrame < frameCount ? static_cast<double>(nextFrame) / plan.fps : 1e300;
    const double audioTime =
        nextSample < sampleCount ? static_cast<double>(nextSample) / plan.sampleRate : 1e300;
    if (videoTime <= audioTime) {
      if (av_frame_make_writable(picture.get()) < 0) {
        return Fail(error, "picture writable");
      }
      Draw(picture.get(), plan, nextFrame);
      picture->pts = nextFrame++;
      if (!EncodeAndWrite(format.get(), video.get(), videoStream, picture.get(), error)) {
        return false;
      }
    } else {
      const int count = static_cast<int>(std::min<int64_t>(audioFrameSize, sampleCount - nextSample));
      for (size_t track = 0; track < audios.size(); ++track) {
        FramePtr sound(av_frame_alloc());
        sound->format = audio->sample_fmt;
        sound->sample_rate = audio->sample_rate;
        av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout);
        sound->nb_samples = count;
        if (av_frame_get_buffer(sound.get(), 0) < 0) {
          return Fail(error, "sound buffer");
        }
        for (int i = 0; i < count; ++i) {
          const double t = static_cast<double>(nextSample + i) / plan.sampleRate;
          const bool audible = plan.beepAt < 0 || (t >= plan.beepAt && t < plan.beepAt + plan.beepLength);
          float value =
              audible ? static_cast<float>(amplitudes[track] * std::sin(2.0 * M_PI * plan.toneHz * t)) : 0.0f;
          if (plan.hiss > 0.0) {
            value += static_cast<float>(plan.hiss * Grain(static_cast<int>(track), 0, nextSample + i, 1000) /
                                        1000.0);
          }
          for (int c = 0; c < plan.channels; ++c) {
            reinterpret_cast<float*>(sound->data[c])[i] = value;
          }
        }
        sound->pts = nextSample;
        if (!EncodeAndWrite(format.get(), audios[track].get(), audioStreams[track], sound.get(), error)) {
          return false;
        }
      }
      nextSample += count;
    }
  }
  if (video && !EncodeAndWrite(format.get(), video.get(), videoStream, nullptr, error)) {
    return false;
  }
  for (size_t track = 0; track < audios.size(); ++track) {
    if (!EncodeAndWrite(format.get(), audios[track].get(), audioStreams[track], nullptr, error)) {
      return false;
    }
  }
  if ((status = av_write_trailer(format.get())) < 0) {
    return Fail(error, "write trailer", status);
  }
  return true;
}

bool MakePicture(const std::string& path, int width, int height, Rgb colour, uint8_t alpha) {
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_PNG);
  if (encoder == nullptr) {
    return false;
  }
  CodecPtr codec(avcodec_alloc_context3(encoder));
  codec->width = width;
  codec->height = height;
  codec->pix_fmt = AV_PIX_FMT_RGBA;
  codec->time_base = AVRational{1, 1};
  if (avcodec_open2(codec.get(), encoder, nullptr) < 0) {
    return false;
  }
  FramePtr frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_RGBA;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) {
    return false;
  }
  for (int y = 0; y < height; ++y) {
    uint8_t* row = frame->data[0] + y * frame->linesize[0];
    for (int x = 0; x < width; ++x) {
      row[4 * x] = colour.r;
      row[4 * x + 1] = colour.g;
      row[4 * x + 2] = colour.b;
      row[4 * x + 3] = alpha;
    }
  }
  frame->pts = 0;
  PacketPtr packet(av_packet_alloc());
  if (avcodec_send_frame(codec.get(), frame.get()) < 0 || avcodec_send_frame(codec.get(), nullptr) < 0 ||
      avcodec_receive_packet(codec.get(), packet.get()) < 0) {
    return false;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(packet->data), packet->size);
  return static_cast<bool>(file);
}

bool MakeCorrupt(const std::string& path) {
  // The EBML magic and a header size, then noise that no element parses from.
  std::vector<uint8_t> bytes = {0x1A, 0x45, 0xDF, 0xA3, 0xA3, 0x42, 0x86, 0x81, 0x01, 0x42, 0xF7, 0x81, 0x01};
  uint32_t state = 12345;
  for (int i = 0; i < 64 * 1024; ++i) {
    state = state * 1664525u + 1013904223u;
    bytes.push_back(static_cast<uint8_t>(state >> 24));
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace media_maker
