#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "components/i_ff_converter.h"

// A conversion engine that converts nothing: it keeps what it was given and answers GetProgress from
// a script. Registered under "FfConverter" by the tests that need it. What it records outlives the
// instance (the progress window releases its engine when it closes), so the state is shared and reset
// per test.
class ScriptedFfConverter final : public I_FfConverter {
 public:
  // One answer of GetProgress, with the events the engine hands over during that call.
  struct Step {
    int32_t status = kConvertRunning;
    double position = 0.0;
    int32_t jobIndex = 0;
    std::vector<std::string> logs;
    std::vector<uint8_t> frame;  // delivered through OnPreviewFrame when not empty
  };

  struct Job {
    CIOutput output;
    std::vector<CIInput> inputs;
    bool merge = false;
    // The watermark picture each input names, read while the call ran (the copies go afterwards).
    std::vector<std::string> markFiles;
  };

  // The script.
  static bool startResult;
  static std::deque<Step> steps;
  static std::vector<int32_t> results;  // what GetResults writes; missing entries are 0
  // What GetJobFailure answers, by job: the kind and the engine's words; missing entries answer
  // kJobNoFailure with no words.
  struct Failure {
    int32_t kind = kJobNoFailure;
    std::string reason;
  };
  static std::vector<Failure> failures;

  // The record.
  static std::vector<std::string> calls;  // operation names in call order
  static CISetup setup;
  static std::vector<Job> jobs;
  static int created;
  static int alive;

  static void Reset();
  static I_Plug* Make();
  // How often `name` was called.
  static int Count(const std::string& name);

  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++refs_; }
  void Release() override;
  void Reserved1() override {}
  void Configure(const CISetup* setup) override;
  void AddJob(const CIOutput* output, const CIInput* input) override;
  void AddMergeJob(const CIOutput* output, int32_t count, const CIInput* inputs) override;
  bool Start() override;
  void Stop() override { calls.push_back("Stop"); }
  int32_t GetProgress(double* position, int32_t* jobIndex) override;
  void Pause() override { calls.push_back("Pause"); }
  void Resume() override { calls.push_back("Resume"); }
  void TogglePreview() override { calls.push_back("TogglePreview"); }
  void GetResults(int32_t count, int32_t* out) override;
  // Not written to `calls`: the call lists of the tests stay those of the original operations.
  int32_t GetJobFailure(int32_t index, char* reason, int32_t size) override;

 private:
  ScriptedFfConverter() { ++alive; }
  ~ScriptedFfConverter() { --alive; }

  int32_t refs_ = 1;
  FfConvertEvent* events_ = nullptr;
};
