// Compiled with -m32 only: the engine records keep the exact 32-bit layout separately built engines
// were made for, byte for byte.
#include <cstddef>

#include "components/engine_records.h"
#include "components/i_edit.h"
#include "components/i_ff_converter.h"
#include "components/i_ff_preview.h"

static_assert(sizeof(void*) == 4, "build this check with -m32");

// MediaInfo and its stream tables.
static_assert(sizeof(AudioStreamEntry) == 90);
static_assert(offsetof(AudioStreamEntry, id) == 0);
static_assert(offsetof(AudioStreamEntry, sampleRate) == 4);
static_assert(offsetof(AudioStreamEntry, unused) == 8);
static_assert(offsetof(AudioStreamEntry, channels) == 12);
static_assert(offsetof(AudioStreamEntry, codec) == 44);
static_assert(offsetof(AudioStreamEntry, tag) == 80);
static_assert(sizeof(SubtitleStreamEntry) == 14);
static_assert(offsetof(SubtitleStreamEntry, id) == 0);
static_assert(offsetof(SubtitleStreamEntry, tag) == 4);

static_assert(sizeof(MediaInfo) == 1268);
static_assert(offsetof(MediaInfo, duration) == 0);
static_assert(offsetof(MediaInfo, videoCount) == 8);
static_assert(offsetof(MediaInfo, unused1) == 12);
static_assert(offsetof(MediaInfo, videoStreamId) == 16);
static_assert(offsetof(MediaInfo, width) == 20);
static_assert(offsetof(MediaInfo, height) == 24);
static_assert(offsetof(MediaInfo, aspectNum) == 28);
static_assert(offsetof(MediaInfo, aspectDen) == 32);
static_assert(offsetof(MediaInfo, unused2) == 36);
static_assert(offsetof(MediaInfo, frameRateNum) == 44);
static_assert(offsetof(MediaInfo, frameRateDen) == 48);
static_assert(offsetof(MediaInfo, videoCodec) == 52);
static_assert(offsetof(MediaInfo, interlaced) == 88);
static_assert(offsetof(MediaInfo, audioCount) == 92);
static_assert(offsetof(MediaInfo, audioStreams) == 96);
static_assert(offsetof(MediaInfo, audioStreams[1]) == 186);  // packed: not on a 4-byte boundary
static_assert(offsetof(MediaInfo, audioStreams[7]) == 726);
static_assert(offsetof(MediaInfo, subtitleCount) == 816);
static_assert(offsetof(MediaInfo, subtitleStreams) == 820);
static_assert(offsetof(MediaInfo, subtitleStreams[31]) == 1254);

// CIInput with its effect and watermark blocks.
static_assert(sizeof(CIInput) == 1904);
static_assert(offsetof(CIInput, path) == 0);
static_assert(offsetof(CIInput, effects) == 512);
static_assert(offsetof(CIInput, effects.brightness) == 512);
static_assert(offsetof(CIInput, effects.contrast) == 520);
static_assert(offsetof(CIInput, effects.reserved) == 528);
static_assert(offsetof(CIInput, effects.saturation) == 536);
static_assert(offsetof(CIInput, effects.volume) == 544);
static_assert(offsetof(CIInput, effects.deinterlace) == 548);
static_assert(sizeof(EffectBlock) == 40);
static_assert(offsetof(CIInput, reserved1) == 552);
static_assert(offsetof(CIInput, clipStart) == 560);
static_assert(offsetof(CIInput, clipLength) == 568);
static_assert(offsetof(CIInput, cropX) == 576);
static_assert(offsetof(CIInput, cropY) == 580);
static_assert(offsetof(CIInput, cropWidth) == 584);
static_assert(offsetof(CIInput, cropHeight) == 588);
static_assert(offsetof(CIInput, zoomMode) == 592);
static_assert(offsetof(CIInput, mark) == 596);
static_assert(offsetof(CIInput, mark.markFile) == 596);
static_assert(offsetof(CIInput, mark.markLeft) == 600);
static_assert(offsetof(CIInput, mark.markTop) == 604);
static_assert(offsetof(CIInput, mark.markWidth) == 608);
static_assert(offsetof(CIInput, mark.markHeight) == 612);
static_assert(offsetof(CIInput, mark.markTransparency) == 616);
static_assert(sizeof(WatermarkBlock) == 24);
static_assert(offsetof(CIInput, videoId) == 620);
static_assert(offsetof(CIInput, audioId) == 624);
static_assert(offsetof(CIInput, subtitleId) == 628);
static_assert(offsetof(CIInput, media) == 632);
static_assert(offsetof(CIInput, reserved2) == 1900);

// CIOutput.
static_assert(sizeof(CIOutput) == 1152);
static_assert(offsetof(CIOutput, outputFile) == 0);
static_assert(offsetof(CIOutput, FormatName) == 512);
static_assert(offsetof(CIOutput, AudioFormat) == 544);
static_assert(offsetof(CIOutput, VideoCodecName) == 548);
static_assert(offsetof(CIOutput, Width) == 580);
static_assert(offsetof(CIOutput, Height) == 584);
static_assert(offsetof(CIOutput, FrameRate) == 588);
static_assert(offsetof(CIOutput, VideoBitRate) == 592);
static_assert(offsetof(CIOutput, AudioCodecName) == 596);
static_assert(offsetof(CIOutput, SampleRate) == 628);
static_assert(offsetof(CIOutput, Channel) == 632);
static_assert(offsetof(CIOutput, AudioBitRate) == 636);
static_assert(offsetof(CIOutput, ExtraParam) == 640);

// CISetup.
static_assert(sizeof(CISetup) == 528);
static_assert(offsetof(CISetup, workFolder) == 0);
static_assert(offsetof(CISetup, showPreview) == 512);
static_assert(offsetof(CISetup, previewWidth) == 516);
static_assert(offsetof(CISetup, previewHeight) == 520);
static_assert(offsetof(CISetup, events) == 524);

// PreviewOpen.
static_assert(sizeof(PreviewOpen) == 2008);
static_assert(offsetof(PreviewOpen, events) == 0);
static_assert(offsetof(PreviewOpen, cropView) == 4);
static_assert(offsetof(PreviewOpen, cropViewWidth) == 8);
static_assert(offsetof(PreviewOpen, cropViewHeight) == 12);
static_assert(offsetof(PreviewOpen, snapshotWidth) == 16);
static_assert(offsetof(PreviewOpen, snapshotHeight) == 20);
static_assert(offsetof(PreviewOpen, viewToBuffer) == 24);
static_assert(offsetof(PreviewOpen, renderWindow) == 28);
static_assert(offsetof(PreviewOpen, reserved) == 60);
static_assert(offsetof(PreviewOpen, viewWidth) == 92);
static_assert(offsetof(PreviewOpen, viewHeight) == 96);
static_assert(offsetof(PreviewOpen, alwaysOne) == 100);
static_assert(offsetof(PreviewOpen, input) == 104);
static_assert(offsetof(PreviewOpen, input.media) == 736);
