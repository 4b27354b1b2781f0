#pragma once

#include <cstddef>
#include <cstdint>

// The probe result the media engine fills in Probe. A fixed-layout record shared with separately built
// engines: every field keeps its type, size and order. Texts are UTF-8, NUL-terminated and cut at the
// field width without splitting a character.
//
// Stream ids are the engine's: see I_FfPreview::Probe for what they mean. A caller only hands them back.

inline constexpr int kMaxAudioStreams = 8;
inline constexpr int kMaxSubtitleStreams = 32;

// The stream tables are packed, as separately built engines expect: entries after the first are not
// 4-byte aligned. Copy a field out before taking its address.
#pragma pack(push, 1)
struct AudioStreamEntry {
  int32_t id;
  int32_t sampleRate;  // Hz
  uint8_t unused[4];
  char channels[32];  // as a person reads it: "mono", "stereo", "5.1(side)"
  char codec[36];
  char tag[10];  // the language, or empty
};

struct SubtitleStreamEntry {
  int32_t id;
  char tag[10];  // the language, or empty
};
#pragma pack(pop)

struct MediaInfo {
  double duration;  // seconds
  int32_t videoCount;
  uint8_t unused1[4];
  int32_t videoStreamId;
  int32_t width;
  int32_t height;
  int32_t aspectNum;  // display aspect of a frame
  int32_t aspectDen;
  uint8_t unused2[8];
  int32_t frameRateNum;
  int32_t frameRateDen;
  char videoCodec[36];
  int32_t interlaced;
  int32_t audioCount;  // valid entries of audioStreams, never more than the table holds
  AudioStreamEntry audioStreams[kMaxAudioStreams];
  int32_t subtitleCount;  // valid entries of subtitleStreams, never more than the table holds
  SubtitleStreamEntry subtitleStreams[kMaxSubtitleStreams];
};

static_assert(sizeof(AudioStreamEntry) == 90);
static_assert(offsetof(AudioStreamEntry, channels) == 12);
static_assert(offsetof(AudioStreamEntry, codec) == 44);
static_assert(offsetof(AudioStreamEntry, tag) == 80);
static_assert(sizeof(SubtitleStreamEntry) == 14);
static_assert(offsetof(SubtitleStreamEntry, tag) == 4);

// No pointers: the offsets are the same on every platform; only the 64-bit size carries the tail
// padding that the double's alignment asks for.
static_assert(offsetof(MediaInfo, videoCount) == 8);
static_assert(offsetof(MediaInfo, videoStreamId) == 16);
static_assert(offsetof(MediaInfo, aspectDen) == 32);
static_assert(offsetof(MediaInfo, frameRateNum) == 44);
static_assert(offsetof(MediaInfo, videoCodec) == 52);
static_assert(offsetof(MediaInfo, interlaced) == 88);
static_assert(offsetof(MediaInfo, audioCount) == 92);
static_assert(offsetof(MediaInfo, audioStreams) == 96);
static_assert(offsetof(MediaInfo, subtitleCount) == 816);
static_assert(offsetof(MediaInfo, subtitleStreams) == 820);
#if UINTPTR_MAX > 0xFFFFFFFFu
static_assert(alignof(MediaInfo) == 8);
static_assert(sizeof(MediaInfo) == 1272);
#endif
