#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "tasks/mui_item_info.h"
#include "tasks/task_tree.h"

class TVirtualStringTreeHelper;

// The task list written down so that it outlives the process: every item with its edits, track
// choices, output name, profile and check box, merged items with their parts. The form is a versioned
// JSON document; reading it trusts nothing in it, because the file may have been cut short by a power
// cut or damaged on the disk: every number is bounded, every text measured against the field it fills,
// and the tree's shape checked, so a damaged file gives an error and never a crash or a broken list.

// One node read back: its item, its box, and for a merged item its parts.
struct SnapshotNode {
  std::unique_ptr<MuiItemInfo> item;
  CheckType checkType = CheckType::None;
  CheckState checkState = CheckState::UncheckedNormal;
  std::vector<SnapshotNode> parts;
};

// A copy of every node's item and box, detached from the tree: taken on the tree's thread in a few
// milliseconds for a thousand items, it can be turned into bytes on another thread while the list
// goes on changing.
std::vector<SnapshotNode> CaptureList(const TaskTree& tree);
QByteArray EncodeListSnapshot(const std::vector<SnapshotNode>& nodes);
// The whole tree as bytes.
QByteArray EncodeListSnapshot(const TaskTree& tree);

// The top-level nodes in order; false with a reason in `error` when the bytes are not a list this
// program wrote (damaged, cut short, another format or a newer version). `out` is empty then.
bool DecodeListSnapshot(const QByteArray& bytes, std::vector<SnapshotNode>& out, QString& error);

// Text watermarks are drawn into numbered pictures in `folder`, and a new session numbers its pictures
// from the start again: the pictures a killed session left there would be overwritten by the next text
// drawn. So the pictures the nodes use from that folder take the new session's next names (`nextPath`),
// each picture once however many items share it, and the items follow. Pictures that are gone are left
// as they are named; the watermark then has no picture, as with any picture that went away.
void AdoptTextPictures(std::vector<SnapshotNode>& nodes, const QString& folder,
                       const std::function<QString()>& nextPath);

struct SnapshotRestore {
  int added = 0;               // top-level items put into the list
  QStringList missingSources;  // sources that no longer exist, in list order, each once
};

// Appends the nodes to the list's tree. Items whose source no longer exists (`exists` says) are left
// out; a merged item keeps the parts whose sources exist, with its lengths reduced by those left out,
// and is left out when none is left. Output names are made unique against what the list holds.
SnapshotRestore RestoreListSnapshot(std::vector<SnapshotNode> nodes, TVirtualStringTreeHelper& list,
                                    const std::function<bool(const QString& path)>& exists);
