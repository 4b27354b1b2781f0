#include "tasks/item_factory.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>

#include "components/stream_label.h"
#include "components/text_utf.h"

namespace {

// A count the engine reported, as far as its table can hold it: whoever reads the item later walks
// the table by this count.
int32_t TableCount(int32_t count, int32_t capacity) {
  return std::clamp(count, int32_t{0}, capacity);
}

}  // namespace

bool IsUsableProbe(const MediaInfo& media) {
  return std::trunc(media.duration) > 0 && (media.videoCount > 0 || media.audioCount > 0);
}

QString FileNameOf(const QString& path) {
  return path.mid(path.lastIndexOf(u'/') + 1);
}

std::unique_ptr<MuiItemInfo> NewFileItem(const QString& path, const MediaInfo& media,
                                         const ProfileSetting& profile, int32_t group) {
  auto item = std::make_unique<MuiItemInfo>();
  item->fileName = FileNameOf(path);
  item->sourcePath = path;

  CIInput& input = item->input;
  input.media = media;
  input.media.audioCount = TableCount(media.audioCount, kMaxAudioStreams);
  input.media.subtitleCount = TableCount(media.subtitleCount, kMaxSubtitleStreams);
  const MediaInfo& kept = input.media;

  item->subtitles.push_back({-1, "No Subtitle"});
  for (int32_t i = 0; i < kept.subtitleCount; ++i) {
    const SubtitleStreamEntry& entry = kept.subtitleStreams[i];
    item->subtitles.push_back({entry.id, SubtitleStreamLabel(entry)});
  }
  for (int32_t i = 0; i < kept.audioCount; ++i) {
    const AudioStreamEntry& entry = kept.audioStreams[i];
    item->audioTracks.push_back({entry.id, AudioStreamLabel(entry)});
  }
  item->subtitleIndex = 0;
  item->audioIndex = item->audioTracks.empty() ? -1 : 0;

  const QByteArray nativePath = path.toUtf8();
  CopyTextToField(input.path, sizeof input.path, std::string_view(nativePath.constData(), nativePath.size()));
  input.effects.volume = 256;
  input.effects.deinterlace = kept.interlaced;
  input.clipStart = 0.0;
  input.clipLength = kept.duration;
  input.cropX = 0;
  input.cropY = 0;
  input.cropWidth = kept.width;
  input.cropHeight = kept.height;
  input.zoomMode = 1;
  input.videoId = kept.videoCount > 0 ? kept.videoStreamId : -1;
  input.audioId = kept.audioCount > 0 ? int32_t{kept.audioStreams[0].id} : -1;
  input.subtitleId = -1;

  item->watermark.refWidth = profile.Width;
  item->watermark.refHeight = profile.Height;
  item->groupId = group;
  item->profile = profile;
  return item;
}

std::unique_ptr<MuiItemInfo> NewMergedItem(const QString& name, const ProfileSetting& profile,
                                           int32_t group) {
  auto item = std::make_unique<MuiItemInfo>();
  item->SetItemKind(kMergedItem);
  item->fileName = name;
  item->SetOutputName(name);
  item->subtitleIndex = -1;
  item->audioIndex = -1;
  item->input.media.duration = 1.0;
  item->input.clipStart = 0.0;
  item->input.clipLength = 1.0;
  item->watermark.refWidth = profile.Width;
  item->watermark.refHeight = profile.Height;
  item->groupId = group;
  item->profile = profile;
  return item;
}
