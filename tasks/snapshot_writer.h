#pragma once

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Writes `bytes` to `path` so that the file holds either its old content or the new one whole, also
// after a crash or a power cut at any moment: the bytes go to a temporary file beside it, are flushed
// to the disk, and the temporary file then takes the name, the folder being flushed as well. False,
// with the reason in `error` and the old file untouched, when it could not be done.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString& error);

// Writes one file again and again from a thread of its own, so that turning the content into bytes
// and flushing it to a slow disk never hold up the caller. Only the newest content handed over
// counts: content that was still waiting when newer came is never made nor written. Callable from
// one thread (the user-interface thread).
class SnapshotWriter {
 public:
  explicit SnapshotWriter(QString path);
  // Writes what is still waiting, then ends the thread.
  ~SnapshotWriter();
  SnapshotWriter(const SnapshotWriter&) = delete;
  SnapshotWriter& operator=(const SnapshotWriter&) = delete;

  const QString& path() const { return path_; }
  void Submit(QByteArray bytes);
  // `produce` runs on the writer's thread and gives the bytes; it must own everything it reads.
  void Submit(std::function<QByteArray()> produce);
  // Forgets what is waiting, waits for a write under way, and removes the file.
  void Remove();
  // Waits until everything handed over is written.
  void Flush();
  // True when nothing waits and nothing is being written.
  bool Idle() const;
  // The reason the newest write failed; empty after a success.
  QString lastError() const;

 private:
  void Work();

  const QString path_;
  mutable std::mutex mutex_;  // guards every field below
  std::condition_variable changed_;
  std::function<QByteArray()> pending_;
  bool writing_ = false;
  bool stopping_ = false;
  QString lastError_;
  std::thread thread_;  // last: starts once the fields above exist
};
