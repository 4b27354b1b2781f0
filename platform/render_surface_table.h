#pragma once

#include <QImage>
#include <cstdint>

#include "components/i_render_surface.h"

namespace platform {

// Where the table delivers a surface's frames: implemented by the surface widget.
class SurfaceFrameStore {
 public:
  // Keeps `frame` as the newest picture and asks for a repaint. Called on the presenting thread; the
  // table holds the store's entry locked for the whole call, which is what lets the widget's
  // destructor wait for it.
  virtual void TakeFrame(QImage frame) = 0;

 protected:
  ~SurfaceFrameStore() = default;
};

// The component registered as "RenderSurface": the engine presents through it, and the surface
// widgets join and leave it. Two copies of this code can live in one process (a program linking the
// platform library and a module carrying its own); widgets reach the table through the component
// table rather than through a static of their own copy, so that every widget and every engine meet in
// the one table whose registration came first. The widget's copy reaches these operations by a
// static_cast of the created component, which is sound because both copies are built from this one
// declaration and so lay out the same virtual table.
class RenderSurfaceTable : public I_RenderSurface {
 public:
  // Lists `store` under a fresh handle: never 0 and never given out twice by this copy of the code.
  // 0 when it cannot be listed.
  virtual uint64_t Add(SurfaceFrameStore* store) = 0;
  // Unlists a handle. Once this returns no Present is running inside the store and none will reach it.
  virtual void Remove(uint64_t handle) = 0;

 protected:
  ~RenderSurfaceTable() = default;
};

// The factory of "RenderSurface": one more reference to this copy's table, which is made on first use
// and goes with its last reference.
I_Plug* CreateRenderSurfaceTable();

// A handle for a widget that found no table: counted down from the top of the range, where no table
// ever gets to, so Present never finds it.
uint64_t UnlistedSurfaceHandle();

}  // namespace platform
