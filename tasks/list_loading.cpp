#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <map>

#include "base/mui_context.h"
#include "base/routines.h"
#include "tasks/item_factory.h"
#include "tasks/list_probing.h"
#include "tasks/output_names.h"
#include "tasks/task_list.h"

namespace {

// The program whose processes probe the files, beside the host.
constexpr char kWorkerProgram[] = "kestrelvine-worker";
// How long the message loop may wait for probes before it turns again: short enough that the window
// repaints and its Cancel answers at once.
constexpr int kProbeWaitMs = 15;

QString FormatRefusal(const QString& path) {
  return QStringLiteral("File '%1' is not a valid media file or its format is not supported.").arg(path);
}

// Why the file at `path` cannot be read, as the refusal says it; empty when it can be.
QString ReadRefusal(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    ::close(fd);
    return {};
  }
  const int error = errno;
  QString why;
  if (error == ENOENT || error == ENOTDIR) {
    why = QStringLiteral("it does not exist any more");
  } else if (error == EACCES || error == EPERM) {
    why = QStringLiteral("you have no permission to read it");
  } else {
    why = QString::fromLocal8Bit(std::strerror(error));
  }
  return QStringLiteral("File '%1' cannot be read: %2.").arg(path, why);
}

}  // namespace

// What the list can tell of a file before probing it: nothing (probe it), or why it is refused.
struct TVirtualStringTreeHelper::Precheck {
  bool refused = false;
  QString message;
};

TVirtualStringTreeHelper::Precheck TVirtualStringTreeHelper::CheckBeforeProbe(const QString& path) const {
  if (tree_ == nullptr) {
    return {true, {}};
  }
  if (const QString unreadable = ReadRefusal(path); !unreadable.isEmpty()) {
    return {true, unreadable};
  }
  // The input record keeps the path whole or not at all: a cut path would name another file.
  const QByteArray nativePath = path.toUtf8();
  if (FileSizeOf(path) == 0 || nativePath.size() >= static_cast<qsizetype>(kRecordPathSize) ||
      nativePath.contains('\0')) {
    return {true, FormatRefusal(path)};
  }
  return {};
}

void TVirtualStringTreeHelper::AddProbed(const QString& path, const MediaInfo& media,
                                         const ProfileSetting& profile, int32_t group) {
  std::unique_ptr<MuiItemInfo> item = NewFileItem(path, media, profile, group);
  QString name = output_names::ForSourceFile(item->fileName, profile.FormatExt);
  MakeOutputNameUnique(nullptr, name);
  item->SetOutputName(name);
  tree_->AddChild(nullptr, std::move(item), CheckType::TriStateCheckBox, CheckState::CheckedNormal);
}

bool TVirtualStringTreeHelper::LoadFiles(const QStringList& paths, bool showErrors,
                                         const ProfileSetting& profile, int32_t group) {
  std::vector<LoadEntry> entries;
  entries.reserve(static_cast<size_t>(paths.size()));
  for (const QString& path : paths) {
    entries.push_back({path, showErrors});
  }
  return LoadEntries(entries, profile, group);
}

bool TVirtualStringTreeHelper::LoadEntries(const std::vector<LoadEntry>& entries,
                                           const ProfileSetting& profile, int32_t group) {
  // Window messages run while the files are probed and may change anything the caller handed in, so
  // the load works from its own copies.
  const std::vector<LoadEntry> queue = entries;
  const ProfileSetting chosen = profile;
  const std::shared_ptr<bool> alive = alive_;
  ListEnvironment& environment = Environment();
  const int total = static_cast<int>(queue.size());
  if (total == 0) {
    return false;
  }
  BusyScope busy(environment);
  // Whatever ends the load, its progress goes with it; the environment outlives every load.
  const std::unique_ptr<ListEnvironment, void (*)(ListEnvironment*)> progress(
      &environment, [](ListEnvironment* shown) { shown->LoadEnded(); });
  std::unique_ptr<ListProber> prober = MakeListProber(context_.moduleFolder + QLatin1String(kWorkerProgram),
                                                      std::max(1, QThread::idealThreadCount()));

  // Answers arrive in the order the probes end; each file is added, in the user's order, as soon as
  // every file before it has its answer, so the list fills while the load goes on.
  std::map<int, ProbeAnswer> answered;
  std::map<int, QString> refusals;
  int submitted = 0;
  int next = 0;
  bool added = false;
  while (next < total) {
    environment.ProcessMessages();
    if (!*alive || tree_ == nullptr) {
      return false;
    }
    if (!environment.LoadProgress(next, total)) {
      prober->Cancel();
      break;
    }
    while (submitted < total && submitted - next < prober->Capacity()) {
      const Precheck check = CheckBeforeProbe(queue[static_cast<size_t>(submitted)].path);
      if (check.refused) {
        refusals[submitted] = check.message;
      } else {
        prober->Submit(submitted, queue[static_cast<size_t>(submitted)].path);
      }
      ++submitted;
    }
    if (!refusals.contains(next)) {
      for (const ProbeAnswer& answer : prober->Collect(kProbeWaitMs)) {
        answered[static_cast<int>(answer.ticket)] = answer;
      }
    }
    for (;;) {
      const LoadEntry& entry = queue[static_cast<size_t>(next)];
      QString refusal;
      if (const auto found = refusals.find(next); found != refusals.end()) {
        refusal = found->second;
        refusals.erase(found);
      } else if (const auto done = answered.find(next); done != answered.end()) {
        const ProbeAnswer answer = done->second;
        answered.erase(done);
        if (answer.verdict == kProbeMedia && IsUsableProbe(answer.media)) {
          AddProbed(entry.path, answer.media, chosen, group);
          added = true;
        } else {
          refusal = FormatRefusal(entry.path);
        }
      } else {
        break;
      }
      ++next;
      if (entry.showErrors && !refusal.isEmpty()) {
        environment.ShowMessage(refusal);
        if (!*alive || tree_ == nullptr) {
          return false;
        }
      }
      if (next == total) {
        break;
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
  if (CheckBeforeProbe(path).refused) {
    return -1;
  }
  std::unique_ptr<ListProber> prober = MakeListProber({}, 1);
  prober->Submit(0, path);
  const std::vector<ProbeAnswer> answers = prober->Collect(0);
  if (answers.empty() || answers.front().verdict != kProbeMedia || !IsUsableProbe(answers.front().media)) {
    return -1;
  }
  AddProbed(path, answers.front().media, profile, group);
  return 0;
}

bool TVirtualStringTreeHelper::LoadFolder(const QString& folder, const ProfileSetting& profile,
                                          int32_t group) {
  const ProfileSetting chosen = profile;
  const std::shared_ptr<bool> alive = alive_;
  std::vector<LoadEntry> files;
  QSet<QString> visited;
  if (!GatherFolder(folder, visited, files) || !*alive || tree_ == nullptr) {
    return false;
  }
  return LoadEntries(files, chosen, group);
}

bool TVirtualStringTreeHelper::GatherFolder(const QString& folder, QSet<QString>& visited,
                                            std::vector<LoadEntry>& files) {
  const QFileInfo info(folder);
  if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
    return true;
  }
  // A link back up the tree would otherwise load the same folders for ever.
  const QString canonical = info.canonicalFilePath();
  if (visited.contains(canonical)) {
    return true;
  }
  visited.insert(canonical);
  // A deep tree takes a while to read: the window goes on meanwhile.
  Environment().ProcessMessages();
  const std::shared_ptr<bool> alive = alive_;
  if (!*alive || tree_ == nullptr) {
    return false;
  }

  const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
  const QFileInfoList entries = QDir(folder).entryInfoList(
      QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
  // Deepest folders first: a folder's own files come after those of its subfolders.
  std::vector<LoadEntry> own;
  for (const QFileInfo& entry : entries) {
    const QString path = prefix + entry.fileName();
    if (entry.isDir()) {
      if (!GatherFolder(path, visited, files)) {
        return false;
      }
    } else if (IsSupportedFile(context_, path)) {
      own.push_back({path, false});
    }
  }
  files.insert(files.end(), own.begin(), own.end());
  return true;
}

bool TVirtualStringTreeHelper::DropFiles(const QStringList& paths, const ProfileSetting& profile,
                                         int32_t group) {
  const QStringList dropped = paths;
  const ProfileSetting chosen = profile;
  const std::shared_ptr<bool> alive = alive_;
  // One load for the whole drop, in drop order: files dropped as such say why they are refused, files
  // found in dropped folders are skipped quietly.
  std::vector<LoadEntry> entries;
  QSet<QString> visited;
  for (const QString& path : dropped) {
    if (!QFileInfo(path).isDir()) {
      entries.push_back({path, true});
    } else if (!GatherFolder(path, visited, entries) || !*alive || tree_ == nullptr) {
      return false;
    }
  }
  return LoadEntries(entries, chosen, group);
}
