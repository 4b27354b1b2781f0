#include "engines/ffengine/edit_filters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

extern "C" {
#include <libavutil/display.h>
}

namespace ffengine {

namespace {

std::string Format(const char* pattern, auto... values) {
  char buffer[512];
  std::snprintf(buffer, sizeof(buffer), pattern, values...);
  return buffer;
}

int Even(double value) {
  return std::max(2, static_cast<int>(std::lround(value / 2.0)) * 2);
}

bool Unchanged(double value) {
  return std::fabs(value) < 1e-9;
}

int64_t SampleCount(const SoundEdit& edit) {
  return std::llround(edit.clipLength * edit.sampleRate);
}

}  // namespace

Placement ZoomPlacement(int zoomMode, int pictureWidth, int pictureHeight, AVRational pictureSar,
                        int frameWidth, int frameHeight, AVRational frameSar) {
  Placement placement{frameWidth, frameHeight, 0, 0};
  if (zoomMode == 0 || pictureWidth <= 0 || pictureHeight <= 0 || frameWidth <= 0 || frameHeight <= 0) {
    return placement;
  }
  double shape = 0;
  if (zoomMode == 2) {
    shape = 16.0 / 9.0;
  } else if (zoomMode == 3) {
    shape = 4.0 / 3.0;
  } else {
    const double sar = pictureSar.num > 0 && pictureSar.den > 0 ? av_q2d(pictureSar) : 1.0;
    shape = pictureWidth * sar / pictureHeight;
  }
  const double pixel = frameSar.num > 0 && frameSar.den > 0 ? av_q2d(frameSar) : 1.0;
  const double frameShape = frameWidth * pixel / frameHeight;
  if (frameShape > shape) {
    placement.height = frameHeight;
    placement.width = std::min(frameWidth, Even(frameHeight * shape / pixel));
  } else {
    placement.width = frameWidth;
    placement.height = std::min(frameHeight, Even(frameWidth * pixel / shape));
  }
  placement.x = (frameWidth - placement.width) / 2 & ~1;
  placement.y = (frameHeight - placement.height) / 2 & ~1;
  return placement;
}

double EqBrightness(double value) {
  // Half of eq's range: its extremes turn every picture white or black.
  return std::clamp(value, -100.0, 100.0) / 200.0;
}

double EqContrast(double value) {
  return 1.0 + std::clamp(value, -100.0, 100.0) / 100.0;
}

double EqSaturation(double value) {
  return 1.0 + std::clamp(value, -100.0, 100.0) / 100.0;
}

void TakeCrop(PictureEdit& edit, int x, int y, int width, int height, int zoomMode) {
  edit.cropX = x;
  edit.cropY = y;
  edit.cropWidth = width;
  edit.cropHeight = height;
  edit.zoomMode = zoomMode;
}

void TakeEffects(PictureEdit& edit, const EffectBlock& effects) {
  edit.brightness = effects.brightness;
  edit.contrast = effects.contrast;
  edit.saturation = effects.saturation;
  edit.deinterlace = effects.deinterlace != 0;
}

int DisplayRotation(const int32_t* matrix) {
  if (matrix == nullptr) {
    return 0;
  }
  // av_display_rotation_get counts counter-clockwise.
  const double turn = -av_display_rotation_get(matrix);
  if (std::isnan(turn)) {
    return 0;
  }
  const int quarter = static_cast<int>(std::lround(turn / 90.0)) % 4;
  return (quarter + 4) % 4 * 90;
}

std::string FilterPathValue(const std::string& path) {
  // Two levels: the option value inside single quotes, then the graph's own escaping of the result.
  std::string quoted = "'";
  for (const char c : path) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += "'";
  std::string escaped;
  for (const char c : quoted) {
    if (c == '\\' || c == '\'' || c == '[' || c == ']' || c == ',' || c == ';') {
      escaped += '\\';
    }
    escaped += c;
  }
  return escaped;
}

std::string PictureChain(const PictureEdit& edit) {
  std::string chain = "[vin]";
  if (edit.deinterlace) {
    chain += "yadif=mode=send_frame:parity=auto:deint=all,";
  }
  if (!edit.subtitleScript.empty()) {
    chain += "ass=filename=" + FilterPathValue(edit.subtitleScript) + ",";
  } else if (edit.subtitlePictures) {
    chain += "null[base];[sub]";
    if (edit.subtitleWidth != edit.sourceWidth || edit.subtitleHeight != edit.sourceHeight) {
      chain += Format("scale=%d:%d,", edit.sourceWidth, edit.sourceHeight);
    }
    chain += "format=rgba[subs];[base][subs]overlay=eof_action=pass:format=auto,";
  }
  if (edit.retime) {
    chain += Format("trim=start=%.6f", edit.clipStart);
    if (edit.clipLength > 0) {
      chain += Format(":duration=%.6f", edit.clipLength);
    }
    // The first kept frame starts the output: a source whose picture lags its sound by a fraction of a
    // frame would otherwise land half-way between two output frames and be rounded a whole frame off. A
    // picture that starts more than a frame late keeps its distance, so a late video track stays in
    // step.
    const double frame = static_cast<double>(edit.frameRate.den) / edit.frameRate.num;
    chain += Format(",setpts='PTS-STARTPTS+if(gt(STARTPTS*TB-%.6f,%.6f),STARTPTS*TB-%.6f,0)/TB'",
                    edit.clipStart, frame, edit.clipStart);
    chain += Format(",fps=fps=%d/%d:start_time=0", edit.frameRate.num, edit.frameRate.den);
    if (edit.clipLength > 0) {
      chain += Format(",trim=duration=%.6f", edit.clipLength);
    }
  } else {
    chain += "null";
  }

  int pictureWidth = edit.sourceWidth;
  int pictureHeight = edit.sourceHeight;
  const bool cropInside = edit.cropWidth > 0 && edit.cropHeight > 0 && edit.cropX >= 0 && edit.cropY >= 0 &&
                          int64_t{edit.cropX} + edit.cropWidth <= edit.sourceWidth &&
                          int64_t{edit.cropY} + edit.cropHeight <= edit.sourceHeight;
  if (cropInside && (edit.cropWidth != edit.sourceWidth || edit.cropHeight != edit.sourceHeight)) {
    chain += Format(",crop=%d:%d:%d:%d:exact=1", edit.cropWidth, edit.cropHeight, edit.cropX, edit.cropY);
    pictureWidth = edit.cropWidth;
    pictureHeight = edit.cropHeight;
  }
  // Crop rectangles are in the stored picture's pixels; the turn comes after them, as players show it.
  AVRational pictureSar = edit.sourceSar;
  if (edit.rotation == 90 || edit.rotation == 270) {
    chain += edit.rotation == 90 ? ",transpose=clock" : ",transpose=cclock";
    std::swap(pictureWidth, pictureHeight);
    std::swap(pictureSar.num, pictureSar.den);
  } else if (edit.rotation == 180) {
    chain += ",hflip,vflip";
  }
  if (!Unchanged(edit.brightness) || !Unchanged(edit.contrast) || !Unchanged(edit.saturation)) {
    chain += Format(",eq=brightness=%.4f:contrast=%.4f:saturation=%.4f", EqBrightness(edit.brightness),
                    EqContrast(edit.contrast), EqSaturation(edit.saturation));
  }
  const Placement place = ZoomPlacement(edit.zoomMode, pictureWidth, pictureHeight, pictureSar, edit.outWidth,
                                        edit.outHeight, edit.outSar);
  if (place.width != pictureWidth || place.height != pictureHeight) {
    chain += Format(",scale=%d:%d:flags=bicubic", place.width, place.height);
  }
  if (place.width != edit.outWidth || place.height != edit.outHeight) {
    chain += Format(",pad=%d:%d:%d:%d:color=black", edit.outWidth, edit.outHeight, place.x, place.y);
  }
  chain += Format(",setsar=%d/%d", std::max(edit.outSar.num, 1), std::max(edit.outSar.den, 1));
  if (edit.watermark && edit.markWidth > 0 && edit.markHeight > 0) {
    const double opacity = 1.0 - std::clamp(edit.markTransparency, 0, 100) / 100.0;
    chain += Format(
        "[main];[wm]format=rgba,scale=%d:%d,colorchannelmixer=aa=%.4f[mark];[main][mark]overlay=x=%d:y=%d:"
        "format=auto",
        edit.markWidth, edit.markHeight, opacity, edit.markLeft, edit.markTop);
  }
  chain += ",format=pix_fmts=" + edit.pixelFormat + "[vout]";
  return chain;
}

std::string BlackPictureChain(const PictureEdit& edit) {
  return Format("color=c=black:s=%dx%d:r=%d/%d:d=%.6f,setsar=%d/%d,format=pix_fmts=%s[vout]", edit.outWidth,
                edit.outHeight, edit.frameRate.num, edit.frameRate.den, std::max(edit.clipLength, 0.04),
                std::max(edit.outSar.num, 1), std::max(edit.outSar.den, 1), edit.pixelFormat.c_str());
}

std::string SoundChain(const SoundEdit& edit) {
  std::string chain = "[ain]";
  if (edit.retime) {
    chain += Format("atrim=start=%.6f", edit.clipStart);
    if (edit.clipLength > 0) {
      chain += Format(":duration=%.6f", edit.clipLength);
    }
    chain += Format(",asetpts=PTS-%.6f/TB", edit.clipStart);
  } else {
    chain += "anull";
  }
  if (edit.volume != 256) {
    chain += Format(",volume=%.6f", std::max(edit.volume, 0) / 256.0);
  }
  if (edit.sourceChannels == 1 && edit.channels > 1) {
    chain += ",pan=" + edit.channelLayout;
    for (int channel = 0; channel < edit.channels; ++channel) {
      chain += Format("|c%d=c0", channel);
    }
  }
  if (edit.retime) {
    // first_pts=0 fills a late start with silence so that sound and picture begin together.
    chain += Format(",aresample=%d:async=1:first_pts=0", edit.sampleRate);
  } else {
    chain += Format(",aresample=%d", edit.sampleRate);
  }
  chain += Format(",aformat=sample_fmts=%s:channel_layouts=%s", edit.sampleFormat.c_str(),
                  edit.channelLayout.c_str());
  if (edit.retime && edit.clipLength > 0) {
    chain += Format(",apad=whole_len=%lld,atrim=end_sample=%lld", static_cast<long long>(SampleCount(edit)),
                    static_cast<long long>(SampleCount(edit)));
  }
  return chain + "[aout]";
}

std::string SilenceChain(const SoundEdit& edit) {
  return Format("anullsrc=r=%d:cl=%s,atrim=end_sample=%lld,aformat=sample_fmts=%s:channel_layouts=%s[aout]",
                edit.sampleRate, edit.channelLayout.c_str(), static_cast<long long>(SampleCount(edit)),
                edit.sampleFormat.c_str(), edit.channelLayout.c_str());
}

}  // namespace ffengine
