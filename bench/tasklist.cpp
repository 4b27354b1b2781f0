// The task list's own work per item as the list grows.
//
// Loads 1,000, 10,000 and 100,000 items through LoadFiles with an engine whose probe answers at once,
// from ten source files of which every name comes back again and again, so that nearly every output
// name collides and is numbered. Then renames every tenth item to a name that is taken, and removes
// every third item in one go. Prints the time per item of each step and of all of them at each size
// (the best of a few rounds) and, last, the ratio of the time per item at 100,000 to that at 1,000:
// a list whose work per item does not grow with the list prints about 1.
//
//   bench/tasklist [rounds]      default 3

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "base/mui_context.h"
#include "plug/plug_table.h"
#include "tasks/task_list.h"
#include "tests/fakes/null_ff_preview.h"

namespace {

using Clock = std::chrono::steady_clock;

// Answers every probe at once with the same ten-second video with one audio track.
class InstantEngine final : public NullFfPreview {
 public:
  static I_Plug* Make() { return new InstantEngine; }

  bool Probe(const char*, MediaInfo* info) override {
    *info = Media();
    return true;
  }

 private:
  ~InstantEngine() override = default;

  static const MediaInfo& Media() {
    static const MediaInfo media = [] {
      MediaInfo m{};
      m.duration = 10.0;
      m.videoCount = 1;
      m.width = 640;
      m.height = 360;
      m.audioCount = 1;
      m.audioStreams[0].id = 1;
      std::strcpy(m.audioStreams[0].codec, "aac");
      std::strcpy(m.audioStreams[0].channels, "stereo");
      return m;
    }();
    return media;
  }
};

struct Figures {
  double load = std::numeric_limits<double>::max();
  double rename = std::numeric_limits<double>::max();
  double remove = std::numeric_limits<double>::max();
  double total = std::numeric_limits<double>::max();
};

double MicrosecondsPerItem(Clock::duration d, int items) {
  return std::chrono::duration<double, std::micro>(d).count() / items;
}

Figures Round(const QStringList& sources, int items, const ProfileSetting& profile) {
  QStringList paths;
  paths.reserve(items);
  for (int i = 0; i < items; ++i) {
    paths.push_back(sources[i % sources.size()]);
  }
  TaskTree tree;
  // A context without a product: the bench loads named files, which no edition rule filters.
  const MuiContext context;
  TVirtualStringTreeHelper list(context);
  list.Bind(tree, 3);

  const Clock::time_point start = Clock::now();
  list.LoadFiles(paths, false, profile, 1);
  const Clock::time_point loaded = Clock::now();
  for (int i = 0; i < tree.TopLevelCount(); i += 10) {
    list.NewText(tree.Root()->ChildAt(i), 3, "clip3");
  }
  const Clock::time_point renamed = Clock::now();
  tree.ClearSelection();
  for (int i = 0; i < tree.TopLevelCount(); i += 3) {
    tree.SetSelected(tree.Root()->ChildAt(i), true);
  }
  list.RemoveSelected();
  const Clock::time_point removed = Clock::now();

  if (tree.TopLevelCount() != items - (items + 2) / 3) {
    std::fprintf(stderr, "tasklist: the list holds %d items, not %d\n", tree.TopLevelCount(),
                 items - (items + 2) / 3);
    std::exit(1);
  }
  Figures figures;
  figures.load = MicrosecondsPerItem(loaded - start, items);
  figures.rename = MicrosecondsPerItem(renamed - loaded, items);
  figures.remove = MicrosecondsPerItem(removed - renamed, items);
  figures.total = MicrosecondsPerItem(removed - start, items);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  QTemporaryDir folder;
  QStringList sources;
  for (int i = 0; i < 10; ++i) {
    const QString path = folder.filePath(QString("clip%1.avi").arg(i));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("x") != 1) {
      std::fprintf(stderr, "tasklist: cannot write %s\n", qPrintable(path));
      return 1;
    }
    sources.push_back(path);
  }
  AutoReg engine(kFfPreviewName, &InstantEngine::Make);
  ProfileSetting profile;
  profile.FormatExt = ".mp4";

  double first = 0;
  double last = 0;
  for (int items : {1000, 10000, 100000}) {
    Figures best;
    for (int round = 0; round < rounds; ++round) {
      const Figures figures = Round(sources, items, profile);
      best.load = std::min(best.load, figures.load);
      best.rename = std::min(best.rename, figures.rename);
      best.remove = std::min(best.remove, figures.remove);
      best.total = std::min(best.total, figures.total);
    }
    std::printf("tasklist %6d items: load %.2f us, rename %.2f us, remove %.2f us, all %.2f us per item\n",
                items, best.load, best.rename, best.remove, best.total);
    (items == 1000 ? first : last) = best.total;
  }
  std::printf("tasklist ratio: %.2f\n", last / first);
  return 0;
}
