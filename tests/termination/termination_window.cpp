// The window program with the product's modules, driven the way a user would drive it, for the tests
// that end it with signals: "idle" shows the main window and waits; "convert <clip> <folder>" adds the
// clip, converts it into the folder with a shipped MP4 profile (answering Yes when asked to replace an
// older output) and ticks "open output folder" while it runs; "pause" does the same and pauses once
// the conversion runs. What happens is written to standard output, one line per event.
#include <dlfcn.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "convert/progress_window.h"
#include "mainwin/main_window.h"
#include "platform/application.h"
#include "run/kestrelvine.h"
#include "tests/fakes/recording_shell.h"
#include "tests/fakes/scripted_dialogs.h"
#include "widgets/ssbutton.h"

namespace {

void Say(const char* line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}

class CloseSpy final : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Close) {
      Say("main form closed");
    }
    return false;
  }
};

void Choose(QComboBox* box, const QString& text) {
  const int row = box->findText(text);
  box->setCurrentIndex(row);
  emit box->activated(row);
}

// Ticks "open output folder" (and pauses, when asked) as soon as the progress window runs.
void WatchProgressWindow(bool pause) {
  auto* timer = new QTimer(QApplication::instance());
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, pause] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* progress = qobject_cast<TRipDlg_Form1*>(window);
      if (progress == nullptr || !progress->isVisible()) {
        continue;
      }
      progress->findChild<QCheckBox*>(QStringLiteral("cbOpenFolder"))->setChecked(true);
      if (pause) {
        emit progress->findChild<TssSkinButton*>(QStringLiteral("ssSBPause"))->OnClick();
        Say("paused");
      }
      Say("converting");
      timer->stop();
      return;
    }
  });
  timer->start();
}

bool LoadModule(const char* file) {
  const std::string path = std::string(std::getenv("KV_BIN_DIR")) + "/plugins/" + file;
  if (::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL) == nullptr) {
    std::fprintf(stderr, "%s\n", ::dlerror());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "idle";
  const bool converts = mode == "convert" || mode == "pause";
  if ((converts && argc != 4) || std::getenv("KV_BIN_DIR") == nullptr) {
    std::fprintf(stderr, "usage: termination_window idle | convert|pause <clip> <folder>\n");
    return 2;
  }
  for (const char* module : {"libsaveoptionxml.so", "libffengine.so", "libimageedit.so"}) {
    if (!LoadModule(module)) {
      return 2;
    }
  }
  const QString clip = converts ? QString::fromLocal8Bit(argv[2]) : QString();
  const QString folder = converts ? QString::fromLocal8Bit(argv[3]) : QString();

  ScriptedDialogs dialogs;
  dialogs.answers.push_back(platform::MsgAnswer::Yes);  // replace the older output
  dialogs.onMessage = [](const ScriptedDialogs::Shown& shown) {
    std::printf("message: %s\n", shown.text.toUtf8().constData());
    std::fflush(stdout);
  };
  RecordingShell shell;
  CloseSpy spy;
  RunArgs args;
  args.productName = "Kestrelvine Converter";
  args.moduleFolder = QString::fromLocal8Bit(std::getenv("KV_BIN_DIR")) + "/";
  args.beforeMessageLoop = [&] {
    QTimer::singleShot(0, [&] {
      platform::Application* app = platform::Application::Current();
      auto* form = qobject_cast<TConverterForm1*>(app->MainForm());
      form->installEventFilter(&spy);
      Say("window up");
      if (!converts) {
        return;
      }
      Choose(form->CmbProfileGrp, QStringLiteral("General Video"));
      Choose(form->CmbProfile, QStringLiteral("MP4 Video (H.264 + AAC)"));
      dialogs.fileChoices.push_back({clip});
      form->actions.AddFileAct->trigger();
      form->EditOutPath->setText(folder);
      form->UpdateActions();
      WatchProgressWindow(mode == "pause");
      form->actions.StartConvertAct->trigger();
      Say("conversion returned");
      if (!app->Terminating()) {
        form->close();
      }
    });
  };
  RunModule(args, dialogs, shell);
  std::printf("shell calls: %zu\n", shell.opened.size() + shell.shownInFileManager.size());
  Say("run ended");
  return dialogs.exceptions.empty() ? 0 : 3;
}
