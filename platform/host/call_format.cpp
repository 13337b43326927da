#include "call_format.h"

#include <ddraw.h>

#include <cinttypes>
#include <cstdio>

namespace qvhost {

namespace {

using plat::trace::Arg;

std::string HexText(uint64_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%" PRIX64, value);
  return buffer;
}

std::string RectText(const RECT& r) {
  return '(' + std::to_string(r.left) + ',' + std::to_string(r.top) + ',' +
         std::to_string(r.right) + ',' + std::to_string(r.bottom) + ')';
}

std::string IidText(const GUID& iid) {
  static const struct {
    const GUID* iid;
    const char* name;
  } kNames[] = {
      {&IID_IUnknown, "IID_IUnknown"},
      {&IID_IDirectDraw, "IID_IDirectDraw"},
      {&IID_IDirectDraw2, "IID_IDirectDraw2"},
      {&IID_IDirectDraw4, "IID_IDirectDraw4"},
      {&IID_IDirectDraw7, "IID_IDirectDraw7"},
      {&IID_IDirectDrawSurface, "IID_IDirectDrawSurface"},
      {&IID_IDirectDrawSurface4, "IID_IDirectDrawSurface4"},
      {&IID_IDirectDrawSurface7, "IID_IDirectDrawSurface7"},
      {&IID_IDirectDrawPalette, "IID_IDirectDrawPalette"},
      {&IID_IDirectDrawClipper, "IID_IDirectDrawClipper"},
  };
  for (const auto& entry : kNames) {
    if (IsEqualGUID(*entry.iid, iid)) return entry.name;
  }
  return "iid:unknown";
}

std::string SurfaceDescText(const DDSURFACEDESC2& desc) {
  std::string s = "{";
  if (desc.dwSize != sizeof(DDSURFACEDESC2)) s += "size=" + std::to_string(desc.dwSize) + ",";
  s += "flags=" + HexText(desc.dwFlags);
  if (desc.dwSize == sizeof(DDSURFACEDESC2)) {
    if (desc.dwFlags & DDSD_CAPS) s += ",caps=" + HexText(desc.ddsCaps.dwCaps);
    if (desc.dwFlags & DDSD_WIDTH) s += ",width=" + std::to_string(desc.dwWidth);
    if (desc.dwFlags & DDSD_HEIGHT) s += ",height=" + std::to_string(desc.dwHeight);
    if (desc.dwFlags & DDSD_BACKBUFFERCOUNT) {
      s += ",backbuffers=" + std::to_string(desc.dwBackBufferCount);
    }
    if (desc.dwFlags & DDSD_PIXELFORMAT) {
      s += ",bpp=" + std::to_string(desc.ddpfPixelFormat.dwRGBBitCount);
    }
    if (desc.dwFlags & DDSD_CKSRCBLT) {
      s += ",ckey=" + HexText(desc.ddckCKSrcBlt.dwColorSpaceLowValue);
    }
  }
  return s + "}";
}

std::string ArgText(const Arg& arg) {
  const void* p = arg.pointer;
  switch (arg.kind) {
    case Arg::Kind::Hex:
      return HexText(static_cast<uint32_t>(arg.number));
    case Arg::Kind::Dec:
      return std::to_string(arg.number);
    case Arg::Kind::Pointer:
      return p ? "ptr" : "null";
    case Arg::Kind::Text:
      return p ? static_cast<const char*>(p) : "null";
    default:
      break;
  }
  if (!p) return "null";
  switch (arg.kind) {
    case Arg::Kind::Rect:
      return RectText(*static_cast<const RECT*>(p));
    case Arg::Kind::Window:
      return "hwnd:" + HexText(reinterpret_cast<uintptr_t>(p));
    case Arg::Kind::Object:
      return std::string(arg.label ? arg.label : "object") + '#' + std::to_string(arg.number);
    case Arg::Kind::Iid:
      return IidText(*static_cast<const GUID*>(p));
    case Arg::Kind::SurfaceDesc:
      return SurfaceDescText(*static_cast<const DDSURFACEDESC2*>(p));
    case Arg::Kind::BltFx: {
      const auto* fx = static_cast<const DDBLTFX*>(p);
      return "{fx=" + HexText(fx->dwDDFX) + ",fill=" + HexText(fx->dwFillColor) + "}";
    }
    case Arg::Kind::ColorKey: {
      const auto* key = static_cast<const DDCOLORKEY*>(p);
      return "{" + HexText(key->dwColorSpaceLowValue) + "," + HexText(key->dwColorSpaceHighValue) +
             "}";
    }
    case Arg::Kind::Caps2:
      return "{caps=" + HexText(static_cast<const DDSCAPS2*>(p)->dwCaps) + "}";
    default:
      return "?";
  }
}

}  // namespace

std::string FormatCall(const plat::trace::Call& call) {
  std::string line = call.name;
  line += '(';
  for (size_t i = 0; i < call.count; ++i) {
    if (i) line += ", ";
    line += ArgText(call.args[i]);
  }
  return line + ')';
}

}  // namespace qvhost
