#include <QByteArray>
#include <QDir>
#include <QFileInfo>

#include "base/routines.h"
#include "components/i_ff_preview.h"
#include "plug/plug_ptr.h"
#include "tasks/item_factory.h"
#include "tasks/output_names.h"
#include "tasks/task_list.h"

bool TVirtualStringTreeHelper::LoadFiles(const QStringList& paths, bool showErrors,
                                         const ProfileSetting& profile, int32_t group) {
  // Window messages run between files and may change anything the caller handed in, so the load
  // works from its own copies.
  const QStringList queue = paths;
  const ProfileSetting chosen = profile;
  const std::shared_ptr<bool> alive = alive_;
  ListEnvironment& environment = Environment();
  BusyScope busy(environment);
  bool added = false;
  for (const QString& path : queue) {
    environment.ProcessMessages();
    if (!*alive || tree_ == nullptr) {
      return false;
    }
    if (LoadFile(path, chosen, group) == 0) {
      added = true;
    } else if (showErrors) {
      environment.ShowMessage(
          QStringLiteral("File '%1' is not a valid media file or its format is not supported.").arg(path));
      if (!*alive || tree_ == nullptr) {
        return false;
      }
    }
  }
  if (added) {
    TaskNode* last = tree_->GetLastTopLevel();
    tree_->ScrollIntoView(last, false, true);
    tree_->ClearSelection();
    tree_->SetFocusedNode(last);
    tree_->SetSelected(last, true);
  }
  return added;
}

int TVirtualStringTreeHelper::LoadFile(const QString& path, const ProfileSetting& profile, int32_t group) {
  if (tree_ == nullptr || FileSizeOf(path) == 0) {
    return -1;
  }
  // The input record keeps the path whole or not at all: a cut path would name another file.
  const QByteArray nativePath = path.toUtf8();
  if (nativePath.size() >= static_cast<qsizetype>(kRecordPathSize) || nativePath.contains('\0')) {
    return -1;
  }
  PlugPtr<I_FfPreview> engine;
  if (!CreateInto(engine, kFfPreviewName)) {
    return -1;
  }
  MediaInfo media{};
  if (!engine->Probe(nativePath.constData(), &media) || !IsUsableProbe(media)) {
    return -1;
  }
  std::unique_ptr<MuiItemInfo> item = NewFileItem(path, media, profile, group);
  QString name = output_names::ForSourceFile(item->fileName, profile.FormatExt);
  MakeOutputNameUnique(nullptr, name);
  item->SetOutputName(name);
  tree_->AddChild(nullptr, std::move(item), CheckType::TriStateCheckBox, CheckState::CheckedNormal);
  return 0;
}

bool TVirtualStringTreeHelper::LoadFolder(const QString& folder, const ProfileSetting& profile,
                                          int32_t group) {
  QSet<QString> visited;
  return LoadFolderTree(folder, profile, group, visited);
}

bool TVirtualStringTreeHelper::LoadFolderTree(const QString& folder, const ProfileSetting& profile,
                                              int32_t group, QSet<QString>& visited) {
  const QFileInfo info(folder);
  if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
    return false;
  }
  // A link back up the tree would otherwise load the same folders for ever.
  const QString canonical = info.canonicalFilePath();
  if (visited.contains(canonical)) {
    return false;
  }
  visited.insert(canonical);

  const ProfileSetting chosen = profile;
  const std::shared_ptr<bool> alive = alive_;
  const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
  const QFileInfoList entries = QDir(folder).entryInfoList(
      QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
  bool added = false;
  QStringList files;
  for (const QFileInfo& entry : entries) {
    const QString path = prefix + entry.fileName();
    if (entry.isDir()) {
      added = LoadFolderTree(path, chosen, group, visited) || added;
      if (!*alive || tree_ == nullptr) {
        return false;
      }
    } else if (IsSupportedFile(context_, path)) {
      files.push_back(path);
    }
  }
  return LoadFiles(files, false, chosen, group) || added;
}

bool TVirtualStringTreeHelper::DropFiles(const QStringList& paths, const ProfileSetting& profile,
                                         int32_t group) {
  const QStringList dropped = paths;
  const ProfileSetting chosen = profile;
  const std::shared_ptr<bool> alive = alive_;
  bool added = false;
  QStringList gathered;
  for (const QString& path : dropped) {
    if (!QFileInfo(path).isDir()) {
      gathered.push_back(path);
      continue;
    }
    if (!gathered.isEmpty()) {
      added = LoadFiles(gathered, true, chosen, group) || added;
      gathered.clear();
    }
    if (!*alive || tree_ == nullptr) {
      return false;
    }
    added = LoadFolder(path, chosen, group) || added;
    if (!*alive || tree_ == nullptr) {
      return false;
    }
  }
  if (!gathered.isEmpty()) {
    added = LoadFiles(gathered, true, chosen, group) || added;
  }
  return added;
}
