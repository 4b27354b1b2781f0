#pragma once

#include <cstdint>
#include <string>

#include "components/engine_records.h"

// What an item's watermark is made from. Module-internal: the engines see only the watermark block of
// CIInput, whose markFile designates this record's markFile text (or is null).
struct WatermarkInfo {
  bool enabled = false;
  int32_t type = 0;  // 1 text, 2 picture, 0 none chosen yet
  std::u16string text;
  std::string font;  // the editor's text form of the font; empty = the default font
  std::u16string textImage;
  std::u16string picture;
  std::string markFile;  // UTF-8: what the engines use; empty for none
  int32_t refWidth = 0;  // frame in whose pixels CIInput's watermark rectangle is measured
  int32_t refHeight = 0;
};

// An item's edit state: its input record and its watermark.
//
// input.mark.markFile must designate watermark.markFile, so a copy cannot keep the pointer it copied:
// that would leave the copy pointing into the original, and once the original changed or went away
// an engine would read a dangling text. Copying re-points it at the copy's own text, keeping only
// whether it was set.
struct SingleTaskView {
  CIInput input{};
  WatermarkInfo watermark;

  SingleTaskView() = default;
  SingleTaskView(const SingleTaskView& other) : input(other.input), watermark(other.watermark) {
    RepointMarkFile();
  }
  SingleTaskView& operator=(const SingleTaskView& other) {
    if (this != &other) {
      input = other.input;
      watermark = other.watermark;
      RepointMarkFile();
    }
    return *this;
  }

  // Re-establishes the link after watermark.markFile was assigned: a set pointer is made to designate
  // the current text; a null one stays null.
  void RepointMarkFile() {
    if (input.mark.markFile != nullptr) {
      input.mark.markFile = watermark.markFile.c_str();
    }
  }
};
