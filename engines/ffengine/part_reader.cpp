#include "engines/ffengine/part_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "components/field_text.h"
#include "engines/ffengine/av_error.h"
#include "engines/ffengine/edit_filters.h"
#include "engines/ffengine/filter_graph.h"
#include "engines/ffengine/image_size.h"
#include "engines/ffengine/subtitle_track.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace ffengine {

namespace {

// Decoded frames this far past the clip's end mean the stream has delivered all it needs.
constexpr double kPastEnd = 0.5;

std::string Format(const char* pattern, auto... values) {
  char buffer[512];
  std::snprintf(buffer, sizeof(buffer), pattern, values...);
  return buffer;
}

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

struct SwsFree {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};

struct SwrFree {
  void operator()(SwrContext* context) const { swr_free(&context); }
};

// One decoded stream of the part, from its decoder to its graph's sink.
struct Lane {
  bool video = false;
  int index = -1;  // AVStream index, -1 = the part has no such stream
  AVStream* stream = nullptr;
  CodecContextPtr decoder;
  FilterGraph graph;
  int64_t origin = 0;            // the file's start in the stream's time base
  bool closed = false;           // nothing more goes into the graph
  bool ended = false;            // the sink delivered its last frame
  int64_t decoded = 0;           // frames decoded
  int64_t end = AV_NOPTS_VALUE;  // where the last fed frame ends, in the stream's time base
  // Video: the frame size and format the graph was built for. The filters of a built graph keep the
  // geometry they were configured with, so a stream that changes its size on the way (a recording
  // across a broadcast's breaks) has its later frames brought back to it first.
  int width = 0;
  int height = 0;
  int format = AV_PIX_FMT_NONE;
  std::unique_ptr<SwsContext, SwsFree> fit;
  // Sound: the same for a stream that changes its rate or channels (stereo to 5.1 and back).
  std::unique_ptr<SwrContext, SwrFree> resample;
};

// `frame` at the lane's size and format, ready for its graph; null when it cannot be converted.
FramePtr FitToLane(Lane& lane, const AVFrame* frame) {
  lane.fit.reset(sws_getCachedContext(
      lane.fit.release(), frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), lane.width,
      lane.height, static_cast<AVPixelFormat>(lane.format), SWS_BICUBIC, nullptr, nullptr, nullptr));
  FramePtr fitted(av_frame_alloc());
  if (!lane.fit || !fitted) {
    return nullptr;
  }
  fitted->width = lane.width;
  fitted->height = lane.height;
  fitted->format = lane.format;
  if (av_frame_get_buffer(fitted.get(), 0) < 0 || av_frame_copy_props(fitted.get(), frame) < 0) {
    return nullptr;
  }
  sws_scale(lane.fit.get(), frame->data, frame->linesize, 0, frame->height, fitted->data, fitted->linesize);
  return fitted;
}

// True when `frame` has the sound format the lane's graph was built for.
bool FitsLane(const AVFilterLink* link, const AVFrame* frame) {
  const bool sameLayout = frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC
                              ? frame->ch_layout.nb_channels == link->ch_layout.nb_channels
                              : av_channel_layout_compare(&frame->ch_layout, &link->ch_layout) == 0;
  return sameLayout && frame->sample_rate == link->sample_rate && frame->format == link->format;
}

// `frame` in the sound format of `link`; null when it cannot be converted.
FramePtr FitSoundToLane(Lane& lane, const AVFrame* frame, const AVFilterLink* link) {
  FramePtr source(av_frame_clone(frame));
  FramePtr fitted(av_frame_alloc());
  if (!source || !fitted || av_channel_layout_copy(&fitted->ch_layout, &link->ch_layout) < 0) {
    return nullptr;
  }
  if (source->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    const int channels = source->ch_layout.nb_channels;
    av_channel_layout_uninit(&source->ch_layout);
    av_channel_layout_default(&source->ch_layout, channels);
  }
  fitted->sample_rate = link->sample_rate;
  fitted->format = link->format;
  if (!lane.resample) {
    lane.resample.reset(swr_alloc());
    if (!lane.resample) {
      return nullptr;
    }
  }
  int converted = swr_convert_frame(lane.resample.get(), fitted.get(), source.get());
  if (converted == AVERROR_INPUT_CHANGED || converted == AVERROR_OUTPUT_CHANGED) {
    swr_close(lane.resample.get());
    converted = swr_convert_frame(lane.resample.get(), fitted.get(), source.get());
  }
  if (converted < 0) {
    return nullptr;
  }
  fitted->pts = frame->pts;
  return fitted;
}

}  // namespace

double PartLength(const CIInput& input, const AVFormatContext* context) {
  if (input.clipLength > 0) {
    return input.clipLength;
  }
  const double duration = context->duration > 0 ? static_cast<double>(context->duration) / AV_TIME_BASE : 0;
  return std::max(duration - std::max(input.clipStart, 0.0), 0.04);
}

JobOutcome PartReader::Run(const JobInput& spec, PlannedInput& input, double partStart, double partLength) {
  AVFormatContext* context = input.media->Context();
  context->interrupt_callback = AVIOInterruptCB{&PollStop, &host_};
  const CIInput& record = spec.input;
  const double clipStart = std::max(record.clipStart, 0.0);
  const int64_t fileStart = context->start_time != AV_NOPTS_VALUE ? context->start_time : 0;

  Lane video;
  video.video = true;
  Lane audio;
  const auto prepare = [&](Lane& lane, int index) {
    if (index < 0) {
      return;
    }
    lane.stream = context->streams[index];
    lane.decoder = OpenDecoder(context, lane.stream);
    if (!lane.decoder) {
      host_.Log(Format("stream %d cannot be decoded: treated as missing", index));
      return;
    }
    lane.index = index;
    lane.origin = av_rescale_q(fileStart, AV_TIME_BASE_Q, lane.stream->time_base);
  };
  if (plan_.videoEncoder != nullptr) {
    prepare(video, input.streams.video);
  }
  if (plan_.audioEncoder != nullptr) {
    prepare(audio, input.streams.audio);
  }
  // Streams nobody decodes are skipped by the demuxer instead of being read and thrown away.
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const int index = static_cast<int>(i);
    context->streams[i]->discard =
        index == video.index || index == audio.index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  if (video.index < 0 && audio.index < 0 && (input.streams.video >= 0 || input.streams.audio >= 0)) {
    host_.Log("no stream of the source can be decoded");
    return JobOutcome::kFailed;
  }

  PictureEdit picture;
  picture.outWidth = plan_.width;
  picture.outHeight = plan_.height;
  picture.outSar = plan_.sar;
  picture.frameRate = plan_.frameRate;
  picture.pixelFormat = av_get_pix_fmt_name(plan_.pixelFormat);
  picture.clipStart = clipStart;
  picture.clipLength = partLength;
  picture.cropX = record.cropX;
  picture.cropY = record.cropY;
  picture.cropWidth = record.cropWidth;
  picture.cropHeight = record.cropHeight;
  picture.zoomMode = record.zoomMode;
  picture.brightness = record.effects.brightness;
  picture.contrast = record.effects.contrast;
  picture.saturation = record.effects.saturation;
  picture.deinterlace = record.effects.deinterlace != 0;

  SoundEdit sound;
  sound.clipStart = clipStart;
  sound.clipLength = partLength;
  sound.volume = record.effects.volume;
  sound.sampleRate = plan_.sampleRate;
  sound.sampleFormat = av_get_sample_fmt_name(plan_.sampleFormat);
  sound.channelLayout = LayoutName(plan_.channels);
  sound.channels = plan_.channels;

  FramePtr mark;
  if (!spec.markFile.empty() && video.index >= 0) {
    mark = ReadPicture(spec.markFile.c_str());
    if (!mark) {
      host_.Log("the watermark picture \"" + spec.markFile + "\" cannot be read: converting without it");
    } else {
      picture.watermark = true;
      picture.markLeft = record.mark.markLeft;
      picture.markTop = record.mark.markTop;
      picture.markWidth = record.mark.markWidth > 0 ? record.mark.markWidth : mark->width;
      picture.markHeight = record.mark.markHeight > 0 ? record.mark.markHeight : mark->height;
      picture.markTransparency = record.mark.markTransparency;
    }
  }

  std::unique_ptr<SubtitleTrack> subtitles;
  if (video.index >= 0 && input.streams.subtitle >= 0) {
    subtitles = SubtitleTrack::Read(std::string(FieldText(record.path)), input.streams.subtitle, host_);
    if (host_.StopRequested()) {
      return JobOutcome::kStopped;
    }
  }
  size_t markSource = 0;
  size_t subtitleSource = 0;

  const int64_t videoOffset = std::llround(partStart / av_q2d(videoTimeBase_));
  bool consumerGone = false;

  // Builds a lane's graph: from the first decoded frame, or as a generator when none ever came.
  const auto build = [&](Lane& lane, const AVFrame* first) -> bool {
    std::vector<FilterGraph::Source> sources;
    std::string description;
    if (lane.video) {
      if (first != nullptr) {
        const AVRational sar = first->sample_aspect_ratio.num > 0
                                   ? first->sample_aspect_ratio
                                   : lane.stream->codecpar->sample_aspect_ratio;
        picture.rotation = StreamRotation(lane.stream);
        lane.width = first->width;
        lane.height = first->height;
        lane.format = first->format;
        picture.sourceWidth = first->width;
        picture.sourceHeight = first->height;
        picture.sourceSar = sar.num > 0 && sar.den > 0 ? sar : AVRational{1, 1};
        sources.push_back({"vin", "buffer",
                           Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d",
                                  first->width, first->height, first->format, lane.stream->time_base.num,
                                  lane.stream->time_base.den, picture.sourceSar.num, picture.sourceSar.den)});
        if (subtitles && subtitles->IsText()) {
          picture.subtitleScript = subtitles->ScriptPath();
        } else if (subtitles) {
          subtitles->DefaultCanvas(first->width, first->height);
          picture.subtitlePictures = true;
          picture.subtitleWidth = subtitles->CanvasWidth();
          picture.subtitleHeight = subtitles->CanvasHeight();
          subtitleSource = sources.size();
          sources.push_back({"sub", "buffer",
                             Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=1/1",
                                    picture.subtitleWidth, picture.subtitleHeight, AV_PIX_FMT_RGBA,
                                    lane.stream->time_base.num, lane.stream->time_base.den)});
        }
        if (picture.watermark) {
          markSource = sources.size();
          sources.push_back({"wm", "buffer",
                             Format("video_size=%dx%d:pix_fmt=%d:time_base=1/1:pixel_aspect=1/1", mark->width,
                                    mark->height, mark->format)});
        }
        description = PictureChain(picture);
      } else {
        description = BlackPictureChain(picture);
      }
    } else {
      if (first != nullptr) {
        AVChannelLayout layout{};
        if (first->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || first->ch_layout.nb_channels <= 0) {
          av_channel_layout_default(&layout, std::max(first->ch_layout.nb_channels, 1));
        } else {
          av_channel_layout_copy(&layout, &first->ch_layout);
        }
        char layoutName[128] = {};
        av_channel_layout_describe(&layout, layoutName, sizeof(layoutName));
        av_channel_layout_uninit(&layout);
        sources.push_back(
            {"ain", "abuffer",
             Format("time_base=%d/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                    lane.stream->time_base.num, lane.stream->time_base.den, first->sample_rate,
                    av_get_sample_fmt_name(static_cast<AVSampleFormat>(first->format)), layoutName)});
        sound.sourceChannels = first->ch_layout.nb_channels;
        description = SoundChain(sound);
      } else {
        description = SilenceChain(sound);
      }
    }
    std::string error;
    if (!lane.graph.Build(description, sources, lane.video, lane.video ? "vout" : "aout", error)) {
      host_.Log("cannot set up the edits: " + error);
      return false;
    }
    if (lane.video && first != nullptr && picture.watermark) {
      FramePtr copy(av_frame_clone(mark.get()));
      if (!copy) {
        return false;
      }
      copy->pts = -1;  // before the first picture, so every frame carries the mark
      AVFilterContext* source = lane.graph.SourceAt(markSource);
      if (av_buffersrc_add_frame(source, copy.get()) < 0 || av_buffersrc_add_frame(source, nullptr) < 0) {
        return false;
      }
    }
    if (first == nullptr) {
      lane.closed = true;
    }
    return true;
  };

  // Moves what the lane's graph has ready into the queue.
  const auto pull = [&](Lane& lane) -> bool {
    while (!lane.ended) {
      FramePtr frame(av_frame_alloc());
      if (!frame) {
        return false;
      }
      const int got = av_buffersink_get_frame(lane.graph.Sink(), frame.get());
      if (got == AVERROR(EAGAIN)) {
        return true;
      }
      if (got == AVERROR_EOF) {
        lane.ended = true;
        return true;
      }
      if (got < 0) {
        host_.Log("the edits failed: " + ErrorText(got));
        return false;
      }
      if (lane.video) {
        frame->pts =
            frame->pts == AV_NOPTS_VALUE
                ? AV_NOPTS_VALUE
                : av_rescale_q(frame->pts, av_buffersink_get_time_base(lane.graph.Sink()), videoTimeBase_) +
                      videoOffset;
        int width = 0;
        int height = 0;
        if (host_.PreviewWanted(width, height)) {
          std::vector<uint8_t> pixels = preview_.Make(frame.get(), width, height);
          if (!pixels.empty()) {
            host_.Preview(std::move(pixels));
          }
        }
      }
      if (!queue_.Push(QueuedFrame{lane.video ? FrameKind::kVideo : FrameKind::kAudio, std::move(frame)})) {
        consumerGone = true;
        return false;
      }
    }
    return true;
  };

  const auto close = [&](Lane& lane) -> bool {
    if (lane.closed) {
      return true;
    }
    lane.closed = true;
    if (!lane.graph.Built()) {
      return true;  // completed by a generator once reading ends
    }
    if (lane.video && picture.subtitlePictures &&
        av_buffersrc_add_frame_flags(lane.graph.SourceAt(subtitleSource), nullptr, 0) < 0) {
      return false;
    }
    // The end is where the last frame stops showing, so the rate conversion keeps that frame too.
    const int closed = lane.end != AV_NOPTS_VALUE
                           ? av_buffersrc_close(lane.graph.SourceAt(0), lane.end, 0)
                           : av_buffersrc_add_frame_flags(lane.graph.SourceAt(0), nullptr, 0);
    return closed >= 0 && pull(lane);
  };

  const double clipEnd = clipStart + partLength;
  const auto feed = [&](Lane& lane, AVFrame* frame) -> bool {
    int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) {
      pts = frame->pts;
    }
    if (pts == AV_NOPTS_VALUE && lane.end != AV_NOPTS_VALUE) {
      // A frame without a time follows the one before it; trimming and the subtitle overlay need one.
      pts = lane.end + lane.origin;
    }
    if (pts != AV_NOPTS_VALUE) {
      pts -= lane.origin;
      if (pts * av_q2d(lane.stream->time_base) > clipEnd + kPastEnd) {
        return close(lane);
      }
    }
    frame->pts = pts;
    ++lane.decoded;
    if (pts != AV_NOPTS_VALUE) {
      int64_t duration = frame->pkt_duration;
      if (duration <= 0 && lane.video) {
        const AVRational rate = lane.decoder->framerate;
        duration = rate.num > 0 && rate.den > 0 ? av_rescale_q(1, av_inv_q(rate), lane.stream->time_base) : 0;
      } else if (duration <= 0 && frame->sample_rate > 0) {
        duration = av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate}, lane.stream->time_base);
      }
      lane.end =
          std::max(lane.end == AV_NOPTS_VALUE ? INT64_MIN : lane.end, pts + std::max<int64_t>(duration, 0));
    }
    if (!lane.graph.Built() && !build(lane, frame)) {
      return false;
    }
    FramePtr fitted;
    if (lane.video && lane.width > 0 &&
        (frame->width != lane.width || frame->height != lane.height || frame->format != lane.format)) {
      fitted = FitToLane(lane, frame);
      if (!fitted) {
        return true;  // a damaged frame costs itself only
      }
    } else if (!lane.video && !FitsLane(lane.graph.SourceAt(0)->outputs[0], frame)) {
      fitted = FitSoundToLane(lane, frame, lane.graph.SourceAt(0)->outputs[0]);
      if (!fitted) {
        return true;
      }
    }
    if (lane.video && picture.subtitlePictures && frame->pts != AV_NOPTS_VALUE) {
      // One subtitle picture with every frame, so the overlay never waits for the next subtitle.
      FramePtr shown(av_frame_clone(subtitles->PictureAt(frame->pts * av_q2d(lane.stream->time_base))));
      if (shown) {
        shown->pts = frame->pts;
        if (av_buffersrc_add_frame_flags(lane.graph.SourceAt(subtitleSource), shown.get(), 0) < 0) {
          return false;
        }
      }
    }
    const int added = av_buffersrc_add_frame_flags(lane.graph.SourceAt(0), fitted ? fitted.get() : frame, 0);
    if (added == AVERROR_EOF) {
      lane.closed = true;
      return pull(lane);
    }
    if (added < 0) {
      host_.Log("the edits refused a frame: " + ErrorText(added));
      return false;
    }
    return pull(lane);
  };

  FramePtr decoded(av_frame_alloc());
  PacketPtr packet(av_packet_alloc());
  if (!decoded || !packet) {
    return JobOutcome::kFailed;
  }
  const auto decode = [&](Lane& lane, const AVPacket* data) -> bool {
    if (lane.closed) {
      return true;
    }
    // A damaged packet costs its own frame only, as with any player.
    avcodec_send_packet(lane.decoder.get(), data);
    while (!lane.closed) {
      const int got = avcodec_receive_frame(lane.decoder.get(), decoded.get());
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
        return true;
      }
      if (got < 0) {
        return true;
      }
      const bool fed = feed(lane, decoded.get());
      av_frame_unref(decoded.get());
      if (!fed) {
        return false;
      }
    }
    return true;
  };

  const auto outcome = [&]() {
    if (host_.StopRequested()) {
      return JobOutcome::kStopped;
    }
    return JobOutcome::kFailed;
  };

  if (clipStart > 0) {
    const int64_t target = fileStart + static_cast<int64_t>(clipStart * AV_TIME_BASE);
    if (av_seek_frame(context, -1, target, AVSEEK_FLAG_BACKWARD) < 0) {
      host_.Log("the source cannot seek: reading from its start");
    }
  }

  const auto open = [](const Lane& lane) { return lane.index >= 0 && !lane.closed; };
  int readError = 0;
  while (open(video) || open(audio)) {
    if (host_.StopRequested()) {
      return JobOutcome::kStopped;
    }
    host_.HoldWhilePaused();
    const int read = av_read_frame(context, packet.get());
    if (read == AVERROR(EAGAIN)) {
      continue;
    }
    if (read < 0) {
      readError = read == AVERROR_EOF ? 0 : read;
      break;
    }
    bool ok = true;
    if (packet->stream_index == video.index && open(video)) {
      ok = decode(video, packet.get());
    } else if (packet->stream_index == audio.index && open(audio)) {
      ok = decode(audio, packet.get());
    }
    av_packet_unref(packet.get());
    if (!ok) {
      return outcome();
    }
  }
  if (host_.StopRequested()) {
    return JobOutcome::kStopped;
  }
  if (readError != 0) {
    host_.Log("reading the source stopped early: " + ErrorText(readError));
  }
  for (Lane* lane : {&video, &audio}) {
    if (lane->index >= 0 && !lane->closed && !decode(*lane, nullptr)) {
      return outcome();
    }
  }
  // A damaged file may still open; when none of its chosen streams gave a single frame, black and
  // silence would only hide the damage.
  if ((video.index >= 0 || audio.index >= 0) && video.decoded + audio.decoded == 0) {
    host_.Log("nothing in the source could be decoded");
    return JobOutcome::kFailed;
  }
  for (Lane* lane : {&video, &audio}) {
    const bool wanted = lane->video ? plan_.videoEncoder != nullptr : plan_.audioEncoder != nullptr;
    if (!wanted) {
      continue;
    }
    if (!lane->graph.Built() && !build(*lane, nullptr)) {
      return outcome();
    }
    if (!close(*lane) || !pull(*lane)) {
      return consumerGone && !host_.StopRequested() ? JobOutcome::kFailed : outcome();
    }
  }
  return JobOutcome::kDone;
}

}  // namespace ffengine
