#include "convert/conversion_plan.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/routines.h"
#include "components/field_text.h"
#include "components/text_utf.h"
#include "convert/profile_to_engine.h"
#include "settings/catalogue.h"
#include "tasks/task_list.h"
#include "tasks/task_tree.h"

namespace {

// A file as the file system knows it: two paths name the same file exactly when these agree, whatever
// links or folder links lie between.
struct FileId {
  dev_t device;
  ino_t inode;
  bool operator==(const FileId&) const = default;
};

std::optional<FileId> IdentityOf(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
    return std::nullopt;
  }
  return FileId{info.st_dev, info.st_ino};
}

std::vector<MuiItemInfo*> PartsOf(const MuiItemInfo& merged) {
  std::vector<MuiItemInfo*> parts;
  const TaskNode* node = merged.Node();
  if (node == nullptr) {
    return parts;
  }
  for (int i = 0; i < node->ChildCount(); ++i) {
    if (MuiItemInfo* part = node->ChildAt(i)->Item()) {
      parts.push_back(part);
    }
  }
  return parts;
}

QString SourceOf(const MuiItemInfo& item) {
  if (!item.sourcePath.isEmpty()) {
    return item.sourcePath;
  }
  return QString::fromStdString(std::string(FieldText(item.input.path)));
}

// Every file the batch reads: the sources of single items and of each part of merged ones.
std::vector<FileId> SourcesOf(const std::vector<MuiItemInfo*>& items) {
  std::vector<FileId> sources;
  const auto add = [&](const MuiItemInfo& item) {
    if (const std::optional<FileId> id = IdentityOf(SourceOf(item))) {
      sources.push_back(*id);
    }
  };
  for (const MuiItemInfo* item : items) {
    if (item->itemKind() == kSingleItem) {
      add(*item);
    } else if (item->itemKind() == kMergedItem) {
      for (const MuiItemInfo* part : PartsOf(*item)) {
        add(*part);
      }
    }
  }
  return sources;
}

bool IsSource(const QString& path, const std::vector<FileId>& sources) {
  const std::optional<FileId> id = IdentityOf(path);
  return id && std::find(sources.begin(), sources.end(), *id) != sources.end();
}

void Tell(const PlanCallbacks& callbacks, const QString& text) {
  if (callbacks.tell) {
    callbacks.tell(text);
  }
}

// Output paths already given to jobs of this batch and those its later items ask for: a name chosen
// instead of an occupied one must not be one of them, or two jobs would write one file.
class OutputClaims {
 public:
  OutputClaims(const QString& folder, const std::vector<MuiItemInfo*>& items) {
    for (const MuiItemInfo* item : items) {
      planned_.push_back(folder + item->outputName());
    }
  }
  // The item at `index` has its path: it no longer plans, it holds.
  void Claim(size_t index, const QString& path) {
    planned_[index].clear();
    held_.push_back(path);
  }
  bool Taken(const QString& path) const {
    return std::find(held_.begin(), held_.end(), path) != held_.end() ||
           std::find(planned_.begin(), planned_.end(), path) != planned_.end();
  }

 private:
  std::vector<QString> planned_;
  std::vector<QString> held_;
};

// The output path of one job. A name that would write over a file the batch reads is never offered
// for replacing: the job writes to the first free numbered name instead, and the user is told why.
QString OutputPathFor(const QString& folder, const QString& name, const std::vector<FileId>& sources,
                      const OutputClaims& claims, const PlanCallbacks& callbacks) {
  const auto taken = [&claims](const QString& path) { return claims.Taken(path); };
  const QString candidate = folder + name;
  if (IsSource(candidate, sources)) {
    const QString free = FreeOutputName(folder, name, taken);
    Tell(callbacks, QStringLiteral("%1 is one of the files being converted, so it cannot be replaced.\n"
                                   "The converted file is saved as %2 instead.")
                        .arg(name, QFileInfo(free).fileName()));
    return free;
  }
  const QString resolved = ResolveOutputName(folder, name, callbacks.mayReplace);
  // Declined: the numbered name must not be one another job of the batch writes.
  if (resolved != candidate && taken(resolved)) {
    return FreeOutputName(folder, name, taken);
  }
  return resolved;
}

// The output record holds 511 bytes of path: a longer one would name another file once cut.
bool FitsOutputField(const QString& path) {
  return path.toStdString().size() < kRecordPathSize;
}

void RescaleMark(SingleTaskView& item, const ProfileSetting& profile) {
  RescaleRect(item.input.mark, item.watermark.refWidth, item.watermark.refHeight, profile.Width,
              profile.Height);
}

}  // namespace

ConversionPlan PlanConversion(const ConversionRequest& request, const PlanCallbacks& callbacks) {
  ConversionPlan plan;
  if (request.list == nullptr || request.destination.isEmpty() || !QDir().mkpath(request.destination)) {
    return plan;
  }
  const std::vector<MuiItemInfo*> items = request.list->CheckedItems();
  if (items.empty()) {
    return plan;
  }
  const QString& destination = request.destination;
  const QString folder = destination.endsWith(u'/') ? destination : destination + u'/';
  const std::vector<FileId> sources = SourcesOf(items);

  OutputClaims claims(folder, items);
  for (size_t i = 0; i < items.size(); ++i) {
    MuiItemInfo* item = items[i];
    const ProfileSetting* listed =
        request.catalogue != nullptr ? request.catalogue->FindProfile(item->profile.ProfileId) : nullptr;
    const ProfileSetting& profile = listed != nullptr ? *listed : item->profile;
    ProfileToEngineRecord(profile, item->output);

    const QString path = OutputPathFor(folder, item->outputName(), sources, claims, callbacks);
    claims.Claim(i, path);
    if (!FitsOutputField(path)) {
      Tell(callbacks, QStringLiteral("The output path is too long, so %1 is not converted:\n%2")
                          .arg(item->fileName, path));
      continue;
    }
    CopyTextToField(item->output.outputFile, sizeof item->output.outputFile, path.toStdString());

    PlannedJob job;
    job.output = &item->output;
    job.path = path;
    if (item->itemKind() == kSingleItem) {
      RescaleMark(*item, profile);
      job.inputs.push_back(item->input);
    } else if (item->itemKind() == kMergedItem) {
      job.merge = true;
      for (MuiItemInfo* part : PartsOf(*item)) {
        RescaleMark(*part, profile);
        job.inputs.push_back(part->input);
      }
      if (job.inputs.empty()) {
        continue;
      }
    } else {
      continue;
    }
    plan.jobs.push_back(std::move(job));
  }
  return plan;
}
