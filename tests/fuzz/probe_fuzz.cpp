// libFuzzer target for the media probe and the picture-size reader; built and run by
// scripts/fuzz-probe.
//
// The input's first byte picks the file name's extension (FFmpeg weighs it when it guesses a format);
// the rest is the file. Properties, beyond not crashing or reading out of bounds:
// - an accepted file has audio or video, a duration callers can count in an int, counts within the
//   tables, and every text field terminated inside its width and well-formed UTF-8;
// - the probe ends within its bound (libFuzzer's -timeout catches one that does not).

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "components/field_text.h"
#include "components/media_info.h"
#include "components/text_utf.h"
#include "engines/ffengine/ff_log.h"
#include "engines/ffengine/image_size.h"
#include "engines/ffengine/media_probe.h"

namespace {

const char* const kExtensions[] = {".mp4", ".mkv", ".avi", ".ts",  ".mp3", ".ogg", ".m3u8", ".mpg",
                                   ".flv", ".wav", ".jpg", ".png", ".tga", ".tif", ".jp2",  ".txt"};

std::string folder;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "probe property broken: %s\n", what);
  std::abort();
}

template <size_t N>
void CheckText(const char (&field)[N]) {
  if (strnlen(field, N) == N) {
    Fail("a text field has no terminator");
  }
  if (!IsValidUtf8(FieldText(field))) {
    Fail("a text field is not well-formed UTF-8");
  }
}

void CheckRecord(const MediaInfo& info) {
  if (info.audioCount < 0 || info.audioCount > kMaxAudioStreams || info.subtitleCount < 0 ||
      info.subtitleCount > kMaxSubtitleStreams || info.videoCount < 0) {
    Fail("a count is outside its table");
  }
  if (info.videoCount == 0 && info.audioCount == 0) {
    Fail("a file without audio or video was accepted");
  }
  if (!(info.duration >= 0.0 && info.duration < 2147483647.0)) {
    Fail("a duration that is negative, undefined or beyond an int of seconds");
  }
  CheckText(info.videoCodec);
  for (int i = 0; i < info.audioCount; ++i) {
    CheckText(info.audioStreams[i].channels);
    CheckText(info.audioStreams[i].codec);
    CheckText(info.audioStreams[i].tag);
  }
  for (int i = 0; i < info.subtitleCount; ++i) {
    CheckText(info.subtitleStreams[i].tag);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ffengine::SilenceFfmpegLog();
  std::string pattern = (std::filesystem::temp_directory_path() / "kv-probe-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    Fail("no temporary folder");
  }
  folder = pattern;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::string path = folder + "/input" + kExtensions[data[0] % std::size(kExtensions)];
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    Fail("cannot write the input file");
  }
  if (size > 1 && std::fwrite(data + 1, 1, size - 1, file) != size - 1) {
    Fail("cannot write the input file");
  }
  std::fclose(file);

  MediaInfo info{};
  if (ffengine::ProbeMedia(path.c_str(), info)) {
    CheckRecord(info);
  }
  int32_t width = -1;
  int32_t height = -1;
  if (ffengine::ReadImageSize(path.c_str(), width, height) && (width <= 0 || height <= 0)) {
    Fail("a picture size that is not positive");
  }
  std::remove(path.c_str());
  return 0;
}
