// DirectDraw's arguments as the entry line of a call shows them: its structures by kind, its
// objects by kind and serial number.
#ifndef QV_PLATFORM_DDRAW_ENTRY_ARGS_H
#define QV_PLATFORM_DDRAW_ENTRY_ARGS_H

#include "core/trace.h"
#include "ddraw/ddraw_internal.h"

namespace plat::ddraw {

inline trace::Arg DescArg(const DDSURFACEDESC2* desc) {
  return trace::Described(trace::Arg::Kind::SurfaceDesc, desc);
}
inline trace::Arg FxArg(const DDBLTFX* fx) { return trace::Described(trace::Arg::Kind::BltFx, fx); }
inline trace::Arg KeyArg(const DDCOLORKEY* key) {
  return trace::Described(trace::Arg::Kind::ColorKey, key);
}
inline trace::Arg CapsArg(const DDSCAPS2* caps) {
  return trace::Described(trace::Arg::Kind::Caps2, caps);
}
inline trace::Arg SurfaceArg(const SurfaceObject* s) {
  return trace::Object(s, "surface", s ? s->serial() : 0);
}
inline trace::Arg PaletteArg(const PaletteObject* p) {
  return trace::Object(p, "palette", p ? p->serial() : 0);
}
inline trace::Arg ClipperArg(const ClipperObject* c) {
  return trace::Object(c, "clipper", c ? c->serial() : 0);
}
// A callback shows as a pointer: null or not.
template <typename Function>
trace::Arg CallbackArg(Function* callback) {
  return trace::Ptr(reinterpret_cast<const void*>(callback));
}

}  // namespace plat::ddraw

#endif
