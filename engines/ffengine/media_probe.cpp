#include "engines/ffengine/media_probe.h"

#include <climits>
#include <string>
#include <string_view>

#include "components/text_utf.h"
#include "engines/ffengine/ff_handles.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/rational.h>
}

namespace ffengine {

namespace {

constexpr double kLongestSeconds = 2147483647.0;

// Packets read while looking for the first frame of a stream; stops a stream that never decodes.
constexpr int kFirstFramePackets = 64;

template <size_t N>
void CopyText(char (&field)[N], std::string_view text) {
  CopyTextToField(field, N, text);
}

bool IsPicture(const AVStream* stream) {
  return (stream->disposition & (AV_DISPOSITION_ATTACHED_PIC | AV_DISPOSITION_TIMED_THUMBNAILS)) != 0;
}

// The file's language tag, made well-formed: it comes from the file, and the record holds UTF-8.
std::string Language(const AVStream* stream) {
  const AVDictionaryEntry* entry = av_dict_get(stream->metadata, "language", nullptr, 0);
  if (entry == nullptr || std::string_view(entry->value) == "und") {
    return {};
  }
  return Utf16ToUtf8(Utf8ToUtf16(entry->value));
}

double DurationSeconds(const AVFormatContext* context) {
  if (context->duration != AV_NOPTS_VALUE && context->duration > 0) {
    return static_cast<double>(context->duration) / AV_TIME_BASE;
  }
  double longest = 0.0;
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const AVStream* stream = context->streams[i];
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
      const double seconds = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
      longest = seconds > longest ? seconds : longest;
    }
  }
  return longest;
}

const AVStream* ChooseVideo(const AVFormatContext* context, int32_t& count) {
  const AVStream* first = nullptr;
  const AVStream* marked = nullptr;
  count = 0;
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const AVStream* stream = context->streams[i];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || IsPicture(stream)) {
      continue;
    }
    ++count;
    if (first == nullptr) {
      first = stream;
    }
    if (marked == nullptr && (stream->disposition & AV_DISPOSITION_DEFAULT) != 0) {
      marked = stream;
    }
  }
  return marked != nullptr ? marked : first;
}

// The codecs whose field order FFmpeg leaves unknown (MPEG-4 Part 2, Motion JPEG, VC-1) mark
// interlacing for the whole sequence, so the first decoded frame tells; decoding no further keeps the
// probe close to FFmpeg's own analysis. Reading goes on from where the analysis stopped: FFmpeg hands
// back the packets it analysed first.
bool FirstFrameInterlaced(const OpenedMedia& media, const AVStream* stream) {
  const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
  if (decoder == nullptr) {
    return false;
  }
  CodecContextPtr codec(avcodec_alloc_context3(decoder));
  PacketPtr packet(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  if (!codec || !packet || !frame || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0) {
    return false;
  }
  // Frame threads would hold frames back; one thread shows the first frame soonest.
  codec->thread_count = 1;
  codec->pkt_timebase = stream->time_base;
  if (avcodec_open2(codec.get(), decoder, nullptr) < 0) {
    return false;
  }
  for (int packets = 0; packets < kFirstFramePackets && !media.Limit().Passed(); ++packets) {
    const bool atEnd = av_read_frame(media.Context(), packet.get()) < 0;
    if (!atEnd && packet->stream_index != stream->index) {
      av_packet_unref(packet.get());
      continue;
    }
    // At the end a null packet drains what the decoder still holds.
    avcodec_send_packet(codec.get(), atEnd ? nullptr : packet.get());
    av_packet_unref(packet.get());
    if (avcodec_receive_frame(codec.get(), frame.get()) >= 0) {
      return frame->interlaced_frame != 0;
    }
    if (atEnd) {
      return false;
    }
  }
  return false;
}

bool IsInterlaced(const OpenedMedia& media, const AVStream* stream) {
  switch (stream->codecpar->field_order) {
    case AV_FIELD_PROGRESSIVE:
      return false;
    case AV_FIELD_UNKNOWN:
      return FirstFrameInterlaced(media, stream);
    default:
      return true;
  }
}

void FillVideo(const OpenedMedia& media, const AVStream* stream, MediaInfo& info) {
  const AVCodecParameters* par = stream->codecpar;
  info.videoStreamId = stream->index;
  info.width = par->width;
  info.height = par->height;

  AVFormatContext* context = media.Context();
  AVRational sar = av_guess_sample_aspect_ratio(context, const_cast<AVStream*>(stream), nullptr);
  if (sar.num <= 0 || sar.den <= 0) {
    sar = AVRational{1, 1};
  }
  int num = 1;
  int den = 1;
  if (par->width > 0 && par->height > 0) {
    av_reduce(&num, &den, static_cast<int64_t>(par->width) * sar.num,
              static_cast<int64_t>(par->height) * sar.den, INT_MAX);
  }
  info.aspectNum = num;
  info.aspectDen = den;

  const AVRational rate = av_guess_frame_rate(context, const_cast<AVStream*>(stream), nullptr);
  if (rate.num > 0 && rate.den > 0) {
    info.frameRateNum = rate.num;
    info.frameRateDen = rate.den;
  } else {
    // Unknown: a rate of 0 that nobody divides by zero to show.
    info.frameRateNum = 0;
    info.frameRateDen = 1;
  }
  CopyText(info.videoCodec, avcodec_get_name(par->codec_id));
  info.interlaced = IsInterlaced(media, stream) ? 1 : 0;
}

void FillAudio(const AVStream* stream, AudioStreamEntry& entry) {
  const AVCodecParameters* par = stream->codecpar;
  entry.id = stream->index;
  entry.sampleRate = par->sample_rate;
  char channels[128] = {};
  if (par->ch_layout.nb_channels > 0 &&
      av_channel_layout_describe(&par->ch_layout, channels, sizeof channels) < 0) {
    channels[0] = '\0';
  }
  CopyText(entry.channels, channels);
  CopyText(entry.codec, avcodec_get_name(par->codec_id));
  CopyText(entry.tag, Language(stream));
}

}  // namespace

bool ProbeMedia(const char* path, MediaInfo& info, std::chrono::steady_clock::duration bound) {
  // The counts index the tables: a record that was not zero-filled must not steer the writes.
  info = MediaInfo{};
  const std::unique_ptr<OpenedMedia> media = OpenedMedia::Open(path, bound);
  if (!media) {
    return false;
  }
  const AVFormatContext* context = media->Context();
  info.duration = DurationSeconds(context);
  // Callers count whole seconds in an int; a file claiming more than that holds is not taken.
  if (!(info.duration < kLongestSeconds)) {
    return false;
  }

  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const AVStream* stream = context->streams[i];
    const AVMediaType type = stream->codecpar->codec_type;
    if (type == AVMEDIA_TYPE_AUDIO && info.audioCount < kMaxAudioStreams) {
      FillAudio(stream, info.audioStreams[info.audioCount++]);
    } else if (type == AVMEDIA_TYPE_SUBTITLE && info.subtitleCount < kMaxSubtitleStreams) {
      SubtitleStreamEntry& entry = info.subtitleStreams[info.subtitleCount++];
      entry.id = stream->index;
      CopyText(entry.tag, Language(stream));
    }
  }

  int32_t videoCount = 0;
  const AVStream* video = ChooseVideo(context, videoCount);
  info.videoCount = videoCount;
  if (video != nullptr) {
    FillVideo(*media, video, info);
  }
  // The interlace check reads on; a file that ran out of time is refused like one that stalls at once.
  return (info.videoCount > 0 || info.audioCount > 0) && !media->Limit().Passed();
}

}  // namespace ffengine
