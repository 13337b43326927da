// IDirectDrawSurface4 and IDirectDraw4::CreateSurface: surface memory, flipping chains, blits,
// locks, device contexts, colour keys and lost surfaces.
#include <algorithm>
#include <cstring>
#include <new>

#include "core/backend.h"
#include "core/gdi_bridge.h"
#include "core/hardware.h"
#include "core/limits.h"
#include "core/overlap_copy.h"
#include "ddraw/ddraw_internal.h"
#include "ddraw/entry_args.h"
#include "ddraw/keyed_select.h"

namespace plat::ddraw {

namespace {

// What all surfaces together may hold: the memory of a machine of the time, and what keeps a
// program that makes many surfaces of a large picture from taking all of this machine's.
constexpr uint64_t kMaxAllSurfacesBytes = 256ull << 20;

constexpr DWORD kSrcCopy = 0x00CC0020;

uint64_t SurfaceMemoryInUse() {
  uint64_t total = 0;
  for (const SurfaceObject* s : TheDisplay().surfaces) total += s->MemoryBytes();
  return total;
}

bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

bool Inside(const RECT& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height;
}

// The caller's rectangle, or the whole of a width x height surface when there is none. Read a
// field at a time: programs fill in a rectangle field by field just before the call, and a
// 16-byte copy read back before those four stores have landed waits for them (the costliest
// step of a small sprite's BltFast).
RECT RectOrWhole(const RECT* rect, int width, int height) {
  if (!rect) return RECT{0, 0, width, height};
  // (Volatile keeps the compiler from joining the four reads into one.)
  const volatile LONG* field = &rect->left;
  return RECT{field[0], field[1], field[2], field[3]};
}

RECT Intersect(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

constexpr size_t kLineBytes = 64;

int Pitch(int width, const PixelFormat& f) {
  return static_cast<int>((static_cast<int64_t>(width) * f.BytesPerPixel() + 3) & ~int64_t{3});
}

// The bits of a raw value that a pixel of the format holds.
uint32_t DepthMask(const PixelFormat& format) {
  const uint32_t bits = format.BytesPerPixel() * 8;
  return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}

SurfaceObject* AsSurface(LPDIRECTDRAWSURFACE4 s) { return static_cast<SurfaceObject*>(s); }

// A pixel format a surface may be created with, from its description.
bool FormatFromDescription(const DDPIXELFORMAT& pf, PixelFormat* out) {
  if (pf.dwFlags & (DDPF_FOURCC | DDPF_YUV | DDPF_ZBUFFER | DDPF_PALETTEINDEXED1 |
                    DDPF_PALETTEINDEXED2 | DDPF_PALETTEINDEXED4)) {
    return false;
  }
  if (pf.dwFlags & DDPF_PALETTEINDEXED8) {
    if (pf.dwRGBBitCount != 8) return false;
    *out = PixelFormat::Indexed8();
    return true;
  }
  if (!(pf.dwFlags & DDPF_RGB)) return false;
  const uint32_t r = pf.dwRBitMask, g = pf.dwGBitMask, b = pf.dwBBitMask;
  switch (pf.dwRGBBitCount) {
    case 16:
      if (r == 0xF800 && g == 0x07E0 && b == 0x001F) {
        *out = PixelFormat::Rgb565();
        return true;
      }
      if (r == 0x7C00 && g == 0x03E0 && b == 0x001F) {
        *out = PixelFormat::Rgb555();
        return true;
      }
      return false;
    case 24:
    case 32:
      if (r != 0xFF0000 || g != 0x00FF00 || b != 0x0000FF) return false;
      *out = pf.dwRGBBitCount == 24 ? PixelFormat::Rgb888() : PixelFormat::Xrgb8888();
      return true;
    default:
      return false;
  }
}

}  // namespace

void PresentPrimary(const PixelBuffer& primary, bool fullScreen, HWND window) {
  if (fullScreen || !window) {
    CurrentBackend().Present(primary);
    return;
  }
  // A window shows its client area of the desktop.
  RECT client;
  if (!GetClientRect(window, &client)) return;
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  RECT area = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  area = Intersect(area, RECT{0, 0, primary.width, primary.height});
  if (Empty(area)) return;
  PixelBuffer part = primary;
  part.bits = primary.bits + static_cast<ptrdiff_t>(area.top) * primary.pitch +
              static_cast<ptrdiff_t>(area.left) * primary.format.BytesPerPixel();
  part.width = area.right - area.left;
  part.height = area.bottom - area.top;
  CurrentBackend().Present(part);
}

// ---- Creation and lifetime ---------------------------------------------------------------------
SurfaceObject::SurfaceObject(DirectDrawObject* owner, int width, int height,
                             const PixelFormat& format, DWORD caps, bool losesMemory)
    : ComObject(QV_COM_NAMES("IDirectDrawSurface4")),
      serial_(NextSerial(kSerialSurface)),
      owner_(owner),
      width_(width),
      height_(height),
      format_(format),
      pitch_(Pitch(width, format)),
      caps_(caps),
      losesMemory_(losesMemory) {
  const size_t bytes = static_cast<size_t>(pitch_) * height_;
  bits_.reset(new (std::align_val_t{kLineBytes}, std::nothrow) uint8_t[bytes]());
  TheDisplay().surfaces.push_back(this);
}

void SurfaceObject::LineAlignedDelete::operator()(uint8_t* bits) const {
  operator delete[](bits, std::align_val_t{kLineBytes});
}

SurfaceObject::~SurfaceObject() {
  if (dc_) gdi::ReleaseDCForPixels(dc_);
  if (palette_) palette_->Drop();
  if (clipper_) clipper_->Drop();
  if (owner_) owner_->PrimaryGone(this);
  auto& all = TheDisplay().surfaces;
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void SurfaceObject::AttachBackBuffers(std::vector<SurfaceObject*> backs) {
  backs_ = std::move(backs);
  for (SurfaceObject* b : backs_) b->front_ = this;
}

void* SurfaceObject::Find(REFIID riid) {
  return IsEqualGUID(riid, IID_IDirectDrawSurface4) ? static_cast<IDirectDrawSurface4*>(this)
                                                    : nullptr;
}

void SurfaceObject::LastReferenceGone() {
  if (front_) return;
  DestroyChain();
  delete this;
}

void SurfaceObject::DestroyChain() {
  for (SurfaceObject* b : backs_) {
    b->front_ = nullptr;
    delete b;
  }
  backs_.clear();
}

PixelBuffer SurfaceObject::Pixels() const {
  PixelBuffer v;
  v.bits = bits_.get();
  v.pitch = pitch_;
  v.width = width_;
  v.height = height_;
  v.format = format_;
  return v;
}

const PALETTEENTRY* SurfaceObject::PaletteForPixels() const {
  if (palette_) return palette_->Entries();
  if (front_ && front_->palette_) return front_->palette_->Entries();
  if (format_.IsPalettized() && owner_ && owner_->Primary() && owner_->Primary()->palette_) {
    return owner_->Primary()->palette_->Entries();
  }
  return nullptr;
}

PixelBuffer SurfaceObject::Buffer() const {
  PixelBuffer b;
  b.bits = bits_.get();
  b.width = width_;
  b.height = height_;
  b.pitch = pitch_;
  b.format = format_;
  b.palette = PaletteForPixels();
  return b;
}

uint32_t SurfaceObject::CutToDepth(uint32_t value) const { return value & DepthMask(format_); }

void SurfaceObject::MarkLost() { lost_ = true; }

// Memory given back after a loss holds no picture: a check pattern of magenta and green shows
// where a program forgot to draw it again.
void SurfaceObject::FillRestorePattern() {
  const PALETTEENTRY* pal = PaletteForPixels();
  uint32_t a = RgbToRaw(format_, pal, 255, 0, 255);
  uint32_t b = RgbToRaw(format_, pal, 0, 255, 0);
  if (format_.IsPalettized() && !pal) {
    a = 0xE3;  // magenta and green in a 3-3-2 palette
    b = 0x1C;
  }
  PixelBuffer v = Pixels();
  for (int y = 0; y < height_; y += 8) {
    for (int x = 0; x < width_; x += 8) {
      RECT r = {x, y, std::min(x + 8, width_), std::min(y + 8, height_)};
      Fill(v, r, ((x / 8 + y / 8) & 1) ? b : a);
    }
  }
}

namespace {
// The runs when walking them pays: for long runs, and for a key range, which the select of a
// single key value doesn't cover.
const KeyedRuns* Walk(const KeyedRuns& runs, const Key& key) {
  return runs.WorthWalking() || key.low != key.high ? &runs : nullptr;
}
}  // namespace

const KeyedRuns* SurfaceObject::RunsFor(const Key& key) {
  if (!key.enabled) return nullptr;
  // A select that beats the walk whatever the runs (it spends no branch on a run) leaves the
  // runs unfound.
  if (key.low == key.high && BestKeyedSelect().beatsRuns) return nullptr;
  const bool sameKey = runsKey_.low == key.low && runsKey_.high == key.high;
  if (runsValid_ && runsUniqueness_ == uniqueness_ && sameKey) return Walk(runs_, key);
  if (lastKeyedUse_ != uniqueness_) {
    lastKeyedUse_ = uniqueness_;
    return nullptr;
  }
  BuildRuns(Pixels(), key, &runs_);
  runsValid_ = true;
  runsUniqueness_ = uniqueness_;
  runsKey_ = key;
  return Walk(runs_, key);
}

PixelBuffer SurfaceObject::PixelsToCopyFrom() {
  if (shared_ && sharedUniqueness_ == uniqueness_) return shared_->view;
  shared_.reset();
  if (static_cast<size_t>(pitch_) * static_cast<size_t>(height_) > kMostSharedBytes ||
      lastSourceUse_ != uniqueness_) {
    lastSourceUse_ = uniqueness_;
    return Pixels();
  }
  shared_ = SharePixels(Pixels());
  sharedUniqueness_ = uniqueness_;
  return shared_->view;
}

void SurfaceObject::DeferFill(const RECT& area, uint32_t raw) {
  Settle();
  fillPending_ = true;
  pendingArea_ = area;
  pendingRaw_ = raw;
}

void SurfaceObject::DropFillUnder(const RECT& covered) {
  const RECT& a = pendingArea_;
  if (covered.left <= a.left && covered.top <= a.top && covered.right >= a.right &&
      covered.bottom >= a.bottom) {
    fillPending_ = false;
  }
}

void SurfaceObject::Settle() {
  if (!fillPending_) return;
  fillPending_ = false;
  Fill(Pixels(), pendingArea_, pendingRaw_);
}

void SurfaceObject::PresentIfVisible() {
  if (!IsPrimary() || front_) return;
  Settle();
  HWND window = nullptr;
  if (clipper_) window = clipper_->WindowHandle();
  if (!window && owner_) window = owner_->Window();
  PresentPrimary(Buffer(), fullScreen_, window);
}

void SurfaceObject::FillDesc(DDSURFACEDESC2* desc) const {
  std::memset(desc, 0, sizeof *desc);
  desc->dwSize = sizeof(DDSURFACEDESC2);
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = width_;
  desc->dwHeight = height_;
  desc->lPitch = pitch_;
  if (!backs_.empty()) {
    desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
    desc->dwBackBufferCount = static_cast<DWORD>(backs_.size());
  }
  if (srcKey_.enabled) {
    desc->dwFlags |= DDSD_CKSRCBLT;
    desc->ddckCKSrcBlt.dwColorSpaceLowValue = srcKey_.low;
    desc->ddckCKSrcBlt.dwColorSpaceHighValue = srcKey_.high;
  }
  if (dstKey_.enabled) {
    desc->dwFlags |= DDSD_CKDESTBLT;
    desc->ddckCKDestBlt.dwColorSpaceLowValue = dstKey_.low;
    desc->ddckCKDestBlt.dwColorSpaceHighValue = dstKey_.high;
  }
  DescribeFormat(format_, &desc->ddpfPixelFormat);
  desc->ddsCaps.dwCaps = caps_;
}

namespace {

// Where a new surface's memory is: video memory when asked for, or when "any memory" is asked
// for and the display has some; system memory otherwise.
struct SurfaceMemory {
  bool inVideo = false;
  DWORD caps = 0;  // the memory capabilities the surface reports
};

// The memory the capabilities ask for, refused for kinds of surface this display has no
// hardware for.
HRESULT ChooseMemory(DWORD caps, SurfaceMemory* memory) {
  const bool wantSystem = (caps & DDSCAPS_SYSTEMMEMORY) != 0;
  const bool wantVideo = (caps & DDSCAPS_VIDEOMEMORY) != 0;
  if (wantSystem && wantVideo) return DDERR_INVALIDCAPS;
  if (caps & DDSCAPS_OVERLAY) return DDERR_NOOVERLAYHW;
  if (caps & DDSCAPS_ZBUFFER) return DDERR_NOZBUFFERHW;
  if (caps & DDSCAPS_MIPMAP) return DDERR_NOMIPMAPHW;
  if (caps & (DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER)) return DDERR_INVALIDCAPS;
  const bool videoAvailable = TheHardware().videoMemory;
  if (wantVideo && !videoAvailable) return DDERR_OUTOFVIDEOMEMORY;
  memory->inVideo = wantVideo || (!wantSystem && videoAvailable);
  memory->caps = memory->inVideo ? (DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM)
                                 : static_cast<DWORD>(DDSCAPS_SYSTEMMEMORY);
  return DD_OK;
}

// The colour keys a description gives the new surface: single values, the low one of each.
void KeysFromDescription(const DDSURFACEDESC2& desc, Key* srcKey, Key* dstKey) {
  if (desc.dwFlags & DDSD_CKSRCBLT) {
    *srcKey = {true, desc.ddckCKSrcBlt.dwColorSpaceLowValue,
               desc.ddckCKSrcBlt.dwColorSpaceLowValue};
  }
  if (desc.dwFlags & DDSD_CKDESTBLT) {
    *dstKey = {true, desc.ddckCKDestBlt.dwColorSpaceLowValue,
               desc.ddckCKDestBlt.dwColorSpaceLowValue};
  }
}

// The caller's capabilities less the memory ones, which the surface's memory decides.
DWORD CapsBesidesMemory(DWORD caps) {
  return caps & ~static_cast<DWORD>(DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY);
}

// The number of back buffers a primary surface's description asks for. A flipping chain needs
// the exclusive mode and as many buffers as the display has memory for.
HRESULT BackBufferCount(const DDSURFACEDESC2& desc, DWORD caps, bool exclusive, int* count) {
  *count = 0;
  if (caps & DDSCAPS_FLIP) {
    if (!(caps & DDSCAPS_COMPLEX)) return DDERR_INVALIDCAPS;
    if (!(desc.dwFlags & DDSD_BACKBUFFERCOUNT) || desc.dwBackBufferCount == 0) {
      return DDERR_INVALIDCAPS;
    }
    if (!exclusive) return DDERR_NOEXCLUSIVEMODE;
    if (desc.dwBackBufferCount > 3) return DDERR_OUTOFVIDEOMEMORY;
    if (desc.dwBackBufferCount >= 2 && !TheHardware().secondBackBuffer) {
      return DDERR_OUTOFVIDEOMEMORY;
    }
    *count = static_cast<int>(desc.dwBackBufferCount);
  } else if ((caps & DDSCAPS_COMPLEX) || (desc.dwFlags & DDSD_BACKBUFFERCOUNT)) {
    return DDERR_INVALIDCAPS;
  }
  return DD_OK;
}

// The primary surface, in the display's mode, with its back buffers when it heads a flipping
// chain. The whole chain is given up when any buffer's memory cannot be had.
HRESULT CreatePrimaryChain(DirectDrawObject* owner, const DDSURFACEDESC2& desc, DWORD caps,
                           const SurfaceMemory& memory, SurfaceObject** out) {
  if (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
  int backCount = 0;
  const HRESULT counted = BackBufferCount(desc, caps, owner->Exclusive(), &backCount);
  if (counted != DD_OK) return counted;
  int w, h, bpp;
  CurrentMode(&w, &h, &bpp);
  const PixelFormat format = PixelFormat::ForDepth(bpp);
  auto* front = new SurfaceObject(
      owner, w, h, format,
      CapsBesidesMemory(caps) | memory.caps | DDSCAPS_FRONTBUFFER | DDSCAPS_VISIBLE, true);
  std::vector<SurfaceObject*> backs;
  bool ok = front->HasMemory();
  for (int i = 0; i < backCount; ++i) {
    DWORD backCaps = (i == 0 ? DDSCAPS_BACKBUFFER : 0) | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                     memory.caps | (caps & DDSCAPS_3DDEVICE);
    backs.push_back(new SurfaceObject(owner, w, h, format, backCaps, true));
    ok = ok && backs.back()->HasMemory();
  }
  front->AttachBackBuffers(std::move(backs));
  if (!ok) {
    front->Drop();
    return DDERR_OUTOFMEMORY;
  }
  front->SetFullScreen(owner->Exclusive());
  *out = front;
  return DD_OK;
}

// The pixel format of an off-screen surface: the description's, or the display's.
HRESULT OffscreenFormat(const DDSURFACEDESC2& desc, PixelFormat* format) {
  if (desc.dwFlags & DDSD_PIXELFORMAT) {
    if (desc.ddpfPixelFormat.dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
    if (!FormatFromDescription(desc.ddpfPixelFormat, format)) return DDERR_INVALIDPIXELFORMAT;
    return DD_OK;
  }
  int w, h, bpp;
  CurrentMode(&w, &h, &bpp);
  *format = PixelFormat::ForDepth(bpp);
  return DD_OK;
}

// An off-screen surface of the described size and format, within the memory all surfaces
// together may take.
HRESULT CreateOffscreenSurface(DirectDrawObject* owner, const DDSURFACEDESC2& desc, DWORD caps,
                               const SurfaceMemory& memory, SurfaceObject** out) {
  const DWORD flags = desc.dwFlags;
  if (caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) return DDERR_INVALIDCAPS;
  if (!(flags & DDSD_WIDTH) || !(flags & DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
  const LONG width = static_cast<LONG>(desc.dwWidth);
  const LONG height = static_cast<LONG>(desc.dwHeight);
  if (width <= 0 || height <= 0) return DDERR_INVALIDPARAMS;
  if (width > kMaxImageSide || height > kMaxImageSide) return DDERR_INVALIDPARAMS;
  PixelFormat format;
  const HRESULT formatResult = OffscreenFormat(desc, &format);
  if (formatResult != DD_OK) return formatResult;
  const uint64_t bytes = static_cast<uint64_t>(Pitch(width, format)) * height;
  if (bytes > kMaxImageBytes || SurfaceMemoryInUse() + bytes > kMaxAllSurfacesBytes) {
    return memory.inVideo ? DDERR_OUTOFVIDEOMEMORY : DDERR_OUTOFMEMORY;
  }
  auto* surface = new SurfaceObject(owner, width, height, format,
                                    CapsBesidesMemory(caps) | memory.caps, memory.inVideo);
  if (!surface->HasMemory()) {
    surface->Drop();
    return DDERR_OUTOFMEMORY;
  }
  *out = surface;
  return DD_OK;
}

}  // namespace

HRESULT DirectDrawObject::CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE4* out,
                                        IUnknown* outer) {
  QV_ENTRY_OR_RETURN("IDirectDraw4::CreateSurface", DescArg(desc), trace::Ptr(out),
                     trace::Ptr(outer));
  if (!desc || !out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (!cooperativeSet_) return DDERR_NOCOOPERATIVELEVELSET;

  const DWORD caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : DDSCAPS_OFFSCREENPLAIN;
  SurfaceMemory memory;
  const HRESULT chosen = ChooseMemory(caps, &memory);
  if (chosen != DD_OK) return chosen;
  Key srcKey, dstKey;
  KeysFromDescription(*desc, &srcKey, &dstKey);

  SurfaceObject* surface = nullptr;
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (primary_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    const HRESULT made = CreatePrimaryChain(this, *desc, caps, memory, &surface);
    if (made != DD_OK) return made;
    primary_ = surface;
  } else {
    const HRESULT made = CreateOffscreenSurface(this, *desc, caps, memory, &surface);
    if (made != DD_OK) return made;
  }
  surface->SetKeys(srcKey, dstKey);
  surface->HoldCreator(this);  // given back when the surface goes
  *out = surface;
  return DD_OK;
}

// ---- Blits
// -----------------------------------------------------------------------------------------
namespace {

// What a Blt call asks for once its flags and effects are read: a colour fill or a copy of
// the source rectangle onto the destination rectangle, mirrored and keyed or not, drawn inside
// each clip rectangle.
struct BltRequest {
  bool fill = false;
  uint32_t fillValue = 0;  // cut to the destination's depth
  bool mirrorLeftRight = false;
  bool mirrorUpDown = false;
  Key srcKey;
  Key dstKey;
  RECT dst = {0, 0, 0, 0};
  RECT src = {0, 0, 0, 0};
  std::vector<RECT> clips;
};

// Blt's flags for what this display has no hardware for, and contradictory waiting.
HRESULT RefuseUnsupportedBlt(DWORD flags) {
  if (flags & (DDBLT_ALPHADEST | DDBLT_ALPHADESTCONSTOVERRIDE | DDBLT_ALPHADESTNEG |
               DDBLT_ALPHADESTSURFACEOVERRIDE | DDBLT_ALPHAEDGEBLEND | DDBLT_ALPHASRC |
               DDBLT_ALPHASRCCONSTOVERRIDE | DDBLT_ALPHASRCNEG | DDBLT_ALPHASRCSURFACEOVERRIDE)) {
    return DDERR_NOALPHAHW;
  }
  if (flags & (DDBLT_ZBUFFER | DDBLT_ZBUFFERDESTCONSTOVERRIDE | DDBLT_ZBUFFERDESTOVERRIDE |
               DDBLT_ZBUFFERSRCCONSTOVERRIDE | DDBLT_ZBUFFERSRCOVERRIDE | DDBLT_DEPTHFILL)) {
    return DDERR_NOZBUFFERHW;
  }
  if (flags & DDBLT_ROTATIONANGLE) return DDERR_NOROTATIONHW;
  if (flags & DDBLT_DDROPS) return DDERR_NODDROPSHW;
  if ((flags & DDBLT_WAIT) && (flags & DDBLT_DONOTWAIT)) return DDERR_INVALIDPARAMS;
  return DD_OK;
}

// The fill, the raster operation and the mirroring effects. Only copies (SRCCOPY) and fills
// are drawn; the effects structure must be there whenever a flag reads it.
HRESULT ReadBltEffects(DWORD flags, const DDBLTFX* fx, bool haveSource, BltRequest* request) {
  request->fill = (flags & DDBLT_COLORFILL) != 0;
  const bool needFx = (flags & (DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_KEYSRCOVERRIDE |
                                DDBLT_KEYDESTOVERRIDE | DDBLT_ROP)) != 0;
  if (needFx && (!fx || fx->dwSize != sizeof(DDBLTFX))) return DDERR_INVALIDPARAMS;
  if (!request->fill && !haveSource) return DDERR_INVALIDPARAMS;
  if ((flags & DDBLT_ROP) && !request->fill && fx->dwROP != kSrcCopy) return DDERR_NORASTEROPHW;
  if (flags & DDBLT_DDFX) {
    const DWORD effects = fx->dwDDFX;
    if (effects & (DDBLTFX_ROTATE90 | DDBLTFX_ROTATE180 | DDBLTFX_ROTATE270)) {
      return DDERR_NOROTATIONHW;
    }
    if (effects & (DDBLTFX_ZBUFFERRANGE | DDBLTFX_ZBUFFERBASEDEST)) return DDERR_NOZBUFFERHW;
    request->mirrorLeftRight = (effects & DDBLTFX_MIRRORLEFTRIGHT) != 0;
    request->mirrorUpDown = (effects & DDBLTFX_MIRRORUPDOWN) != 0;
    if ((request->mirrorLeftRight || request->mirrorUpDown) && !TheHardware().mirroring) {
      return DDERR_NOMIRRORHW;
    }
  }
  return DD_OK;
}

// One colour key of a copy: the surface's own (`ownFlag`, refused when it has none) or the
// override in the effects (`overrideFlag`, read only then), cut to the surface's depth. Asking
// for both is refused.
HRESULT ReadBltKey(DWORD flags, DWORD ownFlag, DWORD overrideFlag, const Key& own,
                   const DDCOLORKEY* override, uint32_t depthMask, Key* key) {
  if ((flags & ownFlag) && (flags & overrideFlag)) return DDERR_INVALIDPARAMS;
  if (flags & ownFlag) {
    if (!own.enabled) return DDERR_INVALIDPARAMS;
    *key = own;
  } else if (flags & overrideFlag) {
    const uint32_t low = override->dwColorSpaceLowValue & depthMask;
    const uint32_t high = override->dwColorSpaceHighValue & depthMask;
    *key = {true, low, std::max(low, high)};
  }
  return DD_OK;
}

// The colour keys a copy may use: the surfaces' own, and the masks that cut an override to
// each surface's depth.
struct BltKeySources {
  Key source;
  uint32_t sourceMask = 0;
  Key destination;
  uint32_t destinationMask = 0;
};

// Everything Blt's flags and effects ask for, checked: the request but for its rectangles.
HRESULT ReadBltRequest(DWORD flags, const DDBLTFX* fx, bool haveSource, const BltKeySources& keys,
                       BltRequest* request) {
  HRESULT result = RefuseUnsupportedBlt(flags);
  if (result != DD_OK) return result;
  result = ReadBltEffects(flags, fx, haveSource, request);
  if (result != DD_OK) return result;
  if (request->fill) {
    request->fillValue = fx->dwFillColor & keys.destinationMask;
    return DD_OK;
  }
  result = ReadBltKey(flags, DDBLT_KEYSRC, DDBLT_KEYSRCOVERRIDE, keys.source,
                      fx ? &fx->ddckSrcColorkey : nullptr, keys.sourceMask, &request->srcKey);
  if (result != DD_OK) return result;
  return ReadBltKey(flags, DDBLT_KEYDEST, DDBLT_KEYDESTOVERRIDE, keys.destination,
                    fx ? &fx->ddckDestColorkey : nullptr, keys.destinationMask, &request->dstKey);
}

// The destination rectangle (the whole surface when not given), the source rectangle of a
// copy, and the clip rectangles: the clipper's list, or the destination rectangle itself,
// which must then lie inside the surface.
HRESULT ReadBltRectangles(const RECT* dstRect, int dstWidth, int dstHeight, const RECT* srcRect,
                          int srcWidth, int srcHeight, const ClipperObject* clipper, bool onPrimary,
                          BltRequest* request) {
  request->dst = RectOrWhole(dstRect, dstWidth, dstHeight);
  if (Empty(request->dst)) return DDERR_INVALIDRECT;
  if (!request->fill) {
    request->src = RectOrWhole(srcRect, srcWidth, srcHeight);
    if (Empty(request->src) || !Inside(request->src, srcWidth, srcHeight)) {
      return DDERR_INVALIDRECT;
    }
  }
  if (clipper) {
    if (!clipper->Region(onPrimary, dstWidth, dstHeight, &request->clips)) return DDERR_NOCLIPLIST;
  } else {
    if (!Inside(request->dst, dstWidth, dstHeight)) return DDERR_INVALIDRECT;
    request->clips.push_back(request->dst);
  }
  return DD_OK;
}

// Draws a request into `dst`, reading the source rectangle from `from` (`source` is the
// request's source rectangle within it). `runsFor` gives a keyed source's opaque runs for an
// unscaled copy, or null.
template <typename RunsLookup>
void CarryOutBlt(const BltRequest& request, const PixelBuffer& dst, const PixelBuffer& from,
                 const RECT& source, RunsLookup runsFor) {
  const RECT& d = request.dst;
  const RECT& s = source;
  const bool scaled = !request.fill && (s.right - s.left != d.right - d.left ||
                                        s.bottom - s.top != d.bottom - d.top);
  const bool mirrored = request.mirrorLeftRight || request.mirrorUpDown;
  for (const RECT& clip : request.clips) {
    const RECT c = Intersect(d, clip);
    if (Empty(c)) continue;
    if (request.fill) {
      Fill(dst, c, request.fillValue);
    } else if (!scaled && !mirrored) {
      const RECT part = {s.left + (c.left - d.left), s.top + (c.top - d.top),
                         s.left + (c.right - d.left), s.top + (c.bottom - d.top)};
      if (const KeyedRuns* runs = runsFor()) {
        CopyRuns(dst, c.left, c.top, from, part, *runs);
      } else {
        Copy(dst, c.left, c.top, from, part, request.srcKey, request.dstKey);
      }
    } else {
      Stretch(dst, d, c, from, s, request.mirrorLeftRight, request.mirrorUpDown, request.srcKey,
              request.dstKey);
    }
  }
}

}  // namespace

HRESULT SurfaceObject::Blt(LPRECT dstRect, LPDIRECTDRAWSURFACE4 srcInterface, LPRECT srcRect,
                           DWORD flags, LPDDBLTFX fx) {
  SurfaceObject* src = AsSurface(srcInterface);
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::Blt", trace::Rect(dstRect), SurfaceArg(src),
                     trace::Rect(srcRect), trace::Hex(flags), FxArg(fx));

  // The surfaces' own colour keys and depths, which the request's keys come from.
  BltKeySources keys;
  keys.destination = dstKey_;
  keys.destinationMask = DepthMask(format_);
  if (src) {
    keys.source = src->srcKey_;
    keys.sourceMask = DepthMask(src->format_);
  }
  BltRequest request;
  HRESULT result = ReadBltRequest(flags, fx, src != nullptr, keys, &request);
  if (result != DD_OK) return result;

  const bool fill = request.fill;
  if (lost_ || (!fill && src->lost_)) return DDERR_SURFACELOST;
  if (Busy() || (!fill && src->Busy())) return DDERR_SURFACEBUSY;
  if (!fill && !(src->format_ == format_)) return DDERR_INVALIDPIXELFORMAT;
  result = ReadBltRectangles(dstRect, width_, height_, srcRect, fill ? 0 : src->width_,
                             fill ? 0 : src->height_, clipper_, IsPrimary(), &request);
  if (result != DD_OK) return result;

  // A fill of one rectangle of a surface nobody sees waits for what comes next.
  if (fill && request.clips.size() == 1 && !IsPrimary()) {
    const RECT area = Intersect(request.dst, request.clips[0]);
    if (!Empty(area)) {
      DeferFill(area, request.fillValue);
      Changed();
      return DD_OK;
    }
  }
  if (!fill) {
    src->Settle();
    const bool scaled =
        request.src.right - request.src.left != request.dst.right - request.dst.left ||
        request.src.bottom - request.src.top != request.dst.bottom - request.dst.top;
    const bool opaque = !request.srcKey.enabled && !request.dstKey.enabled && !scaled &&
                        !request.mirrorLeftRight && !request.mirrorUpDown;
    if (opaque && fillPending_) {
      for (const RECT& clip : request.clips) DropFillUnder(Intersect(request.dst, clip));
    }
  }
  Settle();

  const PixelBuffer dst = Pixels();
  RECT source = request.src;
  std::vector<uint8_t> storage;
  // Every surface owns its memory: only a copy within one surface can overlap itself.
  const PixelBuffer from = fill          ? PixelBuffer()
                           : src == this ? OverlapSafeSource(dst, src->Pixels(), &source, &storage)
                                         : src->PixelsToCopyFrom();
  // Runs describe the source surface itself, not a copy of it.
  CarryOutBlt(request, dst, from, source, [&]() -> const KeyedRuns* {
    return (src != this && !request.dstKey.enabled) ? src->RunsFor(request.srcKey) : nullptr;
  });
  Changed();
  PresentIfVisible();
  return DD_OK;
}

HRESULT SurfaceObject::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE4 srcInterface, LPRECT srcRect,
                               DWORD trans) {
  SurfaceObject* src = AsSurface(srcInterface);
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::BltFast", trace::Dec(static_cast<LONG>(x)),
                     trace::Dec(static_cast<LONG>(y)), SurfaceArg(src), trace::Rect(srcRect),
                     trace::Hex(trans));
  if (!src) return DDERR_INVALIDPARAMS;
  const DWORD known =
      DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT | DDBLTFAST_DONOTWAIT;
  if (trans & ~known) return DDERR_INVALIDPARAMS;
  if ((trans & DDBLTFAST_SRCCOLORKEY) && (trans & DDBLTFAST_DESTCOLORKEY)) {
    return DDERR_INVALIDPARAMS;
  }
  if ((trans & DDBLTFAST_WAIT) && (trans & DDBLTFAST_DONOTWAIT)) return DDERR_INVALIDPARAMS;
  // BltFast never clips.
  if (clipper_) return DDERR_BLTFASTCANTCLIP;
  if (lost_ || src->lost_) return DDERR_SURFACELOST;
  if (Busy() || src->Busy()) return DDERR_SURFACEBUSY;
  if (!(src->format_ == format_)) return DDERR_INVALIDPIXELFORMAT;

  RECT s = RectOrWhole(srcRect, src->width_, src->height_);
  if (Empty(s) || !Inside(s, src->width_, src->height_)) return DDERR_INVALIDRECT;
  const int64_t w = s.right - s.left, h = s.bottom - s.top;
  if (static_cast<int64_t>(x) + w > width_ || static_cast<int64_t>(y) + h > height_) {
    return DDERR_INVALIDRECT;
  }
  Key srcKey, dstKey;
  if (trans & DDBLTFAST_SRCCOLORKEY) srcKey = src->srcKey_;
  if (trans & DDBLTFAST_DESTCOLORKEY) dstKey = dstKey_;

  // An opaque copy over the whole of a pending fill leaves nothing of it to see.
  src->Settle();
  if (fillPending_ && !srcKey.enabled && !dstKey.enabled) {
    DropFillUnder(RECT{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + w),
                       static_cast<LONG>(y + h)});
  }
  Settle();

  const PixelBuffer dst = Pixels();
  std::vector<uint8_t> storage;
  // Every surface owns its memory: only a copy within one surface can overlap itself.
  const PixelBuffer from =
      src == this ? OverlapSafeSource(dst, src->Pixels(), &s, &storage) : src->PixelsToCopyFrom();
  const KeyedRuns* runs = (src != this && !dstKey.enabled) ? src->RunsFor(srcKey) : nullptr;
  if (runs) {
    CopyRuns(dst, static_cast<int>(x), static_cast<int>(y), from, s, *runs);
  } else {
    Copy(dst, static_cast<int>(x), static_cast<int>(y), from, s, srcKey, dstKey);
  }
  Changed();
  PresentIfVisible();
  return DD_OK;
}

HRESULT SurfaceObject::BltBatch(LPDDBLTBATCH batch, DWORD count, DWORD flags) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::BltBatch", trace::Ptr(batch), trace::Dec(count),
                     trace::Hex(flags));
  return DDERR_UNSUPPORTED;
}

// ---- Flipping chains
// --------------------------------------------------------------------------------
HRESULT SurfaceObject::Flip(LPDIRECTDRAWSURFACE4 targetInterface, DWORD flags) {
  SurfaceObject* target = AsSurface(targetInterface);
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::Flip", SurfaceArg(target), trace::Hex(flags));
  if (front_ || backs_.empty()) return DDERR_NOTFLIPPABLE;
  const DWORD known = DDFLIP_WAIT | DDFLIP_NOVSYNC | DDFLIP_DONOTWAIT | DDFLIP_INTERVAL4;
  if (flags & ~known) return DDERR_INVALIDPARAMS;
  if ((flags & DDFLIP_WAIT) && (flags & DDFLIP_DONOTWAIT)) return DDERR_INVALIDPARAMS;
  if (target && std::find(backs_.begin(), backs_.end(), target) == backs_.end()) {
    return DDERR_INVALIDPARAMS;
  }
  if (owner_ && !owner_->Exclusive()) return DDERR_NOEXCLUSIVEMODE;
  bool lost = lost_, busy = Busy();
  for (SurfaceObject* b : backs_) {
    lost = lost || b->lost_;
    busy = busy || b->Busy();
  }
  if (lost) return DDERR_SURFACELOST;
  if (busy) return DDERR_SURFACEBUSY;
  Settle();
  for (SurfaceObject* b : backs_) b->Settle();

  if ((flags & DDFLIP_WAIT) && !(flags & DDFLIP_NOVSYNC)) {
    DWORD intervals = (flags & DDFLIP_INTERVAL4) >> 24;
    if (intervals == 0) intervals = 1;
    for (DWORD i = 0; i < intervals; ++i) CurrentBackend().WaitForVerticalBlank();
  }
  if (target) {
    std::swap(bits_, target->bits_);
    target->Changed();
  } else {
    // The front buffer shows the first back buffer; each back buffer takes the next one's
    // memory, and the last takes what was shown.
    auto shown = std::move(bits_);
    bits_ = std::move(backs_[0]->bits_);
    for (size_t i = 0; i + 1 < backs_.size(); ++i)
      backs_[i]->bits_ = std::move(backs_[i + 1]->bits_);
    backs_.back()->bits_ = std::move(shown);
    for (SurfaceObject* b : backs_) b->Changed();
  }
  Changed();
  PresentIfVisible();
  return DD_OK;
}

// The chain is a ring: front, back buffers in order, then the front again.
SurfaceObject* SurfaceObject::NextInChain() const {
  if (!backs_.empty()) return backs_[0];
  if (!front_) return nullptr;
  const auto& ring = front_->backs_;
  auto it = std::find(ring.begin(), ring.end(), this);
  return (it + 1 == ring.end()) ? front_ : *(it + 1);
}

HRESULT SurfaceObject::GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE4* out) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetAttachedSurface", CapsArg(caps), trace::Ptr(out));
  if (!caps || !out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  SurfaceObject* next = NextInChain();
  if (!next || (next->caps_ & caps->dwCaps) != caps->dwCaps) return DDERR_NOTFOUND;
  next->Retain();
  *out = next;
  return DD_OK;
}

HRESULT SurfaceObject::EnumAttachedSurfaces(LPVOID context, LPDDENUMSURFACESCALLBACK2 callback) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::EnumAttachedSurfaces", trace::Ptr(context),
                     CallbackArg(callback));
  if (!callback) return DDERR_INVALIDPARAMS;
  SurfaceObject* next = NextInChain();
  if (next) {
    DDSURFACEDESC2 desc;
    next->FillDesc(&desc);
    next->Retain();
    callback(next, &desc, context);
  }
  return DD_OK;
}

// ---- Locks and device contexts
// ------------------------------------------------------------------------
HRESULT SurfaceObject::Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::Lock", trace::Rect(rect), trace::Ptr(desc),
                     trace::Hex(flags), trace::Ptr(event));
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  const RECT r = RectOrWhole(rect, width_, height_);
  if (rect && (Empty(r) || !Inside(r, width_, height_))) return DDERR_INVALIDPARAMS;
  Settle();
  FillDesc(desc);
  desc->dwFlags |= DDSD_LPSURFACE;
  desc->lpSurface = Pixels().At(r.left, r.top);
  locked_ = true;
  Changed();
  return DD_OK;
}

HRESULT SurfaceObject::Unlock(LPRECT rect) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::Unlock", trace::Rect(rect));
  if (!locked_) return DDERR_NOTLOCKED;
  locked_ = false;
  Changed();
  PresentIfVisible();
  return DD_OK;
}

HRESULT SurfaceObject::GetDC(HDC* out) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetDC", trace::Ptr(out));
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (lost_) return DDERR_SURFACELOST;
  if (dc_) return DDERR_DCALREADYCREATED;
  if (locked_) return DDERR_SURFACEBUSY;
  Settle();
  // The DC draws with the colour table of this moment, as on Windows: a later change to the
  // palette reaches the next DC, not this one.
  PixelBuffer pixels = Buffer();
  if (pixels.palette) {
    std::memcpy(dcColors_, pixels.palette, sizeof dcColors_);
    pixels.palette = dcColors_;
  }
  HDC dc = gdi::CreateDCForPixels(pixels);
  if (!dc) return DDERR_CANTCREATEDC;
  dc_ = dc;
  *out = dc;
  Changed();
  return DD_OK;
}

HRESULT SurfaceObject::ReleaseDC(HDC dc) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::ReleaseDC", trace::Ptr(dc));
  if (!dc_) return DDERR_NODC;
  if (dc != dc_) return DDERR_INVALIDPARAMS;
  gdi::ReleaseDCForPixels(dc_);
  dc_ = nullptr;
  Changed();
  PresentIfVisible();
  return DD_OK;
}

// ---- Lost surfaces
// ---------------------------------------------------------------------------------
HRESULT SurfaceObject::IsLost() {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::IsLost");
  return lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT SurfaceObject::Restore() {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::Restore");
  if (!lost_) return DD_OK;
  if (front_) return DDERR_IMPLICITLYCREATED;  // restoring the front buffer restores the chain
  const Display& display = TheDisplay();
  // The display belongs to the desktop while an exclusive program is in the background.
  if (display.exclusiveOwner && !display.active) return DDERR_WRONGMODE;
  if (IsPrimary()) {
    int w, h, bpp;
    CurrentMode(&w, &h, &bpp);
    if (w != width_ || h != height_ || !(PixelFormat::ForDepth(bpp) == format_)) {
      return DDERR_WRONGMODE;
    }
  }
  lost_ = false;
  fillPending_ = false;  // the pattern covers everything
  FillRestorePattern();
  Changed();
  for (SurfaceObject* b : backs_) {
    b->lost_ = false;
    b->fillPending_ = false;
    b->FillRestorePattern();
    b->Changed();
  }
  return DD_OK;
}

// ---- Colour keys, palettes, clippers
// -----------------------------------------------------------------
HRESULT SurfaceObject::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::SetColorKey", trace::Hex(flags), KeyArg(key));
  const DWORD kind = flags & ~static_cast<DWORD>(DDCKEY_COLORSPACE);
  if (kind == DDCKEY_SRCOVERLAY || kind == DDCKEY_DESTOVERLAY) return DDERR_NOOVERLAYHW;
  if (kind != DDCKEY_SRCBLT && kind != DDCKEY_DESTBLT) return DDERR_INVALIDPARAMS;
  Key& target = kind == DDCKEY_SRCBLT ? srcKey_ : dstKey_;
  if (!key) {
    target = Key();
    return DD_OK;
  }
  const uint32_t low = CutToDepth(key->dwColorSpaceLowValue);
  uint32_t high = low;
  if (flags & DDCKEY_COLORSPACE) high = std::max(low, CutToDepth(key->dwColorSpaceHighValue));
  target = {true, low, high};
  return DD_OK;
}

HRESULT SurfaceObject::GetColorKey(DWORD flags, LPDDCOLORKEY key) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetColorKey", trace::Hex(flags), trace::Ptr(key));
  if (!key) return DDERR_INVALIDPARAMS;
  const Key* source;
  if (flags == DDCKEY_SRCBLT) {
    source = &srcKey_;
  } else if (flags == DDCKEY_DESTBLT) {
    source = &dstKey_;
  } else if (flags == DDCKEY_SRCOVERLAY || flags == DDCKEY_DESTOVERLAY) {
    return DDERR_NOOVERLAYHW;
  } else {
    return DDERR_INVALIDPARAMS;
  }
  if (!source->enabled) return DDERR_NOCOLORKEY;
  key->dwColorSpaceLowValue = source->low;
  key->dwColorSpaceHighValue = source->high;
  return DD_OK;
}

namespace {

// Puts `object` (or nothing) in `slot`, holding a reference on what the slot holds.
template <typename T>
void Attach(T** slot, T* object) {
  if (object == *slot) return;
  if (object) object->Retain();
  if (*slot) (*slot)->Drop();
  *slot = object;
}

// Hands out what `attached` holds, with a reference for the caller.
template <typename T, typename Out>
HRESULT Hand(T* attached, Out* out, HRESULT none) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!attached) return none;
  attached->Retain();
  *out = attached;
  return DD_OK;
}

}  // namespace

HRESULT SurfaceObject::SetPalette(LPDIRECTDRAWPALETTE paletteInterface) {
  auto* palette = static_cast<PaletteObject*>(paletteInterface);
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::SetPalette", PaletteArg(palette));
  if (palette && !format_.IsPalettized()) return DDERR_INVALIDPIXELFORMAT;
  if (lost_ && palette) return DDERR_SURFACELOST;
  Attach(&palette_, palette);
  return DD_OK;
}

HRESULT SurfaceObject::GetPalette(LPDIRECTDRAWPALETTE* out) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetPalette", trace::Ptr(out));
  return Hand(palette_, out, DDERR_NOPALETTEATTACHED);
}

HRESULT SurfaceObject::SetClipper(LPDIRECTDRAWCLIPPER clipperInterface) {
  auto* clipper = static_cast<ClipperObject*>(clipperInterface);
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::SetClipper", ClipperArg(clipper));
  Attach(&clipper_, clipper);
  return DD_OK;
}

HRESULT SurfaceObject::GetClipper(LPDIRECTDRAWCLIPPER* out) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetClipper", trace::Ptr(out));
  return Hand(clipper_, out, DDERR_NOCLIPPERATTACHED);
}

// ---- Descriptions
// --------------------------------------------------------------------------------------
HRESULT SurfaceObject::GetCaps(LPDDSCAPS2 caps) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetCaps", trace::Ptr(caps));
  if (!caps) return DDERR_INVALIDPARAMS;
  std::memset(caps, 0, sizeof *caps);
  caps->dwCaps = caps_;
  return DD_OK;
}

HRESULT SurfaceObject::GetPixelFormat(LPDDPIXELFORMAT pf) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetPixelFormat", trace::Ptr(pf));
  if (!pf || pf->dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
  DescribeFormat(format_, pf);
  return DD_OK;
}

HRESULT SurfaceObject::GetSurfaceDesc(LPDDSURFACEDESC2 desc) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetSurfaceDesc", trace::Ptr(desc));
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  FillDesc(desc);
  return DD_OK;
}

HRESULT SurfaceObject::GetDDInterface(LPVOID* out) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetDDInterface", trace::Ptr(out));
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!owner_) return DDERR_INVALIDOBJECT;
  owner_->Retain();
  *out = static_cast<IDirectDraw4*>(owner_);
  return DD_OK;
}

HRESULT SurfaceObject::GetUniquenessValue(LPDWORD value) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetUniquenessValue", trace::Ptr(value));
  if (!value) return DDERR_INVALIDPARAMS;
  *value = uniqueness_;
  return DD_OK;
}

HRESULT SurfaceObject::ChangeUniquenessValue() {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::ChangeUniquenessValue");
  Changed();
  return DD_OK;
}

// ---- What this display does not offer: overlays, attaching, private data
// -------------------------------
HRESULT SurfaceObject::AddAttachedSurface(LPDIRECTDRAWSURFACE4) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::AddAttachedSurface");
  return DDERR_CANNOTATTACHSURFACE;
}
HRESULT SurfaceObject::AddOverlayDirtyRect(LPRECT) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::AddOverlayDirtyRect");
  return DDERR_NOTAOVERLAYSURFACE;
}
HRESULT SurfaceObject::DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE4) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::DeleteAttachedSurface");
  return DDERR_CANNOTDETACHSURFACE;
}
HRESULT SurfaceObject::EnumOverlayZOrders(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK2) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::EnumOverlayZOrders");
  return DDERR_NOTAOVERLAYSURFACE;
}
HRESULT SurfaceObject::GetBltStatus(DWORD flags) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetBltStatus");
  return flags == DDGBS_CANBLT || flags == DDGBS_ISBLTDONE ? DD_OK : DDERR_INVALIDPARAMS;
}
HRESULT SurfaceObject::GetFlipStatus(DWORD flags) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetFlipStatus");
  return flags == DDGFS_CANFLIP || flags == DDGFS_ISFLIPDONE ? DD_OK : DDERR_INVALIDPARAMS;
}
HRESULT SurfaceObject::GetOverlayPosition(LPLONG, LPLONG) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetOverlayPosition");
  return DDERR_NOTAOVERLAYSURFACE;
}
HRESULT SurfaceObject::Initialize(LPDIRECTDRAW, LPDDSURFACEDESC2) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::Initialize");
  return DDERR_ALREADYINITIALIZED;
}
HRESULT SurfaceObject::SetOverlayPosition(LONG, LONG) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::SetOverlayPosition");
  return DDERR_NOTAOVERLAYSURFACE;
}
HRESULT SurfaceObject::UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE4, LPRECT, DWORD, LPDDOVERLAYFX) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::UpdateOverlay");
  return DDERR_NOTAOVERLAYSURFACE;
}
HRESULT SurfaceObject::UpdateOverlayDisplay(DWORD) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::UpdateOverlayDisplay");
  return DDERR_NOTAOVERLAYSURFACE;
}
HRESULT SurfaceObject::UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE4) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::UpdateOverlayZOrder");
  return DDERR_NOTAOVERLAYSURFACE;
}
HRESULT SurfaceObject::PageLock(DWORD) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::PageLock");
  return DD_OK;
}
HRESULT SurfaceObject::PageUnlock(DWORD) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::PageUnlock");
  return DD_OK;
}
HRESULT SurfaceObject::SetSurfaceDesc(LPDDSURFACEDESC2, DWORD) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::SetSurfaceDesc");
  return DDERR_UNSUPPORTED;
}
HRESULT SurfaceObject::SetPrivateData(REFGUID, LPVOID, DWORD, DWORD) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::SetPrivateData");
  return DDERR_UNSUPPORTED;
}
HRESULT SurfaceObject::GetPrivateData(REFGUID, LPVOID, LPDWORD) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::GetPrivateData");
  return DDERR_NOTFOUND;
}
HRESULT SurfaceObject::FreePrivateData(REFGUID) {
  QV_ENTRY_OR_RETURN("IDirectDrawSurface4::FreePrivateData");
  return DDERR_NOTFOUND;
}

}  // namespace plat::ddraw
