#include "convert/size_forecast.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cmath>
#include <string_view>

#include "components/field_text.h"
#include "convert/conversion_plan.h"
#include "convert/profile_to_engine.h"
#include "settings/catalogue.h"
#include "tasks/task_list.h"
#include "tasks/task_tree.h"

namespace {

// What the encoders write against the bit rate they are given, measured on a 10-second clip of
// grainy pictures with a tone under hiss, converted with every shipped profile. Average-rate encoders
// run over on such footage; the variable-rate ones of the web formats stay under.
struct RateShare {
  std::string_view codec;
  double share;
};
constexpr RateShare kVideoShares[] = {
    {"libx264", 1.07},
    {"libx265", 1.10},
    {"libvpx-vp9", 0.90},
};
constexpr RateShare kAudioShares[] = {
    {"libvorbis", 0.70},
    {"libopus", 0.85},
};

// FFmpeg's own DCT encoders cannot quantise more coarsely than the standards allow: on grainy
// pictures at a low rate they spend at least this much per pixel of real detail, whatever rate they
// are given (the 3GP profiles run 40 % over theirs).
constexpr double kCoarsestBitsPerPixel = 0.47;
constexpr std::string_view kBoundedEncoders[] = {"mpeg4", "h263",    "h263p",     "flv",        "wmv1",
                                                 "wmv2",  "msmpeg4", "msmpeg4v2", "mpeg1video", "mpeg2video"};

// Lossless audio against the same sound as plain 16-bit samples.
constexpr RateShare kLosslessShares[] = {
    {"flac", 0.70},
    {"alac", 0.90},
};

double ShareOf(const auto& table, std::string_view codec, double otherwise) {
  for (const RateShare& row : table) {
    if (row.codec == codec) {
      return row.share;
    }
  }
  return otherwise;
}

// What each container adds over its streams: packet headers, indexes, padding.
struct ContainerShare {
  std::string_view format;
  double share;
};
constexpr ContainerShare kContainerShares[] = {
    {"mpegts", 1.04}, {"mpeg", 1.02}, {"dvd", 1.03}, {"avi", 1.02}, {"asf", 1.03}, {"flv", 1.01},
};

double ContainerShareOf(std::string_view format) {
  for (const ContainerShare& row : kContainerShares) {
    if (row.format == format) {
      return row.share;
    }
  }
  return 1.0;
}

// Bytes a sample of one channel takes in the plain sample formats.
int SampleBytes(std::string_view codec) {
  if (codec.starts_with("pcm_")) {
    if (codec.find("24") != std::string_view::npos) {
      return 3;
    }
    if (codec.find("32") != std::string_view::npos || codec.find("f32") != std::string_view::npos) {
      return 4;
    }
    if (codec.find("f64") != std::string_view::npos || codec.find("64") != std::string_view::npos) {
      return 8;
    }
    if (codec.find("8") != std::string_view::npos || codec == "pcm_alaw" || codec == "pcm_mulaw") {
      return 1;
    }
  }
  return 2;
}

// The channels of a layout as the probe names it: "mono", "stereo", "5.1(side)", "3 channels".
int32_t ChannelCount(std::string_view layout) {
  if (layout.starts_with("mono")) {
    return 1;
  }
  if (layout.starts_with("stereo")) {
    return 2;
  }
  int32_t count = 0;
  size_t i = 0;
  for (; i < layout.size() && layout[i] >= '0' && layout[i] <= '9'; ++i) {
    count = count * 10 + (layout[i] - '0');
  }
  if (i < layout.size() && layout[i] == '.' && i + 1 < layout.size()) {
    count += layout[i + 1] - '0';  // "5.1": five and the low-frequency channel
  }
  return count > 0 && count <= 64 ? count : 2;
}

struct Streams {
  bool video = false;
  bool audio = false;
  double seconds = 0.0;
  double frameRate = 0.0;  // the first picture's rate, 0 when unknown
  double pixels = 0.0;     // the first picture's size, 0 when unknown
  int32_t sampleRate = 0;
  int32_t channels = 0;
};

Streams StreamsOf(const CIInput* inputs, int32_t count) {
  Streams streams;
  for (int32_t i = 0; inputs != nullptr && i < count; ++i) {
    const CIInput& input = inputs[i];
    const MediaInfo& media = input.media;
    if (input.videoId != -1 && media.videoCount > 0) {
      streams.video = true;
      if (streams.pixels <= 0.0 && media.width > 0 && media.height > 0) {
        streams.pixels = static_cast<double>(media.width) * media.height;
      }
      if (streams.frameRate <= 0.0 && media.frameRateNum > 0 && media.frameRateDen > 0) {
        streams.frameRate = static_cast<double>(media.frameRateNum) / media.frameRateDen;
      }
    }
    if (input.audioId != -1 && media.audioCount > 0) {
      streams.audio = true;
      if (streams.sampleRate <= 0) {
        streams.sampleRate = media.audioStreams[0].sampleRate;
        streams.channels = ChannelCount(FieldText(media.audioStreams[0].channels));
      }
    }
    if (std::isfinite(input.clipLength) && input.clipLength > 0.0) {
      streams.seconds += input.clipLength;
    }
  }
  return streams;
}

double VideoBytesPerSecond(const CIOutput& encoder, const Streams& streams) {
  const std::string_view codec = FieldText(encoder.VideoCodecName);
  if (encoder.AudioFormat != 0 || codec.empty() || !streams.video) {
    return 0.0;
  }
  const double rate = encoder.FrameRate > 0     ? encoder.FrameRate
                      : streams.frameRate > 0.0 ? std::min(streams.frameRate, 240.0)
                                                : kAssumedFrameRate;
  const double outputPixels = static_cast<double>(std::max(encoder.Width, 0)) * std::max(encoder.Height, 0);
  if (encoder.VideoBitRate <= 0) {
    return outputPixels * rate * kVideoBitsPerPixel / 8.0;
  }
  double bits = encoder.VideoBitRate * ShareOf(kVideoShares, codec, 1.0);
  if (std::find(std::begin(kBoundedEncoders), std::end(kBoundedEncoders), codec) !=
      std::end(kBoundedEncoders)) {
    // Detail is what the source has: a picture scaled up gains none.
    const double detail = streams.pixels > 0.0 && outputPixels > 0.0 ? std::min(streams.pixels, outputPixels)
                                                                     : std::max(streams.pixels, outputPixels);
    bits = std::max(bits, detail * rate * kCoarsestBitsPerPixel);
  }
  return bits / 8.0;
}

double AudioBytesPerSecond(const CIOutput& encoder, const Streams& streams) {
  const std::string_view codec = FieldText(encoder.AudioCodecName);
  if (codec.empty() || !streams.audio) {
    return 0.0;
  }
  if (encoder.AudioBitRate > 0) {
    return encoder.AudioBitRate / 8.0 * ShareOf(kAudioShares, codec, 1.0);
  }
  const int32_t sampleRate = encoder.SampleRate > 0 ? encoder.SampleRate : streams.sampleRate;
  const int32_t channels = encoder.Channel > 0 ? encoder.Channel : streams.channels;
  const double plain =
      static_cast<double>(std::max(sampleRate, 0)) * std::max(channels, 0) * SampleBytes(codec);
  return codec.starts_with("pcm_") ? plain : plain * ShareOf(kLosslessShares, codec, kLosslessShare);
}

QString Figure(double value, const char* unit) {
  const int decimals = value < 10.0 ? 2 : value < 100.0 ? 1 : 0;
  return QString::number(value, 'f', decimals) + QLatin1Char(' ') + QLatin1String(unit);
}

}  // namespace

int64_t ForecastJobBytes(const CIOutput& encoder, const CIInput* inputs, int32_t count) {
  const Streams streams = StreamsOf(inputs, count);
  const double perSecond = VideoBytesPerSecond(encoder, streams) + AudioBytesPerSecond(encoder, streams);
  const double bytes = perSecond * streams.seconds * ContainerShareOf(FieldText(encoder.FormatName));
  return bytes > 0.0 ? static_cast<int64_t>(std::llround(bytes)) : 0;
}

int64_t ForecastPlanBytes(const ConversionPlan& plan) {
  int64_t total = 0;
  for (const PlannedJob& job : plan.jobs) {
    if (job.output != nullptr) {
      total += ForecastJobBytes(*job.output, job.inputs.data(), static_cast<int32_t>(job.inputs.size()));
    }
  }
  return total;
}

int64_t ForecastCheckedBytes(const TVirtualStringTreeHelper& list, const ConverterSettings* catalogue) {
  int64_t total = 0;
  for (const MuiItemInfo* item : list.CheckedItems()) {
    const ProfileSetting* listed =
        catalogue != nullptr ? catalogue->FindProfile(item->profile.ProfileId) : nullptr;
    CIOutput encoder{};
    ProfileToEngineRecord(listed != nullptr ? *listed : item->profile, encoder);
    std::vector<CIInput> inputs;
    if (item->itemKind() == kMergedItem) {
      const TaskNode* node = item->Node();
      for (int i = 0; node != nullptr && i < node->ChildCount(); ++i) {
        if (const MuiItemInfo* part = node->ChildAt(i)->Item()) {
          inputs.push_back(part->input);
        }
      }
    } else if (item->itemKind() == kSingleItem) {
      inputs.push_back(item->input);
    }
    total += ForecastJobBytes(encoder, inputs.data(), static_cast<int32_t>(inputs.size()));
  }
  return total;
}

QString SizeText(int64_t bytes) {
  const double value = static_cast<double>(std::max<int64_t>(bytes, 0));
  if (value < 1e6) {
    return QString::number(std::llround(value / 1e3)) + QStringLiteral(" KB");
  }
  if (value < 1e9) {
    return Figure(value / 1e6, "MB");
  }
  return Figure(value / 1e9, "GB");
}

int64_t SpaceMargin(int64_t estimate) {
  constexpr int64_t kFloor = 20'000'000;
  return std::max<int64_t>(estimate / 10, kFloor);
}

bool EnoughSpace(int64_t estimate, int64_t available) {
  return available < 0 || estimate <= 0 || available >= estimate + SpaceMargin(estimate);
}

QString SpaceWarning(int64_t estimate, int64_t available, const QString& folder) {
  return QStringLiteral("The converted files need about %1, but %2 has only %3 free.\n\nConvert anyway?")
      .arg(SizeText(estimate), QDir::toNativeSeparators(folder), SizeText(available));
}

int64_t AvailableBytes(const QString& folder) {
  // A destination that is made when the batch starts has no free space of its own yet: its nearest
  // existing parent's file system is the one it will live on.
  QFileInfo info(QDir(folder).absolutePath());
  while (!info.exists()) {
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath()) {
      return -1;
    }
    info = QFileInfo(parent);
  }
  const QStorageInfo storage(info.absoluteFilePath());
  return storage.isValid() ? storage.bytesAvailable() : -1;
}
