#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engines/ffengine/convert_job.h"
#include "engines/ffengine/edit_filters.h"
#include "engines/ffengine/ff_handles.h"
#include "engines/ffengine/filter_graph.h"
#include "engines/ffengine/frame_queue.h"
#include "engines/ffengine/output_plan.h"
#include "engines/ffengine/preview_frame.h"
#include "engines/ffengine/subtitle_track.h"

struct SwrContext;
struct SwsContext;

namespace ffengine {

// Reads one input of a job: demuxes, decodes, runs its edits through filter graphs and queues the
// frames for the encoders, placed at `partStart` seconds of the output. Exactly `partLength` seconds of
// sound and picture leave it, so merged parts stay in step: a stream that ends early or never decodes
// is completed with silence or black. A reader holds the state of its one input: Run it once.
class PartReader {
 public:
  PartReader(JobHost& host, const OutputPlan& plan, AVRational videoTimeBase, FrameQueue& queue,
             PreviewMaker& preview)
      : host_(host), plan_(plan), videoTimeBase_(videoTimeBase), queue_(queue), preview_(preview) {}

  JobOutcome Run(const JobInput& spec, PlannedInput& input, double partStart, double partLength);

 private:
  struct SwsFree {
    void operator()(SwsContext* context) const;
  };
  struct SwrFree {
    void operator()(SwrContext* context) const;
  };

  // One decoded stream of the part, from its decoder to its graph's sink.
  struct Lane {
    bool video = false;
    int index = -1;  // AVStream index, -1 = the part has no such stream
    AVStream* stream = nullptr;
    CodecContextPtr decoder;
    FilterGraph graph;
    int64_t origin = 0;            // the file's start in the stream's time base
    bool closed = false;           // nothing more goes into the graph
    bool ended = false;            // the sink delivered its last frame
    int64_t decoded = 0;           // frames decoded
    int64_t end = AV_NOPTS_VALUE;  // where the last fed frame ends, in the stream's time base
    // Video: the frame size and format the graph was built for. The filters of a built graph keep the
    // geometry they were configured with, so a stream that changes its size on the way (a recording
    // across a broadcast's breaks) has its later frames brought back to it first.
    int width = 0;
    int height = 0;
    int format = AV_PIX_FMT_NONE;
    std::unique_ptr<SwsContext, SwsFree> fit;
    // Sound: the same for a stream that changes its rate or channels (stereo to 5.1 and back).
    std::unique_ptr<SwrContext, SwrFree> resample;

    // Packets of the lane's stream are still wanted.
    bool Reading() const { return index >= 0 && !closed; }
    // The time of a decoded frame from the file's start, in the stream's time base; AV_NOPTS_VALUE
    // when neither the frame nor the frames before it tell.
    int64_t TimeOf(const AVFrame* frame) const;
    // Moves `end` to where `frame`, stamped with its TimeOf, stops showing.
    void ExtendEnd(const AVFrame* frame);
    // `frame` at the lane's size and format, ready for its graph; null when it cannot be converted.
    FramePtr FitPicture(const AVFrame* frame);
    // `frame` in the sound format of `link`; null when it cannot be converted.
    FramePtr FitSound(const AVFrame* frame, const AVFilterLink* link);
  };

  // The stages of Run, in order.
  bool OpenLanes(const PlannedInput& input);
  void OpenLane(Lane& lane, int index);
  void ReadWatermark(const JobInput& spec);
  JobOutcome ReadSource();
  void SeekToClip();
  bool FlushDecoders();
  JobOutcome PadToLength();

  // One lane's way from packets to queued frames.
  bool Decode(Lane& lane, const AVPacket* packet);
  bool Feed(Lane& lane, AVFrame* frame);
  bool Build(Lane& lane, const AVFrame* first);
  std::string DescribePicture(Lane& lane, const AVFrame* first, std::vector<FilterGraph::Source>& sources);
  std::string DescribeSound(const Lane& lane, const AVFrame* first,
                            std::vector<FilterGraph::Source>& sources);
  bool SendWatermark(Lane& lane);
  bool SendSubtitle(Lane& lane, int64_t pts);
  bool Pull(Lane& lane);
  void ShowPreview(const AVFrame* frame);
  bool Close(Lane& lane);
  JobOutcome Failure() const;

  JobHost& host_;
  const OutputPlan& plan_;
  AVRational videoTimeBase_;
  FrameQueue& queue_;
  PreviewMaker& preview_;

  AVFormatContext* context_ = nullptr;
  int64_t fileStart_ = 0;  // AV_TIME_BASE units
  double clipStart_ = 0;   // seconds from the start of the file
  double clipEnd_ = 0;
  int64_t videoOffset_ = 0;  // the part's start in videoTimeBase_
  Lane video_;
  Lane audio_;
  PictureEdit picture_;
  SoundEdit sound_;
  FramePtr mark_;
  size_t markSource_ = 0;
  std::unique_ptr<SubtitleTrack> subtitles_;
  size_t subtitleSource_ = 0;
  FramePtr decodedFrame_;  // reused by every Decode
  bool consumerGone_ = false;
};

// The length a part contributes to the output: its clip length, or the rest of the file from its start
// when no length is given.
double PartLength(const CIInput& input, const AVFormatContext* context);

}  // namespace ffengine
