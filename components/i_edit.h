#pragma once

#include <cstdint>

#include "plug/i_plug.h"

// The picture component, registered as "Edit": converts snapshots and renders watermark texts. Texts
// and paths are UTF-16, NUL-terminated. No operation throws; failures are results.
class I_Edit : public I_Plug {
 public:
  // Never called; keep the operations after them in their slots.
  virtual void Reserved1() = 0;
  virtual void Reserved2() = 0;
  virtual void Reserved3() = 0;
  // Writes the picture at `path` in the picture type `type` ("jpeg", "gif", ...) next to it, with the
  // extension replaced by the type.
  virtual bool ConvertImage(const char16_t* path, const char16_t* type) = 0;
  // Draws `text` into the picture file `path`. `font` is the platform's font description (the text
  // form QFont::toString writes); `colour` is 0xRRGGBB. True when the file was written.
  virtual bool RenderText(const char16_t* text, const char16_t* path, const char16_t* font,
                          uint32_t colour) = 0;

 protected:
  ~I_Edit() = default;
};

inline constexpr char kEditName[] = "Edit";
