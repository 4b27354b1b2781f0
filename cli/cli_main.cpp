// kestrelvine-cli: the converter's batch mode on the command line, with the same modules, product
// folder, catalogue, user profiles and naming rules as the window; no display needed.
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <atomic>
#include <cstdio>

#include "base/mui_context.h"
#include "cli/cli_batch.h"
#include "cli/cli_options.h"
#include "host/module_loader.h"

namespace {

constexpr char kProductName[] = "Kestrelvine Converter";

std::atomic<int> stopSignal{0};

void OnStopSignal(int signal) {
  // A second Ctrl-C while the engine is stopping changes nothing: the stop is under way.
  int none = 0;
  stopSignal.compare_exchange_strong(none, signal);
}

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  const CliParse parse = ParseCliArguments(arguments);
  if (!parse.options) {
    std::fprintf(stderr, "kestrelvine-cli: %s\n\n%s", parse.error.toUtf8().constData(),
                 CliUsage().toUtf8().constData());
    return kCliUsage;
  }
  const CliOptions& options = *parse.options;
  if (options.help) {
    std::fputs(CliUsage().toUtf8().constData(), stdout);
    return kCliAllDone;
  }

  const std::string folder = ExecutableFolder8();
  const ModuleLoadResult modules = LoadModules(folder + "plugins");
  if (!modules.error.empty()) {
    std::fprintf(stderr, "kestrelvine-cli: %s\n", modules.error.c_str());
    return kCliSomeFailed;
  }
  MuiContext context;
  context.moduleFolder = QString::fromStdString(folder);
  context.productName = QString::fromUtf8(kProductName);
  context.productFolder =
      context.moduleFolder + QStringLiteral("sys/soft/") + context.productName + QLatin1Char('/');
  context.makerName = QString::fromUtf8(kMakerName);

  CliStreams streams;
  streams.terminal = ::isatty(STDOUT_FILENO) == 1;
  streams.askable = ::isatty(STDIN_FILENO) == 1;
  streams.stopSignal = &stopSignal;
  if (options.listProfiles) {
    return ListProfiles(context, streams);
  }
  CatchStopSignals();
  return RunBatch(context, options, streams);
}
