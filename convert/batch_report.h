#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/output_check.h"

class I_FfConverter;
class I_FfPreview;

// How a finished batch is told to the user, in the progress window and on the command line alike:
// which jobs succeeded, and for each one that failed, why.

// The words for a job the engine reported as failed: "no space left on the device" and "cannot write
// to this folder" for those kinds (ENOSPC; EACCES, EROFS, EPERM and a missing folder), otherwise the
// engine's own words, or "the conversion failed" when it gave none.
std::string EngineFailureText(int32_t kind, const std::string& engineReason);

// One job at the end of a batch.
struct JobVerdict {
  std::string outputPath;  // UTF-8
  bool succeeded = false;
  std::string reason;  // why it failed; empty when it succeeded
};

// A job's verdict: the engine's result (nonzero = it succeeded), its failure kind and words, and the
// output check, absent when none was made. A failed check fails the job whatever the engine said.
JobVerdict JudgeJob(std::string outputPath, int32_t engineResult, int32_t failureKind,
                    const std::string& engineReason, const std::optional<OutputCheck>& check);

// A finished batch judged: the engine's results and failures read for each job, and every output the
// engine calls done checked through `probe` (null: the outputs are not checked). `logLines` receives
// one line for each output checked, saying whether it passed and what was wrong.
std::vector<JobVerdict> JudgeBatch(I_FfConverter& engine, const std::vector<ExpectedOutput>& jobs,
                                   I_FfPreview* probe, std::vector<std::string>* logLines = nullptr);

// "<file name>: <reason>" for each failed job, in job order; the file name is the output path after
// its last "/".
std::vector<std::string> FailureLines(const std::vector<JobVerdict>& verdicts);

// The summary: "Converting %d Files Done.\n\nSuccess %d\nFailed %d", and when a job failed, an empty
// line and its failure lines below, one a line.
std::string SummaryText(const std::vector<JobVerdict>& verdicts);

// The log's line for a checked output: "output check: \"<path>\" passed" or
// "output check: \"<path>\" failed: <reason>".
std::string CheckLogLine(const std::string& outputPath, const OutputCheck& check);
