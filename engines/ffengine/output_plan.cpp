#include "engines/ffengine/output_plan.h"

#include <algorithm>
#include <utility>

#include "components/field_text.h"
#include "engines/ffengine/edit_filters.h"
#include "engines/ffengine/encoder_map.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
}

namespace ffengine {

namespace {

bool IsKind(const AVFormatContext* context, int id, AVMediaType type) {
  if (id < 0 || id >= static_cast<int>(context->nb_streams)) {
    return false;
  }
  const AVStream* stream = context->streams[id];
  if (stream->codecpar->codec_type != type) {
    return false;
  }
  return type != AVMEDIA_TYPE_VIDEO || (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0;
}

int Choose(const AVFormatContext* context, int id, AVMediaType type) {
  if (IsKind(context, id, type)) {
    return id;
  }
  if (id == -1) {
    return -1;
  }
  const int best = av_find_best_stream(const_cast<AVFormatContext*>(context), type, -1, -1, nullptr, 0);
  return IsKind(context, best, type) ? best : -1;
}

template <size_t N>
std::string Text(const char (&field)[N]) {
  return std::string(FieldText(field));
}

// The kept rectangle's size; the whole frame when the rectangle does not fit.
void CroppedSize(const CIInput& input, int sourceWidth, int sourceHeight, int& width, int& height) {
  const bool inside = input.cropWidth > 0 && input.cropHeight > 0 && input.cropX >= 0 && input.cropY >= 0 &&
                      int64_t{input.cropX} + input.cropWidth <= sourceWidth &&
                      int64_t{input.cropY} + input.cropHeight <= sourceHeight;
  width = inside ? input.cropWidth : sourceWidth;
  height = inside ? input.cropHeight : sourceHeight;
}

std::string RateText(AVRational rate) {
  return std::to_string(rate.num) + (rate.den == 1 ? std::string() : "/" + std::to_string(rate.den));
}

}  // namespace

InputStreams ChooseStreams(const AVFormatContext* context, const CIInput& input) {
  InputStreams streams;
  streams.video = Choose(context, input.videoId, AVMEDIA_TYPE_VIDEO);
  streams.audio = Choose(context, input.audioId, AVMEDIA_TYPE_AUDIO);
  // A subtitle is only ever burned in on request.
  streams.subtitle = IsKind(context, input.subtitleId, AVMEDIA_TYPE_SUBTITLE) ? input.subtitleId : -1;
  return streams;
}

int StreamRotation(const AVStream* stream) {
  const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
  return DisplayRotation(reinterpret_cast<const int32_t*>(matrix));
}

std::string LayoutName(int channels) {
  AVChannelLayout layout{};
  av_channel_layout_default(&layout, channels);
  char name[64] = {};
  av_channel_layout_describe(&layout, name, sizeof(name));
  av_channel_layout_uninit(&layout);
  return name;
}

bool MakePlan(const CIOutput& output, const std::vector<PlannedInput>& inputs,
              const std::vector<CIInput>& records, OutputPlan& plan, std::vector<std::string>& notes,
              std::string& error) {
  plan.muxer = Text(output.FormatName);
  const AVOutputFormat* muxer =
      plan.muxer.empty() ? nullptr : av_guess_format(plan.muxer.c_str(), nullptr, nullptr);
  if (muxer == nullptr) {
    error = "unknown container \"" + plan.muxer + "\"";
    return false;
  }
  // Such a muxer opens files of its own (segments, numbered pictures, a list of outputs) past the
  // temporary file, or writes nothing at all: its work could neither be undone nor replace the output.
  if ((muxer->flags & AVFMT_NOFILE) != 0) {
    error = "the container \"" + plan.muxer + "\" does not write one file";
    return false;
  }
  plan.extra = ParseExtraParam(FieldText(output.ExtraParam));
  for (const std::string& problem : plan.extra.problems) {
    notes.push_back(problem);
  }

  const PlannedInput* firstVideo = nullptr;
  const CIInput* firstVideoRecord = nullptr;
  const PlannedInput* firstAudio = nullptr;
  for (size_t i = 0; i < inputs.size(); ++i) {
    if (firstVideo == nullptr && inputs[i].streams.video >= 0) {
      firstVideo = &inputs[i];
      firstVideoRecord = &records[i];
    }
    if (firstAudio == nullptr && inputs[i].streams.audio >= 0) {
      firstAudio = &inputs[i];
    }
  }

  const std::string videoName = EncoderName(FieldText(output.VideoCodecName));
  if (output.AudioFormat == 0 && !videoName.empty() && firstVideo != nullptr) {
    plan.videoEncoder = avcodec_find_encoder_by_name(videoName.c_str());
    if (plan.videoEncoder == nullptr || plan.videoEncoder->type != AVMEDIA_TYPE_VIDEO) {
      error = "no video encoder \"" + videoName + "\"";
      return false;
    }
    const AVFormatContext* context = firstVideo->media->Context();
    AVStream* stream = context->streams[firstVideo->streams.video];
    const int sourceWidth = stream->codecpar->width;
    const int sourceHeight = stream->codecpar->height;
    if (sourceWidth <= 0 || sourceHeight <= 0) {
      error = "the video has no frame size";
      return false;
    }
    int keptWidth = 0;
    int keptHeight = 0;
    CroppedSize(*firstVideoRecord, sourceWidth, sourceHeight, keptWidth, keptHeight);
    if (StreamRotation(stream) % 180 != 0) {
      std::swap(keptWidth, keptHeight);
    }
    const bool keepSize = output.Width <= 0 || output.Height <= 0;
    plan.width = keepSize ? keptWidth : output.Width;
    plan.height = keepSize ? keptHeight : output.Height;
    const int wantedWidth = plan.width;
    const int wantedHeight = plan.height;
    FitFrameSize(plan.videoEncoder->id, plan.width, plan.height);
    if (!keepSize && (plan.width != wantedWidth || plan.height != wantedHeight)) {
      notes.push_back(videoName + " does not take " + std::to_string(wantedWidth) + "x" +
                      std::to_string(wantedHeight) + ": using " + std::to_string(plan.width) + "x" +
                      std::to_string(plan.height));
    }

    AVRational rate{output.FrameRate, 1};
    if (output.FrameRate <= 0) {
      rate = av_guess_frame_rate(const_cast<AVFormatContext*>(context), stream, nullptr);
      if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 240.0 || av_q2d(rate) < 1.0) {
        rate = AVRational{25, 1};
      }
    }
    plan.frameRate = FitFrameRate(plan.videoEncoder, rate);
    if (av_cmp_q(plan.frameRate, rate) != 0) {
      notes.push_back(videoName + " does not take " + RateText(rate) + " frames per second: using " +
                      RateText(plan.frameRate));
    }

    plan.pixelFormat = ChoosePixelFormat(plan.videoEncoder, plan.extra.pixelFormat);
    if (plan.extra.pixelFormat != AV_PIX_FMT_NONE && plan.pixelFormat != plan.extra.pixelFormat) {
      notes.push_back(videoName + " does not take pixel format " +
                      std::string(av_get_pix_fmt_name(plan.extra.pixelFormat)) + ": using " +
                      av_get_pix_fmt_name(plan.pixelFormat));
    }

    if (plan.extra.aspect.num > 0) {
      av_reduce(&plan.sar.num, &plan.sar.den, static_cast<int64_t>(plan.extra.aspect.num) * plan.height,
                static_cast<int64_t>(plan.extra.aspect.den) * plan.width, 1 << 16);
    } else if (keepSize) {
      const AVRational sar =
          av_guess_sample_aspect_ratio(const_cast<AVFormatContext*>(context), stream, nullptr);
      plan.sar = sar.num > 0 && sar.den > 0 ? sar : AVRational{1, 1};
    }
    plan.videoBitRate = std::max(output.VideoBitRate, 0);
  }

  const std::string audioName = EncoderName(FieldText(output.AudioCodecName));
  if (!audioName.empty() && firstAudio != nullptr) {
    plan.audioEncoder = avcodec_find_encoder_by_name(audioName.c_str());
    if (plan.audioEncoder == nullptr || plan.audioEncoder->type != AVMEDIA_TYPE_AUDIO) {
      error = "no audio encoder \"" + audioName + "\"";
      return false;
    }
    const AVCodecParameters* source =
        firstAudio->media->Context()->streams[firstAudio->streams.audio]->codecpar;
    const int wantedRate = output.SampleRate > 0     ? output.SampleRate
                           : source->sample_rate > 0 ? source->sample_rate
                                                     : 44100;
    plan.sampleRate = wantedRate;
    const std::vector<int> rates = AllowedSampleRates(plan.audioEncoder, plan.muxer);
    if (!rates.empty() && std::find(rates.begin(), rates.end(), wantedRate) == rates.end()) {
      plan.sampleRate = NearestOf(rates, wantedRate);
      notes.push_back(audioName + " in " + plan.muxer + " does not take " + std::to_string(wantedRate) +
                      " Hz: using " + std::to_string(plan.sampleRate) + " Hz");
    }
    const int sourceChannels = source->ch_layout.nb_channels > 0 ? source->ch_layout.nb_channels : 2;
    const int wantedChannels = output.Channel > 0 ? output.Channel : std::min(sourceChannels, 2);
    plan.channels = FitChannels(plan.audioEncoder, wantedChannels);
    if (plan.channels != wantedChannels) {
      notes.push_back(audioName + " does not take " + std::to_string(wantedChannels) + " channels: using " +
                      std::to_string(plan.channels));
    }
    plan.sampleFormat = ChooseSampleFormat(plan.audioEncoder);
    plan.audioBitRate = std::max(output.AudioBitRate, 0);
  }

  if (plan.videoEncoder == nullptr && plan.audioEncoder == nullptr) {
    error = output.AudioFormat != 0 ? "the source has no sound to write" : "the source has nothing to write";
    return false;
  }
  return true;
}

}  // namespace ffengine
