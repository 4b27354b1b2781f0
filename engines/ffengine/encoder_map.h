#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

// How the catalogue's codec names and values become settings an encoder of this FFmpeg build accepts.
// An encoder that cannot take a value gets the nearest one it takes; callers log the change.
namespace ffengine {

// The encoder this build uses for a catalogue codec name ("libfaac" is FFmpeg's own AAC encoder).
// Blank and control characters around the name are ignored; empty for an empty name.
std::string EncoderName(std::string_view catalogueName);

// The entry of `choices` closest to `wanted`; the higher one on a tie. `wanted` when empty.
int NearestOf(std::span<const int> choices, int wanted);

// Sample rates the encoder and the muxer both take; empty = any rate.
std::vector<int> AllowedSampleRates(const AVCodec* encoder, std::string_view muxer);

// A frame size the encoder takes: for codecs with a fixed list (H.263) the listed size nearest in area,
// else
// `wanted` made even (4:2:0 pictures) and kept within the codec's limits.
void FitFrameSize(AVCodecID codec, int& width, int& height);

// The nearest frame rate the encoder lists, or `wanted` when it lists none; a rate the container's
// time base cannot hold (MPEG-4 Part 2 takes denominators up to 65535) is approximated.
AVRational FitFrameRate(const AVCodec* encoder, AVRational wanted);

// `wanted` when the encoder takes it, else yuv420p when it takes that, else its first format.
AVPixelFormat ChoosePixelFormat(const AVCodec* encoder, AVPixelFormat wanted);

// The encoder's preferred sample format (its first).
AVSampleFormat ChooseSampleFormat(const AVCodec* encoder);

// `wanted` channels when the encoder takes that count, else the nearest count it takes.
int FitChannels(const AVCodec* encoder, int wanted);

}  // namespace ffengine
