// IDirectDrawPalette and IDirectDrawClipper.
#include <cstring>

#include "core/host_state.h"
#include "ddraw/call_log.h"
#include "ddraw/ddraw_internal.h"

namespace plat::ddraw {

namespace {
const GUID kIidUnknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// The layout of GDI region data as clip lists carry it: a header, then the rectangles.
struct RegionHeader {
  DWORD dwSize;
  DWORD iType;
  DWORD nCount;
  DWORD nRgnSize;
  RECT rcBound;
};
const DWORD kRegionRectangles = 1;  // RDH_RECTANGLES
const DWORD kMaxClipRects = 4096;
}  // namespace

// ---- Palette -----------------------------------------------------------------------------------
PaletteObject::PaletteObject(DWORD caps, int count, const PALETTEENTRY* entries)
    : serial_(NextSerial(kSerialPalette)), caps_(caps), count_(count) {
  std::memcpy(entries_, entries, sizeof(PALETTEENTRY) * count);
}

HRESULT PaletteObject::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (host::CallLogEnabled()) {
    CallLine("IDirectDrawPalette", "QueryInterface").Iid(riid).Ptr(ppvObj).Emit();
  }
  HRESULT fault = host::TakeFault("IDirectDrawPalette::QueryInterface");
  if (fault != S_OK) return fault;
  if (!ppvObj) return DDERR_INVALIDPARAMS;
  if (IsEqualGUID(riid, IID_IDirectDrawPalette) || IsEqualGUID(riid, kIidUnknown)) {
    ++refs_;
    *ppvObj = static_cast<IDirectDrawPalette*>(this);
    return S_OK;
  }
  *ppvObj = nullptr;
  return E_NOINTERFACE;
}

ULONG PaletteObject::AddRef() {
  if (host::CallLogEnabled()) CallLine("IDirectDrawPalette", "AddRef").Emit();
  return ++refs_;
}

ULONG PaletteObject::Release() {
  if (host::CallLogEnabled()) CallLine("IDirectDrawPalette", "Release").Emit();
  if (refs_ == 0) return 0;
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT PaletteObject::GetCaps(LPDWORD caps) {
  if (host::CallLogEnabled()) CallLine("IDirectDrawPalette", "GetCaps").Ptr(caps).Emit();
  HRESULT fault = host::TakeFault("IDirectDrawPalette::GetCaps");
  if (fault != S_OK) return fault;
  if (!caps) return DDERR_INVALIDPARAMS;
  *caps = caps_;
  return DD_OK;
}

HRESULT PaletteObject::GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) {
  if (host::CallLogEnabled()) {
    CallLine("IDirectDrawPalette", "GetEntries")
        .Hex(flags)
        .Dec(base)
        .Dec(count)
        .Ptr(entries)
        .Emit();
  }
  HRESULT fault = host::TakeFault("IDirectDrawPalette::GetEntries");
  if (fault != S_OK) return fault;
  if (flags != 0 || !entries) return DDERR_INVALIDPARAMS;
  if (base >= static_cast<DWORD>(count_) || count > static_cast<DWORD>(count_) - base) {
    return DDERR_INVALIDPARAMS;
  }
  std::memcpy(entries, entries_ + base, sizeof(PALETTEENTRY) * count);
  return DD_OK;
}

HRESULT PaletteObject::Initialize(LPDIRECTDRAW dd, DWORD flags, LPPALETTEENTRY table) {
  if (host::CallLogEnabled()) {
    CallLine("IDirectDrawPalette", "Initialize").Ptr(dd).Hex(flags).Ptr(table).Emit();
  }
  HRESULT fault = host::TakeFault("IDirectDrawPalette::Initialize");
  if (fault != S_OK) return fault;
  return DDERR_ALREADYINITIALIZED;
}

HRESULT PaletteObject::SetEntries(DWORD flags, DWORD first, DWORD count, LPPALETTEENTRY entries) {
  if (host::CallLogEnabled()) {
    CallLine("IDirectDrawPalette", "SetEntries")
        .Hex(flags)
        .Dec(first)
        .Dec(count)
        .Ptr(entries)
        .Emit();
  }
  HRESULT fault = host::TakeFault("IDirectDrawPalette::SetEntries");
  if (fault != S_OK) return fault;
  if (flags != 0 || !entries) return DDERR_INVALIDPARAMS;
  if (first >= static_cast<DWORD>(count_) || count > static_cast<DWORD>(count_) - first) {
    return DDERR_INVALIDPARAMS;
  }
  std::memcpy(entries_ + first, entries, sizeof(PALETTEENTRY) * count);
  return DD_OK;
}

// ---- Clipper -----------------------------------------------------------------------------------
ClipperObject::ClipperObject() : serial_(NextSerial(kSerialClipper)) {}

HRESULT ClipperObject::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (host::CallLogEnabled()) {
    CallLine("IDirectDrawClipper", "QueryInterface").Iid(riid).Ptr(ppvObj).Emit();
  }
  HRESULT fault = host::TakeFault("IDirectDrawClipper::QueryInterface");
  if (fault != S_OK) return fault;
  if (!ppvObj) return DDERR_INVALIDPARAMS;
  if (IsEqualGUID(riid, IID_IDirectDrawClipper) || IsEqualGUID(riid, kIidUnknown)) {
    ++refs_;
    *ppvObj = static_cast<IDirectDrawClipper*>(this);
    return S_OK;
  }
  *ppvObj = nullptr;
  return E_NOINTERFACE;
}

ULONG ClipperObject::AddRef() {
  if (host::CallLogEnabled()) CallLine("IDirectDrawClipper", "AddRef").Emit();
  return ++refs_;
}

ULONG ClipperObject::Release() {
  if (host::CallLogEnabled()) CallLine("IDirectDrawClipper", "Release").Emit();
  if (refs_ == 0) return 0;
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

bool ClipperObject::Region(bool onPrimary, int width, int height, std::vector<RECT>* rects) const {
  rects->clear();
  auto add = [&](RECT r) {
    if (r.left < 0) r.left = 0;
    if (r.top < 0) r.top = 0;
    if (r.right > width) r.right = width;
    if (r.bottom > height) r.bottom = height;
    if (r.left < r.right && r.top < r.bottom) rects->push_back(r);
  };
  if (window_) {
    RECT client;
    if (!GetClientRect(window_, &client)) return true;  // the window is gone: nothing visible
    if (onPrimary) {
      POINT origin = {0, 0};
      ClientToScreen(window_, &origin);
      client.left += origin.x;
      client.right += origin.x;
      client.top += origin.y;
      client.bottom += origin.y;
    }
    add(client);
    return true;
  }
  if (!hasList_) return false;
  for (const RECT& r : list_) add(r);
  return true;
}

HRESULT ClipperObject::GetClipList(LPRECT clip, LPRGNDATA data, LPDWORD size) {
  if (host::CallLogEnabled()) {
    CallLine("IDirectDrawClipper", "GetClipList").Rect(clip).Ptr(data).Ptr(size).Emit();
  }
  HRESULT fault = host::TakeFault("IDirectDrawClipper::GetClipList");
  if (fault != S_OK) return fault;
  if (!size) return DDERR_INVALIDPARAMS;
  std::vector<RECT> rects;
  int w = 0x7FFFFFFF, h = 0x7FFFFFFF;
  if (!Region(true, w, h, &rects)) return DDERR_NOCLIPLIST;
  if (clip) {
    std::vector<RECT> cut;
    for (RECT r : rects) {
      r.left = r.left > clip->left ? r.left : clip->left;
      r.top = r.top > clip->top ? r.top : clip->top;
      r.right = r.right < clip->right ? r.right : clip->right;
      r.bottom = r.bottom < clip->bottom ? r.bottom : clip->bottom;
      if (r.left < r.right && r.top < r.bottom) cut.push_back(r);
    }
    rects.swap(cut);
  }
  const DWORD needed = static_cast<DWORD>(sizeof(RegionHeader) + rects.size() * sizeof(RECT));
  if (!data) {
    *size = needed;
    return DD_OK;
  }
  if (*size < needed) {
    *size = needed;
    return DDERR_REGIONTOOSMALL;
  }
  RegionHeader header;
  header.dwSize = sizeof header;
  header.iType = kRegionRectangles;
  header.nCount = static_cast<DWORD>(rects.size());
  header.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  header.rcBound = {0, 0, 0, 0};
  for (size_t i = 0; i < rects.size(); ++i) {
    const RECT& r = rects[i];
    if (i == 0) {
      header.rcBound = r;
      continue;
    }
    if (r.left < header.rcBound.left) header.rcBound.left = r.left;
    if (r.top < header.rcBound.top) header.rcBound.top = r.top;
    if (r.right > header.rcBound.right) header.rcBound.right = r.right;
    if (r.bottom > header.rcBound.bottom) header.rcBound.bottom = r.bottom;
  }
  auto* bytes = reinterpret_cast<uint8_t*>(data);
  std::memcpy(bytes, &header, sizeof header);
  if (!rects.empty()) {
    std::memcpy(bytes + sizeof header, rects.data(), rects.size() * sizeof(RECT));
  }
  *size = needed;
  return DD_OK;
}

HRESULT ClipperObject::GetHWnd(HWND* window) {
  if (host::CallLogEnabled()) CallLine("IDirectDrawClipper", "GetHWnd").Ptr(window).Emit();
  HRESULT fault = host::TakeFault("IDirectDrawClipper::GetHWnd");
  if (fault != S_OK) return fault;
  if (!window) return DDERR_INVALIDPARAMS;
  *window = window_;
  return DD_OK;
}

HRESULT ClipperObject::Initialize(LPDIRECTDRAW dd, DWORD flags) {
  if (host::CallLogEnabled())
    CallLine("IDirectDrawClipper", "Initialize").Ptr(dd).Hex(flags).Emit();
  HRESULT fault = host::TakeFault("IDirectDrawClipper::Initialize");
  if (fault != S_OK) return fault;
  return DDERR_ALREADYINITIALIZED;
}

HRESULT ClipperObject::IsClipListChanged(BOOL* changed) {
  if (host::CallLogEnabled()) {
    CallLine("IDirectDrawClipper", "IsClipListChanged").Ptr(changed).Emit();
  }
  HRESULT fault = host::TakeFault("IDirectDrawClipper::IsClipListChanged");
  if (fault != S_OK) return fault;
  if (!changed) return DDERR_INVALIDPARAMS;
  *changed = FALSE;
  return DD_OK;
}

HRESULT ClipperObject::SetClipList(LPRGNDATA data, DWORD flags) {
  if (host::CallLogEnabled()) {
    CallLine("IDirectDrawClipper", "SetClipList").Ptr(data).Hex(flags).Emit();
  }
  HRESULT fault = host::TakeFault("IDirectDrawClipper::SetClipList");
  if (fault != S_OK) return fault;
  if (flags != 0) return DDERR_INVALIDPARAMS;
  if (window_) return DDERR_CLIPPERISUSINGHWND;
  if (!data) {
    list_.clear();
    hasList_ = false;
    return DD_OK;
  }
  RegionHeader header;
  std::memcpy(&header, data, sizeof header);
  if (header.dwSize != sizeof header || header.iType != kRegionRectangles ||
      header.nCount > kMaxClipRects) {
    return DDERR_INVALIDCLIPLIST;
  }
  std::vector<RECT> rects(header.nCount);
  if (header.nCount) {
    std::memcpy(rects.data(), reinterpret_cast<const uint8_t*>(data) + sizeof header,
                header.nCount * sizeof(RECT));
  }
  list_.clear();
  for (const RECT& r : rects) {
    if (r.left < r.right && r.top < r.bottom) list_.push_back(r);
  }
  hasList_ = true;
  return DD_OK;
}

HRESULT ClipperObject::SetHWnd(DWORD flags, HWND window) {
  if (host::CallLogEnabled()) {
    CallLine("IDirectDrawClipper", "SetHWnd").Hex(flags).Window(window).Emit();
  }
  HRESULT fault = host::TakeFault("IDirectDrawClipper::SetHWnd");
  if (fault != S_OK) return fault;
  if (flags != 0) return DDERR_INVALIDPARAMS;
  if (window && !IsWindow(window)) return DDERR_INVALIDPARAMS;
  window_ = window;
  return DD_OK;
}

}  // namespace plat::ddraw
