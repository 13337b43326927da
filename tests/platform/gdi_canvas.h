// A device context over plain pixel memory, as GDI sees a locked surface, with rows padded so
// that the pitch is not the width: for drawing through GDI and reading back what it wrote. Also
// the text tests' shorthands for making fonts and reading what GDI measures.
#ifndef QV_TESTS_PLATFORM_GDI_CANVAS_H
#define QV_TESTS_PLATFORM_GDI_CANVAS_H

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "core/gdi_bridge.h"
#include "core/pixels.h"

struct Canvas {
  Canvas(int w, int h, plat::PixelFormat format = plat::PixelFormat::Xrgb8888(),
         const PALETTEENTRY* palette = nullptr) {
    const int pitch = w * static_cast<int>(format.BytesPerPixel()) + 4;
    bytes.assign(static_cast<size_t>(pitch) * h, 0);
    view = {bytes.data(), w, h, pitch, format, palette};
    dc = plat::gdi::CreateDCForPixels(view);
  }
  ~Canvas() { plat::gdi::ReleaseDCForPixels(dc); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  uint32_t At(int x, int y) const { return view.GetRaw(x, y); }
  void Fill(uint32_t raw) {
    for (int y = 0; y < view.height; ++y)
      for (int x = 0; x < view.width; ++x) view.PutRaw(x, y, raw);
  }
  // The smallest rectangle holding every pixel that differs from `raw` (empty when none does).
  RECT ChangedFrom(uint32_t raw) const {
    RECT r = {view.width, view.height, 0, 0};
    for (int y = 0; y < view.height; ++y) {
      for (int x = 0; x < view.width; ++x) {
        if (At(x, y) == raw) continue;
        r.left = std::min<LONG>(r.left, x);
        r.top = std::min<LONG>(r.top, y);
        r.right = std::max<LONG>(r.right, x + 1);
        r.bottom = std::max<LONG>(r.bottom, y + 1);
      }
    }
    return r;
  }
  std::set<uint32_t> Colors() const {
    std::set<uint32_t> colors;
    for (int y = 0; y < view.height; ++y)
      for (int x = 0; x < view.width; ++x) colors.insert(At(x, y));
    return colors;
  }

  std::vector<uint8_t> bytes;
  plat::PixelBuffer view;
  HDC dc = nullptr;
};

// A rectangle's left, top, right and bottom, comparable and printable.
inline std::array<LONG, 4> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

inline HFONT MakeFont(const char* face, int height, int width = 0, int weight = FW_NORMAL,
                      DWORD quality = NONANTIALIASED_QUALITY) {
  return CreateFontA(height, width, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH, face);
}

// What GDI measures for `text` and the selected font; the test fails when the call does.
inline SIZE Extent(HDC dc, const char* text) {
  SIZE size = {};
  EXPECT_TRUE(GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size)) << text;
  return size;
}
inline TEXTMETRICA Metrics(HDC dc) {
  TEXTMETRICA tm = {};
  EXPECT_TRUE(GetTextMetricsA(dc, &tm));
  return tm;
}

#endif
