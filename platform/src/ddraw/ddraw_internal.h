// DirectDraw's objects: the DirectDraw object, surfaces, palettes and clippers, and the
// emulated display they share.
#ifndef QV_PLATFORM_DDRAW_INTERNAL_H
#define QV_PLATFORM_DDRAW_INTERNAL_H

#include <ddraw.h>

#include <memory>
#include <vector>

#include "core/com.h"
#include "core/pixels.h"
#include "core/services.h"
#include "ddraw/blit.h"
#include "ddraw/directdraw_v1.h"
#include "ddraw/shared_pixels.h"

namespace plat::ddraw {

class DirectDrawObject;
class SurfaceObject;
class PaletteObject;
class ClipperObject;

// The emulated display, shared by every DirectDraw object of the program.
struct Display {
  bool active = true;                          // the program has the focus
  DirectDrawObject* exclusiveOwner = nullptr;  // full-screen exclusive cooperative level
  HWND exclusiveWindow = nullptr;
  bool modeSet = false;  // a mode set with SetDisplayMode is in force
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::vector<SurfaceObject*> surfaces;  // every live surface
  std::vector<DirectDrawObject*> objects;
};
Display& TheDisplay();

// Makes every surface that loses its memory (primary, back buffers, video memory) lost.
void LoseVideoMemory();

// Serial numbers for the call log, counted from 1 for each kind of object.
unsigned NextSerial(int kind);
enum SerialKind { kSerialDirectDraw, kSerialSurface, kSerialPalette, kSerialClipper };

// The reference a surface or palette created through IDirectDraw4 holds on that interface,
// given back when the surface or palette goes. A DirectDraw object that goes all the same (a
// program releasing IDirectDraw4 once too often) clears its holds, so that none points at it.
class OwnerHold {
 public:
  OwnerHold() = default;
  OwnerHold(const OwnerHold&) = delete;
  OwnerHold& operator=(const OwnerHold&) = delete;
  ~OwnerHold() { GiveBack(); }
  void Take(DirectDrawObject* object);
  void GiveBack();
  void Forget() { object_ = nullptr; }

 private:
  DirectDrawObject* object_ = nullptr;
};

class PaletteObject : public ComObject<IDirectDrawPalette> {
 public:
  PaletteObject(DWORD caps, int count, const PALETTEENTRY* entries);
  ~PaletteObject() override = default;

  STDMETHOD(GetCaps)(LPDWORD lpdwCaps) override;
  STDMETHOD(GetEntries)
  (DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries, LPPALETTEENTRY lpEntries) override;
  STDMETHOD(Initialize)(LPDIRECTDRAW lpDD, DWORD dwFlags, LPPALETTEENTRY lpDDColorTable) override;
  STDMETHOD(SetEntries)
  (DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount, LPPALETTEENTRY lpEntries) override;

  const PALETTEENTRY* Entries() const { return entries_; }
  unsigned serial() const { return serial_; }
  void HoldCreator(DirectDrawObject* creator) { creator_.Take(creator); }
  void GiveBackCreator() { creator_.GiveBack(); }

 private:
  void* Find(REFIID riid) override;
  unsigned serial_;
  OwnerHold creator_;
  DWORD caps_;
  int count_;
  PALETTEENTRY entries_[256] = {};
};

class ClipperObject : public ComObject<IDirectDrawClipper> {
 public:
  ClipperObject();
  ~ClipperObject() override = default;

  STDMETHOD(GetClipList)(LPRECT lpRect, LPRGNDATA lpClipList, LPDWORD lpdwSize) override;
  STDMETHOD(GetHWnd)(HWND* lphWnd) override;
  STDMETHOD(Initialize)(LPDIRECTDRAW lpDD, DWORD dwFlags) override;
  STDMETHOD(IsClipListChanged)(BOOL* lpbChanged) override;
  STDMETHOD(SetClipList)(LPRGNDATA lpClipList, DWORD dwFlags) override;
  STDMETHOD(SetHWnd)(DWORD dwFlags, HWND hWnd) override;

  // The rectangles to draw in, in the coordinates of a surface of the given size: the window's
  // client area (in screen coordinates on the primary surface, from the origin elsewhere) or
  // the clip list, each cut to the surface. False when the clipper has neither.
  bool Region(bool onPrimary, int width, int height, std::vector<RECT>* rects) const;
  HWND WindowHandle() const { return window_; }
  unsigned serial() const { return serial_; }

 private:
  void* Find(REFIID riid) override;
  unsigned serial_;
  HWND window_ = nullptr;
  std::vector<RECT> list_;
  bool hasList_ = false;
};

class SurfaceObject : public ComObject<IDirectDrawSurface4> {
 public:
  SurfaceObject(DirectDrawObject* owner, int width, int height, const PixelFormat& format,
                DWORD caps, bool losesMemory);
  ~SurfaceObject() override;

  STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE4 lpDDSAttachedSurface) override;
  STDMETHOD(AddOverlayDirtyRect)(LPRECT lpRect) override;
  STDMETHOD(Blt)
  (LPRECT lpDestRect, LPDIRECTDRAWSURFACE4 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
   LPDDBLTFX lpDDBltFx) override;
  STDMETHOD(BltBatch)(LPDDBLTBATCH lpDDBltBatch, DWORD dwCount, DWORD dwFlags) override;
  STDMETHOD(BltFast)
  (DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE4 lpDDSrcSurface, LPRECT lpSrcRect,
   DWORD dwTrans) override;
  STDMETHOD(DeleteAttachedSurface)
  (DWORD dwFlags, LPDIRECTDRAWSURFACE4 lpDDSAttachedSurface) override;
  STDMETHOD(EnumAttachedSurfaces)
  (LPVOID lpContext, LPDDENUMSURFACESCALLBACK2 lpEnumSurfacesCallback) override;
  STDMETHOD(EnumOverlayZOrders)
  (DWORD dwFlags, LPVOID lpContext, LPDDENUMSURFACESCALLBACK2 lpfnCallback) override;
  STDMETHOD(Flip)(LPDIRECTDRAWSURFACE4 lpDDSurfaceTargetOverride, DWORD dwFlags) override;
  STDMETHOD(GetAttachedSurface)
  (LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE4* lplpDDAttachedSurface) override;
  STDMETHOD(GetBltStatus)(DWORD dwFlags) override;
  STDMETHOD(GetCaps)(LPDDSCAPS2 lpDDSCaps) override;
  STDMETHOD(GetClipper)(LPDIRECTDRAWCLIPPER* lplpDDClipper) override;
  STDMETHOD(GetColorKey)(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) override;
  STDMETHOD(GetDC)(HDC* lphDC) override;
  STDMETHOD(GetFlipStatus)(DWORD dwFlags) override;
  STDMETHOD(GetOverlayPosition)(LPLONG lplX, LPLONG lplY) override;
  STDMETHOD(GetPalette)(LPDIRECTDRAWPALETTE* lplpDDPalette) override;
  STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT lpDDPixelFormat) override;
  STDMETHOD(GetSurfaceDesc)(LPDDSURFACEDESC2 lpDDSurfaceDesc) override;
  STDMETHOD(Initialize)(LPDIRECTDRAW lpDD, LPDDSURFACEDESC2 lpDDSurfaceDesc) override;
  STDMETHOD(IsLost)() override;
  STDMETHOD(Lock)
  (LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD dwFlags, HANDLE hEvent) override;
  STDMETHOD(ReleaseDC)(HDC hDC) override;
  STDMETHOD(Restore)() override;
  STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER lpDDClipper) override;
  STDMETHOD(SetColorKey)(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) override;
  STDMETHOD(SetOverlayPosition)(LONG lX, LONG lY) override;
  STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE lpDDPalette) override;
  STDMETHOD(Unlock)(LPRECT lpSurfaceData) override;
  STDMETHOD(UpdateOverlay)
  (LPRECT lpSrcRect, LPDIRECTDRAWSURFACE4 lpDDDestSurface, LPRECT lpDestRect, DWORD dwFlags,
   LPDDOVERLAYFX lpDDOverlayFx) override;
  STDMETHOD(UpdateOverlayDisplay)(DWORD dwFlags) override;
  STDMETHOD(UpdateOverlayZOrder)(DWORD dwFlags, LPDIRECTDRAWSURFACE4 lpDDSReference) override;
  STDMETHOD(GetDDInterface)(LPVOID* lplpDD) override;
  STDMETHOD(PageLock)(DWORD dwFlags) override;
  STDMETHOD(PageUnlock)(DWORD dwFlags) override;
  STDMETHOD(SetSurfaceDesc)(LPDDSURFACEDESC2 lpDDSD, DWORD dwFlags) override;
  STDMETHOD(SetPrivateData)(REFGUID tag, LPVOID pData, DWORD cbSize, DWORD dwFlags) override;
  STDMETHOD(GetPrivateData)(REFGUID tag, LPVOID pBuffer, LPDWORD pcbBufferSize) override;
  STDMETHOD(FreePrivateData)(REFGUID tag) override;
  STDMETHOD(GetUniquenessValue)(LPDWORD pValue) override;
  STDMETHOD(ChangeUniquenessValue)() override;

  // Builds a flipping chain: this surface becomes its front buffer with `backs` behind it.
  void AttachBackBuffers(std::vector<SurfaceObject*> backs);
  // False when the pixel memory could not be had.
  bool HasMemory() const { return bits_ != nullptr; }
  // The pixel memory the surface takes, counted against the display's budget.
  uint64_t MemoryBytes() const { return static_cast<uint64_t>(pitch_) * height_; }
  void SetKeys(const Key& source, const Key& destination) {
    srcKey_ = source;
    dstKey_ = destination;
  }
  void MarkLost();
  bool Lost() const { return lost_; }
  bool LosesMemory() const { return losesMemory_; }
  bool IsPrimary() const { return (caps_ & DDSCAPS_PRIMARYSURFACE) != 0; }
  bool IsFullScreenPrimary() const { return IsPrimary() && fullScreen_; }
  void SetFullScreen(bool fullScreen) { fullScreen_ = fullScreen; }
  DirectDrawObject* Owner() const { return owner_; }
  // Cuts the surface loose from its DirectDraw object (the platform's reset, or the object
  // going). The reference it holds stays until the surface goes.
  void Orphan() { owner_ = nullptr; }
  void HoldCreator(DirectDrawObject* creator) { creator_.Take(creator); }
  HDC CurrentDC() const { return dc_; }
  unsigned serial() const { return serial_; }
  // The surface's memory as blits see it, and with its palette for presenting and for GDI.
  PixelBuffer Pixels() const;
  PixelBuffer Buffer() const;

 private:
  void* Find(REFIID riid) override;
  // Back buffers of a flipping chain live as long as their front buffer.
  void LastReferenceGone() override;
  bool Busy() const { return locked_ || dc_ != nullptr; }
  void FillDesc(DDSURFACEDESC2* desc) const;
  void FillPixelFormat(DDPIXELFORMAT* pf) const;
  uint32_t CutToDepth(uint32_t value) const;
  void FillRestorePattern();
  void Changed() { ++uniqueness_; }
  // Shows the front buffer after a flip or a direct write to the primary surface.
  void PresentIfVisible();
  const PALETTEENTRY* PaletteForPixels() const;
  void DestroyChain();
  SurfaceObject* NextInChain() const;

  unsigned serial_;
  DirectDrawObject* owner_;
  OwnerHold creator_;  // on the front buffer or off-screen surface the program was given
  int width_;
  int height_;
  PixelFormat format_;
  int pitch_;
  // Pixel memory starts on a cache line, so that the vector loops' stores on a surface whose
  // rows are a whole number of lines never straddle two lines.
  struct LineAlignedDelete {
    void operator()(uint8_t* bits) const;
  };
  std::unique_ptr<uint8_t[], LineAlignedDelete> bits_;
  DWORD caps_;
  bool losesMemory_;
  bool fullScreen_ = false;
  bool lost_ = false;
  bool locked_ = false;
  HDC dc_ = nullptr;
  PALETTEENTRY dcColors_[256] = {};  // the colour table dc_ draws with
  Key srcKey_;
  Key dstKey_;
  PaletteObject* palette_ = nullptr;
  ClipperObject* clipper_ = nullptr;
  DWORD uniqueness_ = 1;
  // The opaque runs of this surface as a keyed source, kept while the pixels and the key stay
  // as they were when they were found. They are found on the second keyed use of unchanged
  // pixels, so that a surface written between uses never pays for them.
  const KeyedRuns* RunsFor(const Key& key);
  KeyedRuns runs_;
  bool runsValid_ = false;
  DWORD runsUniqueness_ = 0;
  Key runsKey_;
  DWORD lastKeyedUse_ = 0;
  // The memory a copy from this surface to another reads: for a small surface used as a source
  // twice with the same pixels, the one copy of those pixels it shares with any other surface
  // holding the same (a sprite loaded many times), kept while the pixels stay as they were.
  PixelBuffer PixelsToCopyFrom();
  std::shared_ptr<const SharedPixels> shared_;
  DWORD sharedUniqueness_ = 0;
  DWORD lastSourceUse_ = 0;
  // A colour fill of one rectangle not carried out yet: dropped when an opaque copy covers the
  // rectangle before anything reads the pixels (a frame's clear under its full-screen
  // background), carried out by Settle before anything else reaches them.
  void DeferFill(const RECT& area, uint32_t raw);
  void DropFillUnder(const RECT& covered);
  void Settle();
  bool fillPending_ = false;
  RECT pendingArea_ = {0, 0, 0, 0};
  uint32_t pendingRaw_ = 0;
  // Flipping chain: the front buffer lists its back buffers; each back buffer points to it.
  std::vector<SurfaceObject*> backs_;
  SurfaceObject* front_ = nullptr;
};

class DirectDrawObject : public ComObject<IDirectDraw4> {
 public:
  DirectDrawObject();
  ~DirectDrawObject() override;

  STDMETHOD(Compact)() override;
  STDMETHOD(CreateClipper)
  (DWORD dwFlags, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown* pUnkOuter) override;
  STDMETHOD(CreatePalette)
  (DWORD dwFlags, LPPALETTEENTRY lpColorTable, LPDIRECTDRAWPALETTE* lplpDDPalette,
   IUnknown* pUnkOuter) override;
  STDMETHOD(CreateSurface)
  (LPDDSURFACEDESC2 lpDDSurfaceDesc, LPDIRECTDRAWSURFACE4* lplpDDSurface,
   IUnknown* pUnkOuter) override;
  STDMETHOD(DuplicateSurface)
  (LPDIRECTDRAWSURFACE4 lpDDSurface, LPDIRECTDRAWSURFACE4* lplpDupDDSurface) override;
  STDMETHOD(EnumDisplayModes)
  (DWORD dwFlags, LPDDSURFACEDESC2 lpDDSurfaceDesc, LPVOID lpContext,
   LPDDENUMMODESCALLBACK2 lpEnumModesCallback) override;
  STDMETHOD(EnumSurfaces)
  (DWORD dwFlags, LPDDSURFACEDESC2 lpDDSD, LPVOID lpContext,
   LPDDENUMSURFACESCALLBACK2 lpEnumSurfacesCallback) override;
  STDMETHOD(FlipToGDISurface)() override;
  STDMETHOD(GetCaps)(LPDDCAPS lpDDDriverCaps, LPDDCAPS lpDDHELCaps) override;
  STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC2 lpDDSurfaceDesc) override;
  STDMETHOD(GetFourCCCodes)(LPDWORD lpNumCodes, LPDWORD lpCodes) override;
  STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE4* lplpGDIDDSurface) override;
  STDMETHOD(GetMonitorFrequency)(LPDWORD lpdwFrequency) override;
  STDMETHOD(GetScanLine)(LPDWORD lpdwScanLine) override;
  STDMETHOD(GetVerticalBlankStatus)(BOOL* lpbIsInVB) override;
  STDMETHOD(Initialize)(GUID* lpGUID) override;
  STDMETHOD(RestoreDisplayMode)() override;
  STDMETHOD(SetCooperativeLevel)(HWND hWnd, DWORD dwFlags) override;
  STDMETHOD(SetDisplayMode)
  (DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate, DWORD dwFlags) override;
  STDMETHOD(WaitForVerticalBlank)(DWORD dwFlags, HANDLE hEvent) override;
  STDMETHOD(GetAvailableVidMem)(LPDDSCAPS2 lpDDCaps, LPDWORD lpdwTotal, LPDWORD lpdwFree) override;
  STDMETHOD(GetSurfaceFromDC)(HDC hdc, LPDIRECTDRAWSURFACE4* pSurf) override;
  STDMETHOD(RestoreAllSurfaces)() override;
  STDMETHOD(TestCooperativeLevel)() override;
  STDMETHOD(GetDeviceIdentifier)(LPDDDEVICEIDENTIFIER pDDDI, DWORD dwFlags) override;

  // The object as the first interface, IDirectDraw, which forwards to this one.
  IDirectDraw* V1() { return &v1_; }
  // DirectDrawCreate's object: held once through IDirectDraw, not at all through IDirectDraw4.
  static DirectDrawObject* Create();
  // Called when one of the interfaces' counts reaches zero: the object goes with the last.
  void InterfaceReleased();
  bool Exclusive() const { return TheDisplay().exclusiveOwner == this; }
  HWND Window() const { return window_; }
  bool CooperativeLevelSet() const { return cooperativeSet_; }
  SurfaceObject* Primary() const { return primary_; }
  void PrimaryGone(SurfaceObject* surface) {
    if (primary_ == surface) primary_ = nullptr;
  }
  unsigned serial() const { return serial_; }
  // The platform's reset: forgets the display mode it set and its primary surface.
  void LeaveDisplay();
  void AddHold(OwnerHold* hold) { holds_.push_back(hold); }
  void RemoveHold(OwnerHold* hold);

 private:
  void* Find(REFIID riid) override;
  void LastReferenceGone() override { InterfaceReleased(); }
  void RetainInterface(void* iface) override;
  // Gives the desktop's mode back to the display when this object changed it.
  void GiveBackDisplayMode();
  unsigned serial_;
  DirectDrawV1 v1_{*this};
  bool cooperativeSet_ = false;
  HWND window_ = nullptr;
  bool changedMode_ = false;
  SurfaceObject* primary_ = nullptr;
  std::vector<OwnerHold*> holds_;  // of the surfaces and palettes holding IDirectDraw4
};

// Describes a pixel format as DirectDraw does.
void DescribeFormat(const PixelFormat& format, DDPIXELFORMAT* pf);

// Shows the pixels of a primary surface: the whole display in full-screen mode, the window's
// client area of the desktop otherwise.
void PresentPrimary(const PixelBuffer& primary, bool fullScreen, HWND window);

}  // namespace plat::ddraw

#endif
