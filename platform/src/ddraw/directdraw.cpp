// The DirectDraw object, the emulated display it drives, DirectDrawCreate and the device
// enumeration, and the hooks by which focus changes reach the surfaces.
#include <cstring>
#include <string>

#include "core/backend.h"
#include "core/host_state.h"
#include "core/services.h"
#include "ddraw/call_log.h"
#include "ddraw/ddraw_internal.h"

namespace plat::ddraw {

namespace {

const GUID kIidUnknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

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

bool CheckFault(const std::string& name, HRESULT* result) {
  *result = host::TakeFault(name.c_str());
  return *result != S_OK;
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

// ---- IDirectDraw: the first interface, forwarding to the shared implementation ----------------
class DirectDrawObject::V1Interface : public IDirectDraw {
 public:
  explicit V1Interface(DirectDrawObject* o) : o_(o) {}
  STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override {
    return o_->DoQueryInterface(kName, riid, ppvObj);
  }
  STDMETHOD_(ULONG, AddRef)() override { return o_->DoAddRef(kName); }
  STDMETHOD_(ULONG, Release)() override { return o_->DoRelease(kName); }
  STDMETHOD(Compact)() override { return o_->DoCompact(kName); }
  STDMETHOD(CreateClipper)(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) override {
    return o_->DoCreateClipper(kName, flags, out, outer);
  }
  STDMETHOD(CreatePalette)
  (DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE* out, IUnknown* outer) override {
    return o_->DoCreatePalette(kName, flags, table, out, outer);
  }
  // Surfaces are served through IDirectDraw4 only.
  STDMETHOD(CreateSurface)(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown*) override {
    return Unsupported("CreateSurface", desc, out);
  }
  STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE surface, LPDIRECTDRAWSURFACE* out) override {
    return Unsupported("DuplicateSurface", surface, out);
  }
  STDMETHOD(EnumDisplayModes)
  (DWORD flags, LPDDSURFACEDESC filter, LPVOID context, LPDDENUMMODESCALLBACK callback) override;
  STDMETHOD(EnumSurfaces)
  (DWORD, LPDDSURFACEDESC desc, LPVOID context, LPDDENUMSURFACESCALLBACK) override {
    return Unsupported("EnumSurfaces", desc, context);
  }
  STDMETHOD(FlipToGDISurface)() override { return o_->DoFlipToGDISurface(kName); }
  STDMETHOD(GetCaps)(LPDDCAPS hal, LPDDCAPS hel) override { return o_->DoGetCaps(kName, hal, hel); }
  STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC desc) override;
  STDMETHOD(GetFourCCCodes)(LPDWORD count, LPDWORD codes) override {
    return o_->DoGetFourCCCodes(kName, count, codes);
  }
  STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE* out) override {
    return Unsupported("GetGDISurface", out, nullptr);
  }
  STDMETHOD(GetMonitorFrequency)(LPDWORD frequency) override {
    return o_->DoGetMonitorFrequency(kName, frequency);
  }
  STDMETHOD(GetScanLine)(LPDWORD line) override { return o_->DoGetScanLine(kName, line); }
  STDMETHOD(GetVerticalBlankStatus)(BOOL* inBlank) override {
    return o_->DoGetVerticalBlankStatus(kName, inBlank);
  }
  STDMETHOD(Initialize)(GUID* guid) override { return o_->DoInitialize(kName, guid); }
  STDMETHOD(RestoreDisplayMode)() override { return o_->DoRestoreDisplayMode(kName); }
  STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override {
    return o_->DoSetCooperativeLevel(kName, window, flags);
  }
  STDMETHOD(SetDisplayMode)(DWORD width, DWORD height, DWORD bpp) override {
    return o_->DoSetDisplayMode(kName, width, height, bpp, 0, 0);
  }
  STDMETHOD(WaitForVerticalBlank)(DWORD flags, HANDLE event) override {
    return o_->DoWaitForVerticalBlank(kName, flags, event);
  }

 private:
  static constexpr const char* kName = "IDirectDraw";
  HRESULT Unsupported(const char* method, const void* a, const void* b) {
    if (host::CallLogEnabled()) CallLine(kName, method).Ptr(a).Ptr(b).Emit();
    HRESULT fault;
    if (CheckFault(std::string(kName) + "::" + method, &fault)) return fault;
    return DDERR_UNSUPPORTED;
  }
  DirectDrawObject* o_;
};

namespace {
struct V1ModeContext {
  LPDDENUMMODESCALLBACK callback;
  LPVOID context;
};

HRESULT CALLBACK ForwardModeToV1(LPDDSURFACEDESC2 desc2, LPVOID context) {
  auto* c = static_cast<V1ModeContext*>(context);
  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = desc2->dwFlags;
  desc.dwWidth = desc2->dwWidth;
  desc.dwHeight = desc2->dwHeight;
  desc.lPitch = desc2->lPitch;
  desc.dwRefreshRate = desc2->dwRefreshRate;
  desc.ddpfPixelFormat = desc2->ddpfPixelFormat;
  return c->callback(&desc, c->context);
}
}  // namespace

HRESULT DirectDrawObject::V1Interface::EnumDisplayModes(DWORD flags, LPDDSURFACEDESC filter,
                                                        LPVOID context,
                                                        LPDDENUMMODESCALLBACK callback) {
  DDSURFACEDESC2 filter2;
  DDSURFACEDESC2* filterPtr = nullptr;
  if (filter) {
    if (filter->dwSize != sizeof(DDSURFACEDESC)) {
      if (host::CallLogEnabled()) {
        CallLine(kName, "EnumDisplayModes")
            .Hex(flags)
            .Ptr(filter)
            .Ptr(context)
            .Ptr(reinterpret_cast<const void*>(callback))
            .Emit();
      }
      return DDERR_INVALIDPARAMS;
    }
    std::memset(&filter2, 0, sizeof filter2);
    filter2.dwSize = sizeof filter2;
    filter2.dwFlags = filter->dwFlags;
    filter2.dwWidth = filter->dwWidth;
    filter2.dwHeight = filter->dwHeight;
    filter2.dwRefreshRate = filter->dwRefreshRate;
    filter2.ddpfPixelFormat = filter->ddpfPixelFormat;
    filterPtr = &filter2;
  }
  if (!callback) return o_->DoEnumDisplayModes(kName, flags, filterPtr, context, nullptr);
  V1ModeContext c{callback, context};
  return o_->DoEnumDisplayModes(kName, flags, filterPtr, &c, ForwardModeToV1);
}

HRESULT DirectDrawObject::V1Interface::GetDisplayMode(LPDDSURFACEDESC desc) {
  if (desc && desc->dwSize == sizeof(DDSURFACEDESC)) {
    DDSURFACEDESC2 desc2;
    desc2.dwSize = sizeof desc2;
    HRESULT hr = o_->DoGetDisplayMode(kName, &desc2);
    if (hr != DD_OK) return hr;
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = sizeof *desc;
    desc->dwFlags = desc2.dwFlags;
    desc->dwWidth = desc2.dwWidth;
    desc->dwHeight = desc2.dwHeight;
    desc->lPitch = desc2.lPitch;
    desc->dwRefreshRate = desc2.dwRefreshRate;
    desc->ddpfPixelFormat = desc2.ddpfPixelFormat;
    return DD_OK;
  }
  if (host::CallLogEnabled()) CallLine(kName, "GetDisplayMode").Ptr(desc).Emit();
  HRESULT fault;
  if (CheckFault(std::string(kName) + "::GetDisplayMode", &fault)) return fault;
  return DDERR_INVALIDPARAMS;
}

// ---- The DirectDraw object ----------------------------------------------------------------------
DirectDrawObject::DirectDrawObject()
    : serial_(NextSerial(kSerialDirectDraw)), v1_(new V1Interface(this)) {
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
  for (size_t i = 0; i < d.objects.size(); ++i) {
    if (d.objects[i] == this) {
      d.objects.erase(d.objects.begin() + i);
      break;
    }
  }
}

IDirectDraw* DirectDrawObject::V1() { return v1_.get(); }

#define DD_CALL(iface, method) (std::string(iface) + "::" + (method))

HRESULT DirectDrawObject::DoQueryInterface(const char* iface, REFIID riid, LPVOID* ppvObj) {
  if (host::CallLogEnabled()) CallLine(iface, "QueryInterface").Iid(riid).Ptr(ppvObj).Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "QueryInterface"), &fault)) {
    if (ppvObj) *ppvObj = nullptr;
    return fault;
  }
  if (!ppvObj) return DDERR_INVALIDPARAMS;
  if (IsEqualGUID(riid, IID_IDirectDraw4)) {
    *ppvObj = static_cast<IDirectDraw4*>(this);
  } else if (IsEqualGUID(riid, IID_IDirectDraw) || IsEqualGUID(riid, kIidUnknown)) {
    *ppvObj = V1();
  } else {
    *ppvObj = nullptr;
    return E_NOINTERFACE;
  }
  ++refs_;
  return S_OK;
}

ULONG DirectDrawObject::DoAddRef(const char* iface) {
  if (host::CallLogEnabled()) CallLine(iface, "AddRef").Emit();
  return ++refs_;
}

ULONG DirectDrawObject::DoRelease(const char* iface) {
  if (host::CallLogEnabled()) CallLine(iface, "Release").Emit();
  if (refs_ == 0) return 0;
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT DirectDrawObject::DoCompact(const char* iface) {
  if (host::CallLogEnabled()) CallLine(iface, "Compact").Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "Compact"), &fault)) return fault;
  return Exclusive() ? DD_OK : DDERR_NOEXCLUSIVEMODE;
}

HRESULT DirectDrawObject::DoCreateClipper(const char* iface, DWORD flags, LPDIRECTDRAWCLIPPER* out,
                                          IUnknown* outer) {
  if (host::CallLogEnabled()) {
    CallLine(iface, "CreateClipper").Hex(flags).Ptr(out).Ptr(outer).Emit();
  }
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "CreateClipper"), &fault)) return fault;
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (flags != 0) return DDERR_INVALIDPARAMS;
  *out = new ClipperObject();
  return DD_OK;
}

HRESULT DirectDrawObject::DoCreatePalette(const char* iface, DWORD flags, LPPALETTEENTRY table,
                                          LPDIRECTDRAWPALETTE* out, IUnknown* outer) {
  if (host::CallLogEnabled()) {
    CallLine(iface, "CreatePalette").Hex(flags).Ptr(table).Ptr(out).Ptr(outer).Emit();
  }
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "CreatePalette"), &fault)) return fault;
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
  *out = new PaletteObject(flags, count, table);
  return DD_OK;
}

HRESULT DirectDrawObject::DoEnumDisplayModes(const char* iface, DWORD flags,
                                             const DDSURFACEDESC2* filter, LPVOID context,
                                             LPDDENUMMODESCALLBACK2 callback) {
  if (host::CallLogEnabled()) {
    CallLine(iface, "EnumDisplayModes")
        .Hex(flags)
        .SurfaceDesc(filter)
        .Ptr(context)
        .Ptr(reinterpret_cast<const void*>(callback))
        .Emit();
  }
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "EnumDisplayModes"), &fault)) return fault;
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

HRESULT DirectDrawObject::DoFlipToGDISurface(const char* iface) {
  if (host::CallLogEnabled()) CallLine(iface, "FlipToGDISurface").Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "FlipToGDISurface"), &fault)) return fault;
  if (!Exclusive()) return DDERR_NOTFOUND;
  return DD_OK;
}

HRESULT DirectDrawObject::DoGetCaps(const char* iface, LPDDCAPS hal, LPDDCAPS hel) {
  if (host::CallLogEnabled()) CallLine(iface, "GetCaps").Ptr(hal).Ptr(hel).Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "GetCaps"), &fault)) return fault;
  if (!hal && !hel) return DDERR_INVALIDPARAMS;
  if ((hal && hal->dwSize != sizeof(DDCAPS)) || (hel && hel->dwSize != sizeof(DDCAPS))) {
    return DDERR_INVALIDPARAMS;
  }
  const bool mirror = plat::TheHardware().mirroring;
  const bool video = plat::TheHardware().videoMemory;
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

HRESULT DirectDrawObject::DoGetDisplayMode(const char* iface, LPDDSURFACEDESC2 desc) {
  if (host::CallLogEnabled()) CallLine(iface, "GetDisplayMode").Ptr(desc).Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "GetDisplayMode"), &fault)) return fault;
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  int w, h, bpp;
  CurrentMode(&w, &h, &bpp);
  FillModeDesc(w, h, bpp, true, desc);
  return DD_OK;
}

HRESULT DirectDrawObject::DoGetFourCCCodes(const char* iface, LPDWORD count, LPDWORD codes) {
  if (host::CallLogEnabled()) CallLine(iface, "GetFourCCCodes").Ptr(count).Ptr(codes).Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "GetFourCCCodes"), &fault)) return fault;
  if (!count) return DDERR_INVALIDPARAMS;
  *count = 0;
  return DD_OK;
}

HRESULT DirectDrawObject::DoGetMonitorFrequency(const char* iface, LPDWORD frequency) {
  if (host::CallLogEnabled()) CallLine(iface, "GetMonitorFrequency").Ptr(frequency).Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "GetMonitorFrequency"), &fault)) return fault;
  if (!frequency) return DDERR_INVALIDPARAMS;
  *frequency = kRefreshRate;
  return DD_OK;
}

HRESULT DirectDrawObject::DoGetScanLine(const char* iface, LPDWORD line) {
  if (host::CallLogEnabled()) CallLine(iface, "GetScanLine").Ptr(line).Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "GetScanLine"), &fault)) return fault;
  if (!line) return DDERR_INVALIDPARAMS;
  *line = 0;
  return CurrentBackend().InVerticalBlank() ? DDERR_VERTICALBLANKINPROGRESS : DD_OK;
}

HRESULT DirectDrawObject::DoGetVerticalBlankStatus(const char* iface, BOOL* inBlank) {
  if (host::CallLogEnabled()) CallLine(iface, "GetVerticalBlankStatus").Ptr(inBlank).Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "GetVerticalBlankStatus"), &fault)) return fault;
  if (!inBlank) return DDERR_INVALIDPARAMS;
  *inBlank = CurrentBackend().InVerticalBlank() ? TRUE : FALSE;
  return DD_OK;
}

HRESULT DirectDrawObject::DoInitialize(const char* iface, GUID* guid) {
  if (host::CallLogEnabled()) CallLine(iface, "Initialize").Ptr(guid).Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "Initialize"), &fault)) return fault;
  return DDERR_ALREADYINITIALIZED;
}

HRESULT DirectDrawObject::DoRestoreDisplayMode(const char* iface) {
  if (host::CallLogEnabled()) CallLine(iface, "RestoreDisplayMode").Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "RestoreDisplayMode"), &fault)) return fault;
  Display& d = TheDisplay();
  if (d.exclusiveOwner && d.exclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
  if (!changedMode_ || !d.modeSet) return DD_OK;
  changedMode_ = false;
  int oldW = d.width, oldH = d.height, oldBpp = d.bitsPerPixel;
  d.modeSet = false;
  int w, h, bpp;
  CurrentBackend().DesktopMode(&w, &h, &bpp);
  CurrentBackend().DisplayModeChanged(w, h, bpp, false);
  if (w != oldW || h != oldH || bpp != oldBpp) LoseVideoMemory();
  return DD_OK;
}

HRESULT DirectDrawObject::DoSetCooperativeLevel(const char* iface, HWND window, DWORD flags) {
  if (host::CallLogEnabled()) {
    CallLine(iface, "SetCooperativeLevel").Window(window).Hex(flags).Emit();
  }
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "SetCooperativeLevel"), &fault)) return fault;
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
    if (d.exclusiveOwner && d.exclusiveOwner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
    d.exclusiveOwner = this;
    d.exclusiveWindow = window;
  } else {
    if (window && !IsWindow(window)) return DDERR_INVALIDPARAMS;
    if (d.exclusiveOwner == this) {
      // Leaving exclusive mode gives the display back to the desktop.
      d.exclusiveOwner = nullptr;
      d.exclusiveWindow = nullptr;
      if (changedMode_) {
        cooperativeSet_ = true;
        DoRestoreDisplayMode(iface);
      }
    }
  }
  if (primary_) primary_->SetFullScreen(exclusive);
  window_ = window;
  cooperativeSet_ = true;
  return DD_OK;
}

HRESULT DirectDrawObject::DoSetDisplayMode(const char* iface, DWORD width, DWORD height, DWORD bpp,
                                           DWORD refresh, DWORD flags) {
  if (host::CallLogEnabled()) {
    CallLine line(iface, "SetDisplayMode");
    line.Dec(width).Dec(height).Dec(bpp);
    if (std::string(iface) == "IDirectDraw4") line.Dec(refresh).Hex(flags);
    line.Emit();
  }
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "SetDisplayMode"), &fault)) return fault;
  if (flags & ~static_cast<DWORD>(DDSDM_STANDARDVGAMODE)) return DDERR_INVALIDPARAMS;
  if (!cooperativeSet_) return DDERR_NOCOOPERATIVELEVELSET;
  Display& d = TheDisplay();
  if (d.exclusiveOwner && d.exclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
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
  return DD_OK;
}

HRESULT DirectDrawObject::DoWaitForVerticalBlank(const char* iface, DWORD flags, HANDLE event) {
  if (host::CallLogEnabled()) CallLine(iface, "WaitForVerticalBlank").Hex(flags).Ptr(event).Emit();
  HRESULT fault;
  if (CheckFault(DD_CALL(iface, "WaitForVerticalBlank"), &fault)) return fault;
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

// IDirectDraw4 entry points.
static constexpr const char* kDD4 = "IDirectDraw4";

HRESULT DirectDrawObject::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  return DoQueryInterface(kDD4, riid, ppvObj);
}
ULONG DirectDrawObject::AddRef() { return DoAddRef(kDD4); }
ULONG DirectDrawObject::Release() { return DoRelease(kDD4); }
HRESULT DirectDrawObject::Compact() { return DoCompact(kDD4); }
HRESULT DirectDrawObject::CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) {
  return DoCreateClipper(kDD4, flags, out, outer);
}
HRESULT DirectDrawObject::CreatePalette(DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE* out,
                                        IUnknown* outer) {
  return DoCreatePalette(kDD4, flags, table, out, outer);
}
HRESULT DirectDrawObject::EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                                           LPDDENUMMODESCALLBACK2 callback) {
  return DoEnumDisplayModes(kDD4, flags, filter, context, callback);
}
HRESULT DirectDrawObject::FlipToGDISurface() { return DoFlipToGDISurface(kDD4); }
HRESULT DirectDrawObject::GetCaps(LPDDCAPS hal, LPDDCAPS hel) { return DoGetCaps(kDD4, hal, hel); }
HRESULT DirectDrawObject::GetDisplayMode(LPDDSURFACEDESC2 desc) {
  return DoGetDisplayMode(kDD4, desc);
}
HRESULT DirectDrawObject::GetFourCCCodes(LPDWORD count, LPDWORD codes) {
  return DoGetFourCCCodes(kDD4, count, codes);
}
HRESULT DirectDrawObject::GetMonitorFrequency(LPDWORD frequency) {
  return DoGetMonitorFrequency(kDD4, frequency);
}
HRESULT DirectDrawObject::GetScanLine(LPDWORD line) { return DoGetScanLine(kDD4, line); }
HRESULT DirectDrawObject::GetVerticalBlankStatus(BOOL* inBlank) {
  return DoGetVerticalBlankStatus(kDD4, inBlank);
}
HRESULT DirectDrawObject::Initialize(GUID* guid) { return DoInitialize(kDD4, guid); }
HRESULT DirectDrawObject::RestoreDisplayMode() { return DoRestoreDisplayMode(kDD4); }
HRESULT DirectDrawObject::SetCooperativeLevel(HWND window, DWORD flags) {
  return DoSetCooperativeLevel(kDD4, window, flags);
}
HRESULT DirectDrawObject::SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refresh,
                                         DWORD flags) {
  return DoSetDisplayMode(kDD4, width, height, bpp, refresh, flags);
}
HRESULT DirectDrawObject::WaitForVerticalBlank(DWORD flags, HANDLE event) {
  return DoWaitForVerticalBlank(kDD4, flags, event);
}

HRESULT DirectDrawObject::DuplicateSurface(LPDIRECTDRAWSURFACE4 surface,
                                           LPDIRECTDRAWSURFACE4* out) {
  if (host::CallLogEnabled()) {
    CallLine(kDD4, "DuplicateSurface")
        .Object(surface, "surface", surface ? static_cast<SurfaceObject*>(surface)->serial() : 0)
        .Ptr(out)
        .Emit();
  }
  HRESULT fault;
  if (CheckFault("IDirectDraw4::DuplicateSurface", &fault)) return fault;
  if (!surface || !out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  return DDERR_CANTDUPLICATE;
}

HRESULT DirectDrawObject::EnumSurfaces(DWORD flags, LPDDSURFACEDESC2 desc, LPVOID context,
                                       LPDDENUMSURFACESCALLBACK2 callback) {
  if (host::CallLogEnabled()) {
    CallLine(kDD4, "EnumSurfaces")
        .Hex(flags)
        .SurfaceDesc(desc)
        .Ptr(context)
        .Ptr(reinterpret_cast<const void*>(callback))
        .Emit();
  }
  HRESULT fault;
  if (CheckFault("IDirectDraw4::EnumSurfaces", &fault)) return fault;
  if (!callback) return DDERR_INVALIDPARAMS;
  return DDERR_UNSUPPORTED;
}

HRESULT DirectDrawObject::GetGDISurface(LPDIRECTDRAWSURFACE4* out) {
  if (host::CallLogEnabled()) CallLine(kDD4, "GetGDISurface").Ptr(out).Emit();
  HRESULT fault;
  if (CheckFault("IDirectDraw4::GetGDISurface", &fault)) return fault;
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!primary_) return DDERR_NOTFOUND;
  primary_->Retain();
  *out = primary_;
  return DD_OK;
}

HRESULT DirectDrawObject::GetAvailableVidMem(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) {
  if (host::CallLogEnabled()) {
    CallLine(kDD4, "GetAvailableVidMem").Caps2(caps).Ptr(total).Ptr(free).Emit();
  }
  HRESULT fault;
  if (CheckFault("IDirectDraw4::GetAvailableVidMem", &fault)) return fault;
  if (!caps || (!total && !free)) return DDERR_INVALIDPARAMS;
  const DWORD bytes = !plat::TheHardware().videoMemory ? 0 : kVideoMemoryBytes;
  if (total) *total = bytes;
  if (free) *free = bytes;
  return DD_OK;
}

HRESULT DirectDrawObject::GetSurfaceFromDC(HDC hdc, LPDIRECTDRAWSURFACE4* out) {
  if (host::CallLogEnabled()) {
    CallLine(kDD4, "GetSurfaceFromDC").Ptr(hdc).Ptr(out).Emit();
  }
  HRESULT fault;
  if (CheckFault("IDirectDraw4::GetSurfaceFromDC", &fault)) return fault;
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
  if (host::CallLogEnabled()) CallLine(kDD4, "RestoreAllSurfaces").Emit();
  HRESULT fault;
  if (CheckFault("IDirectDraw4::RestoreAllSurfaces", &fault)) return fault;
  std::vector<SurfaceObject*> mine;
  for (SurfaceObject* s : TheDisplay().surfaces) {
    if (s->Owner() == this && s->IsLost() != DD_OK) mine.push_back(s);
  }
  for (SurfaceObject* s : mine) {
    HRESULT hr = s->Restore();
    if (hr != DD_OK && hr != DDERR_IMPLICITLYCREATED) return hr;
  }
  return DD_OK;
}

HRESULT DirectDrawObject::TestCooperativeLevel() {
  if (host::CallLogEnabled()) CallLine(kDD4, "TestCooperativeLevel").Emit();
  HRESULT fault;
  if (CheckFault("IDirectDraw4::TestCooperativeLevel", &fault)) return fault;
  Display& d = TheDisplay();
  if (d.exclusiveOwner == this) return d.active ? DD_OK : DDERR_NOEXCLUSIVEMODE;
  if (d.exclusiveOwner) return DDERR_EXCLUSIVEMODEALREADYSET;
  return DD_OK;
}

HRESULT DirectDrawObject::GetDeviceIdentifier(LPDDDEVICEIDENTIFIER id, DWORD flags) {
  if (host::CallLogEnabled()) CallLine(kDD4, "GetDeviceIdentifier").Ptr(id).Hex(flags).Emit();
  HRESULT fault;
  if (CheckFault("IDirectDraw4::GetDeviceIdentifier", &fault)) return fault;
  if (!id || (flags & ~static_cast<DWORD>(DDGDI_GETHOSTIDENTIFIER))) return DDERR_INVALIDPARAMS;
  std::memset(id, 0, sizeof *id);
  std::strcpy(id->szDriver, "display");
  std::strcpy(id->szDescription, "Primary Display Driver");
  return DD_OK;
}

}  // namespace plat::ddraw

using plat::ddraw::CallLine;

extern "C" {

HRESULT WINAPI DirectDrawCreate(GUID* lpGUID, LPDIRECTDRAW* lplpDD, IUnknown* pUnkOuter) {
  // DDCREATE_EMULATIONONLY and DDCREATE_HARDWAREONLY are passed as small values in place of
  // a GUID address.
  const uintptr_t special = reinterpret_cast<uintptr_t>(lpGUID);
  const bool flagValue = special == DDCREATE_EMULATIONONLY || special == DDCREATE_HARDWAREONLY;
  if (plat::host::CallLogEnabled()) {
    CallLine line("DirectDrawCreate", "");
    if (flagValue) {
      line.Hex(static_cast<uint32_t>(special));
    } else {
      line.Ptr(lpGUID);
    }
    line.Ptr(lplpDD).Ptr(pUnkOuter).Emit();
  }
  HRESULT fault = plat::host::TakeFault("DirectDrawCreate");
  if (fault != S_OK) {
    if (lplpDD) *lplpDD = nullptr;
    return fault;
  }
  if (!lplpDD) return DDERR_INVALIDPARAMS;
  *lplpDD = nullptr;
  if (pUnkOuter) return CLASS_E_NOAGGREGATION;
  if (lpGUID && !flagValue) {
    static const GUID kNull = {};
    if (!IsEqualGUID(*lpGUID, kNull)) return DDERR_INVALIDDIRECTDRAWGUID;
  }
  auto* object = new plat::ddraw::DirectDrawObject();
  *lplpDD = object->V1();
  return DD_OK;
}

HRESULT WINAPI DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA lpCallback, LPVOID lpContext,
                                      DWORD dwFlags) {
  if (plat::host::CallLogEnabled()) {
    CallLine("DirectDrawEnumerateExA", "")
        .Ptr(reinterpret_cast<const void*>(lpCallback))
        .Ptr(lpContext)
        .Hex(dwFlags)
        .Emit();
  }
  HRESULT fault = plat::host::TakeFault("DirectDrawEnumerateExA");
  if (fault != S_OK) return fault;
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
  if (plat::host::CallLogEnabled()) {
    CallLine("DirectDrawEnumerateA", "")
        .Ptr(reinterpret_cast<const void*>(lpCallback))
        .Ptr(lpContext)
        .Emit();
  }
  HRESULT fault = plat::host::TakeFault("DirectDrawEnumerateA");
  if (fault != S_OK) return fault;
  if (!lpCallback) return DDERR_INVALIDPARAMS;
  char description[] = "Primary Display Driver";
  char name[] = "display";
  lpCallback(nullptr, description, name, lpContext);
  return DD_OK;
}

}  // extern "C"
