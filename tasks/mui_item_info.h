#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "components/engine_records.h"
#include "components/single_task_view.h"
#include "settings/profile_setting.h"

class TaskNode;

// One choice of a track box: an audio track or a subtitle.
struct StreamInfo {
  int32_t id = -1;    // the engine's stream id; -1 for "No Subtitle"
  std::string label;  // UTF-8, as the box shows it
};

enum ItemKind : int32_t {
  kSingleItem = 0,
  kMergedItem = 1,  // its parts are its node's children
  kMergePart = 2,
};

// One task-list item: a source file or a merge of several, its output name, its track choices, its
// profile, its edits and the engine records the conversion needs. Its node owns it.
//
// The item's own SingleTaskView (`input` and `watermark`) keeps input.mark.markFile pointing at this
// item's own watermark text, also in every copy.
//
// The output name and the kind decide which names the list counts as taken, so they change only
// through their setters, which keep the list's name index in step while the item is in a tree.
struct MuiItemInfo : SingleTaskView {
  QString fileName;    // "File Name" column: the source's name, or the generated merge name
  QString sourcePath;  // empty for a merged item
  int32_t subtitleIndex = 0;
  int32_t audioIndex = -1;  // -1 when there is no audio track
  std::vector<StreamInfo> subtitles;
  std::vector<StreamInfo> audioTracks;
  CIOutput output{};              // zero until the conversion fills it
  double mergedLength = 0.0;      // merged item: sum of its parts' source durations, seconds
  double mergedClipLength = 0.0;  // merged item: sum of its parts' clip lengths, seconds
  int32_t groupId = 0;
  ProfileSetting profile;  // the item's own copy

  MuiItemInfo() = default;
  // A copy is a detached item: it belongs to no node until a tree adopts it.
  MuiItemInfo(const MuiItemInfo& other);
  MuiItemInfo& operator=(const MuiItemInfo& other);

  // "Output Name" column: the output file's name without folder.
  const QString& outputName() const { return outputName_; }
  void SetOutputName(const QString& name);
  int32_t itemKind() const { return itemKind_; }
  void SetItemKind(int32_t kind);

  // The node that owns the item, or null while it has none.
  TaskNode* Node() const { return node_; }

 private:
  friend class TaskTree;
  template <class Change>
  void ChangeKey(Change&& change);

  QString outputName_;
  int32_t itemKind_ = kSingleItem;
  TaskNode* node_ = nullptr;
};
