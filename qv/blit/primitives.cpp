// Pixels, lines and shapes drawn into a surface's locked memory in the Screen's pixel format.
// The caller locks and unlocks. Every write goes through one target that is the clip rectangle
// cut to the locked memory, and coordinates are carried in 64 bits, so lines and shapes that
// reach far outside, absurd radii and inverted rectangles stay defined; loops only visit the
// steps that can land inside the target, so their length is bounded by its size.
#include <windows.h>
#include <ddraw.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "blit/locked.h"
#include "qvscreen.h"
#include "qvsurface.h"

namespace {

using qvblit::TruncToInt64;

// How far a straight line may step outside the target before its running value is jumped
// forward instead of accumulated; lines shorter than this are drawn step by step exactly.
const int64_t kExactSkip = int64_t{1} << 20;

// The locked memory seen through the clip rectangle.
struct Target {
  qvblit::LockedMemory memory;
  DWORD format = 0;
  int64_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive

  bool Empty() const { return right <= left || bottom <= top; }
  bool Inside(int64_t x, int64_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }

  void Write(BYTE* p, DWORD color) const {
    switch (memory.bytes) {
      case 1:
        *p = static_cast<BYTE>(color);
        break;
      case 2: {
        const uint16_t v = static_cast<uint16_t>(color);
        std::memcpy(p, &v, 2);
        break;
      }
      default:  // 24 and 32: three colour bytes, the fourth byte of a 32-bit pixel kept
        p[0] = static_cast<BYTE>(color);
        p[1] = static_cast<BYTE>(color >> 8);
        p[2] = static_cast<BYTE>(color >> 16);
        break;
    }
  }

  void Put(int64_t x, int64_t y, DWORD color) const {
    if (Inside(x, y)) Write(memory.At(x, y), color);
  }

  void PutBlended(int64_t x, int64_t y, DWORD color, DWORD weight) const;

  // Pixels x1..x2 (either order, both included) of row y.
  void HorizontalRun(int64_t x1, int64_t x2, int64_t y, DWORD color) const;
  // Pixels y1..y2 (either order, both included) of column x.
  void VerticalRun(int64_t y1, int64_t y2, int64_t x, DWORD color) const;
};

Target TargetOf(const Surface& surface) {
  Target target;
  target.format = surface.screen ? static_cast<DWORD>(surface.screen->bitsPerPixel) : 0;
  target.memory = qvblit::MemoryOf(surface, qvblit::BytesPerPixel(target.format));
  if (!target.memory.Valid()) return target;  // left empty: nothing is drawn
  target.left = std::max<int64_t>(surface.clipRect.left, 0);
  target.top = std::max<int64_t>(surface.clipRect.top, 0);
  target.right = std::min<int64_t>(surface.clipRect.right, target.memory.width);
  target.bottom = std::min<int64_t>(surface.clipRect.bottom, target.memory.height);
  return target;
}

// Channel layout of the formats that blend: shift and largest value of red, green, blue.
struct Layout {
  int shift[3];
  uint32_t max[3];
};

void Target::PutBlended(int64_t x, int64_t y, DWORD color, DWORD weight) const {
  if (!Inside(x, y)) return;
  BYTE* p = memory.At(x, y);
  if (format == 8) {
    Write(p, color);
    return;
  }
  static const Layout k555 = {{10, 5, 0}, {31, 31, 31}};
  static const Layout k565 = {{11, 5, 0}, {31, 63, 31}};
  static const Layout k888 = {{16, 8, 0}, {255, 255, 255}};
  const Layout& layout = format == 15 ? k555 : format == 16 ? k565 : k888;
  uint32_t old = 0;
  if (memory.bytes == 2) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    old = v;
  } else {
    old = p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
  }
  const int64_t w = weight & 0xFFFF;
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) {
    const int64_t d = (old >> layout.shift[c]) & layout.max[c];
    const int64_t k = (color >> layout.shift[c]) & layout.max[c];
    const int64_t delta = (k - d) * w;
    int64_t value = d + (delta >= 0 ? delta / 256 : -((-delta + 255) / 256));
    // A weight above 256 overshoots; the channel stops at its range instead of spilling.
    value = std::min<int64_t>(std::max<int64_t>(value, 0), layout.max[c]);
    out |= static_cast<uint32_t>(value) << layout.shift[c];
  }
  Write(p, out);
}

void Target::HorizontalRun(int64_t x1, int64_t x2, int64_t y, DWORD color) const {
  if (y < top || y >= bottom) return;
  int64_t start = std::max(std::min(x1, x2), left);
  const int64_t end = std::min(std::max(x1, x2) + 1, right);
  if (end <= start) return;
  BYTE* p = memory.At(start, y);
  int64_t count = end - start;
  if (memory.bytes == 1) {
    // Single bytes up to a multiple of four, then words of the byte four times.
    for (; count % 4; --count) *p++ = static_cast<BYTE>(color);
    const uint32_t word = (color & 0xFF) * 0x01010101u;
    for (; count > 0; count -= 4, p += 4) std::memcpy(p, &word, 4);
  } else if (memory.bytes == 2) {
    // One single pixel when the count is odd, then words of the pixel twice.
    if (count & 1) {
      Write(p, color);
      p += 2;
      --count;
    }
    const uint32_t word = (color & 0xFFFF) * 0x00010001u;
    for (; count > 0; count -= 2, p += 4) std::memcpy(p, &word, 4);
  } else {
    for (; count > 0; --count, p += memory.bytes) Write(p, color);
  }
}

void Target::VerticalRun(int64_t y1, int64_t y2, int64_t x, DWORD color) const {
  if (x < left || x >= right) return;
  const int64_t start = std::max(std::min(y1, y2), top);
  const int64_t end = std::min(std::max(y1, y2) + 1, bottom);
  for (int64_t y = start; y < end; ++y) Write(memory.At(x, y), color);
}

// The steps n in [first, last] at which base + step * n lies in [low, high); empty when
// first > last afterwards.
void StepsInside(int64_t base, int64_t step, int64_t low, int64_t high, int64_t& first,
                 int64_t& last) {
  if (step > 0) {
    first = std::max(first, low - base);
    last = std::min(last, high - 1 - base);
  } else {
    first = std::max(first, base - (high - 1));
    last = std::min(last, base - low);
  }
}

// Straight line by a running double value that is truncated at every pixel. `major` runs
// from a to b (a <= b) over the axis of the larger extent, the minor value starts at `minor`.
// The minor value stays within the line's own ends, so it truncates without overflow.
template <int Bytes, bool AlongX>
void Walk(const Target& t, int64_t a, int64_t b, double minor, double slope, DWORD color) {
  const int64_t low = AlongX ? t.left : t.top, high = AlongX ? t.right : t.bottom;
  const int64_t minorLow = AlongX ? t.top : t.left, minorHigh = AlongX ? t.bottom : t.right;
  int64_t m = a;
  if (low - m > kExactSkip) {
    // Far outside: jump the running value forward rather than add the slope billions of times.
    minor += slope * static_cast<double>(low - m);
    m = low;
  }
  for (; m < low && m <= b; ++m) minor += slope;
  const int64_t end = std::min(b, high - 1);
  BYTE* const base = t.memory.pixels;
  const int64_t pitch = t.memory.pitch;
  for (; m <= end; ++m) {
    const int64_t n = static_cast<int64_t>(minor);
    minor += slope;
    if (n < minorLow || n >= minorHigh) continue;
    BYTE* p = AlongX ? base + n * pitch + m * Bytes : base + m * pitch + n * Bytes;
    if (Bytes == 2) {
      const uint16_t v = static_cast<uint16_t>(color);
      std::memcpy(p, &v, 2);
    } else {
      t.Write(p, color);
    }
  }
}

template <bool AlongX>
void WalkAny(const Target& t, int64_t a, int64_t b, double minor, double slope, DWORD color) {
  switch (t.memory.bytes) {
    case 1:
      return Walk<1, AlongX>(t, a, b, minor, slope, color);
    case 2:
      return Walk<2, AlongX>(t, a, b, minor, slope, color);
    case 3:
      return Walk<3, AlongX>(t, a, b, minor, slope, color);
    default:
      return Walk<4, AlongX>(t, a, b, minor, slope, color);
  }
}

// r(i) = floor(sqrt(radius^2 - i^2) + 0.5), for 0 <= i <= radius.
int64_t CircleHalf(int64_t radius, int64_t i) {
  const double r = static_cast<double>(radius);
  const double s = static_cast<double>(i);
  const double inside = r * r - s * s;
  return TruncToInt64(std::sqrt(inside > 0 ? inside : 0.0) + 0.5);
}

// A coordinate of a circle point that grows with the step i: base + sign * i on one axis.
struct StepCoordinate {
  int64_t base;
  int sign;
  bool vertical;
};

// Runs plot(i, h) for the steps i = 0, 1, ... of a circle of `radius` (h = radius at i = 0,
// r(i) after it) while h >= i, skipping the steps at which no coordinate in `coordinates` can
// fall inside the target: those steps plot nothing.
template <typename Plot>
void CircleSteps(const Target& target, int64_t radius, std::initializer_list<StepCoordinate> coords,
                 Plot plot) {
  if (radius < 0 || target.Empty()) return;
  std::vector<std::pair<int64_t, int64_t>> ranges;
  for (const StepCoordinate& c : coords) {
    int64_t first = 0;
    int64_t last = radius;
    if (c.vertical)
      StepsInside(c.base, c.sign, target.top, target.bottom, first, last);
    else
      StepsInside(c.base, c.sign, target.left, target.right, first, last);
    if (first <= last) ranges.emplace_back(first, last);
  }
  std::sort(ranges.begin(), ranges.end());
  int64_t next = 0;  // steps below this are done
  for (const auto& range : ranges) {
    for (int64_t i = std::max(range.first, next); i <= range.second; ++i) {
      const int64_t h = i == 0 ? radius : CircleHalf(radius, i);
      // h - i falls with every step: once below zero the circle is finished.
      if (h < i) return;
      plot(i, h);
    }
    next = std::max(next, range.second + 1);
  }
}

}  // namespace

// One pixel, resolved without building the whole target: the clip rectangle first (most
// pixels that miss, miss it), then the locked memory, as TargetOf bounds it.
void Surface::PutPixelAnyFormat(int x, int y, DWORD color) {
  if (x < clipRect.left || x >= clipRect.right || y < clipRect.top || y >= clipRect.bottom) return;
  // A lock describes the pitch, width and height; anything else takes the general path.
  const DWORD described = DDSD_PITCH | DDSD_WIDTH | DDSD_HEIGHT;
  BYTE* const pixels = static_cast<BYTE*>(desc.lpSurface);
  if (__builtin_expect((desc.dwFlags & described) != described || !pixels || !screen, 0)) {
    TargetOf(*this).Put(x, y, color);
    return;
  }
  // Unsigned, a negative coordinate lies beyond any width.
  const uint64_t column = static_cast<uint64_t>(static_cast<int64_t>(x));
  if (column >= desc.dwWidth || static_cast<uint64_t>(static_cast<int64_t>(y)) >= desc.dwHeight)
    return;
  const int64_t pitch = desc.lPitch;
  const uint64_t rowBytes = static_cast<uint64_t>(pitch < 0 ? -pitch : pitch);
  const DWORD format = static_cast<DWORD>(screen->bitsPerPixel);
  if (__builtin_expect(format == 16 || format == 15, 1)) {
    if ((column + 1) * 2 > rowBytes) return;
    const uint16_t v = static_cast<uint16_t>(color);
    std::memcpy(pixels + y * pitch + x * int64_t{2}, &v, 2);
    return;
  }
  const int bytes = qvblit::BytesPerPixel(format);
  if (bytes == 0 || (column + 1) * bytes > rowBytes) return;
  BYTE* p = pixels + y * pitch + x * int64_t{bytes};
  if (bytes == 1) {
    *p = static_cast<BYTE>(color);
  } else {
    p[0] = static_cast<BYTE>(color);
    p[1] = static_cast<BYTE>(color >> 8);
    p[2] = static_cast<BYTE>(color >> 16);
  }
}

void Surface::PutPixelAlpha(int x, int y, DWORD color, DWORD weight) {
  TargetOf(*this).PutBlended(x, y, color, weight);
}

DWORD Surface::GetPixel(int x, int y) {
  const DWORD format = screen ? static_cast<DWORD>(screen->bitsPerPixel) : 0;
  const qvblit::LockedMemory memory = qvblit::MemoryOf(*this, qvblit::BytesPerPixel(format));
  // Outside the locked memory there is no pixel to read.
  if (!memory.Valid() || x < 0 || y < 0 || x >= memory.width || y >= memory.height) return 0;
  const BYTE* p = memory.At(x, y);
  switch (format) {
    case 8:
      return p[0];
    case 15:
    case 16:
      return p[0] | (p[1] << 8);
    case 24:
      return p[0] | (p[1] << 8) | (static_cast<DWORD>(p[2]) << 16);
    default: {
      DWORD value;
      std::memcpy(&value, p, 4);
      return value;
    }
  }
}

void Surface::DrawHLine(int x1, int x2, int y, DWORD color) {
  TargetOf(*this).HorizontalRun(x1, x2, y, color);
}

void Surface::DrawVLine(int y1, int y2, int x, DWORD color) {
  TargetOf(*this).VerticalRun(y1, y2, x, color);
}

void Surface::DrawLine(int x1, int y1, int x2, int y2, DWORD color) {
  const Target target = TargetOf(*this);
  if (target.Empty()) return;
  if (x1 == x2) {
    target.VerticalRun(y1, y2, x1, color);
    return;
  }
  if (y1 == y2) {
    target.HorizontalRun(x1, x2, y1, color);
    return;
  }
  int64_t ax = x1, ay = y1, bx = x2, by = y2;
  const int64_t dx = bx > ax ? bx - ax : ax - bx;
  const int64_t dy = by > ay ? by - ay : ay - by;
  if (dx > dy) {
    if (ax > bx) {
      std::swap(ax, bx);
      std::swap(ay, by);
    }
    const double slope = static_cast<double>(by - ay) / static_cast<double>(bx - ax);
    WalkAny<true>(target, ax, bx, static_cast<double>(ay), slope, color);
  } else {
    // dy >= dx: exact diagonals step along y.
    if (ay > by) {
      std::swap(ax, bx);
      std::swap(ay, by);
    }
    const double slope = static_cast<double>(bx - ax) / static_cast<double>(by - ay);
    WalkAny<false>(target, ay, by, static_cast<double>(ax), slope, color);
  }
}

void Surface::DrawLineAntialiased(int x1, int y1, int x2, int y2, DWORD color) {
  const Target target = TargetOf(*this);
  if (target.Empty()) return;
  int64_t x0 = x1, y0 = y1, xe = x2, ye = y2;
  if (y0 > ye) {
    std::swap(x0, xe);
    std::swap(y0, ye);
  }
  target.Put(x0, y0, color);
  const int64_t xdir = xe >= x0 ? 1 : -1;
  const int64_t adx = xe >= x0 ? xe - x0 : x0 - xe;
  const int64_t dy = ye - y0;

  // Steps n = 1..count of the straight cases, limited to those that land inside.
  auto straight = [&](int64_t count, int64_t stepX, int64_t stepY) {
    int64_t first = 1;
    int64_t last = count;
    if (stepX != 0)
      StepsInside(x0, stepX, target.left, target.right, first, last);
    else if (x0 < target.left || x0 >= target.right)
      return;
    if (stepY != 0)
      StepsInside(y0, stepY, target.top, target.bottom, first, last);
    else if (y0 < target.top || y0 >= target.bottom)
      return;
    for (int64_t n = first; n <= last; ++n) target.Put(x0 + n * stepX, y0 + n * stepY, color);
  };
  if (dy == 0) {
    straight(adx, xdir, 0);
    return;
  }
  if (adx == 0) {
    straight(dy, 0, 1);
    return;
  }
  if (adx == dy) {
    straight(dy, xdir, 1);
    return;
  }

  // Wu's line with a 16-bit error accumulator. After n steps the accumulator holds
  // (n * adjust) mod 65536 and the minor axis has advanced once per wrap, n * adjust / 65536
  // times, so each step is computed directly and only steps near the target are visited.
  if (adx < dy) {
    const int64_t adjust = ((adx << 16) / dy) & 0xFFFF;
    int64_t first = 1;
    int64_t last = dy - 1;
    StepsInside(y0, 1, target.top, target.bottom, first, last);
    for (int64_t n = first; n <= last; ++n) {
      const int64_t total = n * adjust;
      const int64_t x = x0 + xdir * (total >> 16);
      const DWORD w = static_cast<DWORD>((total & 0xFFFF) >> 8);
      target.PutBlended(x, y0 + n, color, 255 - w);
      target.PutBlended(x + xdir, y0 + n, color, w);
    }
  } else {
    const int64_t adjust = ((dy << 16) / adx) & 0xFFFF;
    int64_t first = 1;
    int64_t last = adx - 1;
    StepsInside(x0, xdir, target.left, target.right, first, last);
    for (int64_t n = first; n <= last; ++n) {
      const int64_t total = n * adjust;
      const int64_t y = y0 + (total >> 16);
      const DWORD w = static_cast<DWORD>((total & 0xFFFF) >> 8);
      target.PutBlended(x0 + xdir * n, y, color, 255 - w);
      target.PutBlended(x0 + xdir * n, y + 1, color, w);
    }
  }
  target.Put(xe, ye, color);
}

void Surface::DrawRect(int x1, int y1, int x2, int y2, DWORD color) {
  const Target target = TargetOf(*this);
  target.HorizontalRun(x1, x2, y1, color);
  target.HorizontalRun(x1, x2, y2, color);
  target.VerticalRun(y1, y2, x1, color);
  target.VerticalRun(y1, y2, x2, color);
}

void Surface::DrawRoundedRect(int x1, int y1, int x2, int y2, int radius, DWORD color) {
  const Target target = TargetOf(*this);
  if (target.Empty()) return;
  int64_t left = std::min(x1, x2), right = std::max(x1, x2);
  int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
  const int64_t r = radius;
  target.HorizontalRun(left + r, right - r, top, color);
  target.HorizontalRun(left + r, right - r, bottom, color);
  target.VerticalRun(top + r, bottom - r, left, color);
  target.VerticalRun(top + r, bottom - r, right, color);

  const int64_t rightCentre = right - r, leftCentre = left + r;
  const int64_t topCentre = top + r, bottomCentre = bottom - r;
  CircleSteps(target, r,
              {{rightCentre, 1, false},
               {leftCentre, -1, false},
               {topCentre, -1, true},
               {bottomCentre, 1, true}},
              [&](int64_t i, int64_t h) {
                target.Put(rightCentre + i, topCentre - h, color);
                target.Put(rightCentre + h, topCentre - i, color);
                target.Put(leftCentre - h, topCentre - i, color);
                target.Put(leftCentre - i, topCentre - h, color);
                target.Put(rightCentre + i, bottomCentre + h, color);
                target.Put(rightCentre + h, bottomCentre + i, color);
                target.Put(leftCentre - i, bottomCentre + h, color);
                target.Put(leftCentre - h, bottomCentre + i, color);
              });
}

void Surface::DrawCircle(int cx, int cy, int radius, DWORD color) {
  const Target target = TargetOf(*this);
  const int64_t x = cx, y = cy;
  CircleSteps(target, radius, {{x, 1, false}, {x, -1, false}, {y, -1, true}, {y, 1, true}},
              [&](int64_t i, int64_t h) {
                target.Put(x + i, y - h, color);
                target.Put(x - i, y - h, color);
                target.Put(x + i, y + h, color);
                target.Put(x - i, y + h, color);
                target.Put(x + h, y - i, color);
                target.Put(x - h, y - i, color);
                target.Put(x + h, y + i, color);
                target.Put(x - h, y + i, color);
              });
}

void Surface::FillCircle(int cx, int cy, int radius, DWORD color) {
  const Target target = TargetOf(*this);
  if (target.Empty()) return;
  const int64_t x = cx, y = cy, r = radius;
  int64_t first = y - r;
  if (first < target.top)
    first = target.top;
  else if (first > target.bottom)
    return;
  int64_t end = y + r;
  if (end > target.bottom) end = target.bottom;
  if (end < target.top) return;
  for (int64_t row = first; row < end; ++row) {
    const int64_t half = CircleHalf(r, y - row);
    target.HorizontalRun(x - half, x + half, row, color);
  }
}
