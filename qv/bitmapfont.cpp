// BitmapFont: a 320-pixel-wide glyph atlas painted once with GDI, drawn from with BltFast.
#include "bitmapfont.h"

#include <cstdint>
#include <cstring>

#include "qvsurface.h"

namespace {

// Atlas width, and the edge a cell must stay left of to share its row with the previous ones.
const int kAtlasWidth = 320;
const int kRowEnd = 310;

// Glyphs exist for the codes below this one.
const int kGlyphCount = 128;

// A whole string drawn from the locked atlas into the locked target, each glyph's cell copied
// row by row as BltFast would copy it: the same checks, the same pixels, the same result, at
// the cost of one lock of each surface instead of a device call per character. It covers
// 16-bit surfaces of one format with no clipper on the target and neither surface lost; in
// every other case it declines and the caller makes the device calls.
class LockedGlyphs {
 public:
  LockedGlyphs(IDirectDrawSurface4* atlas, IDirectDrawSurface4* target, bool keyed)
      : atlas_(atlas), target_(target) {
    if (atlas == target) return;
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    if (target->GetClipper(&clipper) == DD_OK) {
      if (clipper) clipper->Release();
      return;
    }
    if (atlas->IsLost() != DD_OK || target->IsLost() != DD_OK) return;
    if (keyed) {
      DDCOLORKEY key = {};
      if (atlas->GetColorKey(DDCKEY_SRCBLT, &key) == DD_OK) {
        keyed_ = true;
        keyLow_ = key.dwColorSpaceLowValue;
        keyHigh_ = key.dwColorSpaceHighValue;
      }
    }
    from_.dwSize = sizeof(from_);
    to_.dwSize = sizeof(to_);
    if (atlas->Lock(nullptr, &from_, DDLOCK_WAIT, nullptr) != DD_OK) return;
    atlasLocked_ = true;
    if (target->Lock(nullptr, &to_, DDLOCK_WAIT, nullptr) != DD_OK) return;
    targetLocked_ = true;
    const DDPIXELFORMAT& a = from_.ddpfPixelFormat;
    const DDPIXELFORMAT& t = to_.ddpfPixelFormat;
    ready_ = a.dwRGBBitCount == 16 && t.dwRGBBitCount == 16 && a.dwRBitMask == t.dwRBitMask &&
             a.dwGBitMask == t.dwGBitMask && a.dwBBitMask == t.dwBBitMask && a.dwFlags == t.dwFlags;
  }
  ~LockedGlyphs() {
    if (targetLocked_) target_->Unlock(nullptr);
    if (atlasLocked_) atlas_->Unlock(nullptr);
  }
  LockedGlyphs(const LockedGlyphs&) = delete;
  LockedGlyphs& operator=(const LockedGlyphs&) = delete;

  bool Ready() const { return ready_; }

  // The cell `source` of the atlas at (x, y) of the target; BltFast's result for it.
  HRESULT Copy(int x, int y, const RECT& source) const {
    const int64_t atlasWidth = from_.dwWidth, atlasHeight = from_.dwHeight;
    if (source.left >= source.right || source.top >= source.bottom || source.left < 0 ||
        source.top < 0 || source.right > atlasWidth || source.bottom > atlasHeight)
      return DDERR_INVALIDRECT;
    const int64_t w = source.right - source.left, h = source.bottom - source.top;
    // BltFast takes the position unsigned: a negative one lies far beyond the right edge.
    const int64_t left = static_cast<DWORD>(x), top = static_cast<DWORD>(y);
    if (left + w > to_.dwWidth || top + h > to_.dwHeight) return DDERR_INVALIDRECT;
    // Whole 8-pixel groups stay inside both rows: the keyed copy may work on vectors.
    const int64_t groups = (w + 7) / 8 * 8;
    const bool wide =
        keyLow_ == keyHigh_ && source.left + groups <= atlasWidth && left + groups <= to_.dwWidth;
    for (int64_t row = 0; row < h; ++row) {
      const BYTE* s = static_cast<const BYTE*>(from_.lpSurface) +
                      (source.top + row) * from_.lPitch + source.left * 2;
      BYTE* d = static_cast<BYTE*>(to_.lpSurface) + (top + row) * to_.lPitch + left * 2;
      if (!keyed_)
        std::memcpy(d, s, static_cast<size_t>(w) * 2);
      else if (wide)
        KeyedGroups(d, s, w);
      else
        KeyedPixels(d, s, w);
    }
    return DD_OK;
  }

 private:
  void KeyedPixels(BYTE* d, const BYTE* s, int64_t w) const {
    for (int64_t i = 0; i < w; ++i) {
      uint16_t pixel;
      std::memcpy(&pixel, s + 2 * i, 2);
      if (pixel < keyLow_ || pixel > keyHigh_) std::memcpy(d + 2 * i, &pixel, 2);
    }
  }

  // Groups of eight pixels, the pixels past w and those equal to the key kept as they are.
  void KeyedGroups(BYTE* d, const BYTE* s, int64_t w) const {
#if defined(__SSE2__)
    typedef uint16_t Group __attribute__((vector_size(16)));
    const Group lanes = {0, 1, 2, 3, 4, 5, 6, 7};
    const Group key = Group{} + static_cast<uint16_t>(keyLow_);
    for (int64_t i = 0; i < w; i += 8, d += 16, s += 16) {
      Group from, to;
      std::memcpy(&from, s, 16);
      std::memcpy(&to, d, 16);
      const Group take =
          reinterpret_cast<Group>((from != key) & (lanes < static_cast<uint16_t>(w - i)));
      to = (take & from) | (~take & to);
      std::memcpy(d, &to, 16);
    }
#else
    KeyedPixels(d, s, w);
#endif
  }

  IDirectDrawSurface4* atlas_;
  IDirectDrawSurface4* target_;
  DDSURFACEDESC2 from_ = {};
  DDSURFACEDESC2 to_ = {};
  bool keyed_ = false;
  DWORD keyLow_ = 0, keyHigh_ = 0;
  bool atlasLocked_ = false, targetLocked_ = false, ready_ = false;
};

}  // namespace

BitmapFont::BitmapFont(Screen* screen, const char* faceName, int fontHeight, COLORREF textColor,
                       DWORD colorKey, COLORREF backgroundColor, int fontWeight, int memoryType)
    : textColor(0),
      backgroundColor(0),
      colorKey(0),
      fontHeight(0),
      fontWeight(0),
      faceName(nullptr),
      atlasMemory(AnyMemory),
      atlas(nullptr),
      screen(nullptr) {
  std::memset(glyphs, 0, sizeof(glyphs));
  Build(screen, faceName, fontHeight, textColor, colorKey, backgroundColor, fontWeight, memoryType);
}

BitmapFont::BitmapFont(Screen* screen)
    : BitmapFont(screen, "Courier", 12, 0x00FFFFFF, 0, 0, 400, AnyMemory) {}

BitmapFont::~BitmapFont() {
  delete atlas;
  atlas = nullptr;
}

void BitmapFont::Build(Screen* screen_, const char* faceName_, int fontHeight_, COLORREF textColor_,
                       DWORD colorKey_, COLORREF backgroundColor_, int fontWeight_,
                       int /*memoryType*/) {
  screen = screen_;
  faceName = faceName_;
  fontHeight = fontHeight_;
  textColor = textColor_;
  colorKey = colorKey_;
  backgroundColor = backgroundColor_;
  fontWeight = fontWeight_;
  atlasMemory = AnyMemory;
  delete atlas;
  atlas = nullptr;
  if (screen == nullptr) return;

  // Measure every character in a small system-memory surface holding the font.
  Surface* measure = new Surface(screen, 100, 100, SystemMemory);
  measure->SetFont(faceName, 0, fontHeight, fontWeight);
  int x = 0;
  int y = 0;
  for (int code = 0; code < kGlyphCount; ++code) {
    const char text[2] = {static_cast<char>(code), 0};
    SIZE extent = {0, 0};
    HDC dc = measure->GetDC();
    measure->SelectFont();
    SetBkMode(dc, OPAQUE);
    ::SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    GetTextExtentPoint32A(dc, text, 1, &extent);
    measure->ReleaseDC();
    if (x + extent.cx >= kRowEnd) {
      x = 0;
      y += extent.cy;
    }
    Glyph& glyph = glyphs[code];
    glyph.left = x;
    glyph.top = y;
    glyph.right = x + extent.cx;
    glyph.bottom = y + extent.cy;
    glyph.width = extent.cx;
    glyph.height = extent.cy;
    x += extent.cx;
  }
  delete measure;

  atlas = new Surface(screen, kAtlasWidth, y + fontHeight + 5, atlasMemory);
  Render();
}

HRESULT BitmapFont::Render() {
  if (atlas == nullptr) return DDERR_INVALIDOBJECT;
  atlas->SetFont(faceName, 0, fontHeight, fontWeight);
  atlas->SetColorKey(colorKey);

  HDC dc = atlas->GetDC();
  atlas->SelectFont();
  SetBkMode(dc, OPAQUE);
  ::SetTextColor(dc, textColor);
  SetBkColor(dc, backgroundColor);
  // Each character is painted, background included, only inside its own cell.
  for (int code = 0; code < kGlyphCount; ++code) {
    const Glyph& glyph = glyphs[code];
    const char text[2] = {static_cast<char>(code), 0};
    HRGN region = CreateRectRgn(glyph.left, glyph.top, glyph.right, glyph.bottom);
    SelectClipRgn(dc, region);
    TextOutA(dc, glyph.left, glyph.top, text, 1);
    DeleteObject(region);
  }
  atlas->ReleaseDC();
  return atlas->SetColorKey(colorKey);
}

void BitmapFont::SetFont(const char* faceName_, int fontHeight_, COLORREF textColor_,
                         int fontWeight_) {
  Build(screen, faceName_, fontHeight_, textColor_, colorKey, backgroundColor, fontWeight_,
        AnyMemory);
}

HRESULT BitmapFont::SetTextColor(COLORREF color) {
  textColor = color;
  return Render();
}

HRESULT BitmapFont::SetBackgroundColor(COLORREF color) {
  backgroundColor = color;
  return Render();
}

HRESULT BitmapFont::SetColorKey(DWORD key) {
  colorKey = key;
  if (atlas == nullptr) return DDERR_INVALIDOBJECT;
  return atlas->SetColorKey(key);
}

int BitmapFont::GetCharWidth(char character) const {
  return glyphs[static_cast<unsigned char>(character)].width;
}

int BitmapFont::GetCharHeight(char character) const {
  return glyphs[static_cast<unsigned char>(character)].height;
}

int BitmapFont::GetTextWidth(const char* text) const {
  if (text == nullptr) return 0;
  int width = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    width += glyphs[*p].width;
  }
  return width;
}

HRESULT BitmapFont::Restore() {
  if (atlas == nullptr) return DDERR_INVALIDOBJECT;
  atlas->Restore();
  return Render();
}

HRESULT BitmapFont::DrawRun(int x, int y, const char* text, Surface* target, const RECT* clip,
                            int maxCount, DWORD flags) {
  if (text == nullptr || target == nullptr) return DDERR_INVALIDPARAMS;
  HRESULT result = DD_OK;
  if (*text != 0 && maxCount != 0 && atlas != nullptr && atlas->surface != nullptr &&
      target->surface != nullptr) {
    const LockedGlyphs locked(atlas->surface, target->surface,
                              (flags & DDBLTFAST_SRCCOLORKEY) != 0);
    if (locked.Ready()) {
      const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
      for (int count = 0; *p != 0 && (maxCount < 0 || count < maxCount); ++p, ++count) {
        if (*p >= kGlyphCount) continue;  // no glyph
        const Glyph& glyph = glyphs[*p];
        RECT source = {glyph.left, glyph.top, glyph.right, glyph.bottom};
        int drawX = x;
        int drawY = y;
        if (clip != nullptr) ClipSourceToRect(drawX, drawY, source, *clip);
        result = locked.Copy(drawX, drawY, source);
        x += glyph.width;
      }
      return result;
    }
  }
  // The device's BltFast, one character at a time.
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  for (int count = 0; *p != 0 && (maxCount < 0 || count < maxCount); ++p, ++count) {
    if (*p >= kGlyphCount) continue;  // no glyph
    const Glyph& glyph = glyphs[*p];
    if (atlas == nullptr || atlas->surface == nullptr || target->surface == nullptr) {
      return DDERR_INVALIDOBJECT;
    }
    RECT source = {glyph.left, glyph.top, glyph.right, glyph.bottom};
    int drawX = x;
    int drawY = y;
    if (clip != nullptr) ClipSourceToRect(drawX, drawY, source, *clip);
    result = target->surface->BltFast(static_cast<DWORD>(drawX), static_cast<DWORD>(drawY),
                                      atlas->surface, &source, flags);
    // A lost atlas is restored and repainted; the character that failed is not drawn again.
    if (result == DDERR_SURFACELOST) Restore();
    x += glyph.width;
  }
  return result;
}

HRESULT BitmapFont::Draw(int x, int y, const char* text, Surface* target, int maxCount) {
  return DrawRun(x, y, text, target, nullptr, maxCount, DDBLTFAST_WAIT);
}

HRESULT BitmapFont::DrawKeyed(int x, int y, const char* text, Surface* target, int maxCount) {
  return DrawRun(x, y, text, target, nullptr, maxCount, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

HRESULT BitmapFont::DrawClipped(int x, int y, const char* text, Surface* target, const RECT& clip,
                                int maxCount) {
  return DrawRun(x, y, text, target, &clip, maxCount, DDBLTFAST_WAIT);
}

HRESULT BitmapFont::DrawClippedKeyed(int x, int y, const char* text, Surface* target,
                                     const RECT& clip, int maxCount) {
  return DrawRun(x, y, text, target, &clip, maxCount, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

HRESULT BitmapFont::DrawInField(int x, int y, int width, const char* text, Surface* target,
                                int alignment, DWORD flags) {
  if (alignment != 1 && alignment != 3) return DD_OK;
  if (text == nullptr) return DDERR_INVALIDPARAMS;
  const int textWidth = GetTextWidth(text);
  if (textWidth < width) {
    const int start = alignment == 1 ? x + (width - textWidth) / 2 : x + width - textWidth;
    return DrawRun(start, y, text, target, nullptr, -1, flags);
  }
  // Too wide for the field: from x, as many characters as fit.
  int count = 0;
  int sum = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    if (sum + glyphs[*p].width > width) break;
    sum += glyphs[*p].width;
    ++count;
  }
  return DrawRun(x, y, text, target, nullptr, count, flags);
}

HRESULT BitmapFont::DrawAligned(int x, int y, int width, const char* text, Surface* target,
                                int alignment) {
  return DrawInField(x, y, width, text, target, alignment, DDBLTFAST_WAIT);
}

HRESULT BitmapFont::DrawAlignedKeyed(int x, int y, int width, const char* text, Surface* target,
                                     int alignment) {
  return DrawInField(x, y, width, text, target, alignment, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}
