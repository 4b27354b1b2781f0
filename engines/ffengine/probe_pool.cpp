#include "engines/ffengine/probe_pool.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "engines/ffengine/input_policy.h"
#include "engines/ffengine/worker_wire.h"

namespace {

// A probe of its own is bounded at the engine's open bound; a process gets four times that, so that a
// loaded machine does not make a slow probe count as hung.
constexpr std::chrono::milliseconds kDefaultBound =
    std::chrono::duration_cast<std::chrono::milliseconds>(ffengine::kOpenBound) * 4;
constexpr int32_t kMostProcesses = 16;
// Probes sent to one process ahead of its answers.
constexpr size_t kDepth = 2;

// The process's own texts are cut inside their fields, but a process that broke may have sent
// anything: no text may run past its field, and no count past its table.
template <size_t N>
void Terminate(char (&field)[N]) {
  field[N - 1] = '\0';
}

void MakeSafe(MediaInfo& media) {
  Terminate(media.videoCodec);
  media.audioCount = std::clamp(media.audioCount, 0, kMaxAudioStreams);
  media.subtitleCount = std::clamp(media.subtitleCount, 0, kMaxSubtitleStreams);
  for (AudioStreamEntry& entry : media.audioStreams) {
    Terminate(entry.channels);
    Terminate(entry.codec);
    Terminate(entry.tag);
  }
  for (SubtitleStreamEntry& entry : media.subtitleStreams) {
    Terminate(entry.tag);
  }
}

}  // namespace

void FfProbePool::Release() {
  if (--refs_ == 0) {
    delete this;
  }
}

bool FfProbePool::Start(const char* program, int32_t processes, int32_t boundMs) {
  Cancel();
  slots_.clear();
  if (program == nullptr || ::access(program, X_OK) != 0) {
    return false;
  }
  struct stat info {};
  if (::stat(program, &info) != 0 || !S_ISREG(info.st_mode)) {
    return false;
  }
  program_ = program;
  bound_ = boundMs > 0 ? std::chrono::milliseconds(boundMs) : kDefaultBound;
  slots_ = std::vector<Slot>(static_cast<size_t>(std::clamp(processes, 1, kMostProcesses)));
  // The first process is started now, so that a program that cannot run is known at once.
  std::string error;
  return slots_.front().process.Start(program_, "--probe-socket", error);
}

void FfProbePool::Submit(int64_t ticket, const char* path) {
  queue_.push_back({ticket, path == nullptr ? std::string() : std::string(path)});
}

int32_t FfProbePool::Collect(int32_t waitMs, ProbeAnswer* answers, int32_t room) {
  Dispatch();
  if (done_.empty()) {
    Wait(std::chrono::milliseconds(std::max(waitMs, 0)));
    Dispatch();
  }
  int32_t given = 0;
  while (given < room && answers != nullptr && !done_.empty()) {
    answers[given++] = done_.front();
    done_.pop_front();
  }
  return given;
}

void FfProbePool::Cancel() {
  queue_.clear();
  done_.clear();
  for (Slot& slot : slots_) {
    if (!slot.sent.empty()) {
      // Its answers would come for probes nobody waits for any more.
      slot.process.Reset();
      slot.sent.clear();
    }
  }
}

int32_t FfProbePool::Pending() {
  size_t pending = queue_.size() + done_.size();
  for (const Slot& slot : slots_) {
    pending += slot.sent.size();
  }
  return static_cast<int32_t>(pending);
}

void FfProbePool::Dispatch() {
  // One file to each process first, then a second to each, so that a short queue is spread.
  for (size_t depth = 1; depth <= kDepth; ++depth) {
    for (Slot& slot : slots_) {
      if (queue_.empty()) {
        return;
      }
      if (slot.sent.size() >= depth) {
        continue;
      }
      std::string error;
      if (!slot.process.Running() && !slot.process.Start(program_, "--probe-socket", error)) {
        ProbeAnswer answer{};
        answer.ticket = queue_.front().ticket;
        answer.verdict = kProbeFailed;
        done_.push_back(answer);
        queue_.pop_front();
        continue;
      }
      Request request = std::move(queue_.front());
      queue_.pop_front();
      std::vector<uint8_t> body(sizeof request.ticket + request.path.size());
      std::memcpy(body.data(), &request.ticket, sizeof request.ticket);
      std::memcpy(body.data() + sizeof request.ticket, request.path.data(), request.path.size());
      if (slot.sent.empty()) {
        slot.since = Clock::now();
      }
      slot.sent.push_back(std::move(request));
      if (!ffengine::wire::Send(slot.process.fd(), ffengine::wire::Kind::kProbe, body.data(), body.size())) {
        Fail(slot);
      }
    }
  }
}

void FfProbePool::Wait(std::chrono::milliseconds wait) {
  std::vector<pollfd> ready;
  std::vector<Slot*> waiting;
  Clock::time_point nearest = Clock::now() + wait;
  for (Slot& slot : slots_) {
    if (!slot.sent.empty()) {
      ready.push_back({slot.process.fd(), POLLIN, 0});
      waiting.push_back(&slot);
      nearest = std::min(nearest, slot.since + bound_);
    }
  }
  if (!ready.empty()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nearest - Clock::now());
    const int polled =
        ::poll(ready.data(), ready.size(), static_cast<int>(std::max<int64_t>(left.count(), 0)));
    for (size_t i = 0; polled > 0 && i < ready.size(); ++i) {
      if (ready[i].revents != 0) {
        Read(*waiting[i]);
      }
    }
  } else if (wait.count() > 0) {
    ::usleep(static_cast<useconds_t>(std::min<int64_t>(wait.count(), 1000) * 1000));
  }
  const Clock::time_point now = Clock::now();
  for (Slot* slot : waiting) {
    if (!slot->sent.empty() && now - slot->since > bound_) {
      Fail(*slot);
    }
  }
}

// Takes every answer the process has written so far.
void FfProbePool::Read(Slot& slot) {
  while (!slot.sent.empty()) {
    ffengine::wire::Message message;
    const ffengine::wire::Read read =
        ffengine::wire::Receive(slot.process.fd(), std::chrono::milliseconds(0), message);
    if (read == ffengine::wire::Read::kTimeout) {
      return;
    }
    ProbeAnswer answer{};
    constexpr size_t kSize = sizeof answer.ticket + sizeof answer.verdict + sizeof answer.media;
    if (read == ffengine::wire::Read::kClosed || message.kind != ffengine::wire::Kind::kProbed ||
        message.body.size() != kSize) {
      Fail(slot);
      return;
    }
    std::memcpy(&answer.ticket, message.body.data(), sizeof answer.ticket);
    std::memcpy(&answer.verdict, message.body.data() + sizeof answer.ticket, sizeof answer.verdict);
    std::memcpy(&answer.media, message.body.data() + sizeof answer.ticket + sizeof answer.verdict,
                sizeof answer.media);
    if (answer.ticket != slot.sent.front().ticket) {
      Fail(slot);
      return;
    }
    if (answer.verdict != kProbeMedia) {
      answer.verdict = kProbeRefused;
      answer.media = MediaInfo{};
    }
    MakeSafe(answer.media);
    slot.sent.pop_front();
    slot.since = Clock::now();
    done_.push_back(answer);
  }
}

// A process that closed its socket, broke its message or outlived the bound: the probe it was on
// fails, and those sent after it go back to the front of the queue for a fresh process.
void FfProbePool::Fail(Slot& slot) {
  slot.process.Reset();
  if (slot.sent.empty()) {
    return;
  }
  ProbeAnswer answer{};
  answer.ticket = slot.sent.front().ticket;
  answer.verdict = kProbeFailed;
  done_.push_back(answer);
  slot.sent.pop_front();
  while (!slot.sent.empty()) {
    queue_.push_front(std::move(slot.sent.back()));
    slot.sent.pop_back();
  }
}

I_Plug* CreateFfProbePool() {
  return new FfProbePool();
}
