#include "engines/ffengine/sound_output.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <new>

namespace ffengine {

std::unique_ptr<SoundOutput> SoundOutput::Open(int rate, int channels) {
  // SDL must not take the program's signals: the program decides what SIGINT and SIGTERM do.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return nullptr;
  }
  SDL_AudioSpec want{};
  want.freq = rate > 0 ? rate : 48000;
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(std::clamp(channels, 1, 2));
  want.samples = 1024;
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(
      nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
  if (device == 0 || have.freq <= 0 || have.channels == 0) {
    if (device != 0) {
      SDL_CloseAudioDevice(device);
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  std::unique_ptr<SoundOutput> output(new (std::nothrow) SoundOutput());
  if (!output) {
    SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  output->device_ = device;
  output->rate_ = have.freq;
  output->channels_ = have.channels;
  output->deviceLatency_ = static_cast<double>(have.samples) / have.freq;
  return output;
}

SoundOutput::~SoundOutput() {
  SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SoundOutput::Queue(const uint8_t* samples, int bytes, double endSeconds) {
  if (SDL_QueueAudio(device_, samples, static_cast<Uint32>(bytes)) != 0) {
    return false;
  }
  endSeconds_.store(endSeconds);
  return true;
}

double SoundOutput::Queued() const {
  return static_cast<double>(SDL_GetQueuedAudioSize(device_)) / (2.0 * channels_ * rate_);
}

bool SoundOutput::Heard(double& seconds) const {
  const double end = endSeconds_.load();
  if (end < 0) {
    return false;
  }
  seconds = end - Queued() - deviceLatency_;
  return true;
}

void SoundOutput::Clear() {
  SDL_ClearQueuedAudio(device_);
  endSeconds_.store(-1.0);
}

void SoundOutput::Pause(bool paused) {
  SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

}  // namespace ffengine
