#include "engines/ffengine/ff_converter.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "components/field_text.h"
#include "components/text_utf.h"
#include "engines/ffengine/convert_job.h"
#include "engines/ffengine/leftover_parts.h"
#include "engines/ffengine/worker_job.h"

namespace {

// Preview frames are a glimpse of the work, not a player: a few a second are enough.
constexpr auto kPreviewInterval = std::chrono::milliseconds(250);

// The status for a batch that could not run to its end (no jobs, or a failure outside any job).
constexpr int32_t kConvertBroken = -1;

// A watermark file name longer than this is no path any system accepts.
constexpr size_t kLongestMarkFile = 4096;

// The engine behind "FfConverter": jobs run one after another on a worker thread (each job decodes on
// it and encodes on a second one). The window's thread only sets flags and collects what the worker
// queued, so every callback of the event sink happens inside GetProgress.
class FfConverter final : public I_FfConverter, private ffengine::JobHost {
 public:
  FfConverter() = default;
  FfConverter(const FfConverter&) = delete;
  FfConverter& operator=(const FfConverter&) = delete;

  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++refs_; }
  void Release() override {
    if (--refs_ == 0) {
      Stop();
      if (worker_.joinable()) {
        worker_.join();
      }
      delete this;
    }
  }

  void Reserved1() override {}

  void Configure(const CISetup* setup) override {
    if (setup == nullptr) {
      return;
    }
    std::lock_guard lock(mutex_);
    events_ = setup->events;
    previewOn_ = setup->showPreview != 0;
    previewWidth_ = setup->previewWidth;
    previewHeight_ = setup->previewHeight;
    // Each job runs in a process of its own when the program for it is beside the host; without it
    // (an engine used on its own, as by the tests of the conversion itself) jobs run here.
    const std::string folder(FieldText(setup->workFolder));
    const std::string program = folder + ffengine::kWorkerProgram;
    jobProcess_.program = !folder.empty() && ::access(program.c_str(), X_OK) == 0 ? program : std::string();
    if (const char* bound = std::getenv("KESTRELVINE_STALL_SECONDS");
        bound != nullptr && std::atoi(bound) > 0) {
      jobProcess_.stallBound = std::chrono::seconds(std::atoi(bound));
    }
  }

  void AddJob(const CIOutput* output, const CIInput* input) override {
    if (output == nullptr || input == nullptr) {
      AddFailingJob();
      return;
    }
    AddMergeJob(output, 1, input);
  }

  void AddMergeJob(const CIOutput* output, int32_t count, const CIInput* inputs) override {
    try {
      if (started_) {
        return;  // the batch is fixed once it runs
      }
      if (output == nullptr || inputs == nullptr || count <= 0) {
        AddFailingJob();
        return;
      }
      ffengine::JobSpec job;
      job.output = *output;
      for (int32_t i = 0; i < count; ++i) {
        ffengine::JobInput part;
        part.input = inputs[i];
        if (inputs[i].mark.markFile != nullptr) {
          part.markFile.assign(inputs[i].mark.markFile, strnlen(inputs[i].mark.markFile, kLongestMarkFile));
        }
        // The record's pointer belongs to the caller: the engine keeps its own copy of the name.
        part.input.mark.markFile = nullptr;
        job.inputs.push_back(std::move(part));
      }
      jobs_.push_back(std::move(job));
    } catch (...) {
      // Out of memory: the job list stays as it was.
    }
  }

  bool Start() override {
    if (started_) {
      return false;
    }
    started_ = true;
    if (jobs_.empty()) {
      status_ = kConvertBroken;
      Log("there is nothing to convert");
      return false;
    }
    results_.assign(jobs_.size(), 0);
    failures_.assign(jobs_.size(), Failure{});
    try {
      worker_ = std::thread([this] { RunBatch(); });
    } catch (...) {
      status_ = kConvertBroken;
      return false;
    }
    return true;
  }

  void Stop() override {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
      paused_ = false;
    }
    resumed_.notify_all();
  }

  int32_t GetProgress(double* position, int32_t* jobIndex) override {
    // The status is read before the queued events are handed over: whatever the worker logged before
    // it ended is then delivered no later than the final status.
    int32_t status = status_.load();
    if (stop_) {
      // Stopped only once the worker has cleaned up, so no temporary file outlives the status.
      status = !worker_.joinable() || status != kConvertRunning ? kConvertStopped : kConvertRunning;
    }
    // The index before the position, the reverse of the order the worker stores them in (see RunBatch).
    const int32_t index = jobIndex_.load();
    const double seconds = position_.load();
    if (position != nullptr) {
      *position = seconds;
    }
    if (jobIndex != nullptr) {
      *jobIndex = index;
    }
    DeliverEvents();
    return status;
  }

  void Pause() override {
    std::lock_guard lock(mutex_);
    paused_ = !stop_;
  }

  void Resume() override {
    {
      std::lock_guard lock(mutex_);
      paused_ = false;
    }
    resumed_.notify_all();
  }

  void TogglePreview() override {
    std::lock_guard lock(mutex_);
    previewOn_ = !previewOn_;
  }

  void GetResults(int32_t count, int32_t* results) override {
    if (results == nullptr || count <= 0) {
      return;
    }
    std::lock_guard lock(mutex_);
    for (int32_t i = 0; i < count; ++i) {
      results[i] = static_cast<size_t>(i) < results_.size() ? results_[i] : 0;
    }
  }

  int32_t GetJobFailure(int32_t index, char* reason, int32_t size) override {
    try {
      std::lock_guard lock(mutex_);
      Failure failure;
      if (index >= 0 && static_cast<size_t>(index) < failures_.size()) {
        failure = failures_[static_cast<size_t>(index)];
      }
      if (reason != nullptr && size > 0) {
        CopyTextToField(reason, static_cast<size_t>(size), failure.reason);
      }
      return failure.kind;
    } catch (...) {
      return kJobNoFailure;
    }
  }

 private:
  ~FfConverter() = default;

  void AddFailingJob() {
    if (!started_) {
      jobs_.emplace_back();  // keeps later jobs at their index; it fails when it runs
    }
  }

  // JobHost, called from the job's threads.
  bool StopRequested() const override { return stop_; }

  void HoldWhilePaused() override {
    std::unique_lock lock(mutex_);
    resumed_.wait(lock, [&] { return !paused_ || stop_; });
  }

  void ReportPosition(double seconds) override { position_ = seconds; }

  void Log(const std::string& line) override {
    std::lock_guard lock(mutex_);
    logs_.push_back(line + "\n");
    lastJobLog_ = line;
  }

  void NoteFailure(int32_t kind, const std::string& reason) override {
    std::lock_guard lock(mutex_);
    if (jobFailure_.kind == kJobNoFailure) {
      jobFailure_ = {kind, reason};
    }
  }

  bool PreviewWanted(int& width, int& height) override {
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (!previewOn_ || events_ == nullptr || previewWidth_ <= 0 || previewHeight_ <= 0 ||
        previewWidth_ > 4096 || previewHeight_ > 4096 || now < nextPreview_) {
      return false;
    }
    nextPreview_ = now + kPreviewInterval;
    width = previewWidth_;
    height = previewHeight_;
    return true;
  }

  void Preview(std::vector<uint8_t> pixels) override {
    std::lock_guard lock(mutex_);
    preview_ = std::move(pixels);
  }

  void DeliverEvents() {
    std::vector<std::string> logs;
    std::vector<uint8_t> preview;
    FfConvertEvent* events = nullptr;
    {
      std::lock_guard lock(mutex_);
      logs.swap(logs_);
      if (previewOn_) {
        preview.swap(preview_);
      }
      preview_.clear();
      events = events_;
    }
    if (events == nullptr) {
      return;
    }
    for (const std::string& line : logs) {
      events->OnLog(line.c_str());
    }
    if (!preview.empty()) {
      events->OnPreviewFrame(preview.data(), static_cast<int32_t>(preview.size()));
    }
  }

  // Leftovers of runs killed in the folders this batch writes into go before its first job, each
  // named in the log.
  void RemoveLeftovers() {
    std::set<std::string> folders;
    for (const ffengine::JobSpec& job : jobs_) {
      const std::string output(FieldText(job.output.outputFile));
      const size_t slash = output.rfind('/');
      if (!output.empty()) {
        folders.insert(slash == std::string::npos ? std::string(".") : output.substr(0, slash + 1));
      }
    }
    for (const std::string& folder : folders) {
      for (const std::string& path : ffengine::RemoveLeftoverOutputs(folder, ffengine::ProgramStart())) {
        Log("removed \"" + path + "\", the temporary file of a conversion that was cut off");
      }
    }
  }

  void RunBatch() {
    try {
      RemoveLeftovers();
      for (size_t i = 0; i < jobs_.size() && !stop_; ++i) {
        // The position is cleared before the index moves on, and GetProgress reads them the other way
        // round: a poll never pairs the new index with the position the job before it reached.
        position_ = 0;
        jobIndex_ = static_cast<int32_t>(i);
        const ffengine::JobSpec& job = jobs_[i];
        Log("job " + std::to_string(i + 1) + ": \"" + std::string(FieldText(job.output.outputFile)) + "\"");
        {
          std::lock_guard lock(mutex_);
          jobFailure_ = Failure{};
          lastJobLog_.clear();
        }
        ffengine::JobOutcome outcome = ffengine::JobOutcome::kFailed;
        try {
          outcome = jobProcess_.program.empty()
                        ? ffengine::RunJob(job, *this)
                        : ffengine::RunJobInWorker(job, static_cast<int32_t>(i), *this, jobProcess_, [this] {
                            std::lock_guard lock(mutex_);
                            return paused_;
                          });
        } catch (const std::exception& error) {
          Log(std::string("job failed: ") + error.what());
        }
        {
          std::lock_guard lock(mutex_);
          results_[i] = outcome == ffengine::JobOutcome::kDone ? 1 : 0;
          if (outcome == ffengine::JobOutcome::kFailed) {
            // Without a better reason, the last thing the job said is what went wrong.
            failures_[i] = jobFailure_.kind != kJobNoFailure ? jobFailure_ : Failure{kJobFailed, lastJobLog_};
          }
        }
        Log(outcome == ffengine::JobOutcome::kDone      ? "job " + std::to_string(i + 1) + " done"
            : outcome == ffengine::JobOutcome::kStopped ? "job " + std::to_string(i + 1) + " stopped"
                                                        : "job " + std::to_string(i + 1) + " failed");
      }
      status_ = kConvertFinished;
    } catch (...) {
      status_ = kConvertBroken;
    }
  }

  ffengine::WorkerSettings jobProcess_;  // set by Configure, before the batch's thread exists
  std::atomic<int32_t> refs_{1};
  // Set and read on the caller's thread only, before the worker exists.
  std::vector<ffengine::JobSpec> jobs_;
  bool started_ = false;
  std::thread worker_;

  std::atomic<bool> stop_{false};
  std::atomic<int32_t> status_{kConvertRunning};
  std::atomic<double> position_{0};
  std::atomic<int32_t> jobIndex_{0};

  std::mutex mutex_;  // guards everything below, and paused_ for resumed_
  std::condition_variable resumed_;
  bool paused_ = false;
  FfConvertEvent* events_ = nullptr;
  bool previewOn_ = false;
  int previewWidth_ = 0;
  int previewHeight_ = 0;
  std::chrono::steady_clock::time_point nextPreview_{};
  std::vector<std::string> logs_;
  std::vector<uint8_t> preview_;
  std::vector<int32_t> results_;

  struct Failure {
    int32_t kind = kJobNoFailure;
    std::string reason;
  };
  std::vector<Failure> failures_;  // by job, set when a job fails
  Failure jobFailure_;             // the first failure the running job noted
  std::string lastJobLog_;         // the running job's last log line
};

}  // namespace

I_FfConverter* NewFfConverter() {
  return new (std::nothrow) FfConverter();
}
