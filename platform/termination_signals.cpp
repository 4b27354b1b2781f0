#include "platform/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>

namespace platform {

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// The pipe's write end for the handler; -1 while nobody catches. A lock-free atomic, so the handler
// may read it.
std::atomic<int> g_writeEnd{-1};
std::array<struct sigaction, kSignals.size()> g_previous{};

void OnSignal(int signal) {
  const int saved = errno;
  const int fd = g_writeEnd.load();
  if (fd >= 0) {
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a request: this one may be dropped.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  static_assert(std::atomic<int>::is_always_lock_free);
  if (g_writeEnd.load() >= 0) {
    return;
  }
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    return;
  }
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
  g_writeEnd = writeEnd_;
  notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::ReadPipe);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // Other threads' system calls (the engines' reads and writes) go on rather than fail with EINTR.
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kSignals.size(); ++i) {
    ::sigaction(kSignals[i], &action, &g_previous[i]);
  }
  catching_ = true;
}

TerminationSignals::~TerminationSignals() {
  if (catching_) {
    for (size_t i = 0; i < kSignals.size(); ++i) {
      ::sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    g_writeEnd = -1;
  }
  notifier_.reset();
  if (readEnd_ >= 0) {
    ::close(readEnd_);
  }
  if (writeEnd_ >= 0) {
    ::close(writeEnd_);
  }
}

void TerminationSignals::ReadPipe() {
  unsigned char bytes[16];
  ssize_t got = 0;
  while ((got = ::read(readEnd_, bytes, sizeof bytes)) > 0) {
    for (ssize_t i = 0; i < got; ++i) {
      emit Requested(bytes[i]);
    }
  }
}

QString SignalName(int signal) {
  switch (signal) {
    case SIGTERM:
      return QStringLiteral("SIGTERM");
    case SIGINT:
      return QStringLiteral("SIGINT");
    case SIGHUP:
      return QStringLiteral("SIGHUP");
    default:
      return QStringLiteral("signal %1").arg(signal);
  }
}

}  // namespace platform
