// A device context over plain pixel memory, as GDI sees a locked surface, with rows padded so
// that the pitch is not the width: for drawing through GDI and reading back what it wrote.
#ifndef QV_TESTS_PLATFORM_GDI_CANVAS_H
#define QV_TESTS_PLATFORM_GDI_CANVAS_H

#include <windows.h>

#include <algorithm>
#include <cstdint>
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

#endif
