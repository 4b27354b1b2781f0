#include "engines/ffengine/ff_preview.h"

#include <cstring>
#include <new>
#include <string>

#include "components/field_text.h"

#include "engines/ffengine/image_size.h"
#include "engines/ffengine/media_probe.h"

void FfPreview::Release() {
  if (--refs_ == 0) {
    delete this;
  }
}

namespace {

constexpr size_t kMaxMarkPath = 4096;

ffengine::PreviewSettings SettingsOf(const PreviewOpen& record) {
  ffengine::PreviewSettings settings;
  settings.events = record.events;
  settings.cropView = record.cropView == 1;
  settings.cropWidth = record.cropViewWidth;
  settings.cropHeight = record.cropViewHeight;
  settings.snapshotWidth = record.snapshotWidth;
  settings.snapshotHeight = record.snapshotHeight;
  settings.viewToBuffer = record.viewToBuffer != 0;
  settings.surface = std::string(FieldText(record.renderWindow));
  settings.viewWidth = record.viewWidth;
  settings.viewHeight = record.viewHeight;
  settings.input = record.input;
  const char* mark = record.input.mark.markFile;
  settings.markFile = mark != nullptr ? std::string(mark, strnlen(mark, kMaxMarkPath)) : std::string();
  settings.input.mark.markFile = nullptr;
  return settings;
}

}  // namespace

FfPreview::~FfPreview() {
  Close();
}

bool FfPreview::Open(const PreviewOpen* record) {
  if (record == nullptr) {
    return false;
  }
  try {
    Close();
    player_ = ffengine::PreviewPlayer::Open(SettingsOf(*record));
    return player_ != nullptr;
  } catch (...) {
    player_.reset();
    return false;
  }
}

void FfPreview::Play() {
  if (player_) {
    player_->Play();
  }
}

void FfPreview::Pause() {
  if (player_) {
    player_->Pause();
  }
}

void FfPreview::Close() {
  try {
    if (player_) {
      player_->Close();
      player_.reset();
    }
  } catch (...) {
    player_.reset();
  }
}

void FfPreview::Seek(int32_t seconds) {
  if (player_) {
    player_->Seek(seconds);
  }
}

void FfPreview::StepFrame() {
  if (player_) {
    player_->StepFrame();
  }
}

int32_t FfPreview::GetPosition(double* seconds) {
  double position = 0.0;
  const int32_t status = player_ ? player_->GetPosition(position) : -1;  // nothing plays: a poller stops
  if (seconds != nullptr) {
    *seconds = position;
  }
  return status;
}

bool FfPreview::Snapshot() {
  try {
    return player_ && player_->Snapshot();
  } catch (...) {
    return false;
  }
}

void FfPreview::SetCrop(int32_t x, int32_t y, int32_t width, int32_t height, int32_t zoomMode) {
  if (player_) {
    player_->SetCrop(x, y, width, height, zoomMode);
  }
}

void FfPreview::SetEffects(const EffectBlock* effects) {
  if (player_ && effects != nullptr) {
    player_->SetEffects(*effects);
  }
}

void FfPreview::SetWatermark(const WatermarkBlock* mark) {
  try {
    if (player_ && mark != nullptr) {
      player_->SetWatermark(*mark);
    }
  } catch (...) {
  }
}

ffengine::PlaybackStats FfPreview::Stats() const {
  return player_ ? player_->Stats() : ffengine::PlaybackStats{};
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
