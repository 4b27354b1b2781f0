#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/render_surface.h"
#include "plug/plug_ptr.h"
#include "tests/platform_surface/bgr_frame.h"
#include "tests/platform_surface/second_copy.h"

namespace {

using surface_test::Bgr;
using surface_test::PresentFromThread;
using surface_test::Shown;
using surface_test::SolidFrame;

// This program registered the surface table when it started; the module registers its own copy's
// table when loaded, second. Widgets of both copies must still land in the one table the engine gets
// from the component table. The module stays loaded: unloading the later of two registrars of a name
// takes the earlier entry out of the component table, and this program's widgets still need it.
TEST(RenderSurfaceCopies, WidgetOfASecondCopyJoinsTheTableEnginesFind) {
  void* module = dlopen(KV_SECOND_COPY_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  PlugPtr<I_SecondCopySurfaces> secondCopy;
  ASSERT_TRUE(CreateInto(secondCopy, kSecondCopySurfacesName));

  platform::RenderSurface local;
  local.resize(16, 16);
  char remoteHandle[32] = {};
  std::unique_ptr<QWidget> remote(secondCopy->MakeSurface(remoteHandle));
  remote->resize(16, 16);
  ASSERT_NE(remote->metaObject(), &platform::RenderSurface::staticMetaObject)
      << "the module's widget must come from its own copy of the code, or this test proves nothing";
  EXPECT_NE(local.Handle().toStdString(), std::string(remoteHandle));

  PlugPtr<I_RenderSurface> surfaces;
  ASSERT_TRUE(CreateInto(surfaces, kRenderSurfaceName));
  const Bgr red{0, 0, 255};
  const Bgr blue{255, 0, 0};
  EXPECT_TRUE(PresentFromThread(*surfaces, remoteHandle, SolidFrame(16, 16, red)));
  EXPECT_TRUE(PresentFromThread(*surfaces, local.Handle().toStdString(), SolidFrame(16, 16, blue)));
  EXPECT_EQ(Shown(*remote).pixelColor(8, 8), red.Colour());
  EXPECT_EQ(Shown(local).pixelColor(8, 8), blue.Colour());

  remote.reset();
  EXPECT_FALSE(PresentFromThread(*surfaces, remoteHandle, SolidFrame(16, 16, red)));
}

}  // namespace
