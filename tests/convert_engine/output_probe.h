#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/convert_engine/media_maker.h"

// What a converted file holds, read back with the FFmpeg libraries: the streams as the demuxer
// reports them, and decoded pictures and sound for tests that compare content.
namespace output_probe {

struct VideoFacts {
  bool present = false;
  std::string codec;  // FFmpeg codec name: "h264", "mpeg4", ...
  int width = 0;
  int height = 0;
  double frameRate = 0.0;  // as FFmpeg guesses it from the stream
  std::string pixelFormat;
  uint32_t codecTag = 0;
  std::string profile;  // "High", "Constrained Baseline", ... or empty
  int level = 0;
  int sarNum = 0;
  int sarDen = 0;
};

struct AudioFacts {
  bool present = false;
  std::string codec;
  int sampleRate = 0;
  int channels = 0;
};

struct FileFacts {
  bool opened = false;
  std::string format;      // the demuxer's name list, "mov,mp4,m4a,3gp,3g2,mj2"
  std::string majorBrand;  // ISO files only
  double duration = 0.0;   // container duration, seconds
  int videoStreams = 0;
  int audioStreams = 0;
  VideoFacts video;  // the first video stream
  AudioFacts audio;  // the first audio stream
};

FileFacts Probe(const std::string& path);

struct Picture {
  double time = 0.0;  // presentation time, seconds
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // 24-bit rows, top-down
};

// The frames of the first video stream, converted to RGB: all of them, or the first `limit`.
std::vector<Picture> DecodePictures(const std::string& path, size_t limit = SIZE_MAX);

struct Sound {
  int sampleRate = 0;
  int channels = 0;
  double start = 0.0;          // presentation time of the first sample
  std::vector<float> samples;  // interleaved
  double Seconds() const {
    return channels > 0 && sampleRate > 0 ? static_cast<double>(samples.size()) / channels / sampleRate : 0.0;
  }
};

// The whole first audio stream as float samples.
Sound DecodeSound(const std::string& path);

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct Mean {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  double Luma() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
  // How far the colour is from grey.
  double Chroma() const;
};

Mean MeanColour(const Picture& picture, Rect rect);
inline Mean MeanOf(media_maker::Rgb c) {
  return Mean{static_cast<double>(c.r), static_cast<double>(c.g), static_cast<double>(c.b)};
}
double Distance(const Mean& a, const Mean& b);

// The share of the pixels of `rect` whose luma differs by more than `threshold` between two pictures
// of the same size.
double ChangedShare(const Picture& a, const Picture& b, Rect rect, int threshold);

// The mean luma difference between neighbouring rows: high where two fields of an interlaced frame
// show moving things at different places.
double Combing(const Picture& picture);

// The picture shown at `time` seconds: the last one starting at or before it.
const Picture* PictureAt(const std::vector<Picture>& pictures, double time);

// Root mean square and peak of the samples from `from` to `to` seconds (of the decoded track).
double Rms(const Sound& sound, double from, double to);
double Peak(const Sound& sound, double from, double to);

// The first time, in seconds from the start of the decoded track, at which the level over 10 ms
// reaches `threshold`; negative when it never does.
double Onset(const Sound& sound, double threshold);

// The frame number a picture with a frame counter shows; -1 when a cell is neither black nor white.
int CounterValue(const Picture& picture);

}  // namespace output_probe
