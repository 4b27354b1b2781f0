#include "tests/tasks/fake_ff_preview.h"

#include <cstring>

std::map<std::string, MediaInfo> FakeFfPreview::table;
int FakeFfPreview::created = 0;
int FakeFfPreview::probes = 0;
int FakeFfPreview::alive = 0;

I_Plug* FakeFfPreview::Make() {
  ++created;
  return new FakeFfPreview;
}

void FakeFfPreview::Reset() {
  table.clear();
  created = 0;
  probes = 0;
}

bool FakeFfPreview::Probe(const char* path, MediaInfo* info) {
  ++probes;
  const auto found = table.find(path);
  if (found == table.end()) {
    return false;
  }
  *info = found->second;
  return true;
}

namespace {

template <size_t N>
void Put(char (&field)[N], const char* text) {
  std::strncpy(field, text, N - 1);
}

}  // namespace

MediaInfo VideoMedia(double duration, int32_t width, int32_t height) {
  MediaInfo media{};
  media.duration = duration;
  media.videoCount = 1;
  media.videoStreamId = 0;
  media.width = width;
  media.height = height;
  Put(media.videoCodec, "h264");
  return media;
}

MediaInfo AudioMedia(double duration) {
  MediaInfo media{};
  media.duration = duration;
  return media;
}

void AddAudio(MediaInfo& media, int32_t id, const char* codec, const char* channels, const char* tag) {
  AudioStreamEntry& entry = media.audioStreams[media.audioCount++];
  entry.id = id;
  entry.sampleRate = 48000;
  Put(entry.codec, codec);
  Put(entry.channels, channels);
  Put(entry.tag, tag);
}

void AddSubtitle(MediaInfo& media, int32_t id, const char* tag) {
  SubtitleStreamEntry& entry = media.subtitleStreams[media.subtitleCount++];
  entry.id = id;
  Put(entry.tag, tag);
}
