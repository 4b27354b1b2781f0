#include "engines/ffengine/worker_job.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "components/field_text.h"
#include "components/i_ff_converter.h"
#include "engines/ffengine/output_file.h"
#include "engines/ffengine/worker_wire.h"

extern char** environ;

namespace ffengine {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollWait = std::chrono::milliseconds(50);
// The file descriptor the process finds its socket at.
constexpr int kWorkerFd = 3;

// A process started for one job, killed and reaped when this goes, whatever happened.
class WorkerProcess {
 public:
  WorkerProcess() = default;
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;
  ~WorkerProcess() {
    if (pid_ > 0) {
      Kill();
    }
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }

  // False with the reason in `error` when the process could not be started.
  bool Start(const std::string& program, std::string& error) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
      error = std::string("no socket for the conversion process: ") + std::strerror(errno);
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the copy: only that end reaches the process.
    posix_spawn_file_actions_adddup2(&actions, ends[1], kWorkerFd);
    const std::string parent = std::to_string(::getpid());
    const std::string fd = std::to_string(kWorkerFd);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>("--job-socket"),
                            const_cast<char*>(fd.c_str()),      const_cast<char*>("--parent"),
                            const_cast<char*>(parent.c_str()),  nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (spawned != 0) {
      ::close(ends[0]);
      error = "cannot start the conversion process \"" + program + "\": " + std::strerror(spawned);
      return false;
    }
    pid_ = pid;
    fd_ = ends[0];
    return true;
  }

  int fd() const { return fd_; }

  void Kill() {
    // Never with pid 0 or -1: those would name a whole group, or every process there is.
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Reap();
    }
  }

  // Waits up to `bound` for the process to end by itself, then kills it; its wait status.
  int ReapWithin(std::chrono::milliseconds bound) {
    const Clock::time_point until = Clock::now() + bound;
    while (pid_ > 0 && Clock::now() < until) {
      int status = 0;
      const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
      if (ended == pid_) {
        pid_ = -1;
        status_ = status;
        return status_;
      }
      if (ended < 0 && errno != EINTR) {
        break;
      }
      ::usleep(10000);
    }
    Kill();
    return status_;
  }

  // Waits for the process to end; its wait status.
  int Reap() {
    int status = 0;
    if (pid_ > 0) {
      while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      pid_ = -1;
      status_ = status;
    }
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  int status_ = 0;
};

// Removes the temporary outputs of `outputPath` that nobody holds locked: what a process that died
// while writing it leaves. Only this output's own names are looked at; another output's temporary file
// may be between its creation and its lock.
void RemoveTempOutputsOf(const std::string& outputPath) {
  const size_t slash = outputPath.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string("./") : outputPath.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? outputPath : outputPath.substr(slash + 1);
  if (name.empty()) {
    return;
  }
  const std::string model = TempOutputName(name, 0);
  const size_t stem = model.rfind('.', model.rfind('.') - 1) + 1;  // up to the number
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view candidate(entry->d_name);
    if (candidate.size() != model.size() ||
        candidate.substr(0, stem) != std::string_view(model).substr(0, stem) ||
        !IsTempOutputName(candidate)) {
      continue;
    }
    const std::string path = folder + entry->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      continue;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlink(path.c_str());
    }
    ::close(fd);
  }
  ::closedir(dir);
}

std::string HowItEnded(int status) {
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    const char* name = ::strsignal(signal);
    return "it was ended by signal " + std::to_string(signal) +
           (name != nullptr ? std::string(" (") + name + ")" : "");
  }
  if (WIFEXITED(status)) {
    return "it exited with status " + std::to_string(WEXITSTATUS(status));
  }
  return "it ended";
}

}  // namespace

JobOutcome RunJobInWorker(const JobSpec& job, int32_t index, JobHost& host, const WorkerSettings& settings,
                          const std::function<bool()>& paused) {
  WorkerProcess process;
  std::string error;
  if (!process.Start(settings.program, error)) {
    host.Log(error);
    host.NoteFailure(kJobFailed, error);
    return JobOutcome::kFailed;
  }
  const std::vector<uint8_t> encoded = wire::EncodeJob(job, index);
  wire::Send(process.fd(), wire::Kind::kJob, encoded.data(), encoded.size());

  std::optional<JobOutcome> outcome;
  bool stopSent = false;
  bool pauseSent = false;
  bool hung = false;
  bool lateStop = false;
  Clock::time_point progressAt = Clock::now();
  Clock::time_point stopDeadline{};
  double lastPosition = -1;
  wire::Message message;
  while (!outcome) {
    if (!stopSent && host.StopRequested()) {
      wire::Send(process.fd(), wire::Kind::kStop, nullptr, 0);
      stopSent = true;
      stopDeadline = Clock::now() + settings.stopBound;
    }
    const bool holding = !stopSent && paused && paused();
    if (holding != pauseSent) {
      wire::Send(process.fd(), holding ? wire::Kind::kPause : wire::Kind::kResume, nullptr, 0);
      pauseSent = holding;
      progressAt = Clock::now();  // time spent paused is no stall
    }
    int width = 0;
    int height = 0;
    if (!stopSent && host.PreviewWanted(width, height)) {
      const int32_t size[2] = {width, height};
      wire::Send(process.fd(), wire::Kind::kPreview, size, sizeof size);
    }

    const wire::Read read = wire::Receive(process.fd(), kPollWait, message);
    if (read == wire::Read::kClosed) {
      break;
    }
    if (read == wire::Read::kMessage) {
      switch (message.kind) {
        case wire::Kind::kPosition:
          if (const std::optional<double> seconds = wire::DoubleOf(message)) {
            host.ReportPosition(*seconds);
            if (*seconds != lastPosition) {
              lastPosition = *seconds;
              progressAt = Clock::now();
            }
          }
          break;
        case wire::Kind::kLog:
          host.Log(wire::TextOf(message));
          break;
        case wire::Kind::kFailure:
          if (const std::optional<int32_t> kind = wire::IntOf(message)) {
            host.NoteFailure(*kind, wire::TextOf(message).substr(sizeof(int32_t)));
          }
          break;
        case wire::Kind::kPicture:
          host.Preview(std::move(message.body));
          message.body = {};
          break;
        case wire::Kind::kEnd:
          if (const std::optional<int32_t> end = wire::IntOf(message);
              end && *end >= static_cast<int32_t>(JobOutcome::kDone) &&
              *end <= static_cast<int32_t>(JobOutcome::kStopped)) {
            outcome = static_cast<JobOutcome>(*end);
          }
          break;
        default:
          break;
      }
    }
    const Clock::time_point now = Clock::now();
    if (stopSent && now > stopDeadline) {
      host.Log("the conversion process did not stop in time and was ended");
      lateStop = true;
      break;
    }
    if (!stopSent && !pauseSent && now - progressAt > settings.stallBound) {
      hung = true;
      break;
    }
  }

  if (outcome) {
    process.Reap();
    return *outcome;
  }
  // A process that closed its end is ending by itself: its own way of ending is the one to tell.
  if (hung || lateStop) {
    process.Kill();
  }
  const int status = process.ReapWithin(std::chrono::seconds(2));
  // The dead process's lock on its temporary output went with it: the file is nobody's now.
  RemoveTempOutputsOf(std::string(FieldText(job.output.outputFile)));
  if (stopSent) {
    return JobOutcome::kStopped;
  }
  const std::string reason =
      hung ? "the conversion stopped making progress for " +
                 std::to_string(
                     std::chrono::duration_cast<std::chrono::seconds>(settings.stallBound).count()) +
                 " s and was ended"
           : "the conversion process failed: " + HowItEnded(status);
  host.Log(reason);
  host.NoteFailure(kJobFailed, reason);
  return JobOutcome::kFailed;
}

}  // namespace ffengine
