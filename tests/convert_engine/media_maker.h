#pragma once

#include <array>
#include <cstdint>
#include <string>

// Tiny media made in-process with the FFmpeg libraries, so the conversion tests need no shipped
// fixtures and start no outside program. Every picture is drawn by hand from flat colours that survive
// lossy coding, so a test can tell where each part of the source frame went.
namespace media_maker {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
};

struct ClipPlan {
  // Container by FFmpeg muxer name; video H.264, audio AAC.
  std::string format = "matroska";
  int width = 320;
  int height = 240;
  int fps = 25;
  double seconds = 2.0;
  // Where the clip's timestamps begin, so that clips written one after another can be joined as bytes.
  double startSeconds = 0.0;
  bool video = true;
  // Frames from one key frame to the next; 0 = one a second.
  int keyframeEvery = 0;
  // Full-resolution colour (4:4:4), which takes any frame size, odd ones included.
  bool fullChroma = false;
  // The frame's quadrants, clockwise from the top left.
  std::array<Rgb, 4> quadrants{Rgb{200, 40, 40}, Rgb{40, 200, 40}, Rgb{200, 200, 40}, Rgb{40, 40, 200}};
  // When set, the bottom sixth of the frame holds the frame number in eight black/white cells, least
  // significant bit on the left (see FrameCounterCells).
  bool frameCounter = false;
  // When set, a white bar 16 pixels wide moves right by 16 pixels a field, drawn as an interlaced
  // camera would: even rows show it at the frame's time, odd rows half a frame later.
  bool interlacedBar = false;
  // Above 0: every pixel's brightness moves by up to this much, anew in every frame, as film grain
  // does; encoders then spend their whole bit rate, as on camera footage.
  int grain = 0;
  // Audio: 0 channels = none.
  int sampleRate = 48000;
  int channels = 2;
  double toneHz = 440.0;
  double amplitude = 0.25;
  // Above 0: white noise of this amplitude over the tone.
  double hiss = 0.0;
  // Above 0: a second audio track, the same tone at this amplitude.
  double secondTrackAmplitude = 0.0;
  // At or above 0: silence except a tone burst of `beepLength` seconds starting here.
  double beepAt = -1.0;
  double beepLength = 0.2;
  // Non-empty: a SubRip stream showing this text over the whole clip.
  std::string subtitleText;
  // A DVD bitmap subtitle stream showing an opaque white block over the whole clip: the middle half of
  // the frame's width, rows from 60 % to 85 % of its height.
  bool bitmapSubtitle = false;
};

// Writes the clip; false with a reason in `error` when any FFmpeg step fails.
bool MakeClip(const std::string& path, const ClipPlan& plan, std::string* error = nullptr);

// A PNG picture of one colour; `alpha` 255 is opaque.
bool MakePicture(const std::string& path, int width, int height, Rgb colour, uint8_t alpha = 255);

// A file that starts like Matroska and continues with noise: readers recognise it and then fail.
bool MakeCorrupt(const std::string& path);

// The cells of the frame counter: cell i spans x from i * width / 8 to (i + 1) * width / 8, rows from
// height * 5 / 6 to the bottom.
inline constexpr int kCounterCells = 8;

}  // namespace media_maker
