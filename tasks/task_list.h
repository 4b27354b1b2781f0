#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "components/media_info.h"
#include "settings/profile_setting.h"
#include "tasks/list_environment.h"
#include "tasks/mui_item_info.h"
#include "tasks/output_name_index.h"
#include "tasks/supported_file.h"
#include "tasks/task_tree.h"
#include "tasks/track_choice.h"

struct MuiContext;

// The task list: the items of a bound task tree and every rule about them — loading files and
// folders, unique output names, renaming, moving, removing, checking, merging, dragging inside the
// list, profiles and clip edits across items, and which items a conversion takes.
//
// All on the user-interface thread. Loading lets pending window messages run between files, so any
// operation may run in between; loading copes with the list changing meanwhile and with the list
// itself being destroyed.
//
// Output names are counted in an index that follows every change of the bound tree (nodes added and
// deleted, names and kinds set through MuiItemInfo's setters), so making a name unique costs
// amortised constant time instead of a walk over the list.
class TVirtualStringTreeHelper final : private TaskTreeObserver {
 public:
  // No drag has been seen over the list yet.
  static constexpr int kNoDragStart = std::numeric_limits<int32_t>::max();

  // `context` (which decides the input types the list accepts) outlives the list.
  explicit TVirtualStringTreeHelper(const MuiContext& context);
  // Clears the bound tree first.
  ~TVirtualStringTreeHelper();
  TVirtualStringTreeHelper(const TVirtualStringTreeHelper&) = delete;
  TVirtualStringTreeHelper& operator=(const TVirtualStringTreeHelper&) = delete;

  // Installs the list's handlers on `tree`, keeping its focus-changing handler to call on from the
  // list's own. The tree must outlive the binding or tell the list that it goes.
  void Bind(TaskTree& tree, int outputColumn);
  TaskTree* Tree() const { return tree_; }
  int outputColumn() const { return outputColumn_; }
  // Null gives a quiet environment: no messages, no cursor, no message loop. The environment must
  // outlive every load.
  void SetEnvironment(ListEnvironment* environment);

  // --- Loading ---------------------------------------------------------------------------------
  // Loads the paths in order with the busy cursor; true when at least one item was added. Files are
  // probed several at once where the engine can (see list_probing.h), and each is added as soon as the
  // files before it are settled. The environment shows how far the load is and may cancel it. With
  // `showErrors`, each refused file gets the refusal message: one that cannot be read says so, one the
  // engine refuses gets the format message. Afterwards the last item is scrolled to, focused and alone
  // selected.
  bool LoadFiles(const QStringList& paths, bool showErrors, const ProfileSetting& profile, int32_t group);
  // One file, probed here and now through the engine's Probe. 0: an item was added at the end; -1: not
  // a usable media file (empty, unreadable, a path the input record cannot hold, refused by the
  // engine, shorter than a second, no audio and no video).
  int LoadFile(const QString& path, const ProfileSetting& profile, int32_t group);
  // The folder's tree, deepest folders first, quietly skipping refused files, in one load. False when
  // the folder cannot be read or nothing was added.
  bool LoadFolder(const QString& folder, const ProfileSetting& profile, int32_t group);
  // Files and folders dropped from the file manager, in drop order, in one load. True when anything
  // was added.
  bool DropFiles(const QStringList& paths, const ProfileSetting& profile, int32_t group);

  // --- Items and names -------------------------------------------------------------------------
  MuiItemInfo* ItemOf(const TaskNode* node) const;
  MuiItemInfo* FocusedItem() const;
  // Makes `name` unique among the output names of the list's items except `self` and the parts.
  void MakeOutputNameUnique(const MuiItemInfo* self, QString& name);
  // Gives the item's output name its profile's extension (see output_names::WithProfileExtension) and
  // makes it unique. Nothing for a part.
  void ApplyProfileExtension(MuiItemInfo* item, bool replace);

  // --- Tree handlers (Bind installs them) ------------------------------------------------------
  QString GetText(const TaskNode* node, int column) const;
  QString GetHint(const TaskNode* node, int column) const;
  // 0 audio file, 1 video file, 2 merged item; -1 for no image.
  int GetImageIndex(const TaskNode* node, int column) const;
  bool EditingAllowed(const TaskNode* node, int column) const;
  // The rename rule for a text typed into the output cell.
  void NewText(TaskNode* node, int column, const QString& text);

  // --- Operations ------------------------------------------------------------------------------
  // Starts editing the focused item's output cell, unless it is a part.
  void BeginRename();
  // The focused node before its previous sibling / after its next one; false without one.
  bool MoveUp();
  bool MoveDown();
  // Deletes the selected nodes; a merged item goes with its last part. Focuses and selects a
  // neighbour of the first one deleted, or the first item.
  void RemoveSelected();
  // Deletes every node (the list's part of clearing everything).
  void ClearAll();
  // Checks or unchecks every top-level node; parts keep having no box.
  void SetAllChecked(bool checked);
  // A new merged item at the end with copies of the selected items as its parts; null when nothing
  // is selected. Selection, focus and the merged items stay as they were.
  TaskNode* MergeSelected(const ProfileSetting& profile, int32_t group);
  // Copies `source` (or each part of it, when it is a merged item) into the merged item as parts,
  // at the end or next to its part `anchor`, in order.
  void CopyIntoMerge(TaskNode* merged, TaskNode* source, TaskNode* anchor = nullptr,
                     AttachMode mode = AttachMode::AddChildLast);
  // Every item gets the focused item's group and profile; names change extension where it differs.
  void ApplyProfileToAll();
  // After the clip editor closed with OK for `item`, whose clip length was `oldClipLength`.
  void AfterClipEdit(MuiItemInfo* item, double oldClipLength, bool applyToAll);
  // What a conversion takes, in order: checked top-level items, and the checked children of mixed
  // nodes.
  std::vector<MuiItemInfo*> CheckedItems() const;

  // --- Dragging inside the list ----------------------------------------------------------------
  void StartDrag();
  bool DragOver(bool fromThisTree, int y);
  void DragDrop(TaskNode* target, DropSpot spot, int y);
  int dragStartY() const { return dragStartY_; }

 private:
  // TaskTreeObserver: keeps the name index in step.
  void NodesAdded(TaskNode* parent, int first, int last) override;
  void NodesAboutToBeRemoved(TaskNode* parent, int first, int last) override;
  void AboutToBeCleared() override;
  void ItemKeyChanging(TaskNode* node) override;
  void ItemKeyChanged(TaskNode* node) override;
  void TreeDestroyed() override;

  void Unbind();
  void IndexSubtree(const TaskNode* node, bool add);
  bool Counted(const MuiItemInfo* item) const;
  ListEnvironment& Environment() const;
  struct LoadEntry {
    QString path;
    bool showErrors;
  };
  struct Precheck;
  Precheck CheckBeforeProbe(const QString& path) const;
  void AddProbed(const QString& path, const MediaInfo& media, const ProfileSetting& profile, int32_t group);
  bool LoadEntries(const std::vector<LoadEntry>& entries, const ProfileSetting& profile, int32_t group);
  // Adds the supported files of the folder's tree to `files`; false when the list went away meanwhile.
  bool GatherFolder(const QString& folder, QSet<QString>& visited, std::vector<LoadEntry>& files);
  void MoveDragged(const std::vector<TaskNode*>& dragged, TaskNode* target, AttachMode mode, int level);

  const MuiContext& context_;
  TaskTree* tree_ = nullptr;
  int outputColumn_ = 3;
  decltype(TaskTreeEvents::focusChanging) previousFocusChanging_;
  int dragStartY_ = kNoDragStart;
  ListEnvironment* environment_ = nullptr;
  OutputNameIndex names_;
  // Lets a load notice that the list went away while window messages ran.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
