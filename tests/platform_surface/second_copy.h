#pragma once

#include <QWidget>

#include "plug/i_plug.h"

// The test module's component: it makes surface widgets with the module's own copy of the platform
// code, as the user-interface module does beside a program that links the platform library itself.
class I_SecondCopySurfaces : public I_Plug {
 public:
  // A new surface widget owned by the caller; `handle` receives its handle text.
  virtual QWidget* MakeSurface(char (&handle)[32]) = 0;

 protected:
  ~I_SecondCopySurfaces() = default;
};

inline constexpr char kSecondCopySurfacesName[] = "SecondCopySurfaces";
