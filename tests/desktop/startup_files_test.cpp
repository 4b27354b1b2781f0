// Files and folders on the command line: added once the window is open, exactly as a drop of them.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include "tests/mainwin/main_window_test_support.h"

namespace {

using mainwin_test::MainWindowTest;
using mainwin_test::WriteBytes;

class StartupFilesTest : public MainWindowTest {
 protected:
  // The source names of the list's items, in order.
  static std::vector<QString> Names(TConverterForm1& form) {
    std::vector<QString> names;
    TaskTree& tree = *form.TaskList().Tree();
    for (TaskNode* node = tree.GetFirst(); node != nullptr; node = tree.GetNext(node)) {
      names.push_back(form.TaskList().ItemOf(node)->fileName);
    }
    return names;
  }

  // Runs the program with startupPaths_. Loads let the message loop turn between files, so the window
  // is watched from a timer: `step` runs every 20 ms while it is up, and the window is closed once
  // `step` says it is done, or after 20 s.
  void RunWatching(const std::function<bool(TConverterForm1&)>& step) {
    RunArgs args;
    const QByteArray name = product_.toUtf8();
    args.productName = name.constData();
    args.moduleFolder = host_.path() + "/";
    args.startupPaths = startupPaths_;
    QElapsedTimer waited;
    QTimer watch;
    args.beforeMessageLoop = [&] {
      waited.start();
      watch.callOnTimeout([&] {
        auto* form = qobject_cast<TConverterForm1*>(platform::Application::Current()->MainForm());
        if (form == nullptr || !form->isVisible()) {
          return;
        }
        if (step(*form) || waited.elapsed() > 20000) {
          watch.stop();
          form->close();
        }
      });
      watch.start(20);
    };
    RunModule(args, dialogs_, shell_);
  }
};

TEST_F(StartupFilesTest, FilesAndFoldersAreAddedAsADropAndBadOnesGetTheUsualRefusal) {
  const QString first = Video("first.mp4");
  Video("tree/inner/deep.avi");
  Video("tree/top.mkv");
  const QString words = media_.path() + "/notes.mp4";
  WriteBytes(words, "only words");
  const QString gone = media_.path() + "/gone.mp4";
  startupPaths_ = {first, media_.path() + "/tree", words, gone};

  // Every path is settled once the three files are listed and the two refusals said.
  std::vector<QString> names;
  RunWatching([&](TConverterForm1& form) {
    names = Names(form);
    return names.size() == 3 && dialogs_.shown.size() == 2;
  });
  EXPECT_EQ(names, (std::vector<QString>{"first.mp4", "deep.avi", "top.mkv"}))
      << "the files in the order given, a folder with its subfolders first";
  std::vector<QString> said;
  for (const auto& shown : dialogs_.shown) {
    said.push_back(shown.text);
  }
  EXPECT_EQ(
      said,
      (std::vector<QString>{
          QStringLiteral("File '%1' is not a valid media file or its format is not supported.").arg(words),
          QStringLiteral("File '%1' cannot be read: it does not exist any more.").arg(gone)}));
}

TEST_F(StartupFilesTest, ASecondStartHandsItsFilesToTheRunningWindowAndEnds) {
  const QString first = Video("first.mp4");
  const QString second = Video("second.mkv");
  startupPaths_ = {first};

  std::vector<QString> names;
  QProcess other;
  bool started = false;
  RunWatching([&](TConverterForm1& form) {
    names = Names(form);
    if (names.size() == 1 && !started) {
      // The product's own host, with this test's user: it finds this window and hands the file on.
      other.start(QString::fromUtf8(std::getenv("KV_BIN_DIR")) + "/kestrelvine", {second});
      started = true;
    }
    return names.size() == 2;
  });
  // It answers before the files load, so it may still be on its way out when the window closes.
  other.waitForFinished(30000);
  if (other.state() != QProcess::NotRunning) {
    other.kill();
    other.waitForFinished();
    FAIL() << "the second start did not end";
  }
  other.waitForFinished();
  EXPECT_EQ(names, (std::vector<QString>{"first.mp4", "second.mkv"}));
  EXPECT_EQ(other.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(other.exitCode(), 0);
}

}  // namespace
