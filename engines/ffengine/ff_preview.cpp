#include "engines/ffengine/ff_preview.h"

#include <new>

#include "engines/ffengine/image_size.h"
#include "engines/ffengine/media_probe.h"

void FfPreview::Release() {
  if (--refs_ == 0) {
    delete this;
  }
}

bool FfPreview::Open(const PreviewOpen* record) {
  return false;
}

int32_t FfPreview::GetPosition(double* seconds) {
  if (seconds != nullptr) {
    *seconds = 0.0;
  }
  return -1;  // nothing plays: a caller polling it stops its preview
}

bool FfPreview::Probe(const char* path, MediaInfo* info) {
  if (path == nullptr || info == nullptr) {
    return false;
  }
  try {
    return ffengine::ProbeMedia(path, *info);
  } catch (...) {
    return false;
  }
}

bool FfPreview::GetImageSize(const char* path, int32_t* width, int32_t* height) {
  if (path == nullptr || width == nullptr || height == nullptr) {
    return false;
  }
  try {
    return ffengine::ReadImageSize(path, *width, *height);
  } catch (...) {
    return false;
  }
}

I_Plug* CreateFfPreview() {
  return new (std::nothrow) FfPreview();
}
