#include "engines/ffengine/input_policy.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace ffengine {

namespace {

// Demuxers that read other files or network sources named inside the file. Names are compared with
// every comma-separated name of a demuxer. Demuxers that open inputs by name themselves
// (AVFMT_NOFILE: image sequences, RTP, RTSP, SAP) are refused by their flag as well.
constexpr std::array<std::string_view, 12> kRefusedDemuxers = {
    "hls", "applehttp", "dash", "concat", "imf",      "image2",
    "sdp", "rtsp",      "rtp",  "sap",    "avisynth", "vapoursynth",
};

bool IsRefusedName(std::string_view name) {
  return std::ranges::find(kRefusedDemuxers, name) != kRefusedDemuxers.end();
}

// The demuxer never needs another file once it was handed the user's; any attempt is a reference
// being followed.
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
  return AVERROR(EPERM);
}

bool IsRegularFile(const char* path) {
  struct stat info {};
  return ::stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool IsRefusedFormat(const AVInputFormat* format) {
  if (format == nullptr || format->name == nullptr) {
    return true;
  }
  if ((format->flags & AVFMT_NOFILE) != 0) {
    return true;
  }
  std::string_view names = format->name;
  while (!names.empty()) {
    const size_t comma = names.find(',');
    if (IsRefusedName(names.substr(0, comma))) {
      return true;
    }
    names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
  }
  return false;
}

std::unique_ptr<OpenedMedia> OpenedMedia::Open(const char* path, std::chrono::steady_clock::duration bound) {
  if (path == nullptr || *path == '\0' || !IsRegularFile(path)) {
    return nullptr;
  }
  std::unique_ptr<OpenedMedia> media(new OpenedMedia(bound));
  AVIOInterruptCB interrupt = media->deadline_.Callback();
  // The prefix makes FFmpeg read the name as a path: "concat:a|b" or "pipe:0" stay file names.
  const std::string url = std::string("file:") + path;

  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int ioOpened = avio_open2(&media->io_, url.c_str(), AVIO_FLAG_READ, &interrupt, &options);
  av_dict_free(&options);
  if (ioOpened < 0) {
    return nullptr;
  }

  // The same probe avformat_open_input would make, done here so that the demuxer is judged before its
  // header is read: reading a playlist's header already opens what it names.
  const AVInputFormat* format = nullptr;
  if (av_probe_input_buffer2(media->io_, &format, url.c_str(), nullptr, 0, 0) < 0 ||
      IsRefusedFormat(format)) {
    return nullptr;
  }

  media->context_ = avformat_alloc_context();
  if (media->context_ == nullptr) {
    return nullptr;
  }
  AVFormatContext* context = media->context_;
  context->pb = media->io_;
  context->interrupt_callback = interrupt;
  context->io_open = &RefuseNestedOpen;

  av_dict_set(&options, "protocol_whitelist", "file", 0);
  av_dict_set(&options, "enable_drefs", "0", 0);
  const int opened = avformat_open_input(&media->context_, url.c_str(), format, &options);
  av_dict_free(&options);
  if (opened < 0) {
    media->context_ = nullptr;  // freed by avformat_open_input
    return nullptr;
  }
  if (avformat_find_stream_info(media->context_, nullptr) < 0 || media->deadline_.Passed()) {
    return nullptr;
  }
  return media;
}

OpenedMedia::~OpenedMedia() {
  avformat_close_input(&context_);
  avio_closep(&io_);
}

}  // namespace ffengine
