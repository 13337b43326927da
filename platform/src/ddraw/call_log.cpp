#include "ddraw/call_log.h"

#include <cstdio>

#include "core/host_state.h"

namespace plat::ddraw {

namespace {

std::string Format(const char* format, uint64_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, static_cast<unsigned long long>(value));
  return buffer;
}

std::string HexText(uint32_t value) { return Format("0x%llX", value); }

}  // namespace

CallLine::CallLine(const char* iface, const char* method) {
  line_ = iface;
  if (method && *method) {
    line_ += "::";
    line_ += method;
  }
  line_ += '(';
}

void CallLine::Next() {
  if (!first_) line_ += ", ";
  first_ = false;
}

CallLine& CallLine::Hex(uint32_t value) {
  Next();
  line_ += HexText(value);
  return *this;
}

CallLine& CallLine::Dec(int64_t value) {
  Next();
  line_ += std::to_string(value);
  return *this;
}

CallLine& CallLine::Rect(const RECT* rect) {
  Next();
  if (!rect) {
    line_ += "null";
    return *this;
  }
  line_ += '(' + std::to_string(rect->left) + ',' + std::to_string(rect->top) + ',' +
           std::to_string(rect->right) + ',' + std::to_string(rect->bottom) + ')';
  return *this;
}

CallLine& CallLine::Ptr(const void* pointer) {
  Next();
  line_ += pointer ? "ptr" : "null";
  return *this;
}

CallLine& CallLine::Window(HWND window) {
  Next();
  if (!window) {
    line_ += "null";
  } else {
    line_ += "hwnd:" + Format("0x%llX", reinterpret_cast<uintptr_t>(window));
  }
  return *this;
}

CallLine& CallLine::Object(const void* pointer, const char* kind, unsigned serial) {
  Next();
  if (!pointer) {
    line_ += "null";
  } else {
    line_ += kind;
    line_ += '#';
    line_ += std::to_string(serial);
  }
  return *this;
}

CallLine& CallLine::Text(const std::string& text) {
  Next();
  line_ += text;
  return *this;
}

CallLine& CallLine::Iid(const GUID& iid) {
  static const struct {
    const GUID* iid;
    const char* name;
  } kNames[] = {
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
  Next();
  for (const auto& entry : kNames) {
    if (IsEqualGUID(*entry.iid, iid)) {
      line_ += entry.name;
      return *this;
    }
  }
  static const GUID kUnknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  line_ += IsEqualGUID(kUnknown, iid) ? "IID_IUnknown" : "iid:unknown";
  return *this;
}

CallLine& CallLine::SurfaceDesc(const DDSURFACEDESC2* desc) {
  Next();
  if (!desc) {
    line_ += "null";
    return *this;
  }
  std::string s = "{";
  if (desc->dwSize != sizeof(DDSURFACEDESC2)) s += "size=" + std::to_string(desc->dwSize) + ",";
  s += "flags=" + HexText(desc->dwFlags);
  if (desc->dwSize == sizeof(DDSURFACEDESC2)) {
    if (desc->dwFlags & DDSD_CAPS) s += ",caps=" + HexText(desc->ddsCaps.dwCaps);
    if (desc->dwFlags & DDSD_WIDTH) s += ",width=" + std::to_string(desc->dwWidth);
    if (desc->dwFlags & DDSD_HEIGHT) s += ",height=" + std::to_string(desc->dwHeight);
    if (desc->dwFlags & DDSD_BACKBUFFERCOUNT) {
      s += ",backbuffers=" + std::to_string(desc->dwBackBufferCount);
    }
    if (desc->dwFlags & DDSD_PIXELFORMAT) {
      s += ",bpp=" + std::to_string(desc->ddpfPixelFormat.dwRGBBitCount);
    }
    if (desc->dwFlags & DDSD_CKSRCBLT) {
      s += ",ckey=" + HexText(desc->ddckCKSrcBlt.dwColorSpaceLowValue);
    }
  }
  line_ += s + "}";
  return *this;
}

CallLine& CallLine::BltFx(const DDBLTFX* fx) {
  Next();
  if (!fx) {
    line_ += "null";
    return *this;
  }
  line_ += "{fx=" + HexText(fx->dwDDFX) + ",fill=" + HexText(fx->dwFillColor) + "}";
  return *this;
}

CallLine& CallLine::ColorKey(const DDCOLORKEY* key) {
  Next();
  if (!key) {
    line_ += "null";
    return *this;
  }
  line_ +=
      "{" + HexText(key->dwColorSpaceLowValue) + "," + HexText(key->dwColorSpaceHighValue) + "}";
  return *this;
}

CallLine& CallLine::Caps2(const DDSCAPS2* caps) {
  Next();
  if (!caps) {
    line_ += "null";
    return *this;
  }
  line_ += "{caps=" + HexText(caps->dwCaps) + "}";
  return *this;
}

void CallLine::Emit() {
  line_ += ')';
  host::LogCall(std::move(line_));
}

}  // namespace plat::ddraw
