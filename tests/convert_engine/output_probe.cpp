#include "tests/convert_engine/output_probe.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "engines/ffengine/ff_handles.h"
#include "tests/convert_engine/media_maker.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace output_probe {
namespace {

struct InputClose {
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct ScaleFree {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct ResampleFree {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;
using CodecPtr = ffengine::CodecContextPtr;
using ffengine::FramePtr;
using ffengine::PacketPtr;

InputPtr OpenFile(const std::string& path) {
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
    return nullptr;
  }
  InputPtr input(raw);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) {
    return nullptr;
  }
  return input;
}

struct Decoder {
  InputPtr input;
  CodecPtr codec;
  int stream = -1;
};

Decoder OpenDecoder(const std::string& path, AVMediaType type) {
  Decoder d;
  d.input = OpenFile(path);
  if (!d.input) {
    return d;
  }
  const AVCodec* decoder = nullptr;
  d.stream = av_find_best_stream(d.input.get(), type, -1, -1, &decoder, 0);
  if (d.stream < 0 || decoder == nullptr) {
    d.stream = -1;
    return d;
  }
  const AVStream* stream = d.input->streams[d.stream];
  d.codec.reset(avcodec_alloc_context3(decoder));
  avcodec_parameters_to_context(d.codec.get(), stream->codecpar);
  d.codec->pkt_timebase = stream->time_base;
  if (avcodec_open2(d.codec.get(), decoder, nullptr) < 0) {
    d.stream = -1;
  }
  return d;
}

// Feeds every packet of the chosen stream, then the flush, handing each decoded frame to `use`.
template <typename Use>
void DecodeAll(Decoder& d, Use use) {
  PacketPtr packet(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  auto drain = [&] {
    while (avcodec_receive_frame(d.codec.get(), frame.get()) >= 0) {
      use(frame.get());
      av_frame_unref(frame.get());
    }
  };
  while (av_read_frame(d.input.get(), packet.get()) >= 0) {
    if (packet->stream_index == d.stream) {
      avcodec_send_packet(d.codec.get(), packet.get());
      drain();
    }
    av_packet_unref(packet.get());
  }
  avcodec_send_packet(d.codec.get(), nullptr);
  drain();
}

}  // namespace

FileFacts Probe(const std::string& path) {
  FileFacts facts;
  InputPtr input = OpenFile(path);
  if (!input) {
    return facts;
  }
  facts.opened = true;
  facts.format = input->iformat->name;
  if (const AVDictionaryEntry* brand = av_dict_get(input->metadata, "major_brand", nullptr, 0)) {
    facts.majorBrand = brand->value;
  }
  facts.duration = input->duration > 0 ? static_cast<double>(input->duration) / AV_TIME_BASE : 0.0;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    AVStream* stream = input->streams[i];
    const AVCodecParameters* par = stream->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO && (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0) {
      if (facts.videoStreams++ == 0) {
        VideoFacts& v = facts.video;
        v.present = true;
        v.codec = avcodec_get_name(par->codec_id);
        v.width = par->width;
        v.height = par->height;
        const AVRational rate = av_guess_frame_rate(input.get(), stream, nullptr);
        v.frameRate = rate.den > 0 ? av_q2d(rate) : 0.0;
        if (const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(par->format))) {
          v.pixelFormat = name;
        }
        v.codecTag = par->codec_tag;
        if (const char* profile = avcodec_profile_name(par->codec_id, par->profile)) {
          v.profile = profile;
        }
        v.level = par->level;
        const AVRational sar = av_guess_sample_aspect_ratio(input.get(), stream, nullptr);
        v.sarNum = sar.num;
        v.sarDen = sar.den;
      }
    } else if (par->codec_type == AVMEDIA_TYPE_AUDIO) {
      if (facts.audioStreams++ == 0) {
        AudioFacts& a = facts.audio;
        a.present = true;
        a.codec = avcodec_get_name(par->codec_id);
        a.sampleRate = par->sample_rate;
        a.channels = par->ch_layout.nb_channels;
      }
    }
  }
  return facts;
}

std::vector<Picture> DecodePictures(const std::string& path, size_t limit) {
  std::vector<Picture> pictures;
  Decoder d = OpenDecoder(path, AVMEDIA_TYPE_VIDEO);
  if (d.stream < 0) {
    return pictures;
  }
  const AVRational timeBase = d.input->streams[d.stream]->time_base;
  std::unique_ptr<SwsContext, ScaleFree> scale;
  DecodeAll(d, [&](AVFrame* frame) {
    if (pictures.size() >= limit) {
      return;
    }
    scale.reset(sws_getCachedContext(scale.release(), frame->width, frame->height,
                                     static_cast<AVPixelFormat>(frame->format), frame->width, frame->height,
                                     AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr));
    if (!scale) {
      return;
    }
    Picture picture;
    const int64_t pts = frame->best_effort_timestamp;
    picture.time = pts == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(pts) * av_q2d(timeBase);
    picture.width = frame->width;
    picture.height = frame->height;
    // swscale's vector code may write a few bytes past the last packed row: give it room, then cut.
    const size_t bytes = static_cast<size_t>(frame->width) * frame->height * 3;
    picture.rgb.resize(bytes + 64);
    uint8_t* planes[4] = {picture.rgb.data()};
    int strides[4] = {frame->width * 3};
    sws_scale(scale.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
    picture.rgb.resize(bytes);
    pictures.push_back(std::move(picture));
  });
  return pictures;
}

Sound DecodeSound(const std::string& path) {
  Sound sound;
  Decoder d = OpenDecoder(path, AVMEDIA_TYPE_AUDIO);
  if (d.stream < 0) {
    return sound;
  }
  const AVRational timeBase = d.input->streams[d.stream]->time_base;
  std::unique_ptr<SwrContext, ResampleFree> resample;
  bool first = true;
  DecodeAll(d, [&](AVFrame* frame) {
    if (first) {
      first = false;
      sound.sampleRate = frame->sample_rate;
      sound.channels = frame->ch_layout.nb_channels;
      const int64_t pts = frame->best_effort_timestamp;
      sound.start = pts == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(pts) * av_q2d(timeBase);
      SwrContext* raw = nullptr;
      if (swr_alloc_set_opts2(&raw, &frame->ch_layout, AV_SAMPLE_FMT_FLT, frame->sample_rate,
                              &frame->ch_layout, static_cast<AVSampleFormat>(frame->format),
                              frame->sample_rate, 0, nullptr) < 0 ||
          swr_init(raw) < 0) {
        swr_free(&raw);
        return;
      }
      resample.reset(raw);
    }
    if (!resample) {
      return;
    }
    const size_t offset = sound.samples.size();
    sound.samples.resize(offset + static_cast<size_t>(frame->nb_samples) * sound.channels);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(sound.samples.data() + offset)};
    const int converted = swr_convert(resample.get(), out, frame->nb_samples,
                                      const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    sound.samples.resize(offset + static_cast<size_t>(std::max(0, converted)) * sound.channels);
  });
  return sound;
}

double Mean::Chroma() const {
  const double grey = (r + g + b) / 3.0;
  return std::sqrt(((r - grey) * (r - grey) + (g - grey) * (g - grey) + (b - grey) * (b - grey)) / 3.0);
}

Mean MeanColour(const Picture& picture, Rect rect) {
  Mean mean;
  const int x0 = std::clamp(rect.x, 0, picture.width);
  const int y0 = std::clamp(rect.y, 0, picture.height);
  const int x1 = std::clamp(rect.x + rect.width, 0, picture.width);
  const int y1 = std::clamp(rect.y + rect.height, 0, picture.height);
  double count = 0;
  for (int y = y0; y < y1; ++y) {
    const uint8_t* row = picture.rgb.data() + static_cast<size_t>(y) * picture.width * 3;
    for (int x = x0; x < x1; ++x) {
      mean.r += row[3 * x];
      mean.g += row[3 * x + 1];
      mean.b += row[3 * x + 2];
      ++count;
    }
  }
  if (count > 0) {
    mean.r /= count;
    mean.g /= count;
    mean.b /= count;
  }
  return mean;
}

double Distance(const Mean& a, const Mean& b) {
  return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b));
}

double ChangedShare(const Picture& a, const Picture& b, Rect rect, int threshold) {
  if (a.width != b.width || a.height != b.height) {
    return 1.0;
  }
  const int x0 = std::clamp(rect.x, 0, a.width);
  const int y0 = std::clamp(rect.y, 0, a.height);
  const int x1 = std::clamp(rect.x + rect.width, 0, a.width);
  const int y1 = std::clamp(rect.y + rect.height, 0, a.height);
  auto luma = [](const uint8_t* p) { return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]; };
  double changed = 0;
  double count = 0;
  for (int y = y0; y < y1; ++y) {
    const size_t row = static_cast<size_t>(y) * a.width * 3;
    for (int x = x0; x < x1; ++x) {
      changed += std::fabs(luma(&a.rgb[row + 3 * x]) - luma(&b.rgb[row + 3 * x])) > threshold ? 1 : 0;
      ++count;
    }
  }
  return count > 0 ? changed / count : 0.0;
}

double Combing(const Picture& picture) {
  auto luma = [&](int x, int y) {
    const uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
  };
  double sum = 0;
  double count = 0;
  for (int y = 0; y + 1 < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      sum += std::fabs(luma(x, y) - luma(x, y + 1));
      ++count;
    }
  }
  return count > 0 ? sum / count : 0.0;
}

const Picture* PictureAt(const std::vector<Picture>& pictures, double time) {
  const Picture* shown = nullptr;
  for (const Picture& picture : pictures) {
    if (picture.time <= time + 1e-6 && (shown == nullptr || picture.time >= shown->time)) {
      shown = &picture;
    }
  }
  return shown;
}

namespace {

// The sample range [from, to) in frames, bounded by the track.
std::pair<size_t, size_t> FrameRange(const Sound& sound, double from, double to) {
  const double frames = sound.channels > 0 ? static_cast<double>(sound.samples.size() / sound.channels) : 0.0;
  return {static_cast<size_t>(std::clamp(from * sound.sampleRate, 0.0, frames)),
          static_cast<size_t>(std::clamp(to * sound.sampleRate, 0.0, frames))};
}

}  // namespace

double Rms(const Sound& sound, double from, double to) {
  const auto [begin, end] = FrameRange(sound, from, to);
  if (end <= begin) {
    return 0.0;
  }
  double sum = 0.0;
  for (size_t i = begin * sound.channels; i < end * sound.channels; ++i) {
    sum += static_cast<double>(sound.samples[i]) * sound.samples[i];
  }
  return std::sqrt(sum / static_cast<double>((end - begin) * sound.channels));
}

double Peak(const Sound& sound, double from, double to) {
  const auto [begin, end] = FrameRange(sound, from, to);
  double peak = 0.0;
  for (size_t i = begin * sound.channels; i < end * sound.channels; ++i) {
    peak = std::max(peak, std::fabs(static_cast<double>(sound.samples[i])));
  }
  return peak;
}

double Onset(const Sound& sound, double threshold) {
  if (sound.sampleRate <= 0) {
    return -1.0;
  }
  const double step = 0.005;
  for (double t = 0.0; t < sound.Seconds(); t += step) {
    if (Rms(sound, t, t + 0.01) >= threshold) {
      return t;
    }
  }
  return -1.0;
}

int CounterValue(const Picture& picture) {
  int value = 0;
  const int top = picture.height * 5 / 6;
  const int rows = picture.height - top;
  for (int cell = 0; cell < media_maker::kCounterCells; ++cell) {
    const int left = cell * picture.width / media_maker::kCounterCells;
    const int width = picture.width / media_maker::kCounterCells;
    // The middle of the cell, away from edges that coding blurs.
    const Mean mean = MeanColour(picture, Rect{left + width / 4, top + rows / 4, width / 2, rows / 2});
    const double luma = mean.Luma();
    if (luma > 170) {
      value |= 1 << cell;
    } else if (luma > 85) {
      return -1;
    }
  }
  return value;
}

}  // namespace output_probe
