#pragma once

#include <cstddef>
#include <cstdint>

#include "components/media_info.h"

// The fixed-layout records the media engines receive. Separately built engines read them, so every
// field keeps its type, size and order; pointers take the native width. Texts are UTF-8 in fixed
// fields, cut at the width without splitting a character. A text that fills its whole field has no
// terminator, so readers bound it by the field (FieldText). Records are zero-filled before they are
// filled in, so bytes no field names are zero.

class FfPreviewEvent;
class FfConvertEvent;

inline constexpr size_t kRecordPathSize = 512;  // 511 bytes of text and the terminator

// Picture and sound adjustments: handed to I_FfPreview::SetEffects and copied between items as one.
struct EffectBlock {
  double brightness;  // -100 .. +100, 0 = unchanged
  double contrast;    // -100 .. +100, 0 = unchanged
  double reserved;    // always 0
  double saturation;  // -100 .. +100, 0 = unchanged
  int32_t volume;     // 0 .. 512, 256 = unchanged
  int32_t deinterlace;
};

// What the engines need of a watermark: handed to I_FfPreview::SetWatermark as one.
struct WatermarkBlock {
  // The watermark picture, or null for none. The text belongs to the item's WatermarkInfo and must
  // not change while an engine holds a record carrying this pointer.
  const char* markFile;
  int32_t markLeft;  // rectangle in pixels of the frame it was last rescaled to
  int32_t markTop;
  int32_t markWidth;
  int32_t markHeight;
  int32_t markTransparency;  // 0 .. 99
};

// One source file with its stream choices and clip edits.
struct CIInput {
  char path[kRecordPathSize];
  EffectBlock effects;
  uint8_t reserved1[8];
  double clipStart;   // seconds
  double clipLength;  // seconds
  int32_t cropX;      // kept rectangle, source pixels
  int32_t cropY;
  int32_t cropWidth;
  int32_t cropHeight;
  int32_t zoomMode;  // 0 full screen, 1 keep original, 2 16:9, 3 4:3
  WatermarkBlock mark;
  int32_t videoId;  // stream id, -1 = none
  int32_t audioId;
  int32_t subtitleId;  // -1 = none
  MediaInfo media;
  uint8_t reserved2[4];
};

// One output file and its encoder parameters, copied from a profile.
struct CIOutput {
  char outputFile[kRecordPathSize];
  char FormatName[32];
  int32_t AudioFormat;  // nonzero = audio-only output
  char VideoCodecName[32];
  int32_t Width;
  int32_t Height;
  int32_t FrameRate;
  int32_t VideoBitRate;
  char AudioCodecName[32];
  int32_t SampleRate;
  int32_t Channel;
  int32_t AudioBitRate;
  char ExtraParam[512];
};

// Given to the conversion engine once, before any job.
struct CISetup {
  char workFolder[kRecordPathSize];  // the program's folder, with a trailing separator
  int32_t showPreview;
  int32_t previewWidth;
  int32_t previewHeight;
  FfConvertEvent* events;
};

// Given to I_FfPreview::Open.
struct PreviewOpen {
  FfPreviewEvent* events;
  int32_t cropView;  // 1 = deliver the crop view as well
  int32_t cropViewWidth;
  int32_t cropViewHeight;
  int32_t snapshotWidth;
  int32_t snapshotHeight;
  int32_t viewToBuffer;   // 1 = main view frames go to OnViewFrame; 0 = the engine draws into renderWindow
  char renderWindow[32];  // decimal handle of the window the engine draws into
  uint8_t reserved[32];
  int32_t viewWidth;
  int32_t viewHeight;
  int32_t alwaysOne;
  CIInput input;  // path is the item's source path; clip range already adjusted to what is played
};

static_assert(sizeof(EffectBlock) == 40);
static_assert(offsetof(EffectBlock, volume) == 32);
static_assert(offsetof(CIInput, effects) == 512);
static_assert(offsetof(CIInput, clipStart) == 560);
static_assert(offsetof(CIInput, cropX) == 576);
static_assert(offsetof(CIInput, zoomMode) == 592);
static_assert(sizeof(CIOutput) == 1152);
static_assert(offsetof(CIOutput, FormatName) == 512);
static_assert(offsetof(CIOutput, AudioFormat) == 544);
static_assert(offsetof(CIOutput, VideoCodecName) == 548);
static_assert(offsetof(CIOutput, Width) == 580);
static_assert(offsetof(CIOutput, AudioCodecName) == 596);
static_assert(offsetof(CIOutput, SampleRate) == 628);
static_assert(offsetof(CIOutput, ExtraParam) == 640);
static_assert(offsetof(CISetup, showPreview) == 512);
static_assert(offsetof(CISetup, previewHeight) == 520);

// The native 64-bit layout: each pointer is 8 bytes on an 8-byte boundary, and what follows moves
// with it.
#if UINTPTR_MAX > 0xFFFFFFFFu
static_assert(sizeof(WatermarkBlock) == 32);
static_assert(offsetof(WatermarkBlock, markLeft) == 8);
static_assert(offsetof(WatermarkBlock, markTransparency) == 24);
static_assert(offsetof(CIInput, mark) == 600);
static_assert(offsetof(CIInput, videoId) == 632);
static_assert(offsetof(CIInput, subtitleId) == 640);
static_assert(offsetof(CIInput, media) == 648);
static_assert(offsetof(CIInput, reserved2) == 1920);
static_assert(sizeof(CIInput) == 1928);
static_assert(offsetof(CISetup, events) == 528);
static_assert(sizeof(CISetup) == 536);
static_assert(offsetof(PreviewOpen, cropView) == 8);
static_assert(offsetof(PreviewOpen, viewToBuffer) == 28);
static_assert(offsetof(PreviewOpen, renderWindow) == 32);
static_assert(offsetof(PreviewOpen, reserved) == 64);
static_assert(offsetof(PreviewOpen, viewWidth) == 96);
static_assert(offsetof(PreviewOpen, alwaysOne) == 104);
static_assert(offsetof(PreviewOpen, input) == 112);
static_assert(sizeof(PreviewOpen) == 2040);
#endif
