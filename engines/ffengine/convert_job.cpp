#include "engines/ffengine/convert_job.h"

#include <exception>
#include <thread>

#include "components/field_text.h"
#include "components/i_ff_converter.h"
#include "engines/ffengine/frame_queue.h"
#include "engines/ffengine/output_file.h"
#include "engines/ffengine/output_plan.h"
#include "engines/ffengine/output_writer.h"
#include "engines/ffengine/part_reader.h"

namespace ffengine {

namespace {

// Inputs stay open for the whole job: a conversion can take hours, so the open bound must not expire.
constexpr auto kReadBound = std::chrono::hours(24 * 365);

// Frames between decoding and encoding: enough to keep both threads busy, little enough to bound memory.
constexpr size_t kQueueFrames = 16;

}  // namespace

JobOutcome RunJob(const JobSpec& job, JobHost& host) {
  const std::string outputPath(FieldText(job.output.outputFile));
  if (outputPath.empty() || job.inputs.empty()) {
    host.Log("the job names no output or no input");
    return JobOutcome::kFailed;
  }
  int unreachable = 0;
  if (!IsReplaceable(outputPath, &unreachable)) {
    const std::string reason =
        "the output \"" + outputPath +
        "\" cannot take a file (a folder, a device or a path that cannot be reached): not converted";
    host.Log(reason);
    host.NoteFailure(unreachable != 0 ? OutputFailureKind(unreachable) : kJobFailed, reason);
    return JobOutcome::kFailed;
  }
  for (const JobInput& input : job.inputs) {
    const std::string inputPath(FieldText(input.input.path));
    if (IsSameFile(inputPath, outputPath) ||
        (!input.markFile.empty() && IsSameFile(input.markFile, outputPath))) {
      host.Log("the output \"" + outputPath + "\" is the source \"" + inputPath + "\": not converted");
      return JobOutcome::kFailed;
    }
  }

  std::vector<PlannedInput> inputs;
  std::vector<CIInput> records;
  for (const JobInput& input : job.inputs) {
    const std::string inputPath(FieldText(input.input.path));
    PlannedInput planned;
    planned.media = OpenedMedia::Open(inputPath.c_str(), kReadBound);
    if (!planned.media) {
      host.Log("cannot open \"" + inputPath + "\" as media");
      return JobOutcome::kFailed;
    }
    planned.streams = ChooseStreams(planned.media->Context(), input.input);
    inputs.push_back(std::move(planned));
    records.push_back(input.input);
  }
  if (host.StopRequested()) {
    return JobOutcome::kStopped;
  }

  OutputPlan plan;
  std::vector<std::string> notes;
  std::string error;
  const bool planned = MakePlan(job.output, inputs, records, plan, notes, error);
  for (const std::string& note : notes) {
    host.Log(note);
  }
  if (!planned) {
    host.Log("cannot convert: " + error);
    return JobOutcome::kFailed;
  }

  TempOutput temp(outputPath);
  if (!temp.Ok()) {
    const std::string reason = "cannot write into the folder of \"" + outputPath + "\"";
    host.Log(reason);
    host.NoteFailure(OutputFailureKind(temp.Error()), reason);
    return JobOutcome::kFailed;
  }
  OutputWriter writer(host);
  if (!writer.Open(plan, temp.TempPath())) {
    return host.StopRequested() ? JobOutcome::kStopped : JobOutcome::kFailed;
  }

  FrameQueue queue(kQueueFrames);
  std::thread encoder([&] { writer.Consume(queue); });
  PreviewMaker preview;
  JobOutcome outcome = JobOutcome::kDone;
  double partStart = 0;
  try {
    for (size_t i = 0; i < job.inputs.size() && outcome == JobOutcome::kDone; ++i) {
      const double length = PartLength(job.inputs[i].input, inputs[i].media->Context());
      PartReader reader(host, plan, writer.VideoTimeBase(), queue, preview);
      outcome = reader.Run(job.inputs[i], inputs[i], partStart, length);
      partStart += length;
      inputs[i].media.reset();  // a merge of many parts keeps no more than one open
    }
  } catch (const std::exception& error) {
    // The encoding thread must be joined whatever happens here.
    host.Log(std::string("the conversion failed: ") + error.what());
    outcome = JobOutcome::kFailed;
  }
  if (outcome == JobOutcome::kDone) {
    queue.Close();
  } else {
    queue.Abort();
  }
  encoder.join();
  if (outcome == JobOutcome::kDone && writer.Failed()) {
    outcome = JobOutcome::kFailed;
  }
  if (outcome == JobOutcome::kDone && host.StopRequested()) {
    outcome = JobOutcome::kStopped;
  }
  if (outcome == JobOutcome::kDone && !writer.Finish()) {
    outcome = host.StopRequested() ? JobOutcome::kStopped : JobOutcome::kFailed;
  }
  if (outcome == JobOutcome::kDone && !temp.Commit()) {
    const std::string reason = "cannot put the finished file at \"" + outputPath + "\"";
    host.Log(reason);
    host.NoteFailure(OutputFailureKind(temp.Error()), reason);
    outcome = JobOutcome::kFailed;
  }
  return outcome;
}

}  // namespace ffengine
