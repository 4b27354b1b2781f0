#include "convert/batch_report.h"

#include <array>
#include <cstdio>
#include <utility>

#include "components/i_ff_converter.h"

namespace {

constexpr size_t kReasonSize = 1024;

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string EngineFailureText(int32_t kind, const std::string& engineReason) {
  switch (kind) {
    case kJobNoSpace:
      return "no space left on the device";
    case kJobCannotWrite:
      return "cannot write to this folder";
    default:
      return engineReason.empty() ? "the conversion failed" : engineReason;
  }
}

JobVerdict JudgeJob(std::string outputPath, int32_t engineResult, int32_t failureKind,
                    const std::string& engineReason, const std::optional<OutputCheck>& check) {
  JobVerdict verdict;
  verdict.outputPath = std::move(outputPath);
  if (engineResult == 0) {
    verdict.reason = EngineFailureText(failureKind, engineReason);
    return verdict;
  }
  if (check && !check->passed) {
    verdict.reason = check->reason.empty() ? "the output failed its check" : check->reason;
    return verdict;
  }
  verdict.succeeded = true;
  return verdict;
}

std::vector<JobVerdict> JudgeBatch(I_FfConverter& engine, const std::vector<ExpectedOutput>& jobs,
                                   I_FfPreview* probe, std::vector<std::string>* logLines) {
  std::vector<JobVerdict> verdicts;
  if (jobs.empty()) {
    return verdicts;
  }
  std::vector<int32_t> results(jobs.size(), 0);
  engine.GetResults(static_cast<int32_t>(jobs.size()), results.data());
  verdicts.reserve(jobs.size());
  for (size_t i = 0; i < jobs.size(); ++i) {
    int32_t kind = kJobNoFailure;
    std::string engineReason;
    std::optional<OutputCheck> check;
    if (results[i] == 0) {
      std::array<char, kReasonSize> text{};
      kind = engine.GetJobFailure(static_cast<int32_t>(i), text.data(), static_cast<int32_t>(text.size()));
      text.back() = '\0';  // whatever the engine wrote, the text ends inside the buffer
      engineReason = text.data();
    } else if (probe != nullptr) {
      check = CheckOutput(*probe, jobs[i]);
      if (logLines != nullptr) {
        logLines->push_back(CheckLogLine(jobs[i].path, *check));
      }
    }
    verdicts.push_back(JudgeJob(jobs[i].path, results[i], kind, engineReason, check));
  }
  return verdicts;
}

std::vector<std::string> FailureLines(const std::vector<JobVerdict>& verdicts) {
  std::vector<std::string> lines;
  for (const JobVerdict& verdict : verdicts) {
    if (!verdict.succeeded) {
      lines.push_back(FileNameOf(verdict.outputPath) + ": " + verdict.reason);
    }
  }
  return lines;
}

std::string SummaryText(const std::vector<JobVerdict>& verdicts) {
  int success = 0;
  for (const JobVerdict& verdict : verdicts) {
    success += verdict.succeeded ? 1 : 0;
  }
  const int total = static_cast<int>(verdicts.size());
  char head[160];
  std::snprintf(head, sizeof head, "Converting %d Files Done.\n\nSuccess %d\nFailed %d", total, success,
                total - success);
  std::string text = head;
  const std::vector<std::string> lines = FailureLines(verdicts);
  if (!lines.empty()) {
    text += "\n";
    for (const std::string& line : lines) {
      text += "\n" + line;
    }
  }
  return text;
}

std::string CheckLogLine(const std::string& outputPath, const OutputCheck& check) {
  return "output check: \"" + outputPath + "\" " +
         (check.passed ? std::string("passed") : "failed: " + check.reason);
}
