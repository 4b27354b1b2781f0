#include "engines/ffengine/probe_serve.h"

#include <cstring>
#include <vector>

#include "components/i_ff_probe_pool.h"
#include "engines/ffengine/media_probe.h"
#include "engines/ffengine/worker_wire.h"

namespace ffengine {

int ServeProbes(int fd, const std::function<void(const std::string& path)>& beforeProbe) {
  wire::Message message;
  for (;;) {
    const wire::Read read = wire::Receive(fd, std::chrono::hours(1), message);
    if (read == wire::Read::kClosed) {
      return 0;
    }
    if (read == wire::Read::kTimeout || message.kind != wire::Kind::kProbe ||
        message.body.size() < sizeof(int64_t)) {
      continue;
    }
    int64_t ticket = 0;
    std::memcpy(&ticket, message.body.data(), sizeof ticket);
    const std::string path(reinterpret_cast<const char*>(message.body.data()) + sizeof ticket,
                           message.body.size() - sizeof ticket);
    if (beforeProbe) {
      beforeProbe(path);
    }
    MediaInfo info{};
    int32_t verdict = kProbeRefused;
    try {
      verdict = path.find('\0') == std::string::npos && ProbeMedia(path.c_str(), info) ? kProbeMedia
                                                                                       : kProbeRefused;
    } catch (...) {
      verdict = kProbeRefused;
    }
    std::vector<uint8_t> answer(sizeof ticket + sizeof verdict + sizeof info);
    std::memcpy(answer.data(), &ticket, sizeof ticket);
    std::memcpy(answer.data() + sizeof ticket, &verdict, sizeof verdict);
    std::memcpy(answer.data() + sizeof ticket + sizeof verdict, &info, sizeof info);
    if (!wire::Send(fd, wire::Kind::kProbed, answer.data(), answer.size())) {
      return 0;
    }
  }
}

}  // namespace ffengine
