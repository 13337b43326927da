// One line of the DirectDraw call log, built argument by argument.
//
// Line format, one line per call, in call order:
//
//   Interface::Method(arg, arg, ...)
//
// - Interface is IDirectDraw, IDirectDraw4, IDirectDrawSurface4, IDirectDrawPalette or
//   IDirectDrawClipper; the free functions log under their own names (DirectDrawCreate,
//   DirectDrawEnumerateExA, DirectDrawEnumerateA). A method without arguments logs "()".
// - Arguments are separated by ", " and given in the method's own order.
// - Flags, capabilities, colours, colour keys and fill values: hexadecimal, "0x" and upper-case
//   digits without leading zeros (printf "0x%X"): 0x1000400, 0x0.
// - Sizes, positions, counts and palette indexes: decimal (printf "%d" / "%u"): 800, -3.
// - Rectangles: "(left,top,right,bottom)" in decimal without spaces: (0,0,800,600).
// - A null pointer of any kind: null.
// - DirectDraw objects: their kind and a serial number counted from 1 in the process, separately
//   for each kind: ddraw#1, surface#3, palette#1, clipper#1.
// - Window handles: "hwnd:" and the handle value in hexadecimal: hwnd:0x10001.
// - Other non-null pointers (out-parameters, callbacks, contexts, entry arrays): ptr.
// - Structures are shown by the fields that matter, in braces, "name=value" separated by ",":
//   DDSURFACEDESC2   {flags=0x21,caps=0x6218,backbuffers=1}; width=, height=, backbuffers=,
//                    bpp= (pixel format bit count) and ckey= (source key) appear only when
//                    their DDSD_ flag is set; a wrong dwSize adds size=N first.
//   DDBLTFX          {fx=0x2,fill=0x5678}
//   DDCOLORKEY       {0x1F,0x1F} (low, high)
//   DDSCAPS2         {caps=0x4}
//   interface ids    IID_IDirectDraw4, IID_IDirectDrawSurface4, ... or iid:unknown
//
// Examples:
//   IDirectDraw4::SetCooperativeLevel(hwnd:0x10001, 0x53)
//   IDirectDraw4::SetDisplayMode(800, 600, 16, 0, 0x0)
//   IDirectDrawSurface4::BltFast(50, 25, surface#4, (0,0,50,30), 0x11)
//   IDirectDrawSurface4::Blt(null, null, null, 0x1000400, {fx=0x0,fill=0x0})
//   IDirectDrawSurface4::Flip(null, 0x1)
#ifndef QV_PLATFORM_DDRAW_CALL_LOG_H
#define QV_PLATFORM_DDRAW_CALL_LOG_H

#include <ddraw.h>

#include <string>

namespace plat::ddraw {

class CallLine {
 public:
  CallLine(const char* iface, const char* method);
  CallLine& Hex(uint32_t value);
  CallLine& Dec(int64_t value);
  CallLine& Rect(const RECT* rect);
  CallLine& Ptr(const void* pointer);
  CallLine& Window(HWND window);
  // A DirectDraw object of a kind ("surface", "palette", ...) by its serial number.
  CallLine& Object(const void* pointer, const char* kind, unsigned serial);
  CallLine& Text(const std::string& text);
  CallLine& Iid(const GUID& iid);
  CallLine& SurfaceDesc(const DDSURFACEDESC2* desc);
  CallLine& BltFx(const DDBLTFX* fx);
  CallLine& ColorKey(const DDCOLORKEY* key);
  CallLine& Caps2(const DDSCAPS2* caps);
  // Appends the line to the host's call log.
  void Emit();

 private:
  void Next();
  std::string line_;
  bool first_ = true;
};

}  // namespace plat::ddraw

#endif
