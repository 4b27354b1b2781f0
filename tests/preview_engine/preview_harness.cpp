#include "tests/preview_engine/preview_harness.h"

#include <dirent.h>

#include "tests/convert_engine/engine_harness.h"

namespace preview_harness {

void RecordingSink::OnLog(const char* text) {
  std::lock_guard lock(mutex_);
  log_ += text;
  ++counts_[static_cast<int>(Kind::kLog)];
  threads_.push_back(std::this_thread::get_id());
}

void RecordingSink::Frame(Kind kind, const void* pixels, int32_t size) {
  {
    std::lock_guard lock(mutex_);
    const int index = static_cast<int>(kind);
    ++counts_[index];
    if (pixels != nullptr && size > 0) {
      const auto* bytes = static_cast<const uint8_t*>(pixels);
      last_[index].assign(bytes, bytes + size);
    }
    threads_.push_back(std::this_thread::get_id());
  }
  arrived_.notify_all();
}

int RecordingSink::Count(Kind kind) const {
  std::lock_guard lock(mutex_);
  return counts_[static_cast<int>(kind)];
}

int RecordingSink::Calls() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(threads_.size());
}

std::vector<uint8_t> RecordingSink::Last(Kind kind) const {
  std::lock_guard lock(mutex_);
  return last_[static_cast<int>(kind)];
}

std::vector<std::thread::id> RecordingSink::Threads() const {
  std::lock_guard lock(mutex_);
  return threads_;
}

std::string RecordingSink::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

bool RecordingSink::WaitFor(Kind kind, int count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, timeout, [&] { return counts_[static_cast<int>(kind)] >= count; });
}

output_probe::Picture ToPicture(const std::vector<uint8_t>& bgr, int width, int height) {
  output_probe::Picture picture;
  picture.width = width;
  picture.height = height;
  const int stride = (width * 3 + 3) & ~3;
  if (bgr.size() < static_cast<size_t>(stride) * height) {
    return picture;
  }
  picture.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* from = bgr.data() + static_cast<size_t>(y) * stride + x * 3;
      uint8_t* to = picture.rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  }
  return picture;
}

PreviewOpen OpenRecord(const CIInput& input, FfPreviewEvent* sink, const ViewPlan& plan) {
  PreviewOpen record{};
  record.events = sink;
  record.cropView = plan.cropView ? 1 : 0;
  record.cropViewWidth = plan.cropWidth;
  record.cropViewHeight = plan.cropHeight;
  record.snapshotWidth = plan.snapshotWidth;
  record.snapshotHeight = plan.snapshotHeight;
  record.viewToBuffer = plan.toBuffer ? 1 : 0;
  engine_harness::SetField(record.renderWindow, plan.surface);
  record.viewWidth = plan.viewWidth;
  record.viewHeight = plan.viewHeight;
  record.alwaysOne = 1;
  record.input = input;
  return record;
}

PreviewPtr NewPreview() {
  return PreviewPtr(static_cast<FfPreview*>(CreateFfPreview()));
}

int ThreadCount() {
  int count = 0;
  if (DIR* tasks = ::opendir("/proc/self/task")) {
    while (const dirent* entry = ::readdir(tasks)) {
      count += entry->d_name[0] != '.' ? 1 : 0;
    }
    ::closedir(tasks);
  }
  return count;
}

bool PollUntil(FfPreview& preview, const std::function<bool(int32_t, double)>& done,
               std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    double position = 0;
    const int32_t status = preview.GetPosition(&position);
    if (done(status, position)) {
      return true;
    }
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

}  // namespace preview_harness
