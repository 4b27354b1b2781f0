#include "engines/ffengine/part_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "components/field_text.h"
#include "engines/ffengine/av_error.h"
#include "engines/ffengine/edit_filters.h"
#include "engines/ffengine/filter_graph.h"
#include "engines/ffengine/graph_sources.h"
#include "engines/ffengine/image_size.h"
#include "engines/ffengine/stream_decoder.h"
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

// True when `frame` has the sound format the lane's graph was built for.
bool FitsLane(const AVFilterLink* link, const AVFrame* frame) {
  const bool sameLayout = frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC
                              ? frame->ch_layout.nb_channels == link->ch_layout.nb_channels
                              : av_channel_layout_compare(&frame->ch_layout, &link->ch_layout) == 0;
  return sameLayout && frame->sample_rate == link->sample_rate && frame->format == link->format;
}

PictureEdit PictureFor(const OutputPlan& plan, const CIInput& record, double clipStart, double clipLength) {
  PictureEdit picture;
  picture.outWidth = plan.width;
  picture.outHeight = plan.height;
  picture.outSar = plan.sar;
  picture.frameRate = plan.frameRate;
  picture.pixelFormat = av_get_pix_fmt_name(plan.pixelFormat);
  picture.clipStart = clipStart;
  picture.clipLength = clipLength;
  TakeCrop(picture, record.cropX, record.cropY, record.cropWidth, record.cropHeight, record.zoomMode);
  TakeEffects(picture, record.effects);
  return picture;
}

SoundEdit SoundFor(const OutputPlan& plan, const CIInput& record, double clipStart, double clipLength) {
  SoundEdit sound;
  sound.clipStart = clipStart;
  sound.clipLength = clipLength;
  sound.volume = record.effects.volume;
  sound.sampleRate = plan.sampleRate;
  sound.sampleFormat = av_get_sample_fmt_name(plan.sampleFormat);
  sound.channelLayout = LayoutName(plan.channels);
  sound.channels = plan.channels;
  return sound;
}

}  // namespace

double PartLength(const CIInput& input, const AVFormatContext* context) {
  if (input.clipLength > 0) {
    return input.clipLength;
  }
  const double duration = context->duration > 0 ? static_cast<double>(context->duration) / AV_TIME_BASE : 0;
  return std::max(duration - std::max(input.clipStart, 0.0), 0.04);
}

void PartReader::SwsFree::operator()(SwsContext* context) const {
  sws_freeContext(context);
}

void PartReader::SwrFree::operator()(SwrContext* context) const {
  swr_free(&context);
}

int64_t PartReader::Lane::TimeOf(const AVFrame* frame) const {
  int64_t pts = frame->best_effort_timestamp;
  if (pts == AV_NOPTS_VALUE) {
    pts = frame->pts;
  }
  if (pts == AV_NOPTS_VALUE && end != AV_NOPTS_VALUE) {
    // A frame without a time follows the one before it; trimming and the subtitle overlay need one.
    pts = end + origin;
  }
  return pts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : pts - origin;
}

void PartReader::Lane::ExtendEnd(const AVFrame* frame) {
  int64_t duration = frame->pkt_duration;
  if (duration <= 0 && video) {
    const AVRational rate = decoder->framerate;
    duration = rate.num > 0 && rate.den > 0 ? av_rescale_q(1, av_inv_q(rate), stream->time_base) : 0;
  } else if (duration <= 0 && frame->sample_rate > 0) {
    duration = av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate}, stream->time_base);
  }
  end = std::max(end == AV_NOPTS_VALUE ? INT64_MIN : end, frame->pts + std::max<int64_t>(duration, 0));
}

FramePtr PartReader::Lane::FitPicture(const AVFrame* frame) {
  fit.reset(sws_getCachedContext(fit.release(), frame->width, frame->height,
                                 static_cast<AVPixelFormat>(frame->format), width, height,
                                 static_cast<AVPixelFormat>(format), SWS_BICUBIC, nullptr, nullptr, nullptr));
  FramePtr fitted(av_frame_alloc());
  if (!fit || !fitted) {
    return nullptr;
  }
  fitted->width = width;
  fitted->height = height;
  fitted->format = format;
  if (av_frame_get_buffer(fitted.get(), 0) < 0 || av_frame_copy_props(fitted.get(), frame) < 0) {
    return nullptr;
  }
  sws_scale(fit.get(), frame->data, frame->linesize, 0, frame->height, fitted->data, fitted->linesize);
  return fitted;
}

FramePtr PartReader::Lane::FitSound(const AVFrame* frame, const AVFilterLink* link) {
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
  if (!resample) {
    resample.reset(swr_alloc());
    if (!resample) {
      return nullptr;
    }
  }
  int converted = swr_convert_frame(resample.get(), fitted.get(), source.get());
  if (converted == AVERROR_INPUT_CHANGED || converted == AVERROR_OUTPUT_CHANGED) {
    swr_close(resample.get());
    converted = swr_convert_frame(resample.get(), fitted.get(), source.get());
  }
  if (converted < 0) {
    return nullptr;
  }
  fitted->pts = frame->pts;
  return fitted;
}

JobOutcome PartReader::Run(const JobInput& spec, PlannedInput& input, double partStart, double partLength) {
  context_ = input.media->Context();
  context_->interrupt_callback = AVIOInterruptCB{&PollStop, &host_};
  const CIInput& record = spec.input;
  clipStart_ = std::max(record.clipStart, 0.0);
  clipEnd_ = clipStart_ + partLength;
  fileStart_ = context_->start_time != AV_NOPTS_VALUE ? context_->start_time : 0;

  if (!OpenLanes(input)) {
    return JobOutcome::kFailed;
  }
  picture_ = PictureFor(plan_, record, clipStart_, partLength);
  sound_ = SoundFor(plan_, record, clipStart_, partLength);
  ReadWatermark(spec);
  if (video_.index >= 0 && input.streams.subtitle >= 0) {
    subtitles_ = SubtitleTrack::Read(std::string(FieldText(record.path)), input.streams.subtitle, host_);
    if (host_.StopRequested()) {
      return JobOutcome::kStopped;
    }
  }
  videoOffset_ = std::llround(partStart / av_q2d(videoTimeBase_));

  const JobOutcome read = ReadSource();
  if (read != JobOutcome::kDone) {
    return read;
  }
  if (!FlushDecoders()) {
    return Failure();
  }
  // A damaged file may still open; when none of its chosen streams gave a single frame, black and
  // silence would only hide the damage.
  if ((video_.index >= 0 || audio_.index >= 0) && video_.decoded + audio_.decoded == 0) {
    host_.Log("nothing in the source could be decoded");
    return JobOutcome::kFailed;
  }
  return PadToLength();
}

// False when the part has streams to read and not one of them can be decoded.
bool PartReader::OpenLanes(const PlannedInput& input) {
  video_.video = true;
  if (plan_.videoEncoder != nullptr) {
    OpenLane(video_, input.streams.video);
  }
  if (plan_.audioEncoder != nullptr) {
    OpenLane(audio_, input.streams.audio);
  }
  // Streams nobody decodes are skipped by the demuxer instead of being read and thrown away.
  for (unsigned i = 0; i < context_->nb_streams; ++i) {
    const int index = static_cast<int>(i);
    context_->streams[i]->discard =
        index == video_.index || index == audio_.index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  if (video_.index < 0 && audio_.index < 0 && (input.streams.video >= 0 || input.streams.audio >= 0)) {
    host_.Log("no stream of the source can be decoded");
    return false;
  }
  return true;
}

void PartReader::OpenLane(Lane& lane, int index) {
  if (index < 0) {
    return;
  }
  lane.stream = context_->streams[index];
  lane.decoder = OpenDecoder(context_, lane.stream);
  if (!lane.decoder) {
    host_.Log(Format("stream %d cannot be decoded: treated as missing", index));
    return;
  }
  lane.index = index;
  lane.origin = av_rescale_q(fileStart_, AV_TIME_BASE_Q, lane.stream->time_base);
}

void PartReader::ReadWatermark(const JobInput& spec) {
  if (spec.markFile.empty() || video_.index < 0) {
    return;
  }
  mark_ = ReadPicture(spec.markFile.c_str());
  if (!mark_) {
    host_.Log("the watermark picture \"" + spec.markFile + "\" cannot be read: converting without it");
    return;
  }
  const CIInput& record = spec.input;
  picture_.watermark = true;
  picture_.markLeft = record.mark.markLeft;
  picture_.markTop = record.mark.markTop;
  picture_.markWidth = record.mark.markWidth > 0 ? record.mark.markWidth : mark_->width;
  picture_.markHeight = record.mark.markHeight > 0 ? record.mark.markHeight : mark_->height;
  picture_.markTransparency = record.mark.markTransparency;
}

// Reads and decodes until every lane has what it needs or the source ends; kDone then, even when the
// source ended in a reading error, since what was read still makes a part.
JobOutcome PartReader::ReadSource() {
  decodedFrame_.reset(av_frame_alloc());
  PacketPtr packet(av_packet_alloc());
  if (!decodedFrame_ || !packet) {
    return JobOutcome::kFailed;
  }
  SeekToClip();
  int readError = 0;
  while (video_.Reading() || audio_.Reading()) {
    if (host_.StopRequested()) {
      return JobOutcome::kStopped;
    }
    host_.HoldWhilePaused();
    const int read = av_read_frame(context_, packet.get());
    if (read == AVERROR(EAGAIN)) {
      continue;
    }
    if (read < 0) {
      readError = read == AVERROR_EOF ? 0 : read;
      break;
    }
    bool ok = true;
    if (packet->stream_index == video_.index && video_.Reading()) {
      ok = Decode(video_, packet.get());
    } else if (packet->stream_index == audio_.index && audio_.Reading()) {
      ok = Decode(audio_, packet.get());
    }
    av_packet_unref(packet.get());
    if (!ok) {
      return Failure();
    }
  }
  if (host_.StopRequested()) {
    return JobOutcome::kStopped;
  }
  if (readError != 0) {
    host_.Log("reading the source stopped early: " + ErrorText(readError));
  }
  return JobOutcome::kDone;
}

void PartReader::SeekToClip() {
  if (clipStart_ <= 0) {
    return;
  }
  const int64_t target = fileStart_ + static_cast<int64_t>(clipStart_ * AV_TIME_BASE);
  if (av_seek_frame(context_, -1, target, AVSEEK_FLAG_BACKWARD) < 0) {
    host_.Log("the source cannot seek: reading from its start");
  }
}

// The frames the decoders still hold once the packets have run out.
bool PartReader::FlushDecoders() {
  for (Lane* lane : {&video_, &audio_}) {
    if (lane->Reading() && !Decode(*lane, nullptr)) {
      return false;
    }
  }
  return true;
}

// Ends every lane the output has an encoder for; a lane that never saw a frame gets its black or silence
// here, and every graph pads or trims its stream to the part's length.
JobOutcome PartReader::PadToLength() {
  for (Lane* lane : {&video_, &audio_}) {
    const bool wanted = lane->video ? plan_.videoEncoder != nullptr : plan_.audioEncoder != nullptr;
    if (!wanted) {
      continue;
    }
    if (!lane->graph.Built() && !Build(*lane, nullptr)) {
      return Failure();
    }
    if (!Close(*lane) || !Pull(*lane)) {
      return consumerGone_ && !host_.StopRequested() ? JobOutcome::kFailed : Failure();
    }
  }
  return JobOutcome::kDone;
}

bool PartReader::Decode(Lane& lane, const AVPacket* packet) {
  if (lane.closed) {
    return true;
  }
  // A damaged packet costs its own frame only, as with any player.
  avcodec_send_packet(lane.decoder.get(), packet);
  while (!lane.closed) {
    const int got = avcodec_receive_frame(lane.decoder.get(), decodedFrame_.get());
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
      return true;
    }
    if (got < 0) {
      return true;
    }
    const bool fed = Feed(lane, decodedFrame_.get());
    av_frame_unref(decodedFrame_.get());
    if (!fed) {
      return false;
    }
  }
  return true;
}

bool PartReader::Feed(Lane& lane, AVFrame* frame) {
  const int64_t pts = lane.TimeOf(frame);
  if (pts != AV_NOPTS_VALUE && pts * av_q2d(lane.stream->time_base) > clipEnd_ + kPastEnd) {
    return Close(lane);
  }
  frame->pts = pts;
  ++lane.decoded;
  if (pts != AV_NOPTS_VALUE) {
    lane.ExtendEnd(frame);
  }
  if (!lane.graph.Built() && !Build(lane, frame)) {
    return false;
  }
  FramePtr fitted;
  if (lane.video && lane.width > 0 &&
      (frame->width != lane.width || frame->height != lane.height || frame->format != lane.format)) {
    fitted = lane.FitPicture(frame);
    if (!fitted) {
      return true;  // a damaged frame costs itself only
    }
  } else if (!lane.video && !FitsLane(lane.graph.SourceAt(0)->outputs[0], frame)) {
    fitted = lane.FitSound(frame, lane.graph.SourceAt(0)->outputs[0]);
    if (!fitted) {
      return true;
    }
  }
  if (lane.video && picture_.subtitlePictures && pts != AV_NOPTS_VALUE && !SendSubtitle(lane, pts)) {
    return false;
  }
  const int added = av_buffersrc_add_frame_flags(lane.graph.SourceAt(0), fitted ? fitted.get() : frame, 0);
  if (added == AVERROR_EOF) {
    lane.closed = true;
    return Pull(lane);
  }
  if (added < 0) {
    host_.Log("the edits refused a frame: " + ErrorText(added));
    return false;
  }
  return Pull(lane);
}

// Builds a lane's graph: from the first decoded frame, or as a generator when none ever came.
bool PartReader::Build(Lane& lane, const AVFrame* first) {
  std::vector<FilterGraph::Source> sources;
  std::string description;
  if (first == nullptr) {
    description = lane.video ? BlackPictureChain(picture_) : SilenceChain(sound_);
  } else if (lane.video) {
    description = DescribePicture(lane, first, sources);
  } else {
    description = DescribeSound(lane, first, sources);
  }
  std::string error;
  if (!lane.graph.Build(description, sources, lane.video, lane.video ? "vout" : "aout", error)) {
    host_.Log("cannot set up the edits: " + error);
    return false;
  }
  if (lane.video && first != nullptr && picture_.watermark && !SendWatermark(lane)) {
    return false;
  }
  if (first == nullptr) {
    lane.closed = true;
  }
  return true;
}

std::string PartReader::DescribePicture(Lane& lane, const AVFrame* first,
                                        std::vector<FilterGraph::Source>& sources) {
  picture_.rotation = StreamRotation(lane.stream);
  lane.width = first->width;
  lane.height = first->height;
  lane.format = first->format;
  const PictureSourceIndexes indexes =
      DescribePictureSources(picture_, first, lane.stream, subtitles_.get(), mark_.get(), sources);
  subtitleSource_ = indexes.subtitle;
  markSource_ = indexes.mark;
  return PictureChain(picture_);
}

std::string PartReader::DescribeSound(const Lane& lane, const AVFrame* first,
                                      std::vector<FilterGraph::Source>& sources) {
  sources.push_back(
      {"ain", "abuffer", SoundSourceArgs(lane.stream->time_base, first, sound_.sourceChannels)});
  return SoundChain(sound_);
}

bool PartReader::SendWatermark(Lane& lane) {
  return SendWatermarkPicture(lane.graph.SourceAt(markSource_), mark_.get());
}

bool PartReader::SendSubtitle(Lane& lane, int64_t pts) {
  return SendSubtitlePicture(lane.graph.SourceAt(subtitleSource_), *subtitles_,
                             pts * av_q2d(lane.stream->time_base), pts);
}

// Moves what the lane's graph has ready into the queue.
bool PartReader::Pull(Lane& lane) {
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
                    videoOffset_;
      ShowPreview(frame.get());
    }
    if (!queue_.Push(QueuedFrame{lane.video ? FrameKind::kVideo : FrameKind::kAudio, std::move(frame)})) {
      consumerGone_ = true;
      return false;
    }
  }
  return true;
}

void PartReader::ShowPreview(const AVFrame* frame) {
  int width = 0;
  int height = 0;
  if (host_.PreviewWanted(width, height)) {
    std::vector<uint8_t> pixels = preview_.Make(frame, width, height);
    if (!pixels.empty()) {
      host_.Preview(std::move(pixels));
    }
  }
}

bool PartReader::Close(Lane& lane) {
  if (lane.closed) {
    return true;
  }
  lane.closed = true;
  if (!lane.graph.Built()) {
    return true;  // completed by a generator once reading ends
  }
  if (lane.video && picture_.subtitlePictures &&
      av_buffersrc_add_frame_flags(lane.graph.SourceAt(subtitleSource_), nullptr, 0) < 0) {
    return false;
  }
  // The end is where the last frame stops showing, so the rate conversion keeps that frame too.
  const int closed = lane.end != AV_NOPTS_VALUE
                         ? av_buffersrc_close(lane.graph.SourceAt(0), lane.end, 0)
                         : av_buffersrc_add_frame_flags(lane.graph.SourceAt(0), nullptr, 0);
  return closed >= 0 && Pull(lane);
}

// A failure once a stop is asked for is the stop's doing: the interrupt callback makes FFmpeg give up.
JobOutcome PartReader::Failure() const {
  if (host_.StopRequested()) {
    return JobOutcome::kStopped;
  }
  return JobOutcome::kFailed;
}

}  // namespace ffengine
