#include "tasks/snapshot_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <utility>

namespace {

// The rename is only lasting once the folder's own entry is on the disk.
void SyncFolder(const QString& folder) {
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString& error) {
  // QSaveFile writes beside the target, flushes it to the disk on commit, and renames it over the
  // target; on any failure it removes its temporary file and leaves the target as it was.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    error = file.errorString();
    return false;
  }
  if (file.write(bytes) != bytes.size()) {
    error = file.errorString();
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    error = file.errorString();
    return false;
  }
  SyncFolder(QFileInfo(path).absolutePath());
  return true;
}

SnapshotWriter::SnapshotWriter(QString path) : path_(std::move(path)), thread_([this] { Work(); }) {}

SnapshotWriter::~SnapshotWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void SnapshotWriter::Submit(QByteArray bytes) {
  Submit([bytes = std::move(bytes)] { return bytes; });
}

void SnapshotWriter::Submit(std::function<QByteArray()> produce) {
  {
    std::lock_guard lock(mutex_);
    pending_ = std::move(produce);
  }
  changed_.notify_all();
}

void SnapshotWriter::Remove() {
  std::unique_lock lock(mutex_);
  pending_ = nullptr;
  changed_.wait(lock, [this] { return !writing_; });
  QFile::remove(path_);
}

void SnapshotWriter::Flush() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !writing_ && !pending_; });
}

bool SnapshotWriter::Idle() const {
  std::lock_guard lock(mutex_);
  return !writing_ && !pending_;
}

QString SnapshotWriter::lastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

void SnapshotWriter::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || pending_ != nullptr; });
    if (pending_ == nullptr) {
      return;  // stopping with nothing left to write
    }
    const std::function<QByteArray()> produce = std::move(pending_);
    pending_ = nullptr;
    writing_ = true;
    lock.unlock();
    QString error;
    WriteFileAtomically(path_, produce(), error);
    lock.lock();
    writing_ = false;
    lastError_ = error;
    changed_.notify_all();
  }
}
