#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace ffengine {

// The preview's sound device, through SDL2's audio layer (PipeWire, PulseAudio or ALSA underneath;
// SDL_AUDIODRIVER picks another, such as "dummy" or "disk" in tests). Interleaved signed 16-bit
// samples. Opened paused. Sound is queued from one thread; the other operations may come from any.
class SoundOutput {
 public:
  // Null when no device can be opened (a machine without sound): the preview then plays silently.
  // `rate` and `channels` are what the source has; the device may take others, which Rate() and
  // Channels() then tell.
  static std::unique_ptr<SoundOutput> Open(int rate, int channels);
  ~SoundOutput();
  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;

  int Rate() const { return rate_; }
  int Channels() const { return channels_; }

  // Appends samples that end at `endSeconds` of the file.
  bool Queue(const uint8_t* samples, int bytes, double endSeconds);
  // Seconds of sound queued and not yet played.
  double Queued() const;
  // The file time the listener hears now, by what the device has consumed; false while nothing is
  // queued since the last Clear.
  bool Heard(double& seconds) const;
  // Drops what is queued (a seek).
  void Clear();
  void Pause(bool paused);

 private:
  SoundOutput() = default;

  uint32_t device_ = 0;
  int rate_ = 0;
  int channels_ = 0;
  double deviceLatency_ = 0;              // the device's own buffer, in seconds
  std::atomic<double> endSeconds_{-1.0};  // file time where the queued sound ends; -1 = none
};

}  // namespace ffengine
