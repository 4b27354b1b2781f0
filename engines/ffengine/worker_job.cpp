#include "engines/ffengine/worker_job.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "components/field_text.h"
#include "components/i_ff_converter.h"
#include "engines/ffengine/output_file.h"
#include "engines/ffengine/worker_process.h"
#include "engines/ffengine/worker_wire.h"

namespace ffengine {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollWait = std::chrono::milliseconds(50);

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

}  // namespace

JobOutcome RunJobInWorker(const JobSpec& job, int32_t index, JobHost& host, const WorkerSettings& settings,
                          const std::function<bool()>& paused) {
  WorkerProcess process;
  std::string error;
  if (!process.Start(settings.program, "--job-socket", error)) {
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
