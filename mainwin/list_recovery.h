#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <memory>

#include "tasks/snapshot_writer.h"
#include "tasks/task_tree.h"

class QWidget;
class TVirtualStringTreeHelper;
struct MuiContext;

namespace platform {
class Dialogs;
}

// Keeps a copy of the task list in the user's data folder so that a crash, a kill or a power cut does
// not cost the list the user built. The copy is written a moment after the list stops changing (never
// on each step of a change, and at the latest a few seconds after the first unsaved one), on a thread
// of its own, and replaced atomically. A normal close removes it; so a copy found at the start means
// the last session ended uncleanly, and the user is offered the list back.
//
// Until the offer was made nothing is written, so that a list from the last session is not replaced
// before the user could take it back.
class ListRecovery final : private TaskTreeObserver {
 public:
  // The pause after the last change before the list is written, and the longest a change waits.
  static constexpr int kQuietMilliseconds = 1500;
  static constexpr int kLongestWaitMilliseconds = 8000;

  // The copy lives at FileFor(context); without a user data folder nothing is ever written or offered.
  // `context` outlives the recovery.
  ListRecovery(TaskTree& tree, TVirtualStringTreeHelper& list, const MuiContext& context);
  // Writes a change that is still waiting, so that a window torn down without a close loses nothing.
  ~ListRecovery();
  ListRecovery(const ListRecovery&) = delete;
  ListRecovery& operator=(const ListRecovery&) = delete;

  // <user data folder>/task_list.json; empty without a user data folder.
  static QString FileFor(const MuiContext& context);

  // At the window's first showing: a damaged copy is kept as ".bad" and the user told; a readable one
  // is offered and, on Yes, appended to the list, sources that are gone left out and named in one
  // message. Then changes start to be written. True when items were restored.
  bool OfferRestore(platform::Dialogs& dialogs, QWidget* owner, const QString& caption);
  // Something an item holds changed without the tree hearing of it (a track choice, a clip edit).
  void Touch();
  // The normal close: the list is over, its copy removed, and nothing more is written.
  void Discard();

  // Every change has been written (tests wait for this before they kill the program).
  bool UpToDate() const;
  const QString& path() const { return path_; }

 private:
  void NodesAdded(TaskNode*, int, int) override { Touch(); }
  void NodesRemoved(TaskNode*, int, int) override { Touch(); }
  void NodeMoved(TaskNode*) override { Touch(); }
  void Cleared() override { Touch(); }
  void NodeChanged(TaskNode*) override { Touch(); }
  void ItemKeyChanged(TaskNode*) override { Touch(); }
  void UpdateEnded() override { Touch(); }
  void TreeDestroyed() override { tree_ = nullptr; }

  void Save();

  TaskTree* tree_;
  TVirtualStringTreeHelper& list_;
  const MuiContext& context_;
  const QString path_;
  std::unique_ptr<SnapshotWriter> writer_;
  QTimer quiet_;
  QElapsedTimer firstUnsaved_;
  bool offered_ = false;
  bool armed_ = false;  // the offer was dealt with and the window is not closed
};
