#include "engines/ffengine/extra_param.h"

#include <charconv>

extern "C" {
#include <libavutil/parseutils.h>
#include <libavutil/pixdesc.h>
}

namespace ffengine {

namespace {

bool ParseWhole(std::string_view value, int64_t& out) {
  if (value.empty()) {
    return false;
  }
  const char* end = value.data() + value.size();
  const auto [last, error] = std::from_chars(value.data(), end, out);
  return error == std::errc() && last == end;
}

bool IsEncoderOption(std::string_view key) {
  return key == "preset" || key == "profile" || key == "level" || key == "deadline" || key == "cpu-used" ||
         key == "row-mt";
}

// Applies one pair; false when the value is unusable, with the reason in `why`.
bool Apply(std::string_view key, std::string_view value, ExtraParams& params, std::string& why) {
  const std::string text(value);
  if (key == "pix_fmt") {
    params.pixelFormat = av_get_pix_fmt(text.c_str());
    if (params.pixelFormat == AV_PIX_FMT_NONE) {
      why = "unknown pixel format";
      return false;
    }
    return true;
  }
  if (key == "g" || key == "maxrate" || key == "bufsize") {
    int64_t number = 0;
    if (!ParseWhole(value, number) || number <= 0 || (key == "g" && number > 100000)) {
      why = "not a positive whole number";
      return false;
    }
    if (key == "g") {
      params.gop = static_cast<int>(number);
    } else if (key == "maxrate") {
      params.maxRate = number;
    } else {
      params.bufferSize = number;
    }
    return true;
  }
  if (key == "aspect") {
    AVRational ratio{0, 1};
    if (text.find(':') == std::string::npos || av_parse_ratio(&ratio, text.c_str(), 1000, 0, nullptr) < 0 ||
        ratio.num <= 0 || ratio.den <= 0) {
      why = "not a ratio w:h";
      return false;
    }
    params.aspect = ratio;
    return true;
  }
  if (key == "vtag") {
    if (value.empty() || value.size() > 4) {
      why = "a codec tag has one to four characters";
      return false;
    }
    params.codecTag = text;
    return true;
  }
  if (IsEncoderOption(key)) {
    if (value.empty()) {
      why = "empty value";
      return false;
    }
    params.encoderOptions.emplace_back(std::string(key), text);
    return true;
  }
  if (key == "movflags") {
    if (value.empty()) {
      why = "empty value";
      return false;
    }
    params.muxerOptions.emplace_back(std::string(key), text);
    return true;
  }
  why = "unknown key";
  return false;
}

}  // namespace

ExtraParams ParseExtraParam(std::string_view text) {
  ExtraParams params;
  while (!text.empty()) {
    const size_t semicolon = text.find(';');
    const std::string_view pair = text.substr(0, semicolon);
    text = semicolon == std::string_view::npos ? std::string_view() : text.substr(semicolon + 1);
    if (pair.empty()) {
      continue;
    }
    const size_t equals = pair.find('=');
    if (equals == std::string_view::npos || equals == 0) {
      params.problems.push_back("ExtraParam \"" + std::string(pair) + "\" left out: not key=value");
      continue;
    }
    const std::string_view key = pair.substr(0, equals);
    std::string why;
    if (!Apply(key, pair.substr(equals + 1), params, why)) {
      params.problems.push_back("ExtraParam \"" + std::string(pair) + "\" left out: " + why);
    }
  }
  return params;
}

}  // namespace ffengine
