#include <atomic>
#include <cstdio>

#include "platform/render_surface.h"
#include "plug/plug_table.h"
#include "tests/platform_surface/second_copy.h"

namespace {

class SecondCopySurfaces final : public I_SecondCopySurfaces {
 public:
  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++references_; }
  void Release() override {
    if (--references_ == 0) {
      delete this;
    }
  }

  QWidget* MakeSurface(char (&handle)[32]) override {
    auto* surface = new platform::RenderSurface;
    std::snprintf(handle, sizeof handle, "%s", surface->Handle().toLatin1().constData());
    return surface;
  }

 private:
  std::atomic<int32_t> references_{1};
};

const AutoReg kRegistrar(kSecondCopySurfacesName,
                         [] { return static_cast<I_Plug*>(new SecondCopySurfaces); });

}  // namespace
