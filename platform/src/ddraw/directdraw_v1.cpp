#include "ddraw/directdraw_v1.h"

#include <cstring>

#include "ddraw/ddraw_internal.h"
#include "ddraw/entry_args.h"

namespace plat::ddraw {

namespace {

// The mode fields the two descriptions share.
template <typename From, typename To>
void CopyModeFields(const From& from, To* to) {
  std::memset(to, 0, sizeof *to);
  to->dwSize = sizeof *to;
  to->dwFlags = from.dwFlags;
  to->dwWidth = from.dwWidth;
  to->dwHeight = from.dwHeight;
  to->lPitch = from.lPitch;
  to->dwRefreshRate = from.dwRefreshRate;
  to->ddpfPixelFormat = from.ddpfPixelFormat;
}

struct V1ModeContext {
  LPDDENUMMODESCALLBACK callback;
  LPVOID context;
};

HRESULT CALLBACK ForwardModeToV1(LPDDSURFACEDESC2 desc2, LPVOID context) {
  auto* c = static_cast<V1ModeContext*>(context);
  DDSURFACEDESC desc;
  CopyModeFields(*desc2, &desc);
  return c->callback(&desc, c->context);
}

}  // namespace

HRESULT DirectDrawV1::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (ppvObj) *ppvObj = nullptr;
  QV_ENTRY_OR_RETURN("IDirectDraw::QueryInterface", trace::Iid(riid), trace::Ptr(ppvObj));
  return o_.QueryInterface(riid, ppvObj);
}

ULONG DirectDrawV1::AddRef() {
  QV_ENTRY_OR_RETURN("IDirectDraw::AddRef");
  return ++refs_;
}

ULONG DirectDrawV1::Release() {
  QV_ENTRY_OR_RETURN("IDirectDraw::Release");
  if (refs_ == 0) return 0;
  const ULONG left = --refs_;
  if (left == 0) o_.InterfaceReleased();
  return left;
}

HRESULT DirectDrawV1::Compact() {
  QV_ENTRY_OR_RETURN("IDirectDraw::Compact");
  return o_.Compact();
}

HRESULT DirectDrawV1::CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) {
  QV_ENTRY_OR_RETURN("IDirectDraw::CreateClipper", trace::Hex(flags), trace::Ptr(out),
                     trace::Ptr(outer));
  return o_.CreateClipper(flags, out, outer);
}

HRESULT DirectDrawV1::CreatePalette(DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE* out,
                                    IUnknown* outer) {
  QV_ENTRY_OR_RETURN("IDirectDraw::CreatePalette", trace::Hex(flags), trace::Ptr(table),
                     trace::Ptr(out), trace::Ptr(outer));
  if (out) *out = nullptr;
  const HRESULT made = o_.CreatePalette(flags, table, out, outer);
  // A palette made through IDirectDraw holds no reference on the object.
  if (made == DD_OK && out && *out) static_cast<PaletteObject*>(*out)->GiveBackCreator();
  return made;
}

// Surfaces are served through IDirectDraw4 only.
HRESULT DirectDrawV1::CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown*) {
  QV_ENTRY_OR_RETURN("IDirectDraw::CreateSurface", trace::Ptr(desc), trace::Ptr(out));
  return DDERR_UNSUPPORTED;
}

HRESULT DirectDrawV1::DuplicateSurface(LPDIRECTDRAWSURFACE surface, LPDIRECTDRAWSURFACE* out) {
  QV_ENTRY_OR_RETURN("IDirectDraw::DuplicateSurface", trace::Ptr(surface), trace::Ptr(out));
  return DDERR_UNSUPPORTED;
}

HRESULT DirectDrawV1::EnumSurfaces(DWORD, LPDDSURFACEDESC desc, LPVOID context,
                                   LPDDENUMSURFACESCALLBACK) {
  QV_ENTRY_OR_RETURN("IDirectDraw::EnumSurfaces", trace::Ptr(desc), trace::Ptr(context));
  return DDERR_UNSUPPORTED;
}

HRESULT DirectDrawV1::GetGDISurface(LPDIRECTDRAWSURFACE* out) {
  QV_ENTRY_OR_RETURN("IDirectDraw::GetGDISurface", trace::Ptr(out));
  return DDERR_UNSUPPORTED;
}

HRESULT DirectDrawV1::EnumDisplayModes(DWORD flags, LPDDSURFACEDESC filter, LPVOID context,
                                       LPDDENUMMODESCALLBACK callback) {
  QV_ENTRY_OR_RETURN("IDirectDraw::EnumDisplayModes", trace::Hex(flags), trace::Ptr(filter),
                     trace::Ptr(context), CallbackArg(callback));
  DDSURFACEDESC2 filter2;
  if (filter) {
    if (filter->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    CopyModeFields(*filter, &filter2);
  }
  LPDDSURFACEDESC2 filterPtr = filter ? &filter2 : nullptr;
  if (!callback) return o_.EnumDisplayModes(flags, filterPtr, context, nullptr);
  V1ModeContext c{callback, context};
  return o_.EnumDisplayModes(flags, filterPtr, &c, ForwardModeToV1);
}

HRESULT DirectDrawV1::FlipToGDISurface() {
  QV_ENTRY_OR_RETURN("IDirectDraw::FlipToGDISurface");
  return o_.FlipToGDISurface();
}

HRESULT DirectDrawV1::GetCaps(LPDDCAPS hal, LPDDCAPS hel) {
  QV_ENTRY_OR_RETURN("IDirectDraw::GetCaps", trace::Ptr(hal), trace::Ptr(hel));
  return o_.GetCaps(hal, hel);
}

HRESULT DirectDrawV1::GetDisplayMode(LPDDSURFACEDESC desc) {
  QV_ENTRY_OR_RETURN("IDirectDraw::GetDisplayMode", trace::Ptr(desc));
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  DDSURFACEDESC2 desc2;
  desc2.dwSize = sizeof desc2;
  const HRESULT hr = o_.GetDisplayMode(&desc2);
  if (hr == DD_OK) CopyModeFields(desc2, desc);
  return hr;
}

HRESULT DirectDrawV1::GetFourCCCodes(LPDWORD count, LPDWORD codes) {
  QV_ENTRY_OR_RETURN("IDirectDraw::GetFourCCCodes", trace::Ptr(count), trace::Ptr(codes));
  return o_.GetFourCCCodes(count, codes);
}

HRESULT DirectDrawV1::GetMonitorFrequency(LPDWORD frequency) {
  QV_ENTRY_OR_RETURN("IDirectDraw::GetMonitorFrequency", trace::Ptr(frequency));
  return o_.GetMonitorFrequency(frequency);
}

HRESULT DirectDrawV1::GetScanLine(LPDWORD line) {
  QV_ENTRY_OR_RETURN("IDirectDraw::GetScanLine", trace::Ptr(line));
  return o_.GetScanLine(line);
}

HRESULT DirectDrawV1::GetVerticalBlankStatus(BOOL* inBlank) {
  QV_ENTRY_OR_RETURN("IDirectDraw::GetVerticalBlankStatus", trace::Ptr(inBlank));
  return o_.GetVerticalBlankStatus(inBlank);
}

HRESULT DirectDrawV1::Initialize(GUID* guid) {
  QV_ENTRY_OR_RETURN("IDirectDraw::Initialize", trace::Ptr(guid));
  return o_.Initialize(guid);
}

HRESULT DirectDrawV1::RestoreDisplayMode() {
  QV_ENTRY_OR_RETURN("IDirectDraw::RestoreDisplayMode");
  return o_.RestoreDisplayMode();
}

HRESULT DirectDrawV1::SetCooperativeLevel(HWND window, DWORD flags) {
  QV_ENTRY_OR_RETURN("IDirectDraw::SetCooperativeLevel", trace::Wnd(window), trace::Hex(flags));
  return o_.SetCooperativeLevel(window, flags);
}

HRESULT DirectDrawV1::SetDisplayMode(DWORD width, DWORD height, DWORD bpp) {
  QV_ENTRY_OR_RETURN("IDirectDraw::SetDisplayMode", trace::Dec(width), trace::Dec(height),
                     trace::Dec(bpp));
  return o_.SetDisplayMode(width, height, bpp, 0, 0);
}

HRESULT DirectDrawV1::WaitForVerticalBlank(DWORD flags, HANDLE event) {
  QV_ENTRY_OR_RETURN("IDirectDraw::WaitForVerticalBlank", trace::Hex(flags), trace::Ptr(event));
  return o_.WaitForVerticalBlank(flags, event);
}

}  // namespace plat::ddraw
