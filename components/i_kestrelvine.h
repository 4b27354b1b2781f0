#pragma once

#include <cstdint>

#include "plug/i_plug.h"

// The module object of the user-interface module, registered as "Kestrelvine". The host creates it
// and calls Run once.
class I_Kestrelvine : public I_Plug {
 public:
  // True; nothing else.
  virtual bool QueryReady() = 0;
  // Runs the program until the user closes the main window. `icon` is the path of the product's icon
  // picture (null for the built-in one); `productName` is UTF-8; the reserved texts are not used.
  // True, always, also after an error that was reported to the user.
  virtual bool Run(const char* icon, const char* productName, const char* reserved1, const char* reserved2,
                   const char* reserved3) = 0;
  // The files and folders the program was started with (absolute paths in the file system's encoding);
  // once the main window is open they are added as a drop of them would be. Called before Run, if at
  // all.
  virtual void SetStartupPaths(const char* const* paths, int32_t count) = 0;

 protected:
  ~I_Kestrelvine() = default;
};

inline constexpr char kKestrelvineName[] = "Kestrelvine";
