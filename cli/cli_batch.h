#pragma once

#include <atomic>
#include <cstdio>

#include "cli/cli_options.h"

struct MuiContext;

// Where the command line writes and what stops it. `stopSignal` is set (to the signal's number) by the
// program's signal handler; a batch that sees it stops the way the progress window's Stop does.
struct CliStreams {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  bool terminal = false;  // `out` is a terminal: the progress line is redrawn in place
  std::FILE* in = stdin;
  bool askable = false;  // `in` is a terminal: a question may be asked and answered
  const std::atomic<int>* stopSignal = nullptr;
};

// The exit statuses of the command line.
inline constexpr int kCliAllDone = 0;
inline constexpr int kCliSomeFailed = 1;
inline constexpr int kCliUsage = 2;

// Prints the profile groups and their profiles with their numbers, as the catalogue of `context`
// lists them.
int ListProfiles(const MuiContext& context, const CliStreams& streams);

// Converts what `options` names with the engines registered in this process ("FfPreview" to probe,
// "FfConverter" to convert) and the catalogue of `context`; the exit status. Several processes may write
// into one folder at once: each output name is taken with an exclusive create before the engine
// writes, so no two processes take the same name and none replaces another's output (unless asked to
// overwrite).
int RunBatch(const MuiContext& context, const CliOptions& options, const CliStreams& streams);
