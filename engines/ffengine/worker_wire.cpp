#include "engines/ffengine/worker_wire.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ffengine::wire {

namespace {

// The largest job: a merge of this many parts is far beyond any list a person builds.
constexpr uint32_t kMostParts = 100000;
constexpr uint32_t kLongestName = 4096;

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    // MSG_NOSIGNAL: a process that died must not take the engine down with SIGPIPE.
    const ssize_t written = ::send(fd, bytes, size, MSG_NOSIGNAL);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Reads exactly `size` bytes, waiting as long as it takes once a message has begun.
bool ReadAll(int fd, void* data, size_t size) {
  auto* bytes = static_cast<uint8_t*>(data);
  while (size > 0) {
    const ssize_t got = ::read(fd, bytes, size);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

template <class T>
void Put(std::vector<uint8_t>& out, const T& value) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), bytes, bytes + sizeof value);
}

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  template <class T>
  bool Get(T& value) {
    if (bytes_.size() - at_ < sizeof value) {
      return false;
    }
    std::memcpy(&value, bytes_.data() + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  bool GetText(std::string& text, uint32_t size) {
    if (bytes_.size() - at_ < size) {
      return false;
    }
    text.assign(reinterpret_cast<const char*>(bytes_.data() + at_), size);
    at_ += size;
    return true;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

}  // namespace

bool Send(int fd, Kind kind, const void* body, size_t size) {
  if (size > kLargestMessage) {
    return false;
  }
  uint8_t head[5];
  head[0] = static_cast<uint8_t>(kind);
  const uint32_t length = static_cast<uint32_t>(size);
  std::memcpy(head + 1, &length, sizeof length);
  return WriteAll(fd, head, sizeof head) && (size == 0 || WriteAll(fd, body, size));
}

bool Send(int fd, Kind kind, const std::string& text) {
  return Send(fd, kind, text.data(), text.size());
}

bool SendInt(int fd, Kind kind, int32_t value) {
  return Send(fd, kind, &value, sizeof value);
}

Read Receive(int fd, std::chrono::milliseconds wait, Message& message) {
  pollfd ready{fd, POLLIN, 0};
  int polled = 0;
  do {
    polled = ::poll(&ready, 1, static_cast<int>(wait.count()));
  } while (polled < 0 && errno == EINTR);
  if (polled == 0) {
    return Read::kTimeout;
  }
  if (polled < 0) {
    return Read::kClosed;
  }
  uint8_t head[5];
  if (!ReadAll(fd, head, sizeof head)) {
    return Read::kClosed;
  }
  uint32_t length = 0;
  std::memcpy(&length, head + 1, sizeof length);
  if (length > kLargestMessage) {
    return Read::kClosed;
  }
  message.kind = static_cast<Kind>(head[0]);
  message.body.resize(length);
  return length == 0 || ReadAll(fd, message.body.data(), length) ? Read::kMessage : Read::kClosed;
}

std::vector<uint8_t> EncodeJob(const JobSpec& job, int32_t index) {
  std::vector<uint8_t> out;
  Put(out, index);
  Put(out, job.output);
  Put(out, static_cast<uint32_t>(job.inputs.size()));
  for (const JobInput& part : job.inputs) {
    CIInput input = part.input;
    input.mark.markFile = nullptr;
    Put(out, input);
    Put(out, static_cast<uint32_t>(part.markFile.size()));
    out.insert(out.end(), part.markFile.begin(), part.markFile.end());
  }
  return out;
}

std::optional<JobSpec> DecodeJob(const std::vector<uint8_t>& bytes, int32_t* index) {
  Reader reader(bytes);
  JobSpec job;
  int32_t number = 0;
  uint32_t count = 0;
  if (!reader.Get(number) || !reader.Get(job.output) || !reader.Get(count) || count > kMostParts) {
    return std::nullopt;
  }
  for (uint32_t i = 0; i < count; ++i) {
    JobInput part;
    uint32_t nameSize = 0;
    if (!reader.Get(part.input) || !reader.Get(nameSize) || nameSize > kLongestName ||
        !reader.GetText(part.markFile, nameSize)) {
      return std::nullopt;
    }
    part.input.mark.markFile = nullptr;
    job.inputs.push_back(std::move(part));
  }
  if (!reader.AtEnd()) {
    return std::nullopt;
  }
  if (index != nullptr) {
    *index = number;
  }
  return job;
}

std::optional<int32_t> IntOf(const Message& message) {
  int32_t value = 0;
  if (message.body.size() < sizeof value) {
    return std::nullopt;
  }
  std::memcpy(&value, message.body.data(), sizeof value);
  return value;
}

std::optional<double> DoubleOf(const Message& message) {
  double value = 0;
  if (message.body.size() != sizeof value) {
    return std::nullopt;
  }
  std::memcpy(&value, message.body.data(), sizeof value);
  return value;
}

std::string TextOf(const Message& message) {
  return std::string(message.body.begin(), message.body.end());
}

}  // namespace ffengine::wire
