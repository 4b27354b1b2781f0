#pragma once

#include <cstring>

#include "components/single_task_view.h"

// An item as the task list loads it: the edits at their defaults for a probed source.
inline CIInput LoadedInput(double duration, int width = 0, int height = 0, int interlaced = 0) {
  CIInput input;
  std::memset(&input, 0, sizeof input);
  input.media.duration = duration;
  input.media.width = width;
  input.media.height = height;
  input.media.interlaced = interlaced;
  input.clipLength = duration;
  input.cropWidth = width;
  input.cropHeight = height;
  input.zoomMode = 1;
  input.effects.volume = 256;
  input.effects.deinterlace = interlaced;
  return input;
}
