#pragma once

#include <cstdint>

#include "plug/i_plug.h"

// Where the preview engine draws when it is given a window instead of a buffer (PreviewOpen with
// viewToBuffer 0). A window of the program registers a surface under a handle text; the engine hands
// each frame to the surface of the handle its open record names. The engine links no window toolkit,
// so it reaches the surfaces through this component, registered by the program as "RenderSurface".
class I_RenderSurface : public I_Plug {
 public:
  // Copies one frame into the surface named `handle` (decimal text, as PreviewOpen::renderWindow
  // carries it) and asks its window to repaint; the painting happens later on the window's thread.
  // `bgr` holds `height` rows of `width` pixels, 3 bytes each (blue, green, red), top-down, `stride`
  // bytes apart. Callable from any thread. False when no surface has that handle (the window is gone)
  // or the frame is unusable; nothing is kept of `bgr` after the call.
  virtual bool Present(const char* handle, const uint8_t* bgr, int32_t width, int32_t height,
                       int32_t stride) = 0;

 protected:
  ~I_RenderSurface() = default;
};

inline constexpr char kRenderSurfaceName[] = "RenderSurface";
