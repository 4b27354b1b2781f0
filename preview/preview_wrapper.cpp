#include "preview/preview_wrapper.h"

#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>
#include <type_traits>

#include "base/folders.h"
#include "base/mui_context.h"
#include "components/text_utf.h"
#include "platform/render_surface.h"
#include "preview/preview_rules.h"
#include "preview/replace_file.h"
#include "tasks/mui_item_info.h"
#include "widgets/tcroppanelex.h"
#include "widgets/tmarkpanel.h"

namespace {

constexpr char kLogFile[] = "logs.log";
constexpr int kSnapshotWaits = 10;
constexpr std::chrono::milliseconds kSnapshotWait{100};

static_assert(std::is_trivially_copyable_v<PreviewOpen>, "the record is zero-filled byte for byte");

void Place(QWidget* control, const QRect& area, const ViewPlace& place) {
  control->setGeometry(area.x() + place.x, area.y() + place.y, place.width, place.height);
}

double Aspect(double width, double height) {
  return width > 0 && height > 0 ? width / height : 0.0;
}

template <class Box>
FrameBuffer::Shower ShowIn(Box* box) {
  if (box == nullptr) {
    return {};
  }
  return [box](const QByteArray& image) { box->UpdateBkBmp(image); };
}

}  // namespace

PreviewWrapper::PreviewWrapper(const MuiContext& context) : context_(context) {}

PreviewWrapper::~PreviewWrapper() {
  Close();
}

bool PreviewWrapper::Open(const PreviewSetup& setup) {
  if (!engine_.IsEmpty()) {
    // The old engine's threads write into the buffers about to be replaced: it stops first.
    Close();
  }
  setup_ = setup;
  const MuiItemInfo* item = setup.item;
  if (item == nullptr) {
    return false;
  }
  PlugPtr<I_FfPreview> engine;
  if (!CreateInto(engine, kFfPreviewName)) {
    return false;
  }
  const MediaInfo& media = item->input.media;
  const bool video = media.videoCount != 0;

  PreviewOpen record;
  std::memset(&record, 0, sizeof record);
  record.events = this;
  if (setup.renderWindow != nullptr) {
    const QByteArray handle = setup.renderWindow->Handle().toUtf8();
    CopyTextToField(record.renderWindow, sizeof record.renderWindow,
                    std::string_view(handle.constData(), static_cast<size_t>(handle.size())));
  }
  record.viewToBuffer = setup.markBox != nullptr ? 1 : 0;
  const ViewPlace viewPlace =
      FitView(setup.viewRect.width(), setup.viewRect.height(), Aspect(setup.outWidth, setup.outHeight));
  QWidget* view = setup.markBox != nullptr ? static_cast<QWidget*>(setup.markBox) : setup.renderWindow;
  if (view != nullptr) {
    Place(view, setup.viewRect, viewPlace);
    view->setVisible(video);
  }
  record.viewWidth = viewPlace.width;
  record.viewHeight = viewPlace.height;
  if (setup.markBox != nullptr) {
    view_.Reset(viewPlace.width, viewPlace.height, ShowIn(setup.markBox));
  } else {
    view_.Free();
  }

  record.input = item->input;
  const QByteArray path = item->sourcePath.toUtf8();
  CopyTextToField(record.input.path, sizeof record.input.path,
                  std::string_view(path.constData(), static_cast<size_t>(path.size())));
  if (!setup.trimmedPlay) {
    record.input.clipStart = 0;
    record.input.clipLength = media.duration;
  }
  if (setup.snapshotOn) {
    SnapshotSize(media.width, media.height, record.snapshotWidth, record.snapshotHeight);
    snapshot_.Reset(record.snapshotWidth, record.snapshotHeight);
  } else {
    snapshot_.Free();
  }
  record.alwaysOne = 1;
  record.cropView = setup.cropView ? 1 : 0;
  if (setup.cropView) {
    const ViewPlace cropPlace =
        FitView(setup.cropRect.width(), setup.cropRect.height(), DisplayAspect(media));
    if (setup.cropBox != nullptr) {
      Place(setup.cropBox, setup.cropRect, cropPlace);
      setup.cropBox->setVisible(video);
    }
    record.cropViewWidth = cropPlace.width;
    record.cropViewHeight = cropPlace.height;
    crop_.Reset(cropPlace.width, cropPlace.height, ShowIn(setup.cropBox));
  } else {
    crop_.Free();
  }

  // Emptied before the engine opens, not after: its threads start inside Open and may log at once
  // (a missing sound device), and those lines belong to this preview's log.
  {
    std::lock_guard lock(logLock_);
    log_.clear();
  }
  logStarted_ = true;
  if (!engine->Open(&record)) {
    view_.Free();
    crop_.Free();
    snapshot_.Free();
    return false;
  }
  engine_ = engine;
  return true;
}

void PreviewWrapper::Close() {
  if (!engine_.IsEmpty()) {
    // Close stops the engine's threads, so no frame reaches a buffer freed below.
    engine_->Close();
    engine_ = nullptr;
  }
  view_.Free();
  crop_.Free();
  snapshot_.Free();
  if (logStarted_) {
    WriteLog();
  }
}

void PreviewWrapper::WriteLog() const {
  const QString path = UserFileToWrite(context_, QString::fromLatin1(kLogFile));
  QByteArray log;
  {
    std::lock_guard lock(logLock_);
    log = log_;
  }
  // A log that cannot be written is no reason to disturb the window closing the preview.
  ReplaceFile(path, log);
}

bool PreviewWrapper::TakeSnapshot(const QString& path) {
  if (engine_.IsEmpty()) {
    return false;
  }
  frameArrived_ = false;
  if (!engine_->Snapshot()) {
    return false;
  }
  // The frame comes from the engine's picture thread with the next picture shown; the lock is not held
  // while waiting, so that delivery can take it.
  for (int wait = 0; wait < kSnapshotWaits && !frameArrived_; ++wait) {
    std::this_thread::sleep_for(kSnapshotWait);
  }
  // The snapshot is a picture for the user and other programs, so it is saved upright.
  return frameArrived_ && snapshot_.SaveTo(path, true);
}

QString PreviewWrapper::PreviewLog() const {
  std::lock_guard lock(logLock_);
  return QString::fromUtf8(log_);
}

void PreviewWrapper::Info(int32_t& first, int32_t& second, int32_t& third) const {
  std::lock_guard lock(logLock_);
  first = info_[0];
  second = info_[1];
  third = info_[2];
}

void PreviewWrapper::OnSnapshotFrame(const void* pixels, int32_t size) {
  if (snapshot_.Store(pixels, size)) {
    frameArrived_ = true;
  }
}

void PreviewWrapper::OnCropFrame(const void* pixels, int32_t size) {
  crop_.Store(pixels, size);
}

void PreviewWrapper::OnViewFrame(const void* pixels, int32_t size) {
  view_.Store(pixels, size);
}

void PreviewWrapper::OnLog(const char* text) {
  if (text == nullptr) {
    return;
  }
  std::lock_guard lock(logLock_);
  log_.append(text);
}

void PreviewWrapper::OnInfo(int32_t first, int32_t second, int32_t third) {
  const bool all = first != 0 && second != 0 && third != 0;
  std::lock_guard lock(logLock_);
  info_[0] = all ? first : 0;
  info_[1] = all ? second : 0;
  info_[2] = all ? third : 0;
}
