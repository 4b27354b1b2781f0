#pragma once

#include <cstdint>

#include "components/engine_records.h"
#include "plug/i_plug.h"

// The preview engine's event sink, implemented by whoever opens a preview. The engine calls it from
// its playback thread, so an implementation takes its own locks. Pixels are 24-bit rows of the size
// the open record asked for; `size` is their byte count. Texts are UTF-8.
class FfPreviewEvent {
 public:
  virtual void OnSnapshotFrame(const void* pixels, int32_t size) = 0;
  virtual void OnCropFrame(const void* pixels, int32_t size) = 0;
  virtual void OnViewFrame(const void* pixels, int32_t size) = 0;
  virtual void OnLog(const char* text) = 0;
  virtual void OnInfo(int32_t first, int32_t second, int32_t third) = 0;
  virtual void OnNotify(int32_t first, int32_t second) = 0;

 protected:
  ~FfPreviewEvent() = default;
};

// The media engine, registered as "FfPreview": probes files and plays them for preview. One instance
// per use. Paths are UTF-8. No operation throws; failures are results.
class I_FfPreview : public I_Plug {
 public:
  // Never called; keeps the operations after it in their slots.
  virtual void Reserved1() = 0;
  // Starts playback of record->input; false leaves nothing running. The record is read during the
  // call only, except for the texts its watermark block points at.
  virtual bool Open(const PreviewOpen* record) = 0;
  virtual void Play() = 0;
  virtual void Pause() = 0;
  // Ends playback; the caller releases the instance afterwards.
  virtual void Close() = 0;
  virtual void Seek(int32_t seconds) = 0;
  // Shows the next frame and stays paused.
  virtual void StepFrame() = 0;
  // 0 while playing normally, with *seconds the position; any other value: ended or failed.
  virtual int32_t GetPosition(double* seconds) = 0;
  // Asks for one full-size frame, delivered through OnSnapshotFrame; false: none will come.
  virtual bool Snapshot() = 0;
  // Never called; keeps the operations after it in their slots.
  virtual void Reserved2() = 0;
  // Kept rectangle in source pixels and the zoom mode 0..3.
  virtual void SetCrop(int32_t x, int32_t y, int32_t width, int32_t height, int32_t zoomMode) = 0;
  virtual void SetEffects(const EffectBlock* effects) = 0;
  virtual void SetWatermark(const WatermarkBlock* mark) = 0;
  // Fills a zero-filled *info from the file at `path`; false when it is not a media file this engine
  // reads (the record's content is then unspecified).
  //
  // Stream ids: the zero-based position of the stream in the file as the FFmpeg demuxer lists it
  // (AVStream::index), which the conversion and preview engines open under the same rules and so find
  // at the same position; -1 = none. A cover picture is not a video stream.
  virtual bool Probe(const char* path, MediaInfo* info) = 0;
  // Size of a picture file (JPEG, JPEG 2000, PNG, BMP, GIF, TIFF, TGA); false leaves the outputs as
  // they were.
  virtual bool GetImageSize(const char* path, int32_t* width, int32_t* height) = 0;

 protected:
  ~I_FfPreview() = default;
};

inline constexpr char kFfPreviewName[] = "FfPreview";
