// IDirectDrawPalette and IDirectDrawClipper.
#include <cstring>

#include "ddraw/ddraw_internal.h"
#include "ddraw/entry_args.h"

namespace plat::ddraw {

namespace {

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

// Without DDPCAPS_ALLOW256 the first and last entries of a 256-colour palette are the system's
// black and white, whatever the program sets there.
void KeepSystemEntries(DWORD caps, int count, PALETTEENTRY* entries) {
  if (count != 256 || (caps & DDPCAPS_ALLOW256)) return;
  entries[0] = PALETTEENTRY{0, 0, 0, 0};
  entries[255] = PALETTEENTRY{255, 255, 255, 0};
}
}  // namespace

// ---- Palette -----------------------------------------------------------------------------------
PaletteObject::PaletteObject(DWORD caps, int count, const PALETTEENTRY* entries)
    : ComObject(QV_COM_NAMES("IDirectDrawPalette")),
      serial_(NextSerial(kSerialPalette)),
      caps_(caps),
      count_(count) {
  std::memcpy(entries_, entries, sizeof(PALETTEENTRY) * count);
  KeepSystemEntries(caps_, count_, entries_);
}

void* PaletteObject::Find(REFIID riid) {
  return IsEqualGUID(riid, IID_IDirectDrawPalette) ? static_cast<IDirectDrawPalette*>(this)
                                                   : nullptr;
}

HRESULT PaletteObject::GetCaps(LPDWORD caps) {
  QV_ENTRY_OR_RETURN("IDirectDrawPalette::GetCaps", trace::Ptr(caps));
  if (!caps) return DDERR_INVALIDPARAMS;
  *caps = caps_;
  return DD_OK;
}

HRESULT PaletteObject::GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) {
  QV_ENTRY_OR_RETURN("IDirectDrawPalette::GetEntries", trace::Hex(flags), trace::Dec(base),
                     trace::Dec(count), trace::Ptr(entries));
  if (flags != 0 || !entries) return DDERR_INVALIDPARAMS;
  if (base >= static_cast<DWORD>(count_) || count > static_cast<DWORD>(count_) - base) {
    return DDERR_INVALIDPARAMS;
  }
  std::memcpy(entries, entries_ + base, sizeof(PALETTEENTRY) * count);
  return DD_OK;
}

HRESULT PaletteObject::Initialize(LPDIRECTDRAW dd, DWORD flags, LPPALETTEENTRY table) {
  QV_ENTRY_OR_RETURN("IDirectDrawPalette::Initialize", trace::Ptr(dd), trace::Hex(flags),
                     trace::Ptr(table));
  return DDERR_ALREADYINITIALIZED;
}

HRESULT PaletteObject::SetEntries(DWORD flags, DWORD first, DWORD count, LPPALETTEENTRY entries) {
  QV_ENTRY_OR_RETURN("IDirectDrawPalette::SetEntries", trace::Hex(flags), trace::Dec(first),
                     trace::Dec(count), trace::Ptr(entries));
  if (flags != 0 || !entries) return DDERR_INVALIDPARAMS;
  if (first >= static_cast<DWORD>(count_) || count > static_cast<DWORD>(count_) - first) {
    return DDERR_INVALIDPARAMS;
  }
  std::memcpy(entries_ + first, entries, sizeof(PALETTEENTRY) * count);
  KeepSystemEntries(caps_, count_, entries_);
  return DD_OK;
}

// ---- Clipper -----------------------------------------------------------------------------------
ClipperObject::ClipperObject()
    : ComObject(QV_COM_NAMES("IDirectDrawClipper")), serial_(NextSerial(kSerialClipper)) {}

void* ClipperObject::Find(REFIID riid) {
  return IsEqualGUID(riid, IID_IDirectDrawClipper) ? static_cast<IDirectDrawClipper*>(this)
                                                   : nullptr;
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
  QV_ENTRY_OR_RETURN("IDirectDrawClipper::GetClipList", trace::Rect(clip), trace::Ptr(data),
                     trace::Ptr(size));
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
  QV_ENTRY_OR_RETURN("IDirectDrawClipper::GetHWnd", trace::Ptr(window));
  if (!window) return DDERR_INVALIDPARAMS;
  *window = window_;
  return DD_OK;
}

HRESULT ClipperObject::Initialize(LPDIRECTDRAW dd, DWORD flags) {
  QV_ENTRY_OR_RETURN("IDirectDrawClipper::Initialize", trace::Ptr(dd), trace::Hex(flags));
  return DDERR_ALREADYINITIALIZED;
}

HRESULT ClipperObject::IsClipListChanged(BOOL* changed) {
  QV_ENTRY_OR_RETURN("IDirectDrawClipper::IsClipListChanged", trace::Ptr(changed));
  if (!changed) return DDERR_INVALIDPARAMS;
  *changed = FALSE;
  return DD_OK;
}

HRESULT ClipperObject::SetClipList(LPRGNDATA data, DWORD flags) {
  QV_ENTRY_OR_RETURN("IDirectDrawClipper::SetClipList", trace::Ptr(data), trace::Hex(flags));
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
  QV_ENTRY_OR_RETURN("IDirectDrawClipper::SetHWnd", trace::Hex(flags), trace::Wnd(window));
  if (flags != 0) return DDERR_INVALIDPARAMS;
  if (window && !IsWindow(window)) return DDERR_INVALIDPARAMS;
  window_ = window;
  return DD_OK;
}

}  // namespace plat::ddraw
