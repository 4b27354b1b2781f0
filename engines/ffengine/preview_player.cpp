#include "engines/ffengine/preview_player.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <new>

#include "components/field_text.h"
#include "engines/ffengine/graph_sources.h"
#include "engines/ffengine/image_size.h"
#include "engines/ffengine/output_plan.h"
#include "engines/ffengine/preview_picture.h"
#include "engines/ffengine/stream_decoder.h"
#include "engines/ffengine/subtitle_track.h"
#include "plug/plug_table.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace ffengine {

namespace {

// A preview reads for as long as the user watches.
constexpr auto kPlaybackBound = std::chrono::hours(24 * 365);
// Packets this far past the range's end mean a stream has given all the range needs.
constexpr double kPastEnd = 0.5;
constexpr double kTimeSlack = 0.002;
// Opening gives up when this many packets gave no frame.
constexpr int kPrimePackets = 4000;
// Sound queued ahead of the device: enough to ride out a slow picture, little enough that a volume
// change is heard soon.
constexpr double kSoundAhead = 0.25;
constexpr auto kSoundPoll = std::chrono::milliseconds(5);
constexpr auto kIdlePoll = std::chrono::milliseconds(20);
// Watermark file names longer than this are not a path any file system takes.
constexpr size_t kMaxMarkPath = 4096;

// Subtitles are read through the conversion's reader, which reports and stops through a job host.
class SubtitleHost final : public JobHost {
 public:
  SubtitleHost(const std::atomic<bool>& quit, std::function<void(const std::string&)> log)
      : quit_(quit), log_(std::move(log)) {}
  bool StopRequested() const override { return quit_.load(); }
  void HoldWhilePaused() override {}
  void ReportPosition(double) override {}
  void Log(const std::string& line) override { log_(line); }
  bool PreviewWanted(int&, int&) override { return false; }
  void Preview(std::vector<uint8_t>) override {}

 private:
  const std::atomic<bool>& quit_;
  std::function<void(const std::string&)> log_;
};

double PacketTime(const AVPacket* packet, const AVStream* stream, int64_t origin) {
  const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
  return stamp == AV_NOPTS_VALUE ? NAN : (stamp - origin) * av_q2d(stream->time_base);
}

}  // namespace

std::unique_ptr<PreviewPlayer> PreviewPlayer::Open(const PreviewSettings& settings) {
  std::unique_ptr<PreviewPlayer> player(new (std::nothrow) PreviewPlayer(settings));
  if (!player || !player->Prepare()) {
    return nullptr;
  }
  player->reader_ = std::thread(&PreviewPlayer::ReadLoop, player.get());
  if (player->videoStream_ != nullptr) {
    player->pictures_ = std::thread(&PreviewPlayer::PictureLoop, player.get());
  }
  if (player->audioStream_ != nullptr) {
    player->sounds_ = std::thread(&PreviewPlayer::SoundLoop, player.get());
  }
  return player;
}

PreviewPlayer::PreviewPlayer(const PreviewSettings& settings) : settings_(settings) {}

PreviewPlayer::~PreviewPlayer() {
  Close();
}

bool PreviewPlayer::Prepare() {
  const std::string path(FieldText(settings_.input.path));
  media_ = OpenedMedia::Open(path.c_str());
  if (!media_) {
    return false;
  }
  media_->RenewLimit(kPlaybackBound);
  context_ = media_->Context();
  fileStart_ = context_->start_time != AV_NOPTS_VALUE ? context_->start_time : 0;
  duration_ = context_->duration > 0 ? static_cast<double>(context_->duration) / AV_TIME_BASE
                                     : settings_.input.media.duration;
  const CIInput& input = settings_.input;
  clipStart_ = std::clamp(input.clipStart, 0.0, std::max(duration_, 0.0));
  clipEnd_ = input.clipLength > 0 ? clipStart_ + input.clipLength : std::max(duration_, clipStart_);
  if (duration_ > 0) {
    clipEnd_ = std::min(clipEnd_, duration_);
  }

  const InputStreams streams = ChooseStreams(context_, input);
  if (streams.video >= 0) {
    videoStream_ = context_->streams[streams.video];
    videoDecoder_ = OpenDecoder(context_, videoStream_);
    if (!videoDecoder_) {
      videoStream_ = nullptr;
    }
  }
  if (streams.audio >= 0) {
    audioStream_ = context_->streams[streams.audio];
    audioDecoder_ = OpenDecoder(context_, audioStream_);
    if (!audioDecoder_) {
      audioStream_ = nullptr;
    }
  }
  if (videoStream_ == nullptr && audioStream_ == nullptr) {
    return false;
  }
  subtitleIndex_ = videoStream_ != nullptr ? streams.subtitle : -1;
  for (unsigned i = 0; i < context_->nb_streams; ++i) {
    AVStream* stream = context_->streams[i];
    stream->discard = stream == videoStream_ || stream == audioStream_ ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  if (videoStream_ != nullptr) {
    videoOrigin_ = av_rescale_q(fileStart_, AV_TIME_BASE_Q, videoStream_->time_base);
    const AVRational rate = av_guess_frame_rate(context_, videoStream_, nullptr);
    if (rate.num > 0 && rate.den > 0) {
      frameLength_ = std::clamp(av_q2d(av_inv_q(rate)), 0.005, 0.5);
    }
  }
  if (audioStream_ != nullptr) {
    audioOrigin_ = av_rescale_q(fileStart_, AV_TIME_BASE_Q, audioStream_->time_base);
  }

  TakeCrop(edit_, input.cropX, input.cropY, input.cropWidth, input.cropHeight, input.zoomMode);
  TakeEffects(edit_, input.effects);
  volume_ = input.effects.volume;
  mark_ = input.mark;
  mark_.markFile = nullptr;
  markFile_ = settings_.markFile;
  showFrom_ = clipStart_;
  soundFrom_ = clipStart_;

  if (clipStart_ > 0 &&
      av_seek_frame(context_, -1, fileStart_ + static_cast<int64_t>(clipStart_ * AV_TIME_BASE),
                    AVSEEK_FLAG_BACKWARD) < 0) {
    av_seek_frame(context_, -1, fileStart_, AVSEEK_FLAG_BACKWARD);
  }
  if (!Prime()) {
    return false;
  }

  if (audioStream_ != nullptr) {
    sound_ = SoundOutput::Open(audioDecoder_->sample_rate, audioDecoder_->ch_layout.nb_channels);
    if (!sound_) {
      // A machine without sound still previews: silently, on the steady clock (a file of sound only
      // then just runs its time).
      soundMissing_ = true;
      audioStream_->discard = AVDISCARD_ALL;
      audioStream_ = nullptr;
      audioDecoder_.reset();
      primedSound_.reset();
      audioPackets_.Abort();
    }
  }
  if (videoStream_ != nullptr && settings_.viewWidth > 0 && settings_.viewHeight > 0) {
    picture_ = std::make_unique<PreviewPicture>(videoStream_, settings_.viewWidth, settings_.viewHeight);
    if (!settings_.viewToBuffer) {
      surface_ = static_cast<I_RenderSurface*>(CreateComponent(kRenderSurfaceName));
    }
  }
  context_->interrupt_callback = AVIOInterruptCB{&PreviewPlayer::PollQuit, this};
  clock_.Set(clipStart_);
  return true;
}

// Reads until the first picture decodes (without video: the first sound), so that a file that opens
// but cannot be played is refused before any thread starts. Sound read meanwhile waits in its queue.
bool PreviewPlayer::Prime() {
  decoded_.reset(av_frame_alloc());
  PacketPtr packet(av_packet_alloc());
  if (!decoded_ || !packet) {
    return false;
  }
  AVStream* target = videoStream_ != nullptr ? videoStream_ : audioStream_;
  AVCodecContext* decoder = target == videoStream_ ? videoDecoder_.get() : audioDecoder_.get();
  for (int read = 0; read < kPrimePackets && !media_->Limit().Passed(); ++read) {
    const int got = av_read_frame(context_, packet.get());
    if (got == AVERROR(EAGAIN)) {
      continue;
    }
    const bool atEnd = got < 0;
    if (!atEnd && packet->stream_index != target->index) {
      if (audioStream_ != nullptr && packet->stream_index == audioStream_->index &&
          audioPackets_.Size() < 100) {
        audioPackets_.Push(PacketPtr(av_packet_clone(packet.get())), 0);
      }
      av_packet_unref(packet.get());
      continue;
    }
    avcodec_send_packet(decoder, atEnd ? nullptr : packet.get());
    av_packet_unref(packet.get());
    FramePtr frame(av_frame_alloc());
    if (frame && avcodec_receive_frame(decoder, frame.get()) == 0) {
      (target == videoStream_ ? primedPicture_ : primedSound_) = std::move(frame);
      return true;
    }
    if (atEnd) {
      return false;
    }
  }
  return false;
}

int PreviewPlayer::PollQuit(void* self) {
  return static_cast<PreviewPlayer*>(self)->quit_.load() ? 1 : 0;
}

void PreviewPlayer::Play() {
  {
    std::lock_guard lock(mutex_);
    paused_ = false;
  }
  clock_.Run(true);
  if (sound_) {
    sound_->Pause(false);
  }
  changed_.notify_all();
}

void PreviewPlayer::Pause() {
  {
    std::lock_guard lock(mutex_);
    paused_ = true;
  }
  clock_.Run(false);
  if (sound_) {
    sound_->Pause(true);
  }
  changed_.notify_all();
}

void PreviewPlayer::Seek(double seconds) {
  const double target = std::clamp(seconds, 0.0, std::max(duration_, 0.0));
  int serial = 0;
  {
    std::lock_guard lock(mutex_);
    serial = ++serial_;
    seekPending_ = true;
    seekTarget_ = target;
    steps_ = 0;
  }
  videoPackets_.Flush(serial);
  audioPackets_.Flush(serial);
  videoDone_ = false;
  audioDone_ = false;
  clock_.Set(target);
  if (sound_) {
    sound_->Clear();
  }
  changed_.notify_all();
}

void PreviewPlayer::StepFrame() {
  {
    std::lock_guard lock(mutex_);
    paused_ = true;
    ++steps_;
  }
  clock_.Run(false);
  if (sound_) {
    sound_->Pause(true);
  }
  changed_.notify_all();
}

int32_t PreviewPlayer::GetPosition(double& seconds) {
  seconds = std::max(clock_.Now(), 0.0);
  if (failed_) {
    return 2;
  }
  const bool picturesDone = videoStream_ == nullptr || videoDone_;
  const bool soundDone = audioStream_ == nullptr || (audioDone_ && sound_->Queued() <= 0.0);
  double end = clipEnd_;
  if (videoStream_ != nullptr || audioStream_ != nullptr) {
    end = std::min(end, std::max(videoStream_ != nullptr ? videoEnd_.load() : 0.0,
                                 audioStream_ != nullptr ? audioEnd_.load() : 0.0));
  }
  if (picturesDone && soundDone && seconds >= end - 0.02) {
    return 1;
  }
  return 0;
}

bool PreviewPlayer::Snapshot() {
  if (videoStream_ == nullptr || settings_.snapshotWidth <= 0 || settings_.snapshotHeight <= 0) {
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    snapshotWanted_ = true;
  }
  changed_.notify_all();
  return true;
}

void PreviewPlayer::SetCrop(int x, int y, int width, int height, int zoomMode) {
  {
    std::lock_guard lock(mutex_);
    TakeCrop(edit_, x, y, width, height, zoomMode);
    ++editSerial_;
  }
  changed_.notify_all();
}

void PreviewPlayer::SetEffects(const EffectBlock& effects) {
  {
    std::lock_guard lock(mutex_);
    TakeEffects(edit_, effects);
    volume_ = effects.volume;
    ++editSerial_;
  }
  changed_.notify_all();
}

void PreviewPlayer::SetWatermark(const WatermarkBlock& mark) {
  // The text is the caller's and may change once this returns.
  std::string file = mark.markFile != nullptr
                         ? std::string(mark.markFile, strnlen(mark.markFile, kMaxMarkPath))
                         : std::string();
  {
    std::lock_guard lock(mutex_);
    mark_ = mark;
    mark_.markFile = nullptr;
    markFile_ = std::move(file);
    ++markSerial_;
    ++editSerial_;
  }
  changed_.notify_all();
}

void PreviewPlayer::Close() {
  quit_ = true;
  { std::lock_guard lock(mutex_); }
  changed_.notify_all();
  videoPackets_.Abort();
  audioPackets_.Abort();
  for (std::thread* thread : {&reader_, &pictures_, &sounds_}) {
    if (thread->joinable()) {
      thread->join();
    }
  }
  if (surface_ != nullptr) {
    surface_->Release();
    surface_ = nullptr;
  }
  sound_.reset();
}

PlaybackStats PreviewPlayer::Stats() const {
  std::lock_guard lock(statsMutex_);
  return stats_;
}

void PreviewPlayer::Log(const std::string& line) {
  if (settings_.events == nullptr) {
    return;
  }
  const std::string text = line + "\n";
  std::lock_guard lock(sinkMutex_);
  settings_.events->OnLog(text.c_str());
}

void PreviewPlayer::Fail(const std::string& line) {
  Log(line);
  failed_ = true;
}

double PreviewPlayer::TimeOf(const AVStream* stream, int64_t origin, const AVFrame* frame) const {
  int64_t stamp = frame->best_effort_timestamp;
  if (stamp == AV_NOPTS_VALUE) {
    stamp = frame->pts;
  }
  return stamp == AV_NOPTS_VALUE ? NAN : (stamp - origin) * av_q2d(stream->time_base);
}

// ---- reading ----

void PreviewPlayer::ReadLoop() {
  if (soundMissing_) {
    Log("no sound device can be opened: the preview plays silently");
  }
  bool pictureWanted = videoStream_ != nullptr;
  bool soundWanted = audioStream_ != nullptr;
  int serial = 0;
  while (!quit_) {
    bool seek = false;
    double target = 0;
    {
      std::unique_lock lock(mutex_);
      if (!seekPending_ && !pictureWanted && !soundWanted) {
        changed_.wait(lock, [&] { return quit_ || seekPending_; });
      }
      if (quit_) {
        return;
      }
      if (seekPending_) {
        seekPending_ = false;
        seek = true;
        target = seekTarget_;
        serial = serial_;
      }
    }
    if (seek) {
      if (av_seek_frame(context_, -1, fileStart_ + static_cast<int64_t>(target * AV_TIME_BASE),
                        AVSEEK_FLAG_BACKWARD) < 0) {
        Log("the file cannot seek there");
      }
      pictureWanted = videoStream_ != nullptr;
      soundWanted = audioStream_ != nullptr;
    }
    PacketPtr packet(av_packet_alloc());
    if (!packet) {
      Fail("out of memory");
      return;
    }
    const int got = av_read_frame(context_, packet.get());
    if (got == AVERROR(EAGAIN)) {
      continue;
    }
    if (got < 0) {
      // The end of the file (or of what can be read of it) ends both streams until the next seek.
      if (pictureWanted) {
        videoPackets_.Push(nullptr, serial);
      }
      if (soundWanted) {
        audioPackets_.Push(nullptr, serial);
      }
      pictureWanted = false;
      soundWanted = false;
      continue;
    }
    const bool picture = pictureWanted && packet->stream_index == videoStream_->index;
    const bool sound = soundWanted && packet->stream_index == audioStream_->index;
    if (!picture && !sound) {
      continue;
    }
    AVStream* stream = picture ? videoStream_ : audioStream_;
    PacketQueue& queue = picture ? videoPackets_ : audioPackets_;
    const double time = PacketTime(packet.get(), stream, picture ? videoOrigin_ : audioOrigin_);
    if (time > clipEnd_ + kPastEnd) {
      queue.Push(nullptr, serial);
      (picture ? pictureWanted : soundWanted) = false;
      continue;
    }
    queue.Push(std::move(packet), serial);
  }
}

// ---- pictures ----

void PreviewPlayer::PictureLoop() {
  if (subtitleIndex_ >= 0) {
    SubtitleHost host(quit_, [this](const std::string& line) { Log(line); });
    subtitles_ = SubtitleTrack::Read(std::string(FieldText(settings_.input.path)), subtitleIndex_, host);
    if (picture_ && subtitles_) {
      picture_->SetSubtitles(subtitles_.get());
    }
  }
  if (settings_.events != nullptr) {
    std::lock_guard lock(sinkMutex_);
    settings_.events->OnInfo(videoStream_->codecpar->width, videoStream_->codecpar->height,
                             static_cast<int32_t>(std::lround(100.0 / frameLength_)));
  }
  TakeEdits();
  if (primedPicture_) {
    ShowDecoded(primedPicture_.get());
    primedPicture_.reset();
  }
  while (!quit_) {
    PacketQueue::Item item;
    if (pictureEnded_) {
      if (!IdleAtEnd(item)) {
        return;
      }
    } else if (!videoPackets_.Pop(item)) {
      return;
    }
    if (item.serial != pictureSerial_) {
      RestartPictures(item.serial);
    }
    if (pictureEnded_) {
      continue;
    }
    if (!item.packet) {
      Decode(nullptr);
      if (!pictureEnded_ && pictureSerial_ == item.serial) {
        EndPictures();
      }
      continue;
    }
    Decode(item.packet.get());
  }
}

void PreviewPlayer::RestartPictures(int serial) {
  avcodec_flush_buffers(videoDecoder_.get());
  pictureSerial_ = serial;
  {
    std::lock_guard lock(mutex_);
    showFrom_ = seekTarget_;
  }
  forceNext_ = true;
  pictureEnded_ = false;
  pendingSource_.reset();
  pendingView_.reset();
  if (picture_) {
    picture_->Restart();
  }
}

bool PreviewPlayer::Decode(const AVPacket* packet) {
  avcodec_send_packet(videoDecoder_.get(), packet);  // a damaged packet costs its own picture only
  for (;;) {
    const int got = avcodec_receive_frame(videoDecoder_.get(), decoded_.get());
    if (got < 0) {
      return true;
    }
    const bool goOn = ShowDecoded(decoded_.get());
    av_frame_unref(decoded_.get());
    if (!goOn) {
      return false;
    }
  }
}

// False when the pictures of this serial are over: the range ended, a seek came, or playback stops.
bool PreviewPlayer::ShowDecoded(AVFrame* frame) {
  double time = TimeOf(videoStream_, videoOrigin_, frame);
  if (std::isnan(time)) {
    time = lastShown_ >= 0 ? lastShown_ + frameLength_ : showFrom_;
  }
  // The first picture at or after the time asked for, as a conversion's trim keeps it (the slack
  // absorbs containers that round times to milliseconds).
  if (time < showFrom_ - kTimeSlack) {
    return true;  // decoding on from the key frame towards it
  }
  if (time >= clipEnd_ - 1e-6 && !(forceNext_ && lastShown_ < 0)) {
    EndPictures();
    return false;
  }
  frame->pts = std::llround(time / av_q2d(videoStream_->time_base));
  ServiceRequests();
  // Already too late while playing on: not worth the edits' work.
  if (!forceNext_ && clock_.Running() && clock_.Now() - time > frameLength_) {
    std::lock_guard lock(statsMutex_);
    ++stats_.dropped;
    return true;
  }
  FramePtr view;
  if (picture_) {
    std::vector<FramePtr> views;
    std::string error;
    if (!picture_->Render(frame, views, error)) {
      Fail("the preview cannot show the edits: " + error);
      return false;
    }
    if (views.empty()) {
      return true;  // a deinterlacer waits for the next picture
    }
    view = std::move(views.back());
  }
  pendingSource_.reset(av_frame_clone(frame));
  pendingView_ = std::move(view);
  const bool forced = forceNext_;
  const Wake wake = WaitToShow(time, forced);
  if (wake == Wake::kQuit || wake == Wake::kSeek) {
    return false;
  }
  if (wake == Wake::kShow && !forced && clock_.Now() - time > frameLength_) {
    std::lock_guard lock(statsMutex_);
    ++stats_.dropped;
    return true;
  }
  if (forced || wake == Wake::kStep) {
    clock_.Set(time);
  }
  forceNext_ = false;
  Deliver(pendingView_.get(), pendingSource_.get(), time);
  return true;
}

PreviewPlayer::Wake PreviewPlayer::WaitToShow(double time, bool forced) {
  for (;;) {
    ServiceRequests();
    std::unique_lock lock(mutex_);
    if (quit_) {
      return Wake::kQuit;
    }
    if (serial_ != pictureSerial_) {
      return Wake::kSeek;
    }
    if (editSerial_ != editsTaken_ || (snapshotWanted_ && shownSource_)) {
      continue;
    }
    if (steps_ > 0) {
      --steps_;
      return Wake::kStep;
    }
    if (forced) {
      return Wake::kShow;
    }
    if (paused_) {
      changed_.wait(lock);
      continue;
    }
    const double wait = time - clock_.Now();
    if (wait <= 0) {
      return Wake::kShow;
    }
    changed_.wait_for(lock, std::chrono::duration<double>(std::min(wait, 0.05)));
  }
}

void PreviewPlayer::EndPictures() {
  pictureEnded_ = true;
  std::lock_guard lock(mutex_);
  if (serial_ == pictureSerial_) {  // not when a seek has already started the pictures again
    videoEnd_ = lastShown_ >= 0 ? std::min(clipEnd_, lastShown_ + frameLength_) : clipEnd_;
    videoDone_ = true;
  }
}

// Waits for a seek while the range's last picture stays on screen, still answering snapshots and
// edits. Packets still arriving for the ended range are dropped, so the reader never stalls on them.
bool PreviewPlayer::IdleAtEnd(PacketQueue::Item& item) {
  while (!quit_) {
    ServiceRequests();
    switch (videoPackets_.PopFor(item, kIdlePoll)) {
      case PacketQueue::Got::kAborted:
        return false;
      case PacketQueue::Got::kTimeout:
        break;
      case PacketQueue::Got::kItem:
        if (item.serial != pictureSerial_) {
          return true;
        }
        break;
    }
  }
  return false;
}

void PreviewPlayer::ServiceRequests() {
  bool snapshot = false;
  bool edits = false;
  bool paused = false;
  {
    std::lock_guard lock(mutex_);
    snapshot = snapshotWanted_ && shownSource_;
    if (snapshot) {
      snapshotWanted_ = false;
    }
    edits = editSerial_ != editsTaken_;
    paused = paused_;
  }
  if (edits) {
    TakeEdits();
    std::string error;
    if (picture_ && shownSource_ && (paused || pictureEnded_)) {
      const FramePtr still = picture_->RenderStill(shownSource_.get(), error);
      if (still) {
        DeliverView(still.get());
      }
    }
    if (picture_ && pendingSource_) {
      pendingView_ = picture_->RenderStill(pendingSource_.get(), error);
    }
  }
  if (snapshot) {
    DeliverSnapshot();
  }
}

void PreviewPlayer::TakeEdits() {
  PictureEdit edit;
  WatermarkBlock mark{};
  std::string markFile;
  uint64_t markSerial = 0;
  {
    std::lock_guard lock(mutex_);
    edit = edit_;
    mark = mark_;
    markFile = markFile_;
    markSerial = markSerial_;
    editsTaken_ = editSerial_;
  }
  if (!picture_) {
    return;
  }
  picture_->SetEdit(edit);
  if (markFile != shownMarkFile_ || markSerial != shownMarkSerial_) {
    shownMarkFile_ = markFile;
    shownMarkSerial_ = markSerial;
    markPicture_ = markFile.empty() ? nullptr : ReadPicture(markFile.c_str());
    if (!markFile.empty() && !markPicture_) {
      Log("the watermark picture \"" + markFile + "\" cannot be read: previewing without it");
    }
  }
  picture_->SetWatermark(markPicture_.get(), mark.markLeft, mark.markTop, mark.markWidth, mark.markHeight,
                         mark.markTransparency);
}

void PreviewPlayer::Deliver(const AVFrame* view, const AVFrame* source, double time) {
  DeliverView(view);
  if (settings_.cropView && settings_.events != nullptr && settings_.cropWidth > 0 &&
      settings_.cropHeight > 0) {
    const std::vector<uint8_t> pixels = cropMaker_.Make(source, settings_.cropWidth, settings_.cropHeight);
    if (!pixels.empty()) {
      std::lock_guard lock(sinkMutex_);
      settings_.events->OnCropFrame(pixels.data(), static_cast<int32_t>(pixels.size()));
    }
  }
  shownSource_.reset(av_frame_clone(source));
  lastShown_ = time;
  {
    std::lock_guard lock(statsMutex_);
    ++stats_.shown;
    if (clock_.Running()) {
      stats_.offsets.push_back(clock_.Now() - time);
    }
  }
  bool snapshot = false;
  {
    std::lock_guard lock(mutex_);
    snapshot = snapshotWanted_;
    snapshotWanted_ = false;
  }
  if (snapshot) {
    DeliverSnapshot();
  }
}

void PreviewPlayer::DeliverView(const AVFrame* view) {
  if (view == nullptr) {
    return;
  }
  if (!settings_.viewToBuffer) {
    if (surface_ != nullptr) {
      surface_->Present(settings_.surface.c_str(), view->data[0], view->width, view->height,
                        view->linesize[0]);
    }
    return;
  }
  if (settings_.events == nullptr) {
    return;
  }
  const int stride = BitmapStride(view->width);
  rows_.resize(static_cast<size_t>(stride) * view->height);
  for (int row = 0; row < view->height; ++row) {
    std::memcpy(rows_.data() + static_cast<size_t>(row) * stride, view->data[0] + row * view->linesize[0],
                static_cast<size_t>(view->width) * 3);
  }
  std::lock_guard lock(sinkMutex_);
  settings_.events->OnViewFrame(rows_.data(), static_cast<int32_t>(rows_.size()));
}

void PreviewPlayer::DeliverSnapshot() {
  if (!shownSource_ || settings_.events == nullptr) {
    return;
  }
  const std::vector<uint8_t> pixels =
      snapshotMaker_.Make(shownSource_.get(), settings_.snapshotWidth, settings_.snapshotHeight);
  if (pixels.empty()) {
    return;
  }
  std::lock_guard lock(sinkMutex_);
  settings_.events->OnSnapshotFrame(pixels.data(), static_cast<int32_t>(pixels.size()));
}

// ---- sound ----

void PreviewPlayer::SoundLoop() {
  if (primedSound_) {
    PlaySound(primedSound_.get());
    primedSound_.reset();
  }
  FramePtr frame(av_frame_alloc());
  if (!frame) {
    Fail("out of memory");
    return;
  }
  while (!quit_) {
    PacketQueue::Item item;
    if (!audioPackets_.Pop(item)) {
      return;
    }
    if (item.serial != soundSerial_) {
      avcodec_flush_buffers(audioDecoder_.get());
      soundSerial_ = item.serial;
      soundGraph_.reset();
      sound_->Clear();
      lastHeard_ = -1;
      soundEnded_ = false;
      std::lock_guard lock(mutex_);
      soundFrom_ = seekTarget_;
    }
    if (soundEnded_) {
      continue;
    }
    DecodeSound(item.packet.get());
    if (!item.packet && !soundEnded_) {
      EndSound();
    }
  }
}

void PreviewPlayer::DecodeSound(const AVPacket* packet) {
  avcodec_send_packet(audioDecoder_.get(), packet);
  FramePtr frame(av_frame_alloc());
  while (frame && !soundEnded_ && avcodec_receive_frame(audioDecoder_.get(), frame.get()) == 0) {
    PlaySound(frame.get());
    av_frame_unref(frame.get());
  }
}

void PreviewPlayer::PlaySound(AVFrame* frame) {
  const double time = TimeOf(audioStream_, audioOrigin_, frame);
  if (std::isnan(time) || frame->sample_rate <= 0) {
    return;
  }
  if (time >= clipEnd_) {
    EndSound();
    return;
  }
  if (time + static_cast<double>(frame->nb_samples) / frame->sample_rate <= soundFrom_) {
    return;
  }
  int volume = 256;
  {
    std::lock_guard lock(mutex_);
    volume = volume_;
  }
  frame->pts = std::llround(time / av_q2d(audioStream_->time_base));
  const AVFilterLink* input = soundGraph_ ? soundGraph_->SourceAt(0)->outputs[0] : nullptr;
  const bool reshaped =
      input != nullptr && (input->sample_rate != frame->sample_rate || input->format != frame->format ||
                           input->ch_layout.nb_channels != frame->ch_layout.nb_channels);
  if (!soundGraph_ || volume != soundVolume_ || reshaped) {
    soundVolume_ = volume;
    if (!BuildSound(frame)) {
      return;
    }
  }
  if (av_buffersrc_add_frame_flags(soundGraph_->SourceAt(0), frame, AV_BUFFERSRC_FLAG_KEEP_REF) < 0) {
    return;
  }
  FramePtr out(av_frame_alloc());
  while (out && av_buffersink_get_frame(soundGraph_->Sink(), out.get()) >= 0) {
    QueueSound(out.get());
    av_frame_unref(out.get());
    if (quit_) {
      return;
    }
  }
}

void PreviewPlayer::EndSound() {
  soundEnded_ = true;
  std::lock_guard lock(mutex_);
  if (serial_ == soundSerial_) {
    audioDone_ = true;
  }
}

bool PreviewPlayer::BuildSound(const AVFrame* first) {
  SoundEdit edit;
  edit.retime = false;
  edit.volume = soundVolume_;
  edit.sampleRate = sound_->Rate();
  edit.sampleFormat = "s16";
  edit.channels = sound_->Channels();
  edit.channelLayout = LayoutName(edit.channels);
  std::vector<FilterGraph::Source> sources;
  sources.push_back({"ain", "abuffer", SoundSourceArgs(audioStream_->time_base, first, edit.sourceChannels)});
  soundGraph_ = std::make_unique<FilterGraph>();
  std::string error;
  if (!soundGraph_->Build(SoundChain(edit), sources, false, "aout", error)) {
    soundGraph_.reset();
    Log("the preview cannot play this sound: " + error);
    return false;
  }
  return true;
}

void PreviewPlayer::QueueSound(const AVFrame* frame) {
  const AVRational base = av_buffersink_get_time_base(soundGraph_->Sink());
  const double start = frame->pts != AV_NOPTS_VALUE ? frame->pts * av_q2d(base) : audioEnd_.load();
  const double end = start + static_cast<double>(frame->nb_samples) / sound_->Rate();
  // Holds back while enough is queued; the clock follows the device meanwhile.
  for (;;) {
    SyncClock();
    {
      std::lock_guard lock(mutex_);
      if (quit_ || serial_ != soundSerial_) {
        return;
      }
    }
    if (sound_->Queued() < kSoundAhead) {
      break;
    }
    std::this_thread::sleep_for(kSoundPoll);
  }
  sound_->Queue(frame->data[0], frame->nb_samples * sound_->Channels() * 2, std::min(end, clipEnd_));
  audioEnd_ = std::min(end, clipEnd_);
}

void PreviewPlayer::SyncClock() {
  double heard = 0;
  if (!sound_->Heard(heard) || std::fabs(heard - lastHeard_) < 1e-6) {
    return;
  }
  lastHeard_ = heard;
  if (clock_.Running()) {
    clock_.Set(heard);
  }
}

}  // namespace ffengine
