#pragma once

#include <unistd.h>

#include <QString>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/mui_context.h"
#include "components/i_ff_preview.h"
#include "components/i_ff_probe_pool.h"
#include "engines/ffengine/ff_preview.h"
#include "engines/ffengine/probe_pool.h"
#include "engines/ffengine/worker_job.h"
#include "plug/plug_ptr.h"
#include "plug/plug_table.h"
#include "tasks/list_environment.h"
#include "tasks/task_list.h"
#include "tasks/task_tree.h"
#include "tests/convert_engine/engine_harness.h"
#include "tests/isolation/worker_folder.h"

namespace probe_isolation {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The host's folder of a test: the probe program under the name the list looks for beside the host.
class HostFolder : public isolation_test::WorkerFolder {
 public:
  using WorkerFolder::WorkerFolder;
  QString Module() const { return QString::fromStdString(Folder()); }
};

using isolation_test::ScopedEnv;

// The engine's probe components, registered as the module registers them.
class EngineComponents {
 private:
  AutoReg preview_{kFfPreviewName, &CreateFfPreview};
  AutoReg pool_{kFfProbePoolName, &CreateFfProbePool};
};

// A short clip with sound, made once per test program; `large` makes it a 720p one, which takes a
// probe as long as a camera's file does.
inline const std::string& Clip(bool large = false) {
  media_maker::ClipPlan plan;
  plan.width = large ? 1280 : 160;
  plan.height = large ? 720 : 120;
  plan.seconds = 2.0;
  return engine_harness::Fixture(large ? "probe_clip_720p.mkv" : "probe_clip.mkv", plan);
}

// `name` in `folder` with the clip's bytes: a hard link where the file systems allow it.
inline std::string CopyOfClip(const HostFolder& folder, const std::string& name, bool large = false) {
  const std::string path = folder.File(name);
  std::error_code failed;
  fs::create_hard_link(Clip(large), path, failed);
  if (failed) {
    fs::copy_file(Clip(large), path);
  }
  return path;
}

// Keeps when the list let window messages run, how many items it showed then, and what it said.
class TimingEnvironment final : public ListEnvironment {
 public:
  std::vector<Clock::time_point> turns;
  std::vector<int> shown;
  std::vector<QString> messages;
  std::function<int()> count;
  // Answers LoadProgress with false from this turn on (0: never).
  size_t cancelAtTurn = 0;

  void ProcessMessages() override {
    turns.push_back(Clock::now());
    shown.push_back(count ? count() : 0);
  }
  void BeginBusy() override {}
  void EndBusy() override {}
  void ShowMessage(const QString& text) override { messages.push_back(text); }
  bool LoadProgress(int, int) override { return cancelAtTurn == 0 || turns.size() < cancelAtTurn; }

  // The longest time between two turns, and from `start` to the first.
  std::chrono::milliseconds LongestGap(Clock::time_point start) const {
    Clock::duration longest{};
    Clock::time_point before = start;
    for (const Clock::time_point turn : turns) {
      longest = std::max(longest, turn - before);
      before = turn;
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(longest);
  }
};

// A task list over its own tree, with the host folder as the program's folder.
class ListUnderTest {
 public:
  explicit ListUnderTest(const HostFolder& folder) {
    context_.moduleFolder = folder.Module();
    context_.productName = QStringLiteral("Kestrelvine Converter");
    list_.Bind(tree_, 3);
    list_.SetEnvironment(&environment_);
    environment_.count = [this] { return static_cast<int>(tree_.TopLevelCount()); };
    profile_.ProfileId = 7;
    profile_.ProfileName = "MP4";
    profile_.FormatExt = ".mp4";
    profile_.Width = 640;
    profile_.Height = 480;
  }

  bool Load(const std::vector<std::string>& paths, bool showErrors = true) {
    QStringList list;
    for (const std::string& path : paths) {
      list.push_back(QString::fromStdString(path));
    }
    return list_.LoadFiles(list, showErrors, profile_, 1);
  }
  // The source file names of the items, in list order.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (TaskNode* node = tree_.GetFirst(); node != nullptr; node = tree_.GetNext(node)) {
      names.push_back(list_.ItemOf(node)->fileName.toStdString());
    }
    return names;
  }
  TimingEnvironment& Environment() { return environment_; }

 private:
  MuiContext context_;
  TaskTree tree_;
  TimingEnvironment environment_;
  TVirtualStringTreeHelper list_{context_};
  ProfileSetting profile_;
};

}  // namespace probe_isolation
