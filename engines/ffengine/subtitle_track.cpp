#include "engines/ffengine/subtitle_track.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "engines/ffengine/input_policy.h"

namespace ffengine {

namespace {

constexpr auto kReadBound = std::chrono::hours(24);

// A subtitle that names no end shows until the next one, or this long.
constexpr double kOpenEnded = 5.0;

}  // namespace

std::string ScriptTime(double seconds) {
  const long long centis = std::max(0LL, std::llround(seconds * 100.0));
  char text[32];
  std::snprintf(text, sizeof(text), "%lld:%02lld:%02lld.%02lld", centis / 360000, centis / 6000 % 60,
                centis / 100 % 60, centis % 100);
  return text;
}

std::string DialogueLine(const std::string& decoded, double start, double end) {
  const size_t order = decoded.find(',');
  if (order == std::string::npos) {
    return {};
  }
  const size_t layer = decoded.find(',', order + 1);
  if (layer == std::string::npos) {
    return {};
  }
  std::string line = "Dialogue: " + decoded.substr(order + 1, layer - order - 1) + "," + ScriptTime(start) +
                     "," + ScriptTime(end) + decoded.substr(layer);
  // Line breaks inside a script line would end it.
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::erase(line, '\r');
  return line + "\n";
}

SubtitleTrack::~SubtitleTrack() {
  for (Event& event : events_) {
    avsubtitle_free(&event.subtitle);
  }
  if (!scriptPath_.empty()) {
    ::unlink(scriptPath_.c_str());
  }
}

std::unique_ptr<SubtitleTrack> SubtitleTrack::Read(const std::string& path, int streamIndex, JobHost& host) {
  std::unique_ptr<OpenedMedia> media = OpenedMedia::Open(path.c_str(), kReadBound);
  if (!media || streamIndex < 0 || streamIndex >= static_cast<int>(media->Context()->nb_streams)) {
    host.Log("the subtitle cannot be read: converting without it");
    return nullptr;
  }
  AVFormatContext* context = media->Context();
  context->interrupt_callback = AVIOInterruptCB{&PollStop, &host};
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    context->streams[i]->discard = static_cast<int>(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  AVStream* stream = context->streams[streamIndex];
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  const AVCodecDescriptor* descriptor = avcodec_descriptor_get(stream->codecpar->codec_id);
  CodecContextPtr decoder(codec != nullptr ? avcodec_alloc_context3(codec) : nullptr);
  if (!decoder || descriptor == nullptr ||
      avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0) {
    host.Log("the subtitle's format is not supported: converting without it");
    return nullptr;
  }
  decoder->pkt_timebase = stream->time_base;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) {
    host.Log("the subtitle's format is not supported: converting without it");
    return nullptr;
  }
  const bool text = (descriptor->props & AV_CODEC_PROP_TEXT_SUB) != 0;
  std::unique_ptr<SubtitleTrack> track(new SubtitleTrack());
  track->width_ = stream->codecpar->width;
  track->height_ = stream->codecpar->height;
  const double fileStart =
      context->start_time != AV_NOPTS_VALUE ? static_cast<double>(context->start_time) / AV_TIME_BASE : 0.0;

  std::string script;
  if (text) {
    script = decoder->subtitle_header != nullptr
                 ? std::string(reinterpret_cast<const char*>(decoder->subtitle_header),
                               decoder->subtitle_header_size)
                 : std::string();
    if (script.find("[Events]") == std::string::npos) {
      host.Log("the subtitle has no style header: converting without it");
      return nullptr;
    }
  }

  PacketPtr packet(av_packet_alloc());
  if (!packet) {
    return nullptr;
  }
  while (av_read_frame(context, packet.get()) >= 0) {
    if (host.StopRequested()) {
      return nullptr;
    }
    if (packet->stream_index != streamIndex) {
      av_packet_unref(packet.get());
      continue;
    }
    AVSubtitle subtitle{};
    int got = 0;
    const int used = avcodec_decode_subtitle2(decoder.get(), &subtitle, &got, packet.get());
    if (used >= 0 && got != 0) {
      const double packetTime = packet->pts != AV_NOPTS_VALUE ? packet->pts * av_q2d(stream->time_base) : 0.0;
      const double base =
          (subtitle.pts != AV_NOPTS_VALUE ? static_cast<double>(subtitle.pts) / AV_TIME_BASE : packetTime) -
          fileStart;
      Event event;
      event.start = base + subtitle.start_display_time / 1000.0;
      const bool endKnown = subtitle.end_display_time != 0 && subtitle.end_display_time != UINT32_MAX;
      event.end = endKnown               ? base + subtitle.end_display_time / 1000.0
                  : packet->duration > 0 ? base + packet->duration * av_q2d(stream->time_base)
                                         : -1.0;
      if (text) {
        for (unsigned i = 0; i < subtitle.num_rects; ++i) {
          if (subtitle.rects[i]->ass != nullptr) {
            script += DialogueLine(subtitle.rects[i]->ass, event.start,
                                   event.end > event.start ? event.end : event.start + kOpenEnded);
          }
        }
        avsubtitle_free(&subtitle);
      } else {
        event.subtitle = subtitle;
        track->events_.push_back(event);
      }
    } else if (used >= 0) {
      avsubtitle_free(&subtitle);
    }
    av_packet_unref(packet.get());
  }

  if (text) {
    std::error_code ignored;
    const std::string folder = std::filesystem::temp_directory_path(ignored).string();
    std::string name = (folder.empty() ? std::string("/tmp") : folder) + "/kv-subtitle-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
      host.Log("no room for the subtitle script: converting without it");
      return nullptr;
    }
    track->scriptPath_ = name;
    const bool written = ::write(fd, script.data(), script.size()) == static_cast<ssize_t>(script.size());
    ::close(fd);
    if (!written) {
      host.Log("no room for the subtitle script: converting without it");
      return nullptr;
    }
    return track;
  }

  std::stable_sort(track->events_.begin(), track->events_.end(),
                   [](const Event& a, const Event& b) { return a.start < b.start; });
  for (size_t i = 0; i < track->events_.size(); ++i) {
    Event& event = track->events_[i];
    if (event.end <= event.start) {
      event.end = i + 1 < track->events_.size() ? track->events_[i + 1].start : event.start + kOpenEnded;
    }
  }
  return track;
}

FramePtr SubtitleTrack::Paint(const AVSubtitle* subtitle) const {
  FramePtr canvas(av_frame_alloc());
  if (!canvas) {
    return nullptr;
  }
  canvas->format = AV_PIX_FMT_RGBA;
  canvas->width = width_;
  canvas->height = height_;
  if (av_frame_get_buffer(canvas.get(), 0) < 0) {
    return nullptr;
  }
  for (int y = 0; y < height_; ++y) {
    std::fill_n(canvas->data[0] + static_cast<ptrdiff_t>(y) * canvas->linesize[0], width_ * 4, uint8_t{0});
  }
  for (unsigned i = 0; subtitle != nullptr && i < subtitle->num_rects; ++i) {
    const AVSubtitleRect* rect = subtitle->rects[i];
    if (rect->type != SUBTITLE_BITMAP || rect->data[0] == nullptr || rect->data[1] == nullptr) {
      continue;
    }
    const auto* palette = reinterpret_cast<const uint32_t*>(rect->data[1]);
    for (int y = 0; y < rect->h; ++y) {
      const int row = rect->y + y;
      if (row < 0 || row >= height_) {
        continue;
      }
      for (int x = 0; x < rect->w; ++x) {
        const int column = rect->x + x;
        if (column < 0 || column >= width_) {
          continue;
        }
        const uint8_t index = rect->data[0][static_cast<ptrdiff_t>(y) * rect->linesize[0] + x];
        const uint32_t colour = index < rect->nb_colors ? palette[index] : 0;
        uint8_t* pixel = canvas->data[0] + static_cast<ptrdiff_t>(row) * canvas->linesize[0] + column * 4;
        pixel[0] = static_cast<uint8_t>(colour >> 16);
        pixel[1] = static_cast<uint8_t>(colour >> 8);
        pixel[2] = static_cast<uint8_t>(colour);
        pixel[3] = static_cast<uint8_t>(colour >> 24);
      }
    }
  }
  return canvas;
}

const AVFrame* SubtitleTrack::PictureAt(double seconds) {
  int showing = -1;
  for (size_t i = 0; i < events_.size(); ++i) {
    if (events_[i].start <= seconds && seconds < events_[i].end) {
      showing = static_cast<int>(i);
    }
    if (events_[i].start > seconds) {
      break;
    }
  }
  if (showing != showing_ || !picture_) {
    FramePtr painted = Paint(showing >= 0 ? &events_[showing].subtitle : nullptr);
    if (!painted) {
      return picture_.get();
    }
    picture_ = std::move(painted);
    showing_ = showing;
  }
  return picture_.get();
}

}  // namespace ffengine
