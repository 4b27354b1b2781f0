#include "engines/ffengine/encoder_map.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace ffengine {

namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ' || c == 0x7f;
}

// Sizes the H.263 bitstream can signal without custom formats (sub-QCIF to 16CIF).
constexpr std::array<std::pair<int, int>, 5> kH263Sizes = {
    {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}}};

}  // namespace

std::string EncoderName(std::string_view name) {
  while (!name.empty() && IsBlank(name.front())) {
    name.remove_prefix(1);
  }
  while (!name.empty() && IsBlank(name.back())) {
    name.remove_suffix(1);
  }
  if (name == "libfaac" || name == "libfdk_aac" || name == "faac") {
    return "aac";
  }
  if (name == "vorbis") {
    return "libvorbis";  // the built-in one is experimental
  }
  if (name == "opus") {
    return "libopus";
  }
  return std::string(name);
}

int NearestOf(std::span<const int> choices, int wanted) {
  int best = wanted;
  long bestDistance = -1;
  for (const int choice : choices) {
    const long distance = std::labs(static_cast<long>(choice) - wanted);
    if (bestDistance < 0 || distance < bestDistance || (distance == bestDistance && choice > best)) {
      best = choice;
      bestDistance = distance;
    }
  }
  return best;
}

std::vector<int> AllowedSampleRates(const AVCodec* encoder, std::string_view muxer) {
  std::vector<int> rates;
  if (encoder != nullptr && encoder->supported_samplerates != nullptr) {
    for (const int* rate = encoder->supported_samplerates; *rate != 0; ++rate) {
      rates.push_back(*rate);
    }
  }
  // The WMA encoders list no rates but refuse anything above 48 kHz.
  if (rates.empty() && encoder != nullptr &&
      (encoder->id == AV_CODEC_ID_WMAV1 || encoder->id == AV_CODEC_ID_WMAV2)) {
    rates = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
  }
  // FLV signals the rate in two bits; only AAC and Speex carry their own.
  if (muxer == "flv" && encoder != nullptr && encoder->id != AV_CODEC_ID_AAC &&
      encoder->id != AV_CODEC_ID_SPEEX) {
    const std::array<int, 3> flv = {44100, 22050, 11025};
    if (rates.empty()) {
      rates.assign(flv.begin(), flv.end());
    } else {
      std::erase_if(rates, [&](int r) { return std::find(flv.begin(), flv.end(), r) == flv.end(); });
      if (rates.empty()) {
        rates.assign(flv.begin(), flv.end());
      }
    }
  }
  return rates;
}

void FitFrameSize(AVCodecID codec, int& width, int& height) {
  if (codec == AV_CODEC_ID_H263) {
    // The listed size whose area is closest to the wanted one.
    auto best = kH263Sizes.front();
    long bestDistance = -1;
    for (const auto& size : kH263Sizes) {
      const long distance =
          std::labs(static_cast<long>(size.first) * size.second - static_cast<long>(width) * height);
      if (bestDistance < 0 || distance < bestDistance) {
        best = size;
        bestDistance = distance;
      }
    }
    width = best.first;
    height = best.second;
    return;
  }
  const int limit = (codec == AV_CODEC_ID_MPEG1VIDEO || codec == AV_CODEC_ID_MPEG2VIDEO) ? 4094
                    : codec == AV_CODEC_ID_FLV1                                          ? 4094
                                                                                         : 16384;
  width = std::clamp(width & ~1, 2, limit);
  height = std::clamp(height & ~1, 2, limit);
}

AVRational FitFrameRate(const AVCodec* encoder, AVRational wanted) {
  if (wanted.num <= 0 || wanted.den <= 0) {
    wanted = AVRational{25, 1};
  }
  if (encoder != nullptr && encoder->id == AV_CODEC_ID_MPEG1VIDEO) {
    // The MPEG-1 encoder lists five unofficial rates (5, 10, 12, 15 fps) after the standard's eight,
    // and then refuses to open with them.
    static const AVRational standard[] = {{24000, 1001}, {24, 1},       {25, 1}, {30000, 1001}, {30, 1},
                                          {50, 1},       {60000, 1001}, {60, 1}, {0, 0}};
    return standard[av_find_nearest_q_idx(wanted, standard)];
  }
  if (encoder != nullptr && encoder->supported_framerates != nullptr) {
    return encoder->supported_framerates[av_find_nearest_q_idx(wanted, encoder->supported_framerates)];
  }
  AVRational fitted = wanted;
  if (fitted.den > 65535 || fitted.num > 65535) {
    av_reduce(&fitted.num, &fitted.den, wanted.num, wanted.den, 65535);
  }
  return fitted;
}

AVPixelFormat ChoosePixelFormat(const AVCodec* encoder, AVPixelFormat wanted) {
  if (encoder == nullptr || encoder->pix_fmts == nullptr) {
    return wanted != AV_PIX_FMT_NONE ? wanted : AV_PIX_FMT_YUV420P;
  }
  bool hasYuv420 = false;
  for (const AVPixelFormat* format = encoder->pix_fmts; *format != AV_PIX_FMT_NONE; ++format) {
    if (*format == wanted) {
      return wanted;
    }
    hasYuv420 = hasYuv420 || *format == AV_PIX_FMT_YUV420P;
  }
  return hasYuv420 ? AV_PIX_FMT_YUV420P : encoder->pix_fmts[0];
}

AVSampleFormat ChooseSampleFormat(const AVCodec* encoder) {
  if (encoder == nullptr || encoder->sample_fmts == nullptr) {
    return AV_SAMPLE_FMT_S16;
  }
  return encoder->sample_fmts[0];
}

int FitChannels(const AVCodec* encoder, int wanted) {
  wanted = std::clamp(wanted, 1, 8);
  if (encoder == nullptr || encoder->ch_layouts == nullptr) {
    // Encoders without a list still have limits: the WMA and MPEG audio ones stop at stereo.
    if (encoder != nullptr && (encoder->id == AV_CODEC_ID_WMAV1 || encoder->id == AV_CODEC_ID_WMAV2 ||
                               encoder->id == AV_CODEC_ID_MP2 || encoder->id == AV_CODEC_ID_MP3)) {
      return std::min(wanted, 2);
    }
    return wanted;
  }
  std::vector<int> counts;
  for (const AVChannelLayout* layout = encoder->ch_layouts; layout->nb_channels != 0; ++layout) {
    counts.push_back(layout->nb_channels);
  }
  return counts.empty() ? wanted : NearestOf(counts, wanted);
}

}  // namespace ffengine
