#include "engines/ffengine/output_writer.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "engines/ffengine/av_error.h"
#include "engines/ffengine/output_file.h"
#include "engines/ffengine/output_plan.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace ffengine {

OutputWriter::~OutputWriter() {
  av_audio_fifo_free(fifo_);
  if (context_ != nullptr) {
    if (context_->pb != nullptr) {
      avio_closep(&context_->pb);
    }
    avformat_free_context(context_);
  }
}

AVRational OutputWriter::VideoTimeBase() const {
  return video_ ? video_->time_base : AVRational{1, 25};
}

bool OutputWriter::OpenVideo(const OutputPlan& plan) {
  const AVCodec* codec = plan.videoEncoder;
  video_.reset(avcodec_alloc_context3(codec));
  if (!video_) {
    return false;
  }
  AVCodecContext* encoder = video_.get();
  encoder->width = plan.width;
  encoder->height = plan.height;
  encoder->pix_fmt = plan.pixelFormat;
  encoder->sample_aspect_ratio = plan.sar;
  encoder->framerate = plan.frameRate;
  encoder->time_base = av_inv_q(plan.frameRate);
  if (plan.videoBitRate > 0) {
    encoder->bit_rate = plan.videoBitRate;
  }
  if (plan.extra.gop > 0) {
    encoder->gop_size = plan.extra.gop;
  }
  if (plan.extra.maxRate > 0) {
    encoder->rc_max_rate = plan.extra.maxRate;
  }
  if (plan.extra.bufferSize > 0) {
    encoder->rc_buffer_size = static_cast<int>(std::min<int64_t>(plan.extra.bufferSize, INT32_MAX));
  }
  encoder->thread_count = 0;
  if ((context_->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  if (std::string_view(codec->name) == "libx265" && encoder->priv_data != nullptr) {
    // x265 prints its own banner and statistics on standard error, past FFmpeg's log settings.
    av_opt_set(encoder->priv_data, "x265-params", "log-level=error", 0);
  }
  for (const auto& [key, value] : plan.extra.encoderOptions) {
    if (encoder->priv_data == nullptr || av_opt_set(encoder->priv_data, key.c_str(), value.c_str(), 0) < 0) {
      host_.Log(std::string("ExtraParam \"") + key + "=" + value + "\" left out: " + codec->name +
                " does not take it");
    }
  }
  int opened = avcodec_open2(encoder, codec, nullptr);
  if (opened < 0 && !plan.extra.encoderOptions.empty()) {
    // A value the encoder accepted as text but refuses on opening (a level it cannot meet, say).
    host_.Log(std::string(codec->name) + " refused its options (" + ErrorText(opened) +
              "): trying without them");
    video_.reset();
    OutputPlan plain = plan;
    plain.extra.encoderOptions.clear();
    return OpenVideo(plain);
  }
  if (opened < 0) {
    host_.Log(std::string("cannot open the video encoder ") + codec->name + ": " + ErrorText(opened));
    return false;
  }
  videoStream_ = avformat_new_stream(context_, nullptr);
  if (videoStream_ == nullptr || avcodec_parameters_from_context(videoStream_->codecpar, encoder) < 0) {
    return false;
  }
  videoStream_->time_base = encoder->time_base;
  videoStream_->avg_frame_rate = plan.frameRate;
  videoStream_->sample_aspect_ratio = plan.sar;
  if (!plan.extra.codecTag.empty()) {
    const std::string tag = plan.extra.codecTag + std::string(4 - plan.extra.codecTag.size(), ' ');
    videoStream_->codecpar->codec_tag = MKTAG(tag[0], tag[1], tag[2], tag[3]);
  }
  return true;
}

bool OutputWriter::OpenAudio(const OutputPlan& plan) {
  const AVCodec* codec = plan.audioEncoder;
  audio_.reset(avcodec_alloc_context3(codec));
  if (!audio_) {
    return false;
  }
  AVCodecContext* encoder = audio_.get();
  encoder->sample_rate = plan.sampleRate;
  av_channel_layout_default(&encoder->ch_layout, plan.channels);
  encoder->sample_fmt = plan.sampleFormat;
  encoder->time_base = AVRational{1, plan.sampleRate};
  if (plan.audioBitRate > 0) {
    encoder->bit_rate = plan.audioBitRate;
  }
  encoder->thread_count = 0;
  if ((context_->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  int opened = avcodec_open2(encoder, codec, nullptr);
  if (opened < 0 && plan.audioBitRate > 0) {
    // MPEG audio and AC-3 take only the bit rates of their tables, which differ with the sample rate.
    host_.Log(std::string(codec->name) + " does not take " + std::to_string(plan.audioBitRate) +
              " b/s at this rate: using its own choice");
    audio_.reset();
    OutputPlan plain = plan;
    plain.audioBitRate = 0;
    return OpenAudio(plain);
  }
  if (opened < 0) {
    host_.Log(std::string("cannot open the audio encoder ") + codec->name + ": " + ErrorText(opened));
    return false;
  }
  audioStream_ = avformat_new_stream(context_, nullptr);
  if (audioStream_ == nullptr || avcodec_parameters_from_context(audioStream_->codecpar, encoder) < 0) {
    return false;
  }
  audioStream_->time_base = encoder->time_base;
  const bool anySize =
      encoder->frame_size <= 0 || (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0;
  audioFrameSize_ = anySize ? 1024 : encoder->frame_size;
  fifo_ = av_audio_fifo_alloc(encoder->sample_fmt, plan.channels, audioFrameSize_ * 4);
  return fifo_ != nullptr;
}

void OutputWriter::WriteFailed(const std::string& what, int code) {
  const std::string reason = what + ErrorText(code);
  host_.Log(reason);
  // A stop interrupts the writes too; that is no failure of the output's place.
  if (code != AVERROR_EXIT) {
    host_.NoteFailure(OutputFailureKind(AVUNERROR(code)), reason);
  }
}

bool OutputWriter::Open(const OutputPlan& plan, const std::string& path) {
  packet_.reset(av_packet_alloc());
  const std::string url = "file:" + path;
  if (!packet_ || avformat_alloc_output_context2(&context_, nullptr, plan.muxer.c_str(), url.c_str()) < 0 ||
      context_ == nullptr) {
    host_.Log("cannot make a \"" + plan.muxer + "\" file");
    return false;
  }
  context_->interrupt_callback = AVIOInterruptCB{&PollStop, &host_};
  // The mp4 family reopens its own file to move the index to the front; nothing else may be opened.
  context_->protocol_whitelist = av_strdup("file");
  if ((plan.videoEncoder != nullptr && !OpenVideo(plan)) ||
      (plan.audioEncoder != nullptr && !OpenAudio(plan))) {
    return false;
  }
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int ioOpened =
      avio_open2(&context_->pb, url.c_str(), AVIO_FLAG_WRITE, &context_->interrupt_callback, &options);
  av_dict_free(&options);
  if (ioOpened < 0) {
    WriteFailed("cannot write the output folder: ", ioOpened);
    return false;
  }
  for (const auto& [key, value] : plan.extra.muxerOptions) {
    av_dict_set(&options, key.c_str(), value.c_str(), 0);
  }
  const int written = avformat_write_header(context_, &options);
  for (const AVDictionaryEntry* left = av_dict_get(options, "", nullptr, AV_DICT_IGNORE_SUFFIX);
       left != nullptr; left = av_dict_get(options, "", left, AV_DICT_IGNORE_SUFFIX)) {
    host_.Log(std::string("ExtraParam \"") + left->key + "=" + left->value + "\" left out: the " +
              plan.muxer + " container does not take it");
  }
  av_dict_free(&options);
  if (written < 0) {
    WriteFailed("cannot write the " + plan.muxer + " header: ", written);
    return false;
  }
  headerWritten_ = true;
  return true;
}

bool OutputWriter::Drain(AVCodecContext* encoder, AVStream* stream) {
  while (true) {
    const int received = avcodec_receive_packet(encoder, packet_.get());
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
      return true;
    }
    if (received < 0) {
      host_.Log(std::string("encoder ") + encoder->codec->name + " failed: " + ErrorText(received));
      return false;
    }
    packet_->stream_index = stream->index;
    av_packet_rescale_ts(packet_.get(), encoder->time_base, stream->time_base);
    const int written = av_interleaved_write_frame(context_, packet_.get());
    if (written < 0) {
      WriteFailed("cannot write the output: ", written);
      return false;
    }
  }
}

bool OutputWriter::SendVideo(AVFrame* frame) {
  if (frame != nullptr) {
    // Parts of a merge meet at nominal times; a frame that would go back in time is dropped.
    if (frame->pts != AV_NOPTS_VALUE && frame->pts <= lastVideoPts_) {
      return true;
    }
    if (frame->pts == AV_NOPTS_VALUE) {
      frame->pts = lastVideoPts_ == INT64_MIN ? 0 : lastVideoPts_ + 1;
    }
    lastVideoPts_ = frame->pts;
    frame->pict_type = AV_PICTURE_TYPE_NONE;
  }
  const int sent = avcodec_send_frame(video_.get(), frame);
  if (sent < 0 && sent != AVERROR_EOF) {
    host_.Log("video encoder refused a frame: " + ErrorText(sent));
    return false;
  }
  return Drain(video_.get(), videoStream_);
}

bool OutputWriter::EncodeSound(bool flush) {
  while (av_audio_fifo_size(fifo_) >= audioFrameSize_ || (flush && av_audio_fifo_size(fifo_) > 0)) {
    const int count = std::min(audioFrameSize_, av_audio_fifo_size(fifo_));
    FramePtr chunk(av_frame_alloc());
    if (!chunk) {
      return false;
    }
    chunk->nb_samples = count;
    chunk->format = audio_->sample_fmt;
    chunk->sample_rate = audio_->sample_rate;
    if (av_channel_layout_copy(&chunk->ch_layout, &audio_->ch_layout) < 0 ||
        av_frame_get_buffer(chunk.get(), 0) < 0 ||
        av_audio_fifo_read(fifo_, reinterpret_cast<void**>(chunk->data), count) != count) {
      return false;
    }
    chunk->pts = samplesSent_;
    samplesSent_ += count;
    const int sent = avcodec_send_frame(audio_.get(), chunk.get());
    if (sent < 0) {
      host_.Log("audio encoder refused a frame: " + ErrorText(sent));
      return false;
    }
    if (!Drain(audio_.get(), audioStream_)) {
      return false;
    }
  }
  return true;
}

bool OutputWriter::SendAudio(AVFrame* frame) {
  if (av_audio_fifo_write(fifo_, reinterpret_cast<void**>(frame->extended_data), frame->nb_samples) !=
      frame->nb_samples) {
    return false;
  }
  return EncodeSound(false);
}

void OutputWriter::Report() {
  double seconds = 0;
  if (lastVideoPts_ != INT64_MIN) {
    seconds = (lastVideoPts_ + 1) * av_q2d(video_->time_base);
  }
  if (audio_) {
    seconds = std::max(seconds, static_cast<double>(samplesSent_) / audio_->sample_rate);
  }
  host_.ReportPosition(seconds);
}

void OutputWriter::Consume(FrameQueue& queue) {
  QueuedFrame item;
  while (queue.Pop(item)) {
    bool ok = false;
    try {
      ok = item.kind == FrameKind::kVideo ? (video_ && SendVideo(item.frame.get()))
                                          : (audio_ && SendAudio(item.frame.get()));
    } catch (const std::exception& error) {
      host_.Log(std::string("encoding failed: ") + error.what());
    }
    item.frame.reset();
    if (!ok) {
      failed_ = true;
      queue.Abort();
      return;
    }
    Report();
  }
}

bool OutputWriter::Finish() {
  if (failed_ || !headerWritten_) {
    return false;
  }
  if (audio_ && (!EncodeSound(true) || avcodec_send_frame(audio_.get(), nullptr) < 0 ||
                 !Drain(audio_.get(), audioStream_))) {
    return false;
  }
  if (video_ && !SendVideo(nullptr)) {
    return false;
  }
  Report();
  const int ended = av_write_trailer(context_);
  if (ended < 0) {
    WriteFailed("cannot finish the output: ", ended);
    return false;
  }
  const int closed = avio_closep(&context_->pb);
  if (closed < 0) {
    WriteFailed("cannot finish the output: ", closed);
    return false;
  }
  return true;
}

}  // namespace ffengine
