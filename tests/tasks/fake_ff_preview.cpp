#include "tests/tasks/fake_ff_preview.h"

#include <chrono>
#include <cstring>
#include <thread>

std::map<std::string, MediaInfo> FakeFfPreview::table;
int FakeFfPreview::created = 0;
int FakeFfPreview::probes = 0;
int FakeFfPreview::alive = 0;
std::function<void(const std::string&)> FakeFfPreview::onProbe;
std::vector<std::string> FakeFfPreview::calls;
bool FakeFfPreview::openResult = true;
PreviewOpen FakeFfPreview::lastOpen{};
std::deque<std::pair<int32_t, double>> FakeFfPreview::positions;
bool FakeFfPreview::snapshotResult = true;
int FakeFfPreview::snapshotDelay = 0;

I_Plug* FakeFfPreview::Make() {
  ++created;
  return new FakeFfPreview;
}

void FakeFfPreview::Reset() {
  table.clear();
  onProbe = nullptr;
  created = 0;
  probes = 0;
  calls.clear();
  openResult = true;
  lastOpen = PreviewOpen{};
  positions.clear();
  snapshotResult = true;
  snapshotDelay = 0;
}

int FakeFfPreview::Count(const std::string& name) {
  int count = 0;
  for (const std::string& call : calls) {
    count += call == name ? 1 : 0;
  }
  return count;
}

bool FakeFfPreview::Open(const PreviewOpen* record) {
  calls.push_back("Open");
  lastOpen = *record;
  return openResult;
}

int32_t FakeFfPreview::GetPosition(double* seconds) {
  calls.push_back("GetPosition");
  if (positions.empty()) {
    *seconds = 0;
    return 0;
  }
  const std::pair<int32_t, double> answer = positions.front();
  if (positions.size() > 1) {
    positions.pop_front();
  }
  *seconds = answer.second;
  return answer.first;
}

bool FakeFfPreview::Snapshot() {
  calls.push_back("Snapshot");
  if (!snapshotResult || snapshotDelay < 0) {
    return snapshotResult;
  }
  FfPreviewEvent* sink = lastOpen.events;
  const std::vector<uint8_t> pixels(static_cast<size_t>(lastOpen.snapshotWidth) * lastOpen.snapshotHeight * 3,
                                    0x80);
  if (snapshotDelay == 0) {
    sink->OnSnapshotFrame(pixels.data(), static_cast<int32_t>(pixels.size()));
  } else {
    // The engine's own thread, a while later; the test keeps the sink alive that long.
    std::thread([sink, pixels, delay = snapshotDelay] {
      std::this_thread::sleep_for(std::chrono::milliseconds(delay));
      sink->OnSnapshotFrame(pixels.data(), static_cast<int32_t>(pixels.size()));
    }).detach();
  }
  return true;
}

bool FakeFfPreview::Probe(const char* path, MediaInfo* info) {
  ++probes;
  if (onProbe) {
    onProbe(path);
  }
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
