// kestrelvine-worker: one conversion job, or a run of probes, in a process of its own, so that a crash
// inside the media libraries on a damaged file costs that job or that file, not the program. The
// engine starts it with a socket and reads everything it says from it.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "engines/ffengine/ff_log.h"
#include "engines/ffengine/probe_serve.h"
#include "engines/ffengine/worker_serve.h"

namespace {

void OnStopSignal(int) {
  ffengine::StopServedJob();
}

#ifdef KV_WORKER_FAULTS
// Only the test build has this: KV_WORKER_FAULT="<kind>:<target>". "crash:N" aborts before job N
// (0-based) runs, "hang:N" stops there for good; "probe-crash:TEXT" and "probe-hang:TEXT" do the same
// before probing a path that contains TEXT. Tests show with it what the engine does with such a process.
void Fault(const std::string& prefix, const std::function<bool(const std::string& target)>& hits) {
  const char* fault = std::getenv("KV_WORKER_FAULT");
  if (fault == nullptr) {
    return;
  }
  const std::string text(fault);
  const size_t colon = text.find(':');
  if (colon == std::string::npos || !hits(text.substr(colon + 1))) {
    return;
  }
  const std::string kind = text.substr(0, colon);
  if (kind == prefix + "crash") {
    std::abort();
  }
  if (kind == prefix + "hang") {
    for (;;) {
      ::pause();
    }
  }
}

void InjectFault(int32_t index) {
  Fault("", [index](const std::string& target) { return std::atoi(target.c_str()) == index; });
}

void InjectProbeFault(const std::string& path) {
  Fault("probe-", [&path](const std::string& target) { return path.find(target) != std::string::npos; });
}
#endif

}  // namespace

int main(int argc, char** argv) {
  int fd = -1;
  long parent = -1;
  bool probing = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--job-socket") == 0 || std::strcmp(argv[i], "--probe-socket") == 0) {
      fd = std::atoi(argv[i + 1]);
      probing = std::strcmp(argv[i], "--probe-socket") == 0;
    } else if (std::strcmp(argv[i], "--parent") == 0) {
      parent = std::atol(argv[i + 1]);
    }
  }
  if (fd < 0 || parent <= 0) {
    std::fputs("kestrelvine-worker: started by the media engine only\n", stderr);
    return 2;
  }
  // No job outlives the program: the process is told to stop when its parent goes, and a parent
  // that went before this line could be set is noticed here.
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (::getppid() != static_cast<pid_t>(parent)) {
    return 3;
  }
  // A job stops the way Stop stops it, leaving nothing behind; a probe writes nothing, so the
  // signals keep ending the process at once.
  if (!probing) {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
      ::sigaction(signal, &action, nullptr);
    }
  }
  ::signal(SIGPIPE, SIG_IGN);
  // The job reports what matters through the engine's log; FFmpeg's own chatter would only reach the
  // terminal the program was started from.
  ffengine::SilenceFfmpegLog();
  if (probing) {
#ifdef KV_WORKER_FAULTS
    return ffengine::ServeProbes(fd, InjectProbeFault);
#else
    return ffengine::ServeProbes(fd);
#endif
  }
#ifdef KV_WORKER_FAULTS
  return ffengine::ServeJob(fd, InjectFault);
#else
  return ffengine::ServeJob(fd);
#endif
}
