#pragma once

#include <string>

#include "engines/ffengine/ff_handles.h"

extern "C" {
#include <libavfilter/avfilter.h>
}

// The inputs of the edit graphs, fed the same way by the conversion and the preview.
namespace ffengine {

class SubtitleTrack;

// Arguments of a "buffer" source for pictures of that size and pixel format.
std::string PictureSourceArgs(int width, int height, int pixelFormat, AVRational timeBase, AVRational sar);

// Arguments of an "abuffer" source for sound shaped like `first`; `channels` receives its channel count.
std::string SoundSourceArgs(AVRational timeBase, const AVFrame* first, int& channels);

// The sample aspect of a decoded picture, from the frame or else its stream; 1:1 when neither tells.
AVRational PictureSar(const AVFrame* frame, const AVStream* stream);

// Hands the watermark picture to its source once, stamped before any picture, and ends that input, so
// that the overlay puts it on every frame.
bool SendWatermarkPicture(AVFilterContext* source, const AVFrame* mark);

// Hands the bitmap subtitle showing at `seconds` to its source, stamped `pts`: one with every frame,
// so the overlay never waits for the next subtitle.
bool SendSubtitlePicture(AVFilterContext* source, SubtitleTrack& subtitles, double seconds, int64_t pts);

}  // namespace ffengine
