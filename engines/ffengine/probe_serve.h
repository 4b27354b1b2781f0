#pragma once

#include <functional>
#include <string>

namespace ffengine {

// The probing process's side: answers each probe read from `fd` with its verdict and record, until
// the socket closes (the pool is gone). `beforeProbe` (may be empty) is called with each path before
// it is probed. Returns the process's exit status.
int ServeProbes(int fd, const std::function<void(const std::string& path)>& beforeProbe = {});

}  // namespace ffengine
