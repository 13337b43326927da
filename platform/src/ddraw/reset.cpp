// DirectDraw's part of the platform's reset (core/reset.h).
#include "core/reset.h"
#include "ddraw/ddraw_internal.h"

namespace plat::ddraw {

void DirectDrawObject::LeaveDisplay() {
  changedMode_ = false;  // its release must not undo a later program's mode
  primary_ = nullptr;
}

void ResetDisplay() {
  Display& d = TheDisplay();
  // The display goes back to the desktop, and display and video memory with it.
  LoseVideoMemory();
  // Surfaces and objects the program still holds stay usable as plain memory, as when their
  // DirectDraw object is released, and no longer count against the display's memory.
  for (SurfaceObject* s : d.surfaces) s->Orphan();
  for (DirectDrawObject* o : d.objects) o->LeaveDisplay();
  d = Display();
}

}  // namespace plat::ddraw
