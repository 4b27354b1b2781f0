#include "preview/preview_wrapper.h"

#include <QSaveFile>
#include <QThread>
#include <cstring>

#include "base/folders.h"
#include "base/mui_context.h"
#include "components/text_utf.h"
#include "platform/render_surface.h"
#include "preview/preview_rules.h"
#include "tasks/mui_item_info.h"
#include "widgets/tcroppanelex.h"
#include "widgets/tmarkpanel.h"

namespace {

constexpr char kLogFile[] = "logs.log";
constexpr int kSnapshotWaits = 10;
constexpr int kSnapshotWaitMs = 100;

// Places `control` at `place` inside `area` and gives back its size.
void Place(QWidget* control, const QRect& area, const ViewPlace& place) {
  control->setGeometry(area.x() + place.x, area.y() + place.y, place.width, place.height);
}

// Writes one frame into a buffer's pixels; a frame of another size is not this buffer's and is dropped.
bool WritePixels(QByteArray& buffer, const void* pixels, int32_t size) {
  if (pixels == nullptr || buffer.size() <= kBitmapHeaderSize || size != buffer.size() - kBitmapHeaderSize) {
    return false;
  }
  std::memcpy(buffer.data() + kBitmapHeaderSize, pixels, static_cast<size_t>(size));
  return true;
}

}  // namespace

PreviewWrapper::PreviewWrapper(const MuiContext& context) : context_(context) {}

PreviewWrapper::~PreviewWrapper() {
  Close();
}

bool PreviewWrapper::Open(const PreviewSetup& setup) {
  setup_ = setup;
  MuiItemInfo* item = setup.item;
  if (item == nullptr) {
    return false;
  }
  PlugPtr<I_FfPreview> engine;
  if (!CreateInto(engine, kFfPreviewName)) {
    return false;
  }
  const MediaInfo& media = item->input.media;
  const bool video = media.videoCount != 0;

  PreviewOpen record{};
  record.events = this;
  if (setup.renderWindow != nullptr) {
    CopyTextToField(record.renderWindow, sizeof(record.renderWindow),
                    setup.renderWindow->Handle().toStdString());
  }
  record.viewToBuffer = setup.markBox != nullptr ? 1 : 0;
  QWidget* view = setup.markBox != nullptr ? static_cast<QWidget*>(setup.markBox) : setup.renderWindow;
  const ViewPlace viewPlace = setup.outHeight > 0
                                  ? FitView(setup.viewRect.width(), setup.viewRect.height(),
                                            static_cast<double>(setup.outWidth) / setup.outHeight)
                                  : ViewPlace{};
  if (view != nullptr) {
    Place(view, setup.viewRect, viewPlace);
    view->setVisible(video);
  }
  record.viewWidth = viewPlace.width;
  record.viewHeight = viewPlace.height;
  viewBuffer_ = setup.markBox != nullptr ? MakeBitmapFile(viewPlace.width, viewPlace.height) : QByteArray();

  record.input = item->input;
  CopyTextToField(record.input.path, sizeof(record.input.path), item->sourcePath.toStdString());
  if (!setup.trimmedPlay) {
    record.input.clipStart = 0;
    record.input.clipLength = media.duration;
  }
  snapshotBuffer_.clear();
  if (setup.snapshotOn) {
    SnapshotSize(media.width, media.height, record.snapshotWidth, record.snapshotHeight);
    std::lock_guard lock(lock_);
    snapshotBuffer_ = MakeBitmapFile(record.snapshotWidth, record.snapshotHeight);
  }
  record.alwaysOne = 1;
  record.cropView = setup.cropView ? 1 : 0;
  cropBuffer_.clear();
  if (setup.cropView && setup.cropBox != nullptr) {
    // A damaged display shape falls back to the picture's own, then to 4:3.
    double aspect =
        media.aspectNum > 0 && media.aspectDen > 0
            ? static_cast<double>(media.aspectNum) / media.aspectDen
            : (media.width > 0 && media.height > 0 ? static_cast<double>(media.width) / media.height
                                                   : 4.0 / 3.0);
    const ViewPlace cropPlace = FitView(setup.cropRect.width(), setup.cropRect.height(), aspect);
    Place(setup.cropBox, setup.cropRect, cropPlace);
    record.cropViewWidth = cropPlace.width;
    record.cropViewHeight = cropPlace.height;
    cropBuffer_ = MakeBitmapFile(cropPlace.width, cropPlace.height);
    setup.cropBox->setVisible(video);
  }

  if (!engine->Open(&record)) {
    return false;
  }
  {
    std::lock_guard lock(lock_);
    previewLog_.clear();
  }
  engine_ = engine;
  return true;
}

void PreviewWrapper::Close() {
  if (!engine_.IsEmpty()) {
    engine_->Close();
    engine_ = nullptr;
  }
  {
    std::lock_guard lock(lock_);
    snapshotBuffer_.clear();
  }
  viewBuffer_.clear();
  cropBuffer_.clear();
  WriteLog();
}

void PreviewWrapper::WriteLog() const {
  const QString path = UserFileToWrite(context_, QString::fromLatin1(kLogFile));
  if (path.isEmpty()) {
    return;
  }
  const QByteArray log = PreviewLog();
  // Written aside and renamed over the old file, so a failure never leaves half a log.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return;
  }
  if (file.write(log) != log.size()) {
    file.cancelWriting();
  }
  file.commit();
}

bool PreviewWrapper::TakeSnapshot(const QString& path) {
  if (engine_.IsEmpty()) {
    return false;
  }
  frameArrived_ = false;
  if (!engine_->Snapshot()) {
    return false;
  }
  for (int wait = 0; wait < kSnapshotWaits && !frameArrived_; ++wait) {
    QThread::msleep(kSnapshotWaitMs);
  }
  if (!frameArrived_) {
    return false;
  }
  std::lock_guard lock(lock_);
  QSaveFile file(path);
  if (snapshotBuffer_.isEmpty() || !file.open(QIODevice::WriteOnly) ||
      file.write(snapshotBuffer_) != snapshotBuffer_.size()) {
    return false;
  }
  return file.commit();
}

QByteArray PreviewWrapper::PreviewLog() const {
  std::lock_guard lock(lock_);
  return previewLog_;
}

void PreviewWrapper::Info(int32_t& first, int32_t& second, int32_t& third) const {
  std::lock_guard lock(lock_);
  first = info_[0];
  second = info_[1];
  third = info_[2];
}

void PreviewWrapper::OnSnapshotFrame(const void* pixels, int32_t size) {
  std::lock_guard lock(lock_);
  if (WritePixels(snapshotBuffer_, pixels, size)) {
    frameArrived_ = true;
  }
}

void PreviewWrapper::OnCropFrame(const void* pixels, int32_t size) {
  if (setup_.cropBox != nullptr && WritePixels(cropBuffer_, pixels, size)) {
    setup_.cropBox->UpdateBkBmp(cropBuffer_);
  }
}

void PreviewWrapper::OnViewFrame(const void* pixels, int32_t size) {
  if (setup_.markBox != nullptr && WritePixels(viewBuffer_, pixels, size)) {
    setup_.markBox->UpdateBkBmp(viewBuffer_);
  }
}

void PreviewWrapper::OnLog(const char* text) {
  if (text == nullptr) {
    return;
  }
  std::lock_guard lock(lock_);
  previewLog_.append(text);
}

void PreviewWrapper::OnInfo(int32_t first, int32_t second, int32_t third) {
  std::lock_guard lock(lock_);
  const bool all = first != 0 && second != 0 && third != 0;
  info_[0] = all ? first : 0;
  info_[1] = all ? second : 0;
  info_[2] = all ? third : 0;
}
