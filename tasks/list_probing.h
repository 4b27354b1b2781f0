#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "components/i_ff_probe_pool.h"

// How the list probes the files of a load. With the media engine's probe pool and its program beside
// the host, several files are probed at once, each in a process that a damaged file may crash or hang
// without harm; without them (tests with a fake engine, a program built without one), each file is
// probed in turn through the engine's own Probe. Answers come in any order; the list puts them back in
// the user's.
class ListProber {
 public:
  virtual ~ListProber() = default;
  // How many probes are worth having under way at once.
  virtual int Capacity() const = 0;
  virtual void Submit(int64_t ticket, const QString& path) = 0;
  // Waits up to `waitMs` for answers (the in-turn prober probes one file instead).
  virtual std::vector<ProbeAnswer> Collect(int waitMs) = 0;
  // Drops everything queued or under way.
  virtual void Cancel() = 0;
};

// The pool when the module provides one and `workerProgram` runs, with `processes` processes;
// otherwise the in-turn prober.
std::unique_ptr<ListProber> MakeListProber(const QString& workerProgram, int processes);
