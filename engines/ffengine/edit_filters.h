#pragma once

#include <cstdint>
#include <string>

#include "components/engine_records.h"

extern "C" {
#include <libavutil/rational.h>
}

// Filter descriptions (FFmpeg's filter-graph syntax) for one input of a job: the clip editor's values
// turned into the chain between the decoded frames and the encoder. Pure text: no FFmpeg object is made.
namespace ffengine {

// Where the picture lands in the output frame.
struct Placement {
  int width = 0;  // scaled picture
  int height = 0;
  int x = 0;  // offset inside the output frame
  int y = 0;
};

// zoomMode 0 stretches over the frame; 1 keeps the picture's own display shape; 2 and 3 show it at 16:9
// and 4:3. Shapes are compared as displayed, so both pixel shapes count. Shapes that do not fill the
// frame are centred between black bars. Sizes are even.
Placement ZoomPlacement(int zoomMode, int pictureWidth, int pictureHeight, AVRational pictureSar,
                        int frameWidth, int frameHeight, AVRational frameSar = AVRational{1, 1});

struct PictureEdit {
  int sourceWidth = 0;
  int sourceHeight = 0;
  AVRational sourceSar{1, 1};
  int cropX = 0;  // crop rectangle in source pixels; a zero or oversized rectangle keeps the whole frame
  int cropY = 0;
  int cropWidth = 0;
  int cropHeight = 0;
  int zoomMode = 1;
  int outWidth = 0;  // the encoder's frame
  int outHeight = 0;
  AVRational outSar{1, 1};
  AVRational frameRate{25, 1};
  double brightness = 0;  // -100 .. +100
  double contrast = 0;
  double saturation = 0;
  bool deinterlace = false;
  int rotation = 0;  // clockwise quarter turns the file asks for on display: 0, 90, 180 or 270
  // True: the chain cuts the clip and gives it the output's frame rate with times from 0 (a conversion).
  // False: frames pass one for one with their times from the file (a preview, which paces and seeks
  // itself).
  bool retime = true;
  double clipStart = 0;   // seconds from the start of the file
  double clipLength = 0;  // seconds
  std::string pixelFormat = "yuv420p";
  bool watermark = false;  // a picture arrives on the pad [wm]
  int markLeft = 0;        // output pixels
  int markTop = 0;
  int markWidth = 0;
  int markHeight = 0;
  int markTransparency = 0;  // percent, 0 = opaque
  // Subtitles burned into the source picture, before any other edit: a script for libass, or RGBA
  // pictures of subtitleWidth x subtitleHeight arriving on the pad [sub] with every frame.
  std::string subtitleScript;
  bool subtitlePictures = false;
  int subtitleWidth = 0;
  int subtitleHeight = 0;
};

// The clip editor's crop rectangle and zoom mode, and its picture effects, in `edit`.
void TakeCrop(PictureEdit& edit, int x, int y, int width, int height, int zoomMode);
void TakeEffects(PictureEdit& edit, const EffectBlock& effects);

// The clockwise turn, in degrees (0, 90, 180, 270), a stream's display matrix asks for; 0 without one.
int DisplayRotation(const int32_t* matrix);

// The text of `path` as one value of a filter option, quoted against the graph's own syntax.
std::string FilterPathValue(const std::string& path);

// From pad [vin] (decoded frames, timestamps counted from the start of the file) to pad [vout].
std::string PictureChain(const PictureEdit& edit);

// A black picture of the output's size, rate and length on [vout], for a part without video.
std::string BlackPictureChain(const PictureEdit& edit);

struct SoundEdit {
  bool retime = true;  // as PictureEdit::retime; false keeps the file's times and adds no silence
  double clipStart = 0;
  double clipLength = 0;
  int volume = 256;  // 0 silent, 256 unchanged, 512 double
  int sampleRate = 44100;
  std::string sampleFormat = "fltp";
  std::string channelLayout = "stereo";
  int channels = 2;
  int sourceChannels = 2;  // a mono source is copied into every output channel at its own level
};

// From pad [ain] to pad [aout]: exactly clipLength seconds of sound in the encoder's format; sound that
// ends early is followed by silence, so the next part of a merge stays in step with its picture.
std::string SoundChain(const SoundEdit& edit);

// Silence of the clip's length on [aout], for a part without sound.
std::string SilenceChain(const SoundEdit& edit);

// eq filter values for the editor's -100 .. +100 scales.
double EqBrightness(double value);
double EqContrast(double value);
double EqSaturation(double value);

}  // namespace ffengine
