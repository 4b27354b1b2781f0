// kestrelvine-worker: one conversion job in a process of its own, so that a crash inside the media
// libraries on a damaged file costs that job, not the program. The engine starts it with a socket
// and reads everything the job says from it.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "engines/ffengine/ff_log.h"
#include "engines/ffengine/worker_serve.h"

namespace {

void OnStopSignal(int) {
  ffengine::StopServedJob();
}

#ifdef KV_WORKER_FAULTS
// Only the test build has this: KV_WORKER_FAULT="crash:N" aborts before job N (0-based) runs,
// "hang:N" stops there for good, so that tests can show what the engine does with such a process.
void InjectFault(int32_t index) {
  const char* fault = std::getenv("KV_WORKER_FAULT");
  if (fault == nullptr) {
    return;
  }
  const std::string text(fault);
  const size_t colon = text.find(':');
  if (colon == std::string::npos || std::atoi(text.c_str() + colon + 1) != index) {
    return;
  }
  if (text.compare(0, colon, "crash") == 0) {
    std::abort();
  }
  if (text.compare(0, colon, "hang") == 0) {
    for (;;) {
      ::pause();
    }
  }
}
#endif

}  // namespace

int main(int argc, char** argv) {
  int fd = -1;
  long parent = -1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--job-socket") == 0) {
      fd = std::atoi(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--parent") == 0) {
      parent = std::atol(argv[i + 1]);
    }
  }
  if (fd < 0 || parent <= 0) {
    std::fputs("kestrelvine-worker: started by the conversion engine only\n", stderr);
    return 2;
  }
  // No job outlives the program: the process is told to stop when its parent goes, and a parent
  // that went before this line could be set is noticed here.
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (::getppid() != static_cast<pid_t>(parent)) {
    return 3;
  }
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    ::sigaction(signal, &action, nullptr);
  }
  ::signal(SIGPIPE, SIG_IGN);
  // The job reports what matters through the engine's log; FFmpeg's own chatter would only reach the
  // terminal the program was started from.
  ffengine::SilenceFfmpegLog();
#ifdef KV_WORKER_FAULTS
  return ffengine::ServeJob(fd, InjectFault);
#else
  return ffengine::ServeJob(fd);
#endif
}
