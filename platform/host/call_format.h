// The call log's lines, formatted from the arguments an entry line hands the call hook.
//
// Line format, one line per call, in call order:
//
//   Interface::Method(arg, arg, ...)
//
// - Interface::Method for COM methods (IDirectDraw4::CreateSurface); functions log under their
//   own names (DirectDrawCreate, CreateWindowExA). A method without arguments logs "()".
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
#ifndef QV_PLATFORM_HOST_CALL_FORMAT_H
#define QV_PLATFORM_HOST_CALL_FORMAT_H

#include <string>

#include "core/trace.h"

namespace qvhost {

std::string FormatCall(const plat::trace::Call& call);

}  // namespace qvhost

#endif
