#include "tasks/mui_item_info.h"

#include "tasks/task_tree.h"

MuiItemInfo::MuiItemInfo(const MuiItemInfo& other)
    : SingleTaskView(other),
      fileName(other.fileName),
      sourcePath(other.sourcePath),
      subtitleIndex(other.subtitleIndex),
      audioIndex(other.audioIndex),
      subtitles(other.subtitles),
      audioTracks(other.audioTracks),
      output(other.output),
      mergedLength(other.mergedLength),
      mergedClipLength(other.mergedClipLength),
      groupId(other.groupId),
      profile(other.profile),
      outputName_(other.outputName_),
      itemKind_(other.itemKind_) {}

MuiItemInfo& MuiItemInfo::operator=(const MuiItemInfo& other) {
  if (this == &other) {
    return *this;
  }
  SingleTaskView::operator=(other);
  fileName = other.fileName;
  sourcePath = other.sourcePath;
  subtitleIndex = other.subtitleIndex;
  audioIndex = other.audioIndex;
  subtitles = other.subtitles;
  audioTracks = other.audioTracks;
  output = other.output;
  mergedLength = other.mergedLength;
  mergedClipLength = other.mergedClipLength;
  groupId = other.groupId;
  profile = other.profile;
  ChangeKey([&] {
    outputName_ = other.outputName_;
    itemKind_ = other.itemKind_;
  });
  return *this;
}

template <class Change>
void MuiItemInfo::ChangeKey(Change&& change) {
  TaskTree* tree = node_ != nullptr ? node_->Tree() : nullptr;
  if (tree != nullptr) {
    tree->NotifyItemKeyChanging(node_);
  }
  change();
  if (tree != nullptr) {
    tree->NotifyItemKeyChanged(node_);
  }
}

void MuiItemInfo::SetOutputName(const QString& name) {
  if (name != outputName_) {
    ChangeKey([&] { outputName_ = name; });
  }
}

void MuiItemInfo::SetItemKind(int32_t kind) {
  if (kind != itemKind_) {
    ChangeKey([&] { itemKind_ = kind; });
  }
}
