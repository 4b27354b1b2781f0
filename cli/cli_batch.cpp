#include "cli/cli_batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/mui_context.h"
#include "base/routines.h"
#include "cli/cli_progress.h"
#include "components/i_ff_converter.h"
#include "components/i_ff_preview.h"
#include "components/text_utf.h"
#include "convert/batch_report.h"
#include "convert/conversion_plan.h"
#include "convert/size_forecast.h"
#include "editor/edit_rules.h"
#include "plug/plug_ptr.h"
#include "settings/catalogue.h"
#include "settings/edition.h"
#include "settings/input_formats.h"
#include "tasks/supported_file.h"
#include "tasks/task_list.h"

namespace {

constexpr std::chrono::milliseconds kPoll{200};

void Print(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
  std::fflush(stream);
}

void PrintLine(std::FILE* stream, const QString& text) {
  Print(stream, text + QLatin1Char('\n'));
}

// Refusals of the list go to the error stream; there is no message loop or cursor to serve.
class CliListEnvironment final : public ListEnvironment {
 public:
  explicit CliListEnvironment(std::FILE* err) : err_(err) {}
  void ProcessMessages() override {}
  void BeginBusy() override {}
  void EndBusy() override {}
  void ShowMessage(const QString& text) override {
    ++refused_;
    PrintLine(err_, QStringLiteral("refused: ") + text);
  }
  int refused() const { return refused_; }

 private:
  std::FILE* err_;
  int refused_ = 0;
};

// The engine's log, kept to be shown when a job fails.
class CliConvertEvents final : public FfConvertEvent {
 public:
  void OnPreviewFrame(const void*, int32_t) override {}
  void OnLog(const char* text) override {
    if (text != nullptr) {
      log_ += QString::fromUtf8(text);
    }
  }
  const QString& log() const { return log_; }

 private:
  QString log_;
};

const ProfileSetting* FindProfileByText(const ConverterSettings& catalogue, const QString& text) {
  bool number = false;
  const int32_t id = text.toInt(&number);
  if (number) {
    return catalogue.FindProfile(id);
  }
  const ProfileSetting* caseless = nullptr;
  int caselessCount = 0;
  for (int i = 0; i < catalogue.ProfileCount(); ++i) {
    const ProfileSetting* profile = catalogue.ProfileAt(i);
    if (profile->ProfileName == text) {
      return profile;
    }
    if (profile->ProfileName.compare(text, Qt::CaseInsensitive) == 0) {
      caseless = profile;
      ++caselessCount;
    }
  }
  return caselessCount == 1 ? caseless : nullptr;
}

// The media files of a folder and its subfolders, in name order: those whose extension one of the
// edition's input types names. The "all files" type is left out here: a library folder holds covers,
// subtitles and notes that nobody asked to convert.
QStringList FolderFiles(const MuiContext& context, const QString& folder) {
  const int edition = EditionIndex(context);
  QSet<QString> patterns;
  for (const InputFormatRow& row : InputFormatTable()) {
    if (!std::binary_search(row.withheld.begin(), row.withheld.end(), edition)) {
      for (const QString& pattern : row.patterns) {
        if (pattern != QLatin1String("*.*")) {
          patterns.insert(pattern);
        }
      }
    }
  }
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString name = it.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0 && patterns.contains(QLatin1Char('*') + name.mid(dot).toLower())) {
      files.append(path);
    }
  }
  files.sort();
  return files;
}

// An output name taken for this process: the file made empty and exclusively, so that another process
// planning the same name sees it taken. The engine's finished output replaces it.
struct Reservation {
  QString path;
  dev_t device = 0;
  ino_t inode = 0;
  bool held = false;
};

bool Reserve(const QString& path, Reservation& reservation) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    return false;
  }
  struct stat info {};
  ::fstat(fd, &info);
  ::close(fd);
  reservation = Reservation{path, info.st_dev, info.st_ino, true};
  return true;
}

// Gives the name back when nothing was written into it: the file is still our own empty one.
void Release(const Reservation& reservation) {
  if (!reservation.held) {
    return;
  }
  const QByteArray name = QFile::encodeName(reservation.path);
  struct stat info {};
  if (::stat(name.constData(), &info) == 0 && info.st_dev == reservation.device &&
      info.st_ino == reservation.inode && info.st_size == 0) {
    ::unlink(name.constData());
  }
}

void ApplyTrim(MuiItemInfo& item, const CliOptions& options, std::FILE* err) {
  if (!options.trimStart) {
    return;
  }
  CIInput& input = item.input;
  ResetTrim(input);
  if (!SetTrimStart(input, *options.trimStart)) {
    PrintLine(
        err,
        QStringLiteral("note: %1 is shorter than the trim's start; converting all of it").arg(item.fileName));
    return;
  }
  SetTrimLength(input, *options.trimLength);
  ApplyTrimMinimum(input);
}

// Whether the batch goes on although the destination may not hold it: the figures are told, then
// asked about on a terminal; elsewhere nobody can answer, so it does not go on.
bool RoomFor(const ConversionPlan& plan, const QString& folder, const CliStreams& streams) {
  const int64_t estimate = ForecastPlanBytes(plan);
  const int64_t available = AvailableBytes(folder);
  if (EnoughSpace(estimate, available)) {
    return true;
  }
  const QString warning = SpaceWarning(estimate, available, folder);
  if (!streams.askable || streams.in == nullptr) {
    PrintLine(streams.err, warning.section(QLatin1Char('\n'), 0, 0));
    PrintLine(streams.err, QStringLiteral("Not converting: give --ignore-space to convert anyway."));
    return false;
  }
  Print(streams.err, warning + QStringLiteral(" [y/N] "));
  char answer[16] = {};
  if (std::fgets(answer, sizeof answer, streams.in) == nullptr) {
    return false;
  }
  return answer[0] == 'y' || answer[0] == 'Y';
}

}  // namespace

int ListProfiles(const MuiContext& context, const CliStreams& streams) {
  ConverterSettings catalogue(context);
  catalogue.LoadCatalogue();
  if (catalogue.ProfileCount() == 0) {
    PrintLine(streams.err,
              QStringLiteral("kestrelvine-cli: no profile catalogue in %1").arg(context.productFolder));
    return kCliSomeFailed;
  }
  for (int g = 0; g < catalogue.GroupCount(); ++g) {
    const ProfileGroup* group = catalogue.GroupAt(g);
    PrintLine(streams.out, QStringLiteral("%1  %2").arg(group->GroupId).arg(group->GroupName));
    for (int p = 0; p < catalogue.ProfileCount(); ++p) {
      const ProfileSetting* profile = catalogue.ProfileAt(p);
      if (catalogue.IsInGroup(profile, group->GroupId)) {
        PrintLine(streams.out,
                  QStringLiteral("    %1  %2").arg(profile->ProfileId, 4).arg(profile->ProfileName));
      }
    }
  }
  return kCliAllDone;
}

int RunBatch(const MuiContext& context, const CliOptions& options, const CliStreams& streams) {
  ConverterSettings catalogue(context);
  catalogue.LoadCatalogue();
  const ProfileSetting* profile = FindProfileByText(catalogue, options.profile);
  if (profile == nullptr) {
    PrintLine(
        streams.err,
        QStringLiteral("kestrelvine-cli: no profile \"%1\" (see --list-profiles)").arg(options.profile));
    return kCliUsage;
  }
  const int32_t group = profile->Groups.isEmpty() ? 0 : profile->Groups.first();

  TaskTree tree;
  TVirtualStringTreeHelper list(context);
  list.Bind(tree, 3);
  CliListEnvironment environment(streams.err);
  list.SetEnvironment(&environment);
  auto load = [&](const QString& path) {
    if (!IsSupportedFile(context, path)) {
      environment.ShowMessage(
          QStringLiteral("File '%1' is not a valid media file or its format is not supported.").arg(path));
      return;
    }
    list.LoadFiles({path}, true, *profile, group);
  };
  for (const QString& input : options.inputs) {
    const QFileInfo info(input);
    if (info.isDir()) {
      for (const QString& file : FolderFiles(context, info.absoluteFilePath())) {
        load(file);
      }
    } else if (!info.exists()) {
      environment.ShowMessage(QStringLiteral("File '%1' does not exist.").arg(input));
    } else {
      load(info.absoluteFilePath());
    }
  }

  const QString folder = QDir(options.outputFolder).absolutePath() + QLatin1Char('/');
  for (int i = 0; i < tree.TopLevelCount(); ++i) {
    TaskNode* node = tree.Root()->ChildAt(i);
    MuiItemInfo* item = list.ItemOf(node);
    ApplyTrim(*item, options, streams.err);
    if (options.existing == CliOptions::Existing::Skip && QFileInfo::exists(folder + item->outputName())) {
      PrintLine(streams.out, QStringLiteral("skipped: %1 exists").arg(folder + item->outputName()));
      tree.SetCheckState(node, CheckState::UncheckedNormal);
    }
  }

  ConversionRequest request{&list, &catalogue, options.outputFolder};
  PlanCallbacks callbacks;
  const bool overwrite = options.existing == CliOptions::Existing::Overwrite;
  callbacks.mayReplace = [overwrite](const QString&) { return overwrite; };
  callbacks.tell = [&streams](const QString& text) { PrintLine(streams.err, text); };
  const ConversionPlan plan = PlanConversion(request, callbacks);
  const int refused = environment.refused();

  // Each output name is taken before the engine starts, so that other processes pass it by.
  std::vector<CIOutput> outputs(plan.jobs.size());
  std::vector<Reservation> reservations(plan.jobs.size());
  std::vector<QString> paths(plan.jobs.size());
  for (size_t j = 0; j < plan.jobs.size(); ++j) {
    outputs[j] = *plan.jobs[j].output;
    paths[j] = plan.jobs[j].path;
    if (overwrite) {
      continue;
    }
    const QString name = QFileInfo(paths[j]).fileName();
    const QString jobFolder = QFileInfo(paths[j]).absolutePath() + QLatin1Char('/');
    while (!Reserve(paths[j], reservations[j])) {
      if (errno != EEXIST) {
        break;  // the engine will fail on this folder and say why
      }
      paths[j] = ResolveOutputName(jobFolder, name, nullptr);
    }
    const QByteArray path = paths[j].toUtf8();
    CopyTextToField(outputs[j].outputFile, sizeof outputs[j].outputFile,
                    std::string_view(path.constData(), static_cast<size_t>(path.size())));
  }
  auto releaseAll = [&](const std::vector<int32_t>& results) {
    for (size_t j = 0; j < reservations.size(); ++j) {
      if (j >= results.size() || results[j] == 0) {
        Release(reservations[j]);
      }
    }
  };

  const int jobCount = static_cast<int>(plan.jobs.size());
  if (jobCount == 0) {
    PrintLine(streams.out, QStringLiteral("Nothing to convert."));
    return refused > 0 ? kCliSomeFailed : kCliAllDone;
  }
  if (!options.ignoreSpace && !RoomFor(plan, QDir(options.outputFolder).absolutePath(), streams)) {
    releaseAll({});
    return kCliSomeFailed;
  }
  PlugPtr<I_FfConverter> engine;
  if (!CreateInto(engine, kFfConverterName)) {
    PrintLine(streams.err, QStringLiteral("kestrelvine-cli: no conversion engine"));
    releaseAll({});
    return kCliSomeFailed;
  }
  CliConvertEvents events;
  CISetup setup{};
  const QByteArray work = context.moduleFolder.toUtf8();
  CopyTextToField(setup.workFolder, sizeof setup.workFolder,
                  std::string_view(work.constData(), static_cast<size_t>(work.size())));
  setup.events = &events;
  engine->Configure(&setup);
  std::vector<double> durations;
  for (size_t j = 0; j < plan.jobs.size(); ++j) {
    const PlannedJob& job = plan.jobs[j];
    double duration = 0;
    for (const CIInput& input : job.inputs) {
      duration += input.clipLength;
    }
    durations.push_back(duration);
    if (job.merge) {
      engine->AddMergeJob(&outputs[j], static_cast<int32_t>(job.inputs.size()), job.inputs.data());
    } else {
      engine->AddJob(&outputs[j], &job.inputs.front());
    }
  }
  if (!engine->Start()) {
    PrintLine(streams.err, QStringLiteral("Fail to start conversion"));
    releaseAll({});
    return kCliSomeFailed;
  }

  using Clock = std::chrono::steady_clock;
  int shownJob = -1;
  int shownStep = -1;
  Clock::time_point jobStart = Clock::now();
  bool stopping = false;
  int32_t status = kConvertRunning;
  auto finishLine = [&] {
    if (streams.terminal && shownJob >= 0) {
      Print(streams.out, QStringLiteral("\n"));
    }
  };
  for (;;) {
    if (!stopping && streams.stopSignal != nullptr && streams.stopSignal->load() != 0) {
      stopping = true;
      engine->Stop();
    }
    double position = 0;
    int32_t index = 0;
    status = engine->GetProgress(&position, &index);
    if (status != kConvertRunning) {
      break;
    }
    if (index >= 0 && index < jobCount) {
      if (index != shownJob) {
        finishLine();
        shownJob = index;
        shownStep = -1;
        jobStart = Clock::now();
      }
      const double elapsed = std::chrono::duration<double>(Clock::now() - jobStart).count();
      const QString name = QFileInfo(paths[static_cast<size_t>(index)]).fileName();
      const QString line =
          ProgressLine(index, jobCount, name, position, durations[static_cast<size_t>(index)], elapsed);
      if (streams.terminal) {
        Print(streams.out, QStringLiteral("\r\033[K") + line);
      } else if (const int step = JobPercent(position, durations[static_cast<size_t>(index)]) / 10;
                 step != shownStep) {
        shownStep = step;
        PrintLine(streams.out, line);
      }
    }
    std::this_thread::sleep_for(kPoll);
  }
  finishLine();

  if (stopping || status == kConvertStopped) {
    std::vector<int32_t> results(static_cast<size_t>(jobCount), 0);
    engine->GetResults(jobCount, results.data());
    engine = nullptr;
    releaseAll(results);
    PrintLine(streams.out, QStringLiteral("Stopped."));
    const int signal = streams.stopSignal != nullptr ? streams.stopSignal->load() : 0;
    return signal != 0 ? 128 + signal : kCliSomeFailed;
  }

  // Every output the engine calls done is probed, as the window does; without a media engine to probe
  // with they go unchecked rather than all failing.
  std::vector<ExpectedOutput> expected;
  for (size_t j = 0; j < plan.jobs.size(); ++j) {
    const PlannedJob& job = plan.jobs[j];
    expected.push_back(ExpectOutput(outputs[j], job.inputs.data(), static_cast<int32_t>(job.inputs.size())));
  }
  PlugPtr<I_FfPreview> probe;
  CreateInto(probe, kFfPreviewName);
  std::vector<std::string> checkLines;
  const std::vector<JobVerdict> verdicts =
      JudgeBatch(*engine, expected, probe.IsEmpty() ? nullptr : probe.Get(), &checkLines);
  probe = nullptr;
  std::vector<int32_t> results(static_cast<size_t>(jobCount), 0);
  engine->GetResults(jobCount, results.data());
  engine = nullptr;
  releaseAll(results);

  for (const std::string& line : checkLines) {
    PrintLine(streams.err, QString::fromStdString(line));
  }
  int failed = 0;
  for (size_t j = 0; j < verdicts.size(); ++j) {
    if (verdicts[j].succeeded) {
      PrintLine(streams.out, QStringLiteral("converted: %1").arg(paths[j]));
    } else {
      ++failed;
      PrintLine(streams.err, QStringLiteral("failed: %1").arg(paths[j]));
    }
  }
  if (failed > 0 && !events.log().isEmpty()) {
    Print(streams.err, events.log());
    if (!events.log().endsWith(QLatin1Char('\n'))) {
      Print(streams.err, QStringLiteral("\n"));
    }
  }
  PrintLine(streams.out, QString::fromStdString(SummaryText(verdicts)));
  return failed == 0 && refused == 0 ? kCliAllDone : kCliSomeFailed;
}
