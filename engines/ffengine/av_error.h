#pragma once

#include <string>

extern "C" {
#include <libavutil/error.h>
}

namespace ffengine {

// FFmpeg's words for an error code, for the conversion log.
inline std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof(text));
  return text;
}

}  // namespace ffengine
