#pragma once

#include "engines/ffengine/ff_handles.h"

namespace ffengine {

// A decoder for one stream of an opened file, set up the same way for conversion and preview: the
// stream's time base for its packets, the guessed frame rate for video, threads on every core. Null
// when the stream's codec cannot be decoded here.
CodecContextPtr OpenDecoder(AVFormatContext* context, AVStream* stream);

}  // namespace ffengine
