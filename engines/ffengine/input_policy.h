#pragma once

#include <chrono>
#include <memory>

#include "engines/ffengine/deadline.h"

extern "C" {
#include <libavformat/avformat.h>
}

// How the engines open a user's media file. A file named .mp4 must not be able to make the program
// read other files, and no file may freeze the caller:
// - only regular files are opened (a FIFO or device would block or never end), through the file
//   protocol only; the path is always a path, never a URL;
// - formats that open other files or reach further (playlists, concat scripts, manifests, image
//   sequences, stream descriptions) are refused before their header is read, and any nested open a
//   demuxer still attempts is refused as well; QuickTime data references are not followed;
// - every blocking call is bounded by a Deadline.
// FFmpeg's default probe size and analysis duration are kept: smaller ones give wrong results.
namespace ffengine {

inline constexpr std::chrono::seconds kOpenBound{5};

// A user's media file opened and analysed (avformat_find_stream_info) under the policy above. The
// conversion and preview engines open through it too, so they see the same streams in the same order.
class OpenedMedia {
 public:
  // Null when the file is refused, unreadable or not media FFmpeg recognises, or when `bound` passes.
  static std::unique_ptr<OpenedMedia> Open(const char* path,
                                           std::chrono::steady_clock::duration bound = kOpenBound);
  ~OpenedMedia();
  OpenedMedia(const OpenedMedia&) = delete;
  OpenedMedia& operator=(const OpenedMedia&) = delete;

  AVFormatContext* Context() const { return context_; }
  // The bound given to Open keeps running: later reads end when it passes.
  const Deadline& Limit() const { return deadline_; }
  // A new bound from now for the reads to come (a preview reads for as long as the user watches). Only
  // while no read runs.
  void RenewLimit(std::chrono::steady_clock::duration bound) { deadline_.Renew(bound); }

 private:
  explicit OpenedMedia(std::chrono::steady_clock::duration bound) : deadline_(bound) {}

  Deadline deadline_;
  AVIOContext* io_ = nullptr;  // ours: the demuxer never closes a context it was given
  AVFormatContext* context_ = nullptr;
};

// True for demuxers this policy refuses.
bool IsRefusedFormat(const AVInputFormat* format);

}  // namespace ffengine
