#pragma once

#include "engines/ffengine/convert_job.h"
#include "engines/ffengine/frame_queue.h"
#include "engines/ffengine/output_plan.h"
#include "engines/ffengine/preview_frame.h"

namespace ffengine {

// Reads one input of a job: demuxes, decodes, runs its edits through filter graphs and queues the
// frames for the encoders, placed at `partStart` seconds of the output. Exactly `partLength` seconds of
// sound and picture leave it, so merged parts stay in step: a stream that ends early or never decodes
// is completed with silence or black.
class PartReader {
 public:
  PartReader(JobHost& host, const OutputPlan& plan, AVRational videoTimeBase, FrameQueue& queue,
             PreviewMaker& preview)
      : host_(host), plan_(plan), videoTimeBase_(videoTimeBase), queue_(queue), preview_(preview) {}

  JobOutcome Run(const JobInput& spec, PlannedInput& input, double partStart, double partLength);

 private:
  JobHost& host_;
  const OutputPlan& plan_;
  AVRational videoTimeBase_;
  FrameQueue& queue_;
  PreviewMaker& preview_;
};

// The length a part contributes to the output: its clip length, or the rest of the file from its start
// when no length is given.
double PartLength(const CIInput& input, const AVFormatContext* context);

}  // namespace ffengine
