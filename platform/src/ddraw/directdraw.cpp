// The DirectDraw object, the emulated display it drives, DirectDrawCreate and the device
// enumeration, and the hooks by which focus changes reach the surfaces.
#include <algorithm>
#include <cstring>

#include "core/backend.h"
#include "core/hardware.h"
#include "core/services.h"
#include "ddraw/ddraw_internal.h"
#include "ddraw/entry_args.h"

namespace plat::ddraw {

namespace {

// The display modes the emulated display offers, in the order EnumDisplayModes reports them:
// by depth, then by size.
struct Mode {
  int width;
  int height;
};
const Mode kModes[] = {{320, 200}, {320, 240},  {400, 300},  {512, 384},  {640, 400},  {640, 480},
                       {800, 600}, {1024, 768}, {1152, 864}, {1280, 960}, {1280, 1024}};
const int kDepths[] = {8, 16, 24, 32};
const int kRefreshRate = 60;
const DWORD kVideoMemoryBytes = 32u << 20;

bool ModeListed(DWORD width, DWORD height, DWORD bpp) {
  bool depthOk = false;
  for (int d : kDepths) depthOk = depthOk || static_cast<DWORD>(d) == bpp;
  if (!depthOk) return false;
  for (const Mode& m : kModes) {
    if (static_cast<DWORD>(m.width) == width && static_cast<DWORD>(m.height) == height) return true;
  }
  return false;
}

}  // namespace

void DescribeFormat(const PixelFormat& f, DDPIXELFORMAT* pf) {
  std::memset(pf, 0, sizeof *pf);
  pf->dwSize = sizeof(DDPIXELFORMAT);
  pf->dwFlags = DDPF_RGB | (f.IsPalettized() ? DDPF_PALETTEINDEXED8 : 0);
  pf->dwRGBBitCount = f.bitsPerPixel;
  pf->dwRBitMask = f.redMask;
  pf->dwGBitMask = f.greenMask;
  pf->dwBBitMask = f.blueMask;
}

namespace {

void FillModeDesc(int width, int height, int bpp, bool withRate, DDSURFACEDESC2* desc) {
  std::memset(desc, 0, sizeof *desc);
  desc->dwSize = sizeof(DDSURFACEDESC2);
  desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
  desc->dwWidth = width;
  desc->dwHeight = height;
  PixelFormat f = PixelFormat::ForDepth(bpp);
  desc->lPitch = static_cast<LONG>(((width * f.BytesPerPixel()) + 3) & ~3u);
  desc->dwRefreshRate = withRate ? kRefreshRate : 0;
  DescribeFormat(f, &desc->ddpfPixelFormat);
}

}  // namespace

Display& TheDisplay() {
  static Display display;
  return display;
}

void CurrentMode(int* width, int* height, int* bitsPerPixel) {
  Display& d = TheDisplay();
  if (d.modeSet) {
    *width = d.width;
    *height = d.height;
    *bitsPerPixel = d.bitsPerPixel;
    return;
  }
  CurrentBackend().DesktopMode(width, height, bitsPerPixel);
}

void LoseVideoMemory() {
  for (SurfaceObject* s : TheDisplay().surfaces) {
    if (s->LosesMemory()) s->MarkLost();
  }
}

unsigned NextSerial(int kind) {
  static unsigned counters[4] = {};
  return ++counters[kind];
}

void OnFocusChanged(bool active) {
  Display& d = TheDisplay();
  d.active = active;
  // A full-screen exclusive program that goes to the background gives the display back to the
  // desktop, and with it the memory of its display surfaces.
  if (!active && d.exclusiveOwner) LoseVideoMemory();
}

void LoseAllSurfaces() { LoseVideoMemory(); }

// ---- The DirectDraw object ----------------------------------------------------------------------
DirectDrawObject::DirectDrawObject()
    : ComObject(QV_COM_NAMES("IDirectDraw4")), serial_(NextSerial(kSerialDirectDraw)) {
  TheDisplay().objects.push_back(this);
}

DirectDrawObject::~DirectDrawObject() {
  Display& d = TheDisplay();
  // Giving up the object gives up its exclusive hold on the display and its display mode.
  if (d.exclusiveOwner == this) {
    d.exclusiveOwner = nullptr;
    d.exclusiveWindow = nullptr;
  }
  if (changedMode_ && d.modeSet) {
    d.modeSet = false;
    int w, h, bpp;
    CurrentBackend().DesktopMode(&w, &h, &bpp);
    CurrentBackend().DisplayModeChanged(w, h, bpp, false);
    LoseVideoMemory();
  }
  // Surfaces the program still holds stay usable as plain memory.
  for (SurfaceObject* s : d.surfaces) {
    if (s->Owner() == this) s->Orphan();
  }
  for (OwnerHold* hold : holds_) hold->Forget();
  for (size_t i = 0; i < d.objects.size(); ++i) {
    if (d.objects[i] == this) {
      d.objects.erase(d.objects.begin() + i);
      break;
    }
  }
}

DirectDrawObject* DirectDrawObject::Create() {
  auto* object = new DirectDrawObject();
  object->v1_.Retain();
  object->Drop();  // IDirectDraw4 starts unheld (its count was 1 from construction)
  return object;
}

void DirectDrawObject::InterfaceReleased() {
  if (References() == 0 && v1_.References() == 0) delete this;
}

void DirectDrawObject::RemoveHold(OwnerHold* hold) {
  holds_.erase(std::remove(holds_.begin(), holds_.end(), hold), holds_.end());
}

void OwnerHold::Take(DirectDrawObject* object) {
  GiveBack();
  object_ = object;
  object_->Retain();
  object_->AddHold(this);
}

void OwnerHold::GiveBack() {
  if (!object_) return;
  DirectDrawObject* object = object_;
  object_ = nullptr;
  object->RemoveHold(this);
  object->Drop();  // may be the object's last reference
}

// IDirectDraw and IDirectDraw4 count their references separately, as on Windows.
void DirectDrawObject::RetainInterface(void* iface) {
  if (iface == V1()) {
    v1_.Retain();
  } else {
    Retain();
  }
}

void* DirectDrawObject::Find(REFIID riid) {
  if (IsEqualGUID(riid, IID_IDirectDraw4)) return static_cast<IDirectDraw4*>(this);
  if (IsEqualGUID(riid, IID_IDirectDraw)) return V1();
  return nullptr;
}

HRESULT DirectDrawObject::Compact() {
  QV_ENTRY_OR_RETURN("IDirectDraw4::Compact");
  return Exclusive() ? DD_OK : DDERR_NOEXCLUSIVEMODE;
}

HRESULT DirectDrawObject::CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::CreateClipper", trace::Hex(flags), trace::Ptr(out),
                     trace::Ptr(outer));
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (flags != 0) return DDERR_INVALIDPARAMS;
  *out = new ClipperObject();
  return DD_OK;
}

HRESULT DirectDrawObject::CreatePalette(DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE* out,
                                        IUnknown* outer) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::CreatePalette", trace::Hex(flags), trace::Ptr(table),
                     trace::Ptr(out), trace::Ptr(outer));
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!table) return DDERR_INVALIDPARAMS;
  const DWORD sizeFlags = flags & (DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT);
  int count = 0;
  switch (sizeFlags) {
    case DDPCAPS_1BIT:
      count = 2;
      break;
    case DDPCAPS_2BIT:
      count = 4;
      break;
    case DDPCAPS_4BIT:
      count = 16;
      break;
    case DDPCAPS_8BIT:
      count = 256;
      break;
    default:
      return DDERR_INVALIDPARAMS;  // exactly one palette size
  }
  const DWORD known = DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT |
                      DDPCAPS_8BITENTRIES | DDPCAPS_INITIALIZE | DDPCAPS_PRIMARYSURFACE |
                      DDPCAPS_ALLOW256 | DDPCAPS_VSYNC;
  if (flags & ~known) return DDERR_INVALIDPARAMS;
  if (flags & DDPCAPS_8BITENTRIES) return DDERR_UNSUPPORTED;
  auto* palette = new PaletteObject(flags, count, table);
  palette->HoldCreator(this);  // given back when the palette goes
  *out = palette;
  return DD_OK;
}

HRESULT DirectDrawObject::EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                                           LPDDENUMMODESCALLBACK2 callback) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::EnumDisplayModes", trace::Hex(flags), DescArg(filter),
                     trace::Ptr(context), CallbackArg(callback));
  if (!callback) return DDERR_INVALIDPARAMS;
  if (flags & ~static_cast<DWORD>(DDEDM_REFRESHRATES | DDEDM_STANDARDVGAMODES)) {
    return DDERR_INVALIDPARAMS;
  }
  if (filter && filter->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  const bool withRate = (flags & DDEDM_REFRESHRATES) != 0;
  for (int bpp : kDepths) {
    for (const Mode& m : kModes) {
      if (filter) {
        if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != static_cast<DWORD>(m.width)) {
          continue;
        }
        if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != static_cast<DWORD>(m.height)) {
          continue;
        }
        if ((filter->dwFlags & DDSD_PIXELFORMAT) &&
            filter->ddpfPixelFormat.dwRGBBitCount != static_cast<DWORD>(bpp)) {
          continue;
        }
        if ((filter->dwFlags & DDSD_REFRESHRATE) && filter->dwRefreshRate != 0 &&
            filter->dwRefreshRate != static_cast<DWORD>(kRefreshRate)) {
          continue;
        }
      }
      DDSURFACEDESC2 desc;
      FillModeDesc(m.width, m.height, bpp, withRate, &desc);
      if (callback(&desc, context) == DDENUMRET_CANCEL) return DD_OK;
    }
  }
  return DD_OK;
}

HRESULT DirectDrawObject::FlipToGDISurface() {
  QV_ENTRY_OR_RETURN("IDirectDraw4::FlipToGDISurface");
  if (!Exclusive()) return DDERR_NOTFOUND;
  return DD_OK;
}

HRESULT DirectDrawObject::GetCaps(LPDDCAPS hal, LPDDCAPS hel) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::GetCaps", trace::Ptr(hal), trace::Ptr(hel));
  if (!hal && !hel) return DDERR_INVALIDPARAMS;
  if ((hal && hal->dwSize != sizeof(DDCAPS)) || (hel && hel->dwSize != sizeof(DDCAPS))) {
    return DDERR_INVALIDPARAMS;
  }
  const bool mirror = TheHardware().mirroring;
  const bool video = TheHardware().videoMemory;
  DDCAPS caps;
  std::memset(&caps, 0, sizeof caps);
  caps.dwSize = sizeof caps;
  caps.dwCaps = DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_BLTSTRETCH | DDCAPS_COLORKEY |
                DDCAPS_CANCLIP | DDCAPS_CANCLIPSTRETCHED | DDCAPS_CANBLTSYSMEM | DDCAPS_PALETTE |
                DDCAPS_GDI;
  caps.dwCaps2 = DDCAPS2_CANRENDERWINDOWED | DDCAPS2_FLIPNOVSYNC | DDCAPS2_WIDESURFACES |
                 DDCAPS2_NOPAGELOCKREQUIRED;
  caps.dwCKeyCaps = DDCKEYCAPS_SRCBLT | DDCKEYCAPS_SRCBLTCLRSPACE | DDCKEYCAPS_DESTBLT |
                    DDCKEYCAPS_DESTBLTCLRSPACE;
  caps.dwFXCaps = DDFXCAPS_BLTSTRETCHX | DDFXCAPS_BLTSTRETCHXN | DDFXCAPS_BLTSTRETCHY |
                  DDFXCAPS_BLTSTRETCHYN | DDFXCAPS_BLTSHRINKX | DDFXCAPS_BLTSHRINKXN |
                  DDFXCAPS_BLTSHRINKY | DDFXCAPS_BLTSHRINKYN;
  if (mirror) caps.dwFXCaps |= DDFXCAPS_BLTMIRRORLEFTRIGHT | DDFXCAPS_BLTMIRRORUPDOWN;
  caps.dwPalCaps = DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT |
                   DDPCAPS_PRIMARYSURFACE | DDPCAPS_ALLOW256;
  caps.ddsOldCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP |
                           DDSCAPS_FRONTBUFFER | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PALETTE |
                           DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY;
  caps.dwSVBCaps = caps.dwVSBCaps = caps.dwSSBCaps = caps.dwCaps;
  caps.dwSVBCKeyCaps = caps.dwVSBCKeyCaps = caps.dwSSBCKeyCaps = caps.dwCKeyCaps;
  caps.dwSVBFXCaps = caps.dwVSBFXCaps = caps.dwSSBFXCaps = caps.dwFXCaps;
  // The SRCCOPY raster operation (0xCC) is the one supported.
  caps.dwRops[0xCC / 32] = 1u << (0xCC % 32);
  caps.dwSVBRops[0xCC / 32] = caps.dwVSBRops[0xCC / 32] = caps.dwSSBRops[0xCC / 32] =
      caps.dwRops[0xCC / 32];
  if (hel) {
    // The emulation layer: every blit in software, surfaces in system memory.
    *hel = caps;
    hel->ddsCaps.dwCaps = caps.ddsOldCaps.dwCaps;
  }
  if (hal) {
    *hal = caps;
    if (video) {
      hal->ddsOldCaps.dwCaps |= DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
      hal->dwVidMemTotal = kVideoMemoryBytes;
      hal->dwVidMemFree = kVideoMemoryBytes;
    }
    hal->ddsCaps.dwCaps = hal->ddsOldCaps.dwCaps;
  }
  return DD_OK;
}

HRESULT DirectDrawObject::GetDisplayMode(LPDDSURFACEDESC2 desc) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::GetDisplayMode", trace::Ptr(desc));
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  int w, h, bpp;
  CurrentMode(&w, &h, &bpp);
  FillModeDesc(w, h, bpp, true, desc);
  return DD_OK;
}

HRESULT DirectDrawObject::GetFourCCCodes(LPDWORD count, LPDWORD codes) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::GetFourCCCodes", trace::Ptr(count), trace::Ptr(codes));
  if (!count) return DDERR_INVALIDPARAMS;
  *count = 0;
  return DD_OK;
}

HRESULT DirectDrawObject::GetMonitorFrequency(LPDWORD frequency) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::GetMonitorFrequency", trace::Ptr(frequency));
  if (!frequency) return DDERR_INVALIDPARAMS;
  *frequency = kRefreshRate;
  return DD_OK;
}

HRESULT DirectDrawObject::GetScanLine(LPDWORD line) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::GetScanLine", trace::Ptr(line));
  if (!line) return DDERR_INVALIDPARAMS;
  *line = 0;
  return CurrentBackend().InVerticalBlank() ? DDERR_VERTICALBLANKINPROGRESS : DD_OK;
}

HRESULT DirectDrawObject::GetVerticalBlankStatus(BOOL* inBlank) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::GetVerticalBlankStatus", trace::Ptr(inBlank));
  if (!inBlank) return DDERR_INVALIDPARAMS;
  *inBlank = CurrentBackend().InVerticalBlank() ? TRUE : FALSE;
  return DD_OK;
}

HRESULT DirectDrawObject::Initialize(GUID* guid) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::Initialize", trace::Ptr(guid));
  return DDERR_ALREADYINITIALIZED;
}

HRESULT DirectDrawObject::RestoreDisplayMode() {
  QV_ENTRY_OR_RETURN("IDirectDraw4::RestoreDisplayMode");
  Display& d = TheDisplay();
  if (d.exclusiveOwner && d.exclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
  GiveBackDisplayMode();
  return DD_OK;
}

void DirectDrawObject::GiveBackDisplayMode() {
  Display& d = TheDisplay();
  if (!changedMode_ || !d.modeSet) return;
  changedMode_ = false;
  int oldW = d.width, oldH = d.height, oldBpp = d.bitsPerPixel;
  d.modeSet = false;
  int w, h, bpp;
  CurrentBackend().DesktopMode(&w, &h, &bpp);
  CurrentBackend().DisplayModeChanged(w, h, bpp, false);
  if (w != oldW || h != oldH || bpp != oldBpp) {
    LoseVideoMemory();
    user::OnDisplayChanged(w, h, bpp);
  }
}

HRESULT DirectDrawObject::SetCooperativeLevel(HWND window, DWORD flags) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::SetCooperativeLevel", trace::Wnd(window), trace::Hex(flags));
  const DWORD known = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES | DDSCL_NORMAL |
                      DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX | DDSCL_SETFOCUSWINDOW |
                      DDSCL_SETDEVICEWINDOW | DDSCL_CREATEDEVICEWINDOW | DDSCL_MULTITHREADED |
                      DDSCL_FPUSETUP | DDSCL_FPUPRESERVE;
  if (flags & ~known) return DDERR_INVALIDPARAMS;
  const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
  const bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
  const bool normal = (flags & DDSCL_NORMAL) != 0;
  // The focus or device window alone may be named without a level.
  if ((flags & (DDSCL_SETFOCUSWINDOW | DDSCL_SETDEVICEWINDOW)) && !exclusive && !normal &&
      !fullScreen) {
    if (window && !IsWindow(window)) return DDERR_INVALIDPARAMS;
    window_ = window;
    return DD_OK;
  }
  // Exactly one level: normal, or full-screen and exclusive together.
  if (normal == (exclusive || fullScreen)) return DDERR_INVALIDPARAMS;
  if (exclusive != fullScreen) return DDERR_INVALIDPARAMS;
  if ((flags & DDSCL_ALLOWMODEX) && !exclusive) return DDERR_INVALIDPARAMS;
  Display& d = TheDisplay();
  if (exclusive) {
    if (!window || !IsWindow(window)) return DDERR_INVALIDPARAMS;
    // One object holds exclusive mode at a time, whichever window the next one names. (Wine
    // hands it over instead; no test that runs on Windows shows which is right, and the SDK
    // gives this result for the request.)
    if (d.exclusiveOwner && d.exclusiveOwner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
    d.exclusiveOwner = this;
    d.exclusiveWindow = window;
  } else {
    if (window && !IsWindow(window)) return DDERR_INVALIDPARAMS;
    if (d.exclusiveOwner == this) {
      // Leaving exclusive mode gives the display back to the desktop.
      d.exclusiveOwner = nullptr;
      d.exclusiveWindow = nullptr;
      GiveBackDisplayMode();
    }
  }
  if (primary_) primary_->SetFullScreen(exclusive);
  window_ = window;
  cooperativeSet_ = true;
  return DD_OK;
}

HRESULT DirectDrawObject::SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refresh,
                                         DWORD flags) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::SetDisplayMode", trace::Dec(width), trace::Dec(height),
                     trace::Dec(bpp), trace::Dec(refresh), trace::Hex(flags));
  if (flags & ~static_cast<DWORD>(DDSDM_STANDARDVGAMODE)) return DDERR_INVALIDPARAMS;
  // Another object's exclusive hold on the display comes first.
  Display& d = TheDisplay();
  if (d.exclusiveOwner && d.exclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
  if (!cooperativeSet_) return DDERR_NOCOOPERATIVELEVELSET;
  if (!ModeListed(width, height, bpp)) return DDERR_INVALIDMODE;
  if (refresh != 0 && refresh != static_cast<DWORD>(kRefreshRate)) return DDERR_INVALIDMODE;
  int oldW, oldH, oldBpp;
  CurrentMode(&oldW, &oldH, &oldBpp);
  d.modeSet = true;
  d.width = static_cast<int>(width);
  d.height = static_cast<int>(height);
  d.bitsPerPixel = static_cast<int>(bpp);
  changedMode_ = true;
  CurrentBackend().DisplayModeChanged(d.width, d.height, d.bitsPerPixel, Exclusive());
  if (oldW != d.width || oldH != d.height || oldBpp != d.bitsPerPixel) LoseVideoMemory();
  // The exclusive window covers the new screen exactly, as on Windows (Wine's ddraw4.c,
  // test_coop_level_mode_set: GetWindowRect gives (0, 0, width, height) after the change, then
  // the window receives WM_DISPLAYCHANGE).
  if (Exclusive() && d.exclusiveWindow && IsWindow(d.exclusiveWindow)) {
    SetWindowPos(d.exclusiveWindow, nullptr, 0, 0, d.width, d.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (oldW != d.width || oldH != d.height || oldBpp != d.bitsPerPixel) {
    user::OnDisplayChanged(d.width, d.height, d.bitsPerPixel);
  }
  return DD_OK;
}

HRESULT DirectDrawObject::WaitForVerticalBlank(DWORD flags, HANDLE event) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::WaitForVerticalBlank", trace::Hex(flags), trace::Ptr(event));
  switch (flags) {
    case DDWAITVB_BLOCKBEGIN:
      CurrentBackend().WaitForVerticalBlank();
      return DD_OK;
    case DDWAITVB_BLOCKEND:
      // The blank ends right after it begins on the emulated display.
      CurrentBackend().WaitForVerticalBlank();
      return DD_OK;
    case DDWAITVB_BLOCKBEGINEVENT:
      return DDERR_UNSUPPORTED;
    default:
      return DDERR_INVALIDPARAMS;
  }
}

HRESULT DirectDrawObject::DuplicateSurface(LPDIRECTDRAWSURFACE4 surface,
                                           LPDIRECTDRAWSURFACE4* out) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::DuplicateSurface",
                     SurfaceArg(static_cast<SurfaceObject*>(surface)), trace::Ptr(out));
  if (!surface || !out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  return DDERR_CANTDUPLICATE;
}

HRESULT DirectDrawObject::EnumSurfaces(DWORD flags, LPDDSURFACEDESC2 desc, LPVOID context,
                                       LPDDENUMSURFACESCALLBACK2 callback) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::EnumSurfaces", trace::Hex(flags), DescArg(desc),
                     trace::Ptr(context), CallbackArg(callback));
  if (!callback) return DDERR_INVALIDPARAMS;
  return DDERR_UNSUPPORTED;
}

HRESULT DirectDrawObject::GetGDISurface(LPDIRECTDRAWSURFACE4* out) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::GetGDISurface", trace::Ptr(out));
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!primary_) return DDERR_NOTFOUND;
  primary_->Retain();
  *out = primary_;
  return DD_OK;
}

HRESULT DirectDrawObject::GetAvailableVidMem(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::GetAvailableVidMem", CapsArg(caps), trace::Ptr(total),
                     trace::Ptr(free));
  if (!caps || (!total && !free)) return DDERR_INVALIDPARAMS;
  const DWORD bytes = TheHardware().videoMemory ? kVideoMemoryBytes : 0;
  if (total) *total = bytes;
  if (free) *free = bytes;
  return DD_OK;
}

HRESULT DirectDrawObject::GetSurfaceFromDC(HDC hdc, LPDIRECTDRAWSURFACE4* out) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::GetSurfaceFromDC", trace::Ptr(hdc), trace::Ptr(out));
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!hdc) return DDERR_INVALIDPARAMS;
  for (SurfaceObject* s : TheDisplay().surfaces) {
    if (s->Owner() == this && s->CurrentDC() == hdc) {
      s->Retain();
      *out = s;
      return DD_OK;
    }
  }
  return DDERR_NOTFOUND;
}

HRESULT DirectDrawObject::RestoreAllSurfaces() {
  QV_ENTRY_OR_RETURN("IDirectDraw4::RestoreAllSurfaces");
  std::vector<SurfaceObject*> mine;
  for (SurfaceObject* s : TheDisplay().surfaces) {
    if (s->Owner() == this && s->Lost()) mine.push_back(s);
  }
  for (SurfaceObject* s : mine) {
    HRESULT hr = s->Restore();
    if (hr != DD_OK && hr != DDERR_IMPLICITLYCREATED) return hr;
  }
  return DD_OK;
}

HRESULT DirectDrawObject::TestCooperativeLevel() {
  QV_ENTRY_OR_RETURN("IDirectDraw4::TestCooperativeLevel");
  Display& d = TheDisplay();
  if (d.exclusiveOwner == this) return d.active ? DD_OK : DDERR_NOEXCLUSIVEMODE;
  if (d.exclusiveOwner) return DDERR_EXCLUSIVEMODEALREADYSET;
  return DD_OK;
}

HRESULT DirectDrawObject::GetDeviceIdentifier(LPDDDEVICEIDENTIFIER id, DWORD flags) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::GetDeviceIdentifier", trace::Ptr(id), trace::Hex(flags));
  if (!id || (flags & ~static_cast<DWORD>(DDGDI_GETHOSTIDENTIFIER))) return DDERR_INVALIDPARAMS;
  std::memset(id, 0, sizeof *id);
  std::strcpy(id->szDriver, "display");
  std::strcpy(id->szDescription, "Primary Display Driver");
  return DD_OK;
}

}  // namespace plat::ddraw

extern "C" {

HRESULT WINAPI DirectDrawCreate(GUID* lpGUID, LPDIRECTDRAW* lplpDD, IUnknown* pUnkOuter) {
  // DDCREATE_EMULATIONONLY and DDCREATE_HARDWAREONLY are passed as small values in place of
  // a GUID address.
  const uintptr_t special = reinterpret_cast<uintptr_t>(lpGUID);
  const bool flagValue = special == DDCREATE_EMULATIONONLY || special == DDCREATE_HARDWAREONLY;
  // Cleared first, so that a call answered at its entry leaves no pointer behind either.
  if (lplpDD) *lplpDD = nullptr;
  QV_ENTRY_OR_RETURN(
      "DirectDrawCreate",
      flagValue ? plat::trace::Hex(static_cast<uint32_t>(special)) : plat::trace::Ptr(lpGUID),
      plat::trace::Ptr(lplpDD), plat::trace::Ptr(pUnkOuter));
  if (!lplpDD) return DDERR_INVALIDPARAMS;
  if (pUnkOuter) return CLASS_E_NOAGGREGATION;
  if (lpGUID && !flagValue && !IsEqualGUID(*lpGUID, GUID_NULL)) return DDERR_INVALIDDIRECTDRAWGUID;
  *lplpDD = plat::ddraw::DirectDrawObject::Create()->V1();
  return DD_OK;
}

HRESULT WINAPI DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA lpCallback, LPVOID lpContext,
                                      DWORD dwFlags) {
  QV_ENTRY_OR_RETURN("DirectDrawEnumerateExA", plat::ddraw::CallbackArg(lpCallback),
                     plat::trace::Ptr(lpContext), plat::trace::Hex(dwFlags));
  if (!lpCallback) return DDERR_INVALIDPARAMS;
  const DWORD known =
      DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES;
  if (dwFlags & ~known) return DDERR_INVALIDPARAMS;
  // One display device: the primary display driver, reported without a GUID.
  char description[] = "Primary Display Driver";
  char name[] = "display";
  lpCallback(nullptr, description, name, lpContext, nullptr);
  return DD_OK;
}

HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA lpCallback, LPVOID lpContext) {
  QV_ENTRY_OR_RETURN("DirectDrawEnumerateA", plat::ddraw::CallbackArg(lpCallback),
                     plat::trace::Ptr(lpContext));
  if (!lpCallback) return DDERR_INVALIDPARAMS;
  char description[] = "Primary Display Driver";
  char name[] = "display";
  lpCallback(nullptr, description, name, lpContext);
  return DD_OK;
}

}  // extern "C"
