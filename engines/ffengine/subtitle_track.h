#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engines/ffengine/convert_job.h"
#include "engines/ffengine/ff_handles.h"

namespace ffengine {

// One subtitle stream of an input, read in full before the conversion so that it can be burned into
// the picture. Text subtitles become a script file for libass (written by us, so the renderer opens no
// file of the user's); bitmap subtitles stay as decoded and are painted on demand.
class SubtitleTrack {
 public:
  // Null with the reason logged when the stream cannot be read.
  static std::unique_ptr<SubtitleTrack> Read(const std::string& path, int streamIndex, JobHost& host);
  ~SubtitleTrack();
  SubtitleTrack(const SubtitleTrack&) = delete;
  SubtitleTrack& operator=(const SubtitleTrack&) = delete;

  bool IsText() const { return !scriptPath_.empty(); }
  // Text: the script, times counted from the start of the file.
  const std::string& ScriptPath() const { return scriptPath_; }
  // Bitmap: pictures are drawn for the stream's own frame size, or this one when it names none.
  void DefaultCanvas(int width, int height) {
    if (width_ <= 0 || height_ <= 0) {
      width_ = width;
      height_ = height;
    }
  }
  // Bitmap: the size the pictures are drawn for.
  int CanvasWidth() const { return width_; }
  int CanvasHeight() const { return height_; }
  // Bitmap: the RGBA picture showing at `seconds` from the start of the file (transparent when none);
  // the same frame while the picture does not change.
  const AVFrame* PictureAt(double seconds);

 private:
  struct Event {
    double start = 0;
    double end = 0;
    AVSubtitle subtitle{};
  };
  SubtitleTrack() = default;
  FramePtr Paint(const AVSubtitle* subtitle) const;

  std::string scriptPath_;
  int width_ = 0;
  int height_ = 0;
  std::vector<Event> events_;
  int showing_ = -2;  // index into events_, -1 = none, -2 = nothing painted yet
  FramePtr picture_;
};

// Text for a script line's time: H:MM:SS.cc.
std::string ScriptTime(double seconds);

// The script line for a decoded text subtitle ("ReadOrder,Layer,Style,..."), shown from `start` to
// `end` seconds; empty when the text is not in that form.
std::string DialogueLine(const std::string& decoded, double start, double end);

}  // namespace ffengine
