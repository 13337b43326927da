// IDirectDraw, the first interface of the DirectDraw object: each method opens its own entry
// line and hands the call to the object's IDirectDraw4 method, converting the older structures
// where the two differ. A call through it therefore shows as two lines, this one's and
// IDirectDraw4's. As on Windows, it keeps its own reference count: the object lives while
// either interface is held.
#ifndef QV_PLATFORM_DDRAW_DIRECTDRAW_V1_H
#define QV_PLATFORM_DDRAW_DIRECTDRAW_V1_H

#include <ddraw.h>

namespace plat::ddraw {

class DirectDrawObject;

class DirectDrawV1 final : public IDirectDraw {
 public:
  explicit DirectDrawV1(DirectDrawObject& object) : o_(object) {}

  ULONG References() const { return refs_; }
  void Retain() { ++refs_; }

  STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;
  STDMETHOD(Compact)() override;
  STDMETHOD(CreateClipper)(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) override;
  STDMETHOD(CreatePalette)
  (DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE* out, IUnknown* outer) override;
  STDMETHOD(CreateSurface)(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown*) override;
  STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE surface, LPDIRECTDRAWSURFACE* out) override;
  STDMETHOD(EnumDisplayModes)
  (DWORD flags, LPDDSURFACEDESC filter, LPVOID context, LPDDENUMMODESCALLBACK callback) override;
  STDMETHOD(EnumSurfaces)
  (DWORD, LPDDSURFACEDESC desc, LPVOID context, LPDDENUMSURFACESCALLBACK) override;
  STDMETHOD(FlipToGDISurface)() override;
  STDMETHOD(GetCaps)(LPDDCAPS hal, LPDDCAPS hel) override;
  STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC desc) override;
  STDMETHOD(GetFourCCCodes)(LPDWORD count, LPDWORD codes) override;
  STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE* out) override;
  STDMETHOD(GetMonitorFrequency)(LPDWORD frequency) override;
  STDMETHOD(GetScanLine)(LPDWORD line) override;
  STDMETHOD(GetVerticalBlankStatus)(BOOL* inBlank) override;
  STDMETHOD(Initialize)(GUID* guid) override;
  STDMETHOD(RestoreDisplayMode)() override;
  STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override;
  STDMETHOD(SetDisplayMode)(DWORD width, DWORD height, DWORD bpp) override;
  STDMETHOD(WaitForVerticalBlank)(DWORD flags, HANDLE event) override;

 private:
  DirectDrawObject& o_;
  ULONG refs_ = 0;
};

}  // namespace plat::ddraw

#endif
