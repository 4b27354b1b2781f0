#include "platform/render_surface_table.h"

#include <atomic>
#include <charconv>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace platform {
namespace {

// Larger than any picture the preview shows; beyond it a size is taken for garbage rather than
// allocated.
constexpr int32_t kMaxFrameSide = 16384;
constexpr int64_t kBytesPerPixel = 3;

// One listed surface. Its own lock, not the table's, is held while a frame is handed over, so
// presenting to one surface never waits for a copy into another.
struct SurfaceEntry {
  std::mutex lock;
  SurfaceFrameStore* store = nullptr;  // null once the surface has left
};

bool ParseHandle(const char* text, uint64_t& handle) {
  if (text == nullptr || *text < '0' || *text > '9') {
    return false;
  }
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, handle);
  return error == std::errc() && stop == end && handle != 0;
}

bool SensibleFrame(const uint8_t* bgr, int32_t width, int32_t height, int32_t stride) {
  return bgr != nullptr && width > 0 && height > 0 && width <= kMaxFrameSide && height <= kMaxFrameSide &&
         static_cast<int64_t>(stride) >= kBytesPerPixel * width;
}

class SurfaceTable final : public RenderSurfaceTable {
 public:
  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++references_; }
  void Release() override;

  bool Present(const char* handle, const uint8_t* bgr, int32_t width, int32_t height,
               int32_t stride) override;
  uint64_t Add(SurfaceFrameStore* store) override;
  void Remove(uint64_t handle) override;

 private:
  std::shared_ptr<SurfaceEntry> Find(uint64_t handle);

  std::atomic<int32_t> references_{0};
  std::mutex lock_;
  std::unordered_map<uint64_t, std::shared_ptr<SurfaceEntry>> entries_;
};

// This copy's table lives while anybody holds it. The handle counters are kept apart from it, so that
// a table made again after the last one went never repeats a handle.
constinit std::mutex gTableLock;
constinit SurfaceTable* gTable = nullptr;
constinit std::atomic<uint64_t> gLastListedHandle{0};
constinit std::atomic<uint64_t> gNextUnlistedHandle{std::numeric_limits<uint64_t>::max()};

void SurfaceTable::Release() {
  // Under the factory's lock, so the factory never hands out a table whose last reference is going.
  std::unique_lock guard(gTableLock);
  if (--references_ != 0) {
    return;
  }
  gTable = nullptr;
  guard.unlock();
  delete this;
}

std::shared_ptr<SurfaceEntry> SurfaceTable::Find(uint64_t handle) {
  std::lock_guard guard(lock_);
  const auto it = entries_.find(handle);
  return it == entries_.end() ? nullptr : it->second;
}

bool SurfaceTable::Present(const char* handle, const uint8_t* bgr, int32_t width, int32_t height,
                           int32_t stride) {
  try {
    uint64_t key = 0;
    if (!SensibleFrame(bgr, width, height, stride) || !ParseHandle(handle, key)) {
      return false;
    }
    const std::shared_ptr<SurfaceEntry> entry = Find(key);
    if (entry == nullptr) {
      return false;
    }
    // The one copy of the frame, made before any lock is taken: the presenter's buffer may be reused
    // as soon as this returns, and the widget paints from the copy later.
    QImage frame(width, height, QImage::Format_BGR888);
    if (frame.isNull()) {
      return false;
    }
    const auto rowBytes = static_cast<size_t>(kBytesPerPixel * width);
    for (int32_t y = 0; y < height; ++y) {
      std::memcpy(frame.scanLine(y), bgr + static_cast<int64_t>(y) * stride, rowBytes);
    }
    std::lock_guard guard(entry->lock);
    if (entry->store == nullptr) {
      return false;
    }
    entry->store->TakeFrame(std::move(frame));
    return true;
  } catch (...) {
    return false;
  }
}

uint64_t SurfaceTable::Add(SurfaceFrameStore* store) {
  if (store == nullptr) {
    return 0;
  }
  try {
    auto entry = std::make_shared<SurfaceEntry>();
    entry->store = store;
    const uint64_t handle = ++gLastListedHandle;
    std::lock_guard guard(lock_);
    entries_.emplace(handle, std::move(entry));
    return handle;
  } catch (...) {
    return 0;
  }
}

void SurfaceTable::Remove(uint64_t handle) {
  std::shared_ptr<SurfaceEntry> entry;
  {
    std::lock_guard guard(lock_);
    const auto it = entries_.find(handle);
    if (it == entries_.end()) {
      return;
    }
    entry = std::move(it->second);
    entries_.erase(it);
  }
  // A Present that found the entry before it was unlisted may still be copying; it hands its frame
  // over under this lock, so once the store is cleared here nothing reaches the widget any more.
  std::lock_guard guard(entry->lock);
  entry->store = nullptr;
}

}  // namespace

I_Plug* CreateRenderSurfaceTable() {
  std::lock_guard guard(gTableLock);
  if (gTable == nullptr) {
    gTable = new (std::nothrow) SurfaceTable;
    if (gTable == nullptr) {
      return nullptr;
    }
  }
  gTable->AddRef();
  return gTable;
}

uint64_t UnlistedSurfaceHandle() {
  return gNextUnlistedHandle--;
}

}  // namespace platform
