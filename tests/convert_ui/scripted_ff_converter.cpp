#include "tests/convert_ui/scripted_ff_converter.h"

#include <algorithm>
#include <cstring>

bool ScriptedFfConverter::startResult = true;
std::deque<ScriptedFfConverter::Step> ScriptedFfConverter::steps;
std::vector<int32_t> ScriptedFfConverter::results;
std::vector<ScriptedFfConverter::Failure> ScriptedFfConverter::failures;
std::vector<std::string> ScriptedFfConverter::calls;
CISetup ScriptedFfConverter::setup{};
std::vector<ScriptedFfConverter::Job> ScriptedFfConverter::jobs;
int ScriptedFfConverter::created = 0;
int ScriptedFfConverter::alive = 0;

void ScriptedFfConverter::Reset() {
  startResult = true;
  steps.clear();
  results.clear();
  failures.clear();
  calls.clear();
  setup = CISetup{};
  jobs.clear();
  created = 0;
}

I_Plug* ScriptedFfConverter::Make() {
  ++created;
  return static_cast<I_FfConverter*>(new ScriptedFfConverter);
}

int ScriptedFfConverter::Count(const std::string& name) {
  return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

void ScriptedFfConverter::Release() {
  if (--refs_ == 0) {
    delete this;
  }
}

void ScriptedFfConverter::Configure(const CISetup* s) {
  calls.push_back("Configure");
  setup = *s;
  events_ = s->events;
}

namespace {

std::string MarkFileOf(const CIInput& input) {
  return input.mark.markFile != nullptr ? input.mark.markFile : "";
}

}  // namespace

void ScriptedFfConverter::AddJob(const CIOutput* output, const CIInput* input) {
  calls.push_back("AddJob");
  jobs.push_back({*output, {*input}, false, {MarkFileOf(*input)}});
}

void ScriptedFfConverter::AddMergeJob(const CIOutput* output, int32_t count, const CIInput* inputs) {
  calls.push_back("AddMergeJob");
  Job job{*output, {inputs, inputs + count}, true, {}};
  for (int32_t i = 0; i < count; ++i) {
    job.markFiles.push_back(MarkFileOf(inputs[i]));
  }
  jobs.push_back(std::move(job));
}

bool ScriptedFfConverter::Start() {
  calls.push_back("Start");
  return startResult;
}

int32_t ScriptedFfConverter::GetProgress(double* position, int32_t* jobIndex) {
  calls.push_back("GetProgress");
  // An exhausted script ends the batch, so that a test that forgot a step cannot hang.
  if (steps.empty()) {
    return kConvertFinished;
  }
  const Step step = steps.front();
  steps.pop_front();
  if (events_ != nullptr) {
    for (const std::string& text : step.logs) {
      events_->OnLog(text.c_str());
    }
    if (!step.frame.empty()) {
      events_->OnPreviewFrame(step.frame.data(), static_cast<int32_t>(step.frame.size()));
    }
  }
  *position = step.position;
  *jobIndex = step.jobIndex;
  return step.status;
}

void ScriptedFfConverter::GetResults(int32_t count, int32_t* out) {
  calls.push_back("GetResults");
  for (int32_t i = 0; i < count; ++i) {
    out[i] = static_cast<size_t>(i) < results.size() ? results[static_cast<size_t>(i)] : 0;
  }
}

int32_t ScriptedFfConverter::GetJobFailure(int32_t index, char* reason, int32_t size) {
  const Failure failure = index >= 0 && static_cast<size_t>(index) < failures.size()
                              ? failures[static_cast<size_t>(index)]
                              : Failure{};
  if (reason != nullptr && size > 0) {
    const size_t length = std::min(failure.reason.size(), static_cast<size_t>(size) - 1);
    std::memcpy(reason, failure.reason.data(), length);
    reason[length] = '\0';
  }
  return failure.kind;
}
