#include "mainwin/list_recovery.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <vector>

#include "base/folders.h"
#include "platform/dialogs.h"
#include "tasks/list_snapshot.h"
#include "tasks/task_list.h"

namespace {

// A list of a million items stays far below this; a larger file is not one we wrote.
constexpr qint64 kLargestFile = 512LL * 1024 * 1024;
// The missing sources named one by one in the message; the rest are counted.
constexpr int kNamedMissing = 15;

bool SourceExists(const QString& path) {
  const QFileInfo info(path);
  return !path.isEmpty() && info.exists() && !info.isDir();
}

QString MissingText(const QStringList& missing) {
  QString text =
      QStringLiteral("These files of the restored list no longer exist, so they were left out of it:\n");
  const int named = std::min<int>(kNamedMissing, static_cast<int>(missing.size()));
  for (int i = 0; i < named; ++i) {
    text += QStringLiteral("\n") + missing[i];
  }
  if (missing.size() > named) {
    text += QStringLiteral("\n... and %1 more").arg(missing.size() - named);
  }
  return text;
}

}  // namespace

ListRecovery::ListRecovery(TaskTree& tree, TVirtualStringTreeHelper& list, const MuiContext& context)
    : tree_(&tree), list_(list), context_(context), path_(FileFor(context)) {
  if (!path_.isEmpty()) {
    writer_ = std::make_unique<SnapshotWriter>(path_);
  }
  quiet_.setSingleShot(true);
  quiet_.callOnTimeout([this] { Save(); });
  tree.AddObserver(this);
}

ListRecovery::~ListRecovery() {
  if (armed_ && quiet_.isActive()) {
    Save();
  }
  if (tree_ != nullptr) {
    tree_->RemoveObserver(this);
  }
}

QString ListRecovery::FileFor(const MuiContext& context) {
  const QString folder = UserDataFolder(context);
  return folder.isEmpty() ? QString() : folder + QStringLiteral("/task_list.json");
}

bool ListRecovery::OfferRestore(platform::Dialogs& dialogs, QWidget* owner, const QString& caption) {
  if (writer_ == nullptr || offered_) {
    return false;
  }
  offered_ = true;
  // Changes are written only once the saved list was dealt with, so none replaces it before.
  auto arm = [this] {
    armed_ = true;
    Touch();
  };
  QFile file(path_);
  if (!file.exists()) {
    arm();
    return false;
  }
  std::vector<SnapshotNode> nodes;
  QString error;
  if (file.size() > kLargestFile) {
    error = QStringLiteral("it is far larger than any list");
  } else if (!file.open(QIODevice::ReadOnly)) {
    error = file.errorString();
  } else {
    DecodeListSnapshot(file.readAll(), nodes, error);
    file.close();
  }
  if (!error.isEmpty()) {
    // Kept for whoever wants to look into it; the list starts empty.
    const QString bad = path_ + QStringLiteral(".bad");
    QFile::remove(bad);
    const bool kept = QFile::rename(path_, bad);
    if (!kept) {
      QFile::remove(path_);
    }
    dialogs.MessageBox(
        owner,
        QStringLiteral("The task list saved by the last session cannot be restored: %1.%2\n\n"
                       "The program starts with an empty list.")
            .arg(error, kept ? QStringLiteral("\n\nThe file was kept as \"%1\".").arg(bad) : QString()),
        caption, platform::MsgButtons::Ok, platform::MsgIcon::Warning);
    arm();
    return false;
  }
  if (nodes.empty()) {
    writer_->Remove();
    arm();
    return false;
  }
  const platform::MsgAnswer answer = dialogs.MessageBox(
      owner,
      QStringLiteral("The last session ended without closing its task list (%1).\n\n"
                     "Do you want to restore the list?")
          .arg(nodes.size() == 1 ? QStringLiteral("1 item") : QStringLiteral("%1 items").arg(nodes.size())),
      caption, platform::MsgButtons::YesNo, platform::MsgIcon::Question);
  if (answer != platform::MsgAnswer::Yes) {
    writer_->Remove();
    arm();
    return false;
  }
  AdoptTextPictures(nodes, TextImageFolder(context_), [this] { return NextTextImagePath(context_); });
  const SnapshotRestore restored = RestoreListSnapshot(std::move(nodes), list_, SourceExists);
  if (!restored.missingSources.isEmpty()) {
    dialogs.MessageBox(owner, MissingText(restored.missingSources), caption, platform::MsgButtons::Ok,
                       platform::MsgIcon::Warning);
  }
  // The copy still holds the items left out: it is written again soon either way.
  arm();
  return restored.added > 0;
}

void ListRecovery::Touch() {
  if (!armed_) {
    return;
  }
  if (!quiet_.isActive()) {
    firstUnsaved_.start();
  }
  const qint64 waited = firstUnsaved_.elapsed();
  quiet_.start(
      static_cast<int>(std::clamp<qint64>(kLongestWaitMilliseconds - waited, 0, kQuietMilliseconds)));
}

void ListRecovery::Discard() {
  if (!armed_) {
    return;
  }
  armed_ = false;
  quiet_.stop();
  writer_->Remove();
}

bool ListRecovery::UpToDate() const {
  return !quiet_.isActive() && (writer_ == nullptr || writer_->Idle());
}

void ListRecovery::Save() {
  quiet_.stop();
  if (!armed_ || tree_ == nullptr) {
    return;
  }
  if (tree_->TopLevelCount() == 0) {
    writer_->Remove();
    return;
  }
  // Copied here, turned into text and written on the writer's thread.
  auto captured = std::make_shared<const std::vector<SnapshotNode>>(CaptureList(*tree_));
  writer_->Submit([captured] { return EncodeListSnapshot(*captured); });
}
