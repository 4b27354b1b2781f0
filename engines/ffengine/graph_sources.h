#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engines/ffengine/edit_filters.h"
#include "engines/ffengine/ff_handles.h"
#include "engines/ffengine/filter_graph.h"

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

// Where a picture chain's extra inputs sit among its sources.
struct PictureSourceIndexes {
  size_t subtitle = 0;
  size_t mark = 0;
};

// Takes into `edit` what the first picture tells (its size and pixel shape) and what the subtitles ask
// for, and lists the chain's sources: the pictures on [vin], bitmap subtitles on [sub], the watermark
// picture `mark` on [wm] when edit.watermark. `subtitles` may be null.
PictureSourceIndexes DescribePictureSources(PictureEdit& edit, const AVFrame* first, const AVStream* stream,
                                            SubtitleTrack* subtitles, const AVFrame* mark,
                                            std::vector<FilterGraph::Source>& sources);

// Hands the watermark picture to its source once, stamped before any picture, and ends that input, so
// that the overlay puts it on every frame.
bool SendWatermarkPicture(AVFilterContext* source, const AVFrame* mark);

// Hands the bitmap subtitle showing at `seconds` to its source, stamped `pts`: one with every frame,
// so the overlay never waits for the next subtitle.
bool SendSubtitlePicture(AVFilterContext* source, SubtitleTrack& subtitles, double seconds, int64_t pts);

}  // namespace ffengine
