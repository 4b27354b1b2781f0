#pragma once

#include <atomic>
#include <string>

#include "engines/ffengine/convert_job.h"
#include "engines/ffengine/ff_handles.h"
#include "engines/ffengine/frame_queue.h"
#include "engines/ffengine/output_plan.h"

struct AVAudioFifo;

namespace ffengine {

// The encoders and the muxer of one job. Open prepares everything and writes the header; Consume then
// runs on its own thread, encoding and writing the frames of the queue, so that encoding overlaps
// with decoding and filtering; Finish writes the trailer. Video frames arrive with timestamps in
// VideoTimeBase(); sound arrives in any frame sizes and is cut into the encoder's own.
class OutputWriter {
 public:
  explicit OutputWriter(JobHost& host) : host_(host) {}
  ~OutputWriter();
  OutputWriter(const OutputWriter&) = delete;
  OutputWriter& operator=(const OutputWriter&) = delete;

  // False with the reason logged; the file may then hold a partial header and is to be discarded.
  bool Open(const OutputPlan& plan, const std::string& path);
  // Until the queue is closed; on an error it aborts the queue so the producer stops.
  void Consume(FrameQueue& queue);
  // Flushes the encoders and writes the trailer; false when anything failed on the way.
  bool Finish();

  AVRational VideoTimeBase() const;
  bool Failed() const { return failed_; }

 private:
  bool OpenVideo(const OutputPlan& plan);
  bool OpenAudio(const OutputPlan& plan);
  bool SendVideo(AVFrame* frame);
  bool SendAudio(AVFrame* frame);
  bool EncodeSound(bool flush);
  bool Drain(AVCodecContext* encoder, AVStream* stream);
  // Logs a failed write of the output with FFmpeg's words and tells the host what kind it was.
  void WriteFailed(const std::string& what, int code);
  void Report();

  JobHost& host_;
  AVFormatContext* context_ = nullptr;
  CodecContextPtr video_;
  CodecContextPtr audio_;
  AVStream* videoStream_ = nullptr;
  AVStream* audioStream_ = nullptr;
  AVAudioFifo* fifo_ = nullptr;
  int audioFrameSize_ = 1024;
  int64_t samplesSent_ = 0;
  int64_t lastVideoPts_ = INT64_MIN;
  PacketPtr packet_;
  std::atomic<bool> failed_{false};
  bool headerWritten_ = false;
};

}  // namespace ffengine
