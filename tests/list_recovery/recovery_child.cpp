// Builds a list with every kind of edit in the real main window (fake media engine, offscreen), waits
// until the list is saved, writes down every field of it, and then waits to be killed: what a crash
// does to a user's session. Started by the recovery tests with the folders of their own in the
// environment:
//   KV_RECOVERY_HOST   the host folder with the product folder and catalogue
//   KV_RECOVERY_FILES  the media files, one a line
//   KV_RECOVERY_OUT    where "before.txt" (the list, field by field) and then "ready" are written
#include <dlfcn.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "components/i_ff_preview.h"
#include "components/i_save_option_xml.h"
#include "mainwin/list_recovery.h"
#include "mainwin/main_window.h"
#include "platform/application.h"
#include "plug/plug_table.h"
#include "run/kestrelvine.h"
#include "tests/fakes/recording_shell.h"
#include "tests/fakes/scripted_dialogs.h"
#include "tests/list_recovery/list_dump.h"
#include "tests/list_recovery/recovery_script.h"
#include "tests/tasks/fake_ff_preview.h"

namespace {

void Idle(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

[[noreturn]] void Fail(const QString& why) {
  std::fprintf(stderr, "list_recovery_child: %s\n", why.toLocal8Bit().constData());
  std::fflush(stderr);
  _exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string store = std::string(qgetenv("KV_BIN_DIR").constData()) + "/plugins/libsaveoptionxml.so";
  if (dlopen(store.c_str(), RTLD_NOW | RTLD_LOCAL) == nullptr) {
    Fail(QString::fromLocal8Bit(dlerror()));
  }
  const QString out = qEnvironmentVariable("KV_RECOVERY_OUT");
  const QStringList files = qEnvironmentVariable("KV_RECOVERY_FILES").split(u'\n', Qt::SkipEmptyParts);
  for (int i = 0; i < files.size(); ++i) {
    FakeFfPreview::table[files[i].toStdString()] = recovery_script::ScriptMedia(i);
  }
  AutoReg engine(kFfPreviewName, &FakeFfPreview::Make);
  ScriptedDialogs dialogs;
  RecordingShell shell;
  RunArgs args;
  args.productName = "Kestrelvine Converter";
  args.moduleFolder = qEnvironmentVariable("KV_RECOVERY_HOST") + "/";
  args.beforeMessageLoop = [&] {
    QTimer::singleShot(0, [&] {
      auto* form = qobject_cast<TConverterForm1*>(platform::Application::Current()->MainForm());
      if (form == nullptr) {
        Fail("no main window");
      }
      Idle(50);  // the offer at the start: there is nothing to offer
      const QString problem = recovery_script::BuildEditedList(*form, dialogs, files);
      if (!problem.isEmpty()) {
        Fail(problem);
      }
      QElapsedTimer waited;
      waited.start();
      while (!(form->Recovery().UpToDate() && QFile::exists(form->Recovery().path()))) {
        if (waited.elapsed() > 30000) {
          Fail("the list was never saved");
        }
        Idle(20);
      }
      QFile before(out + "/before.txt");
      if (!before.open(QIODevice::WriteOnly)) {
        Fail("cannot write before.txt");
      }
      for (const std::string& line : list_dump::DescribeList(form->VstList->Tree())) {
        before.write(QByteArray::fromStdString(line) + '\n');
      }
      before.close();
      QFile ready(out + "/ready");
      ready.open(QIODevice::WriteOnly);
      ready.close();
      // Waits for the kill; should the test that started it be gone, ends without closing anything.
      std::this_thread::sleep_for(std::chrono::seconds(120));
      _exit(3);
    });
  };
  RunModule(args, dialogs, shell);
  Fail("the window closed");
}
