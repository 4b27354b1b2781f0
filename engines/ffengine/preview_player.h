#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "components/engine_records.h"
#include "components/i_ff_preview.h"
#include "components/i_render_surface.h"
#include "engines/ffengine/edit_filters.h"
#include "engines/ffengine/ff_handles.h"
#include "engines/ffengine/filter_graph.h"
#include "engines/ffengine/input_policy.h"
#include "engines/ffengine/packet_queue.h"
#include "engines/ffengine/playback_clock.h"
#include "engines/ffengine/preview_frame.h"
#include "engines/ffengine/sound_output.h"

namespace ffengine {

class PreviewPicture;
class SubtitleTrack;

// What a preview shows and where: the open record's values, copied.
struct PreviewSettings {
  FfPreviewEvent* events = nullptr;
  bool cropView = false;
  int cropWidth = 0;
  int cropHeight = 0;
  int snapshotWidth = 0;
  int snapshotHeight = 0;
  bool viewToBuffer = true;
  std::string surface;  // the render surface's handle when the view is not delivered as a buffer
  int viewWidth = 0;
  int viewHeight = 0;
  CIInput input{};       // its watermark pointer is not used: markFile holds the text
  std::string markFile;  // empty = no watermark
};

// How playback went, for measurements.
struct PlaybackStats {
  int64_t shown = 0;
  int64_t dropped = 0;          // decoded in time order but too late to show
  std::vector<double> offsets;  // per picture shown while playing: clock minus its time, seconds
};

// One preview playback: a reading thread, a picture thread (decode, edits, pacing, delivery) and a
// sound thread (decode, volume, the device). The sound device's pace is the master clock; without
// sound the steady clock is. Pictures are shown on time or dropped against it. Controls come from
// one other thread (the program's window) and only set requests: none waits for the playback threads
// except Close. Every sink call comes from a playback thread, never while a lock of the player is held.
class PreviewPlayer {
 public:
  // Opens the file, proves that a picture (or, without video, sound) decodes, starts the threads and
  // shows the first picture of the range, paused. Null when any of it fails: then no thread runs and
  // nothing was delivered.
  static std::unique_ptr<PreviewPlayer> Open(const PreviewSettings& settings);
  ~PreviewPlayer();
  PreviewPlayer(const PreviewPlayer&) = delete;
  PreviewPlayer& operator=(const PreviewPlayer&) = delete;

  void Play();
  void Pause();
  // Shows the picture at `seconds` of the file (decoding on from the key frame before it).
  void Seek(double seconds);
  // Shows the next picture and stays paused.
  void StepFrame();
  // 0 while playing on, with `seconds` the clock; 1 once the range has played out; 2 after a failure.
  int32_t GetPosition(double& seconds);
  // Asks for the unedited picture on screen at the snapshot size; false when there can be none.
  bool Snapshot();
  void SetCrop(int x, int y, int width, int height, int zoomMode);
  void SetEffects(const EffectBlock& effects);
  void SetWatermark(const WatermarkBlock& mark);
  // Stops and joins every thread; no sink call comes after it returns.
  void Close();

  PlaybackStats Stats() const;
  bool HasSound() const { return sound_ != nullptr; }

 private:
  enum class Wake { kShow, kStep, kSeek, kQuit };

  explicit PreviewPlayer(const PreviewSettings& settings);
  bool Prepare();
  bool Prime();

  void ReadLoop();
  void PictureLoop();
  void SoundLoop();

  // Picture thread.
  bool Decode(const AVPacket* packet);
  bool ShowDecoded(AVFrame* frame);
  Wake WaitToShow(double time, bool forced);
  bool IdleAtEnd(PacketQueue::Item& item);
  void EndPictures();
  void ServiceRequests();
  void TakeEdits();
  void Deliver(const AVFrame* view, const AVFrame* source, double time);
  void DeliverView(const AVFrame* view);
  void DeliverSnapshot();
  void RestartPictures(int serial);
  void SyncClock();

  // Sound thread.
  void DecodeSound(const AVPacket* packet);
  void PlaySound(AVFrame* frame);
  bool BuildSound(const AVFrame* first);
  void EndSound();
  void QueueSound(const AVFrame* frame);

  void Log(const std::string& line);
  void Fail(const std::string& line);
  double TimeOf(const AVStream* stream, int64_t origin, const AVFrame* frame) const;
  static int PollQuit(void* self);

  const PreviewSettings settings_;
  std::unique_ptr<OpenedMedia> media_;
  AVFormatContext* context_ = nullptr;
  double clipStart_ = 0;
  double clipEnd_ = 0;
  double duration_ = 0;
  int64_t fileStart_ = 0;  // AV_TIME_BASE units

  // Picture lane (picture thread only, once started).
  AVStream* videoStream_ = nullptr;
  CodecContextPtr videoDecoder_;
  int64_t videoOrigin_ = 0;
  double frameLength_ = 0.04;
  std::unique_ptr<PreviewPicture> picture_;
  std::unique_ptr<SubtitleTrack> subtitles_;
  int subtitleIndex_ = -1;
  std::string shownMarkFile_;     // the watermark file markPicture_ was read from
  uint64_t shownMarkSerial_ = 0;  // the SetWatermark markPicture_ was read for
  FramePtr markPicture_;
  int pictureSerial_ = 0;
  int editsTaken_ = 0;
  double showFrom_ = 0;  // pictures before this time are decoded but not shown (exact seeking)
  bool forceNext_ = true;
  bool pictureEnded_ = false;
  FramePtr decoded_;
  FramePtr shownSource_;    // the unedited picture on screen
  FramePtr pendingSource_;  // decoded and waiting for its time
  FramePtr pendingView_;    // its view picture
  FramePtr primedPicture_;  // decoded while opening, shown first
  double lastShown_ = -1;
  PreviewMaker cropMaker_;
  PreviewMaker snapshotMaker_;
  std::vector<uint8_t> rows_;
  I_RenderSurface* surface_ = nullptr;  // one reference, released in Close

  // Sound lane (sound thread only, once started).
  AVStream* audioStream_ = nullptr;
  CodecContextPtr audioDecoder_;
  int64_t audioOrigin_ = 0;
  std::unique_ptr<SoundOutput> sound_;
  double soundFrom_ = 0;
  bool soundMissing_ = false;  // the file has sound, the machine has no device for it
  int soundSerial_ = 0;
  bool soundEnded_ = false;
  double lastHeard_ = -1;
  FramePtr primedSound_;
  std::unique_ptr<FilterGraph> soundGraph_;
  int soundVolume_ = 256;  // what soundGraph_ was built with

  PacketQueue videoPackets_{48};
  PacketQueue audioPackets_{128};
  PlaybackClock clock_;

  mutable std::mutex mutex_;  // guards the requests below
  std::condition_variable changed_;
  bool paused_ = true;
  int serial_ = 0;  // bumped by every seek
  bool seekPending_ = false;
  double seekTarget_ = 0;
  int steps_ = 0;
  bool snapshotWanted_ = false;
  int editSerial_ = 0;
  PictureEdit edit_;
  WatermarkBlock mark_{};
  std::string markFile_;
  // Bumped by every SetWatermark: a text watermark is drawn again into the same file whenever its text
  // or font changes, so the file is read again even when its name stays.
  uint64_t markSerial_ = 0;
  int volume_ = 256;

  std::atomic<bool> quit_{false};
  std::atomic<bool> failed_{false};
  std::atomic<bool> videoDone_{false};  // the range's pictures were all shown (until a seek)
  std::atomic<bool> audioDone_{false};  // the range's sound was all queued (until a seek)
  std::atomic<double> videoEnd_{0};     // where the last picture stops showing
  std::atomic<double> audioEnd_{0};     // where the queued sound ends

  std::mutex sinkMutex_;  // one sink call at a time
  mutable std::mutex statsMutex_;
  PlaybackStats stats_;

  std::thread reader_;
  std::thread pictures_;
  std::thread sounds_;
};

}  // namespace ffengine
