#include "tasks/track_choice.h"

namespace {

const std::vector<StreamInfo>& Choices(const MuiItemInfo& item, TrackKind kind) {
  return kind == TrackKind::Subtitle ? item.subtitles : item.audioTracks;
}

}  // namespace

QStringList TrackLabels(const MuiItemInfo& item, TrackKind kind) {
  QStringList labels;
  for (const StreamInfo& choice : Choices(item, kind)) {
    labels.push_back(QString::fromStdString(choice.label));
  }
  return labels;
}

int TrackIndex(const MuiItemInfo& item, TrackKind kind) {
  return kind == TrackKind::Subtitle ? item.subtitleIndex : item.audioIndex;
}

void ChooseTrack(MuiItemInfo& item, TrackKind kind, int index) {
  const std::vector<StreamInfo>& choices = Choices(item, kind);
  int32_t& kept = kind == TrackKind::Subtitle ? item.subtitleIndex : item.audioIndex;
  int32_t& id = kind == TrackKind::Subtitle ? item.input.subtitleId : item.input.audioId;
  kept = index;
  if (index >= 0 && static_cast<size_t>(index) < choices.size()) {
    id = choices[static_cast<size_t>(index)].id;
  }
}
