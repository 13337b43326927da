// Locked surface memory as the software drawing code sees it: where the pixels start, how far
// apart the rows lie, and how many pixels each row and column really hold. Every software
// operation bounds its reads and writes by this as well as by the clip rectangle, so a clip
// rectangle or a pixel format that does not match the memory can never reach past it.
#ifndef QV_BLIT_LOCKED_H
#define QV_BLIT_LOCKED_H

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "qvsurface.h"

namespace qvblit {

// Bytes of one pixel for a format code: 8, 15 and 16, 24, 32; 0 for any other code.
inline int BytesPerPixel(DWORD formatCode) {
  switch (formatCode) {
    case 8:
      return 1;
    case 15:
    case 16:
      return 2;
    case 24:
      return 3;
    case 32:
      return 4;
    default:
      return 0;
  }
}

struct LockedMemory {
  BYTE* pixels = nullptr;
  int64_t pitch = 0;
  int64_t width = 0;  // whole pixels per row within the pitch
  int64_t height = 0;
  int bytes = 0;

  bool Valid() const { return pixels != nullptr && width > 0 && height > 0 && bytes > 0; }
  BYTE* At(int64_t x, int64_t y) const { return pixels + y * pitch + x * bytes; }
};

// The memory the surface's last Lock described, read as pixels of `bytes` bytes each.
inline LockedMemory MemoryOf(const Surface& surface, int bytes) {
  LockedMemory memory;
  const DDSURFACEDESC2& desc = surface.desc;
  if (!desc.lpSurface || bytes <= 0 || !(desc.dwFlags & DDSD_PITCH)) return memory;
  const int64_t pitch = desc.lPitch;
  const int64_t rowBytes = pitch < 0 ? -pitch : pitch;
  int64_t width = (desc.dwFlags & DDSD_WIDTH) ? desc.dwWidth : surface.width;
  const int64_t height = (desc.dwFlags & DDSD_HEIGHT) ? desc.dwHeight : surface.height;
  if (width * bytes > rowBytes) width = rowBytes / bytes;  // width is below 2^32: no overflow
  if (width <= 0 || height <= 0) return memory;
  memory.pixels = static_cast<BYTE*>(desc.lpSurface);
  memory.pitch = pitch;
  memory.width = width;
  memory.height = height;
  memory.bytes = bytes;
  return memory;
}

// The depth of the pixels the surface's last Lock described (16 for 5-5-5 as well).
inline DWORD LockedDepth(const Surface& surface) {
  if (surface.desc.dwFlags & DDSD_PIXELFORMAT) return surface.desc.ddpfPixelFormat.dwRGBBitCount;
  return surface.pixelFormat.bitsPerPixel == 15 ? 16 : surface.pixelFormat.bitsPerPixel;
}

// Truncation toward zero that stays defined for any double: saturated at the 64-bit limits,
// NaN gives 0.
inline int64_t TruncToInt64(double value) {
  if (!(value == value)) return 0;
  if (value >= 9.2e18) return INT64_C(9200000000000000000);
  if (value <= -9.2e18) return -INT64_C(9200000000000000000);
  return static_cast<int64_t>(value);
}

// A 64-bit coordinate as a 32-bit one, saturated.
inline int32_t Saturate32(int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace qvblit

#endif
