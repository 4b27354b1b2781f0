#include <cmath>
#include <limits>

#include "base/routines.h"
#include "tasks/task_list.h"

namespace {

// Whole seconds, truncated; a length no clock shows (not a number, beyond the range) is shown as
// the nearest that is.
int32_t WholeSeconds(double seconds) {
  if (!(seconds > 0)) {
    return 0;
  }
  if (seconds >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(std::trunc(seconds));
}

QString Hms(double seconds) {
  return QString::fromStdString(FormatHms(WholeSeconds(seconds)));
}

}  // namespace

QString TVirtualStringTreeHelper::GetText(const TaskNode* node, int column) const {
  const MuiItemInfo* item = ItemOf(node);
  if (item == nullptr) {
    return {};
  }
  const bool merged = item->itemKind() == kMergedItem;
  switch (column) {
    case 0:
      return item->fileName;
    case 1:
      return Hms(merged ? item->mergedLength : item->input.media.duration);
    case 2:
      return Hms(merged ? item->mergedClipLength : item->input.clipLength);
    default:
      break;
  }
  if (column == outputColumn_ && item->itemKind() != kMergePart) {
    return item->outputName();
  }
  return {};
}

QString TVirtualStringTreeHelper::GetHint(const TaskNode* node, int column) const {
  const MuiItemInfo* item = ItemOf(node);
  if (item == nullptr) {
    return {};
  }
  if (column == 0) {
    return item->sourcePath;
  }
  if (column == outputColumn_ && item->itemKind() != kMergePart) {
    return item->outputName();
  }
  return {};
}

int TVirtualStringTreeHelper::GetImageIndex(const TaskNode* node, int column) const {
  const MuiItemInfo* item = ItemOf(node);
  if (item == nullptr || column != 0) {
    return -1;
  }
  if (item->itemKind() == kMergedItem) {
    return 2;
  }
  return item->input.media.videoCount != 0 ? 1 : 0;
}

bool TVirtualStringTreeHelper::EditingAllowed(const TaskNode* node, int column) const {
  const MuiItemInfo* item = ItemOf(node);
  return item != nullptr && column == outputColumn_ && item->itemKind() != kMergePart;
}
