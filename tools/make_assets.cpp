// make_assets: paints Quorvane's art and writes its level.
//
//   make_assets [OUTPUT_DIR]      (default: assets)
//
// Writes background2.bmp, brick.bmp, paddle.bmp, ball.bmp (24-bit BMP) and level1.txt. The
// sprites' top-left pixel is magenta (255, 0, 255), the transparent colour the game takes from
// it; no opaque pixel is allowed to come near magenta, so that even after the display's 5-6-5
// conversion nothing else turns transparent. Everything here is deterministic: running the
// program again gives the same bytes. The pictures are written by the test host's frame writer;
// tools/make_assets.sh builds and runs it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "host.h"

namespace {

struct Color {
  double r = 0, g = 0, b = 0;
};

Color Rgb(double r, double g, double b) { return Color{r, g, b}; }
Color Mix(Color a, Color b, double t) {
  return Rgb(a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t);
}
Color Scale(Color c, double k) { return Rgb(c.r * k, c.g * k, c.b * k); }
Color Add(Color a, Color b) { return Rgb(a.r + b.r, a.g + b.g, a.b + b.b); }
double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }
double SmoothStep(double e0, double e1, double x) {
  double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

const Color kKey = Rgb(255, 0, 255);

// An RGB picture with a per-pixel "transparent" flag; transparent pixels are written as magenta.
class Picture {
 public:
  Picture(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h), clear_(px_.size(), 1) {}
  int Width() const { return w_; }
  int Height() const { return h_; }
  void Set(int x, int y, Color c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    px_[Index(x, y)] = c;
    clear_[Index(x, y)] = 0;
  }
  void Unset(int x, int y) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) clear_[Index(x, y)] = 1;
  }
  Color Get(int x, int y) const { return px_[Index(x, y)]; }
  bool Clear(int x, int y) const { return clear_[Index(x, y)] != 0; }
  void Blend(int x, int y, Color c, double a) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    Set(x, y, Mix(Clear(x, y) ? c : Get(x, y), c, Clamp01(a)));
  }
  bool WriteBmp(const std::string& path) const;

 private:
  size_t Index(int x, int y) const { return static_cast<size_t>(y) * w_ + x; }
  int w_, h_;
  std::vector<Color> px_;
  std::vector<uint8_t> clear_;
};

uint8_t Channel(double v) {
  return static_cast<uint8_t>(std::lround(std::min(255.0, std::max(0.0, v))));
}

// An opaque pixel must never reach the key after a 5-6-5 conversion, however the converter
// rounds: lift the green of anything in the magenta corner of the colour cube.
void AvoidKey(uint8_t& r, uint8_t& g, uint8_t& b) {
  if (r >= 224 && b >= 224 && g < 24) g = 24;
}

// Written through the test host's frame writer: a 24-bit bottom-up BMP.
bool Picture::WriteBmp(const std::string& path) const {
  qvhost::Frame frame;
  frame.width = w_;
  frame.height = h_;
  frame.pixels.resize(px_.size());
  for (int y = 0; y < h_; ++y) {
    for (int x = 0; x < w_; ++x) {
      uint8_t r = 255, g = 0, b = 255;
      if (!Clear(x, y)) {
        Color c = Get(x, y);
        r = Channel(c.r);
        g = Channel(c.g);
        b = Channel(c.b);
        AvoidKey(r, g, b);
      }
      frame.pixels[Index(x, y)] = (static_cast<uint32_t>(r) << 16) | (g << 8) | b;
    }
  }
  return qvhost::SaveFrame(frame, path);
}

// A small deterministic generator (xorshift), so the art never changes between runs.
class Random {
 public:
  explicit Random(uint32_t state) : s_(state ? state : 1) {}
  uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
  }
  double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }

 private:
  uint32_t s_;
};

// Smooth value noise on a lattice, summed over octaves, for the nebula.
double Hash2(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}
double ValueNoise(double x, double y) {
  int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  double fx = x - xi, fy = y - yi;
  double u = fx * fx * (3 - 2 * fx), v = fy * fy * (3 - 2 * fy);
  double a = Hash2(xi, yi), b = Hash2(xi + 1, yi), c = Hash2(xi, yi + 1), d = Hash2(xi + 1, yi + 1);
  return a + (b - a) * u + (c - a) * v + (a - b - c + d) * u * v;
}
double Fbm(double x, double y) {
  double sum = 0, amp = 0.5;
  for (int i = 0; i < 5; ++i) {
    sum += amp * ValueNoise(x, y);
    x *= 2.03;
    y *= 2.03;
    amp *= 0.5;
  }
  return sum;
}

// ---- background2.bmp: 800 x 600 -----------------------------------------------------------

Picture MakeBackground() {
  const int W = 800, H = 600;
  Picture p(W, H);
  const Color top = Rgb(6, 8, 26), middle = Rgb(16, 10, 42), bottom = Rgb(10, 6, 24);
  for (int y = 0; y < H; ++y) {
    double t = y / double(H - 1);
    Color base = t < 0.6 ? Mix(top, middle, t / 0.6) : Mix(middle, bottom, (t - 0.6) / 0.4);
    for (int x = 0; x < W; ++x) {
      // Two soft nebula clouds: violet on the left, teal on the right.
      double n = Fbm(x / 190.0, y / 160.0);
      double m = Fbm(x / 120.0 + 17.0, y / 140.0 + 5.0);
      double dv = std::hypot((x - 210) / 330.0, (y - 230) / 260.0);
      double dt = std::hypot((x - 620) / 300.0, (y - 330) / 240.0);
      double violet = SmoothStep(0.42, 0.78, n) * std::max(0.0, 1.0 - dv);
      double teal = SmoothStep(0.45, 0.80, m) * std::max(0.0, 1.0 - dt);
      Color c = Add(base, Scale(Rgb(70, 26, 96), violet));
      c = Add(c, Scale(Rgb(10, 62, 78), teal));
      // A faint vignette keeps the corners deep.
      double vig = std::hypot((x - 400) / 560.0, (y - 300) / 460.0);
      c = Scale(c, 1.0 - 0.35 * SmoothStep(0.5, 1.1, vig));
      p.Set(x, y, c);
    }
  }
  // A perspective floor grid under the play area, fading out towards the horizon.
  const double horizon = 430.0, vanishX = 400.0;
  for (int y = static_cast<int>(horizon); y < H; ++y) {
    double depth = (y - horizon) / (H - horizon);  // 0 at the horizon, 1 at the bottom
    double fade = SmoothStep(0.0, 0.5, depth) * 0.55;
    for (int x = 0; x < W; ++x) {
      // Converging lines: one every 80 pixels at the bottom edge.
      double u = (x - vanishX) / (0.15 + depth * 0.85) / 80.0;
      double du = std::fabs(u - std::round(u)) * 80.0 * (0.15 + depth * 0.85);
      // Horizontal lines bunch up towards the horizon.
      double z = 1.0 / (0.06 + depth);
      double dz = std::fabs(z - std::round(z)) / (z * z) * 260.0;
      double line = std::max(SmoothStep(1.4, 0.0, du), SmoothStep(1.2, 0.0, dz));
      if (line > 0.0) p.Blend(x, y, Rgb(40, 150, 190), line * fade);
    }
  }
  // A thin glowing horizon line.
  for (int x = 0; x < W; ++x) {
    double across = 1.0 - std::fabs(x - vanishX) / 420.0;
    for (int dy = -3; dy <= 3; ++dy) {
      double a = std::max(0.0, across) * (1.0 - std::abs(dy) / 4.0) * 0.35;
      p.Blend(x, static_cast<int>(horizon) + dy, Rgb(120, 90, 200), a);
    }
  }
  // Stars: many dim ones, some bright with a soft halo and a few with a cross glint.
  Random rnd(0x51A7C0DEu);
  for (int i = 0; i < 900; ++i) {
    int x = static_cast<int>(rnd.Unit() * W);
    int y = static_cast<int>(rnd.Unit() * horizon);
    double b = rnd.Unit();
    double tint = rnd.Unit();
    Color star = tint < 0.33   ? Rgb(255, 230, 200)
                 : tint < 0.66 ? Rgb(200, 220, 255)
                               : Rgb(255, 255, 255);
    double bright = 0.15 + 0.6 * b * b;
    p.Blend(x, y, star, bright);
    if (b > 0.93) {
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
          double d = std::hypot(dx, dy);
          if (d > 0) p.Blend(x + dx, y + dy, star, 0.35 * bright / (d * d));
        }
      if (b > 0.985)
        for (int k = 3; k <= 6; ++k) {
          double a = 0.3 * (1.0 - (k - 3) / 4.0);
          p.Blend(x + k, y, star, a);
          p.Blend(x - k, y, star, a);
          p.Blend(x, y + k, star, a);
          p.Blend(x, y - k, star, a);
        }
    }
  }
  return p;
}

// ---- brick.bmp: 80 x 90 ---------------------------------------------------------------------
// Column 0: the three bricks (50 x 30) at y = 0, 30, 60; column 50: their capsules (30 x 30).
// A brick's face is its top 25 rows; rows 25 to 29 are a drop shadow that the row below covers
// (rows of the wall are 25 pixels apart), so every brick reads as a clean 50 x 25 tile.

struct BrickStyle {
  Color light, base, dark;
};

void DrawBrickFace(Picture& p, int oy, const BrickStyle& s, int kind) {
  const int W = 50, F = 25;
  for (int y = 0; y < F; ++y) {
    for (int x = 0; x < W; ++x) {
      double t = y / double(F - 1);
      Color c = Mix(s.light, s.base, SmoothStep(0.0, 0.55, t));
      c = Mix(c, s.dark, SmoothStep(0.55, 1.0, t) * 0.6);
      if (kind == 1) {
        // Brushed metal: fine horizontal streaks.
        double streak = Hash2(y * 7 + 3, x / 9) * 0.5 + Hash2(y * 13, x / 23) * 0.5;
        c = Scale(c, 0.9 + 0.2 * streak);
      }
      if (kind == 2) {
        // An inner glow that brightens the middle of the brick.
        double d = std::hypot((x - 24.5) / 22.0, (y - 11.5) / 10.0);
        c = Add(c, Scale(Rgb(120, 255, 170), 0.55 * std::max(0.0, 1.0 - d)));
      }
      // Glossy band across the upper third.
      if (y >= 3 && y <= 8) c = Mix(c, Rgb(255, 255, 255), 0.16 * (1.0 - std::fabs(y - 5.5) / 3.0));
      p.Set(x, oy + y, c);
    }
  }
  // Bevel: light top and left edges, dark bottom and right edges, and a dark outline.
  for (int x = 0; x < W; ++x) {
    p.Set(x, oy + 0, Mix(s.dark, Rgb(0, 0, 0), 0.5));
    p.Set(x, oy + F - 1, Mix(s.dark, Rgb(0, 0, 0), 0.55));
    if (x > 0 && x < W - 1) {
      p.Set(x, oy + 1, Mix(s.light, Rgb(255, 255, 255), 0.55));
      p.Set(x, oy + 2, Mix(s.light, Rgb(255, 255, 255), 0.2));
      p.Set(x, oy + F - 2, s.dark);
      p.Set(x, oy + F - 3, Mix(s.dark, s.base, 0.5));
    }
  }
  for (int y = 0; y < F; ++y) {
    p.Set(0, oy + y, Mix(s.dark, Rgb(0, 0, 0), 0.5));
    p.Set(W - 1, oy + y, Mix(s.dark, Rgb(0, 0, 0), 0.55));
    if (y > 0 && y < F - 1) {
      p.Set(1, oy + y, Mix(s.light, Rgb(255, 255, 255), 0.4));
      p.Set(W - 2, oy + y, s.dark);
    }
  }
  if (kind == 1) {
    // Four rivets.
    const int rivets[4][2] = {{5, 5}, {44, 5}, {5, 19}, {44, 19}};
    for (const auto& r : rivets) {
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
          double d = std::hypot(dx, dy);
          if (d > 2.3) continue;
          double lit = Clamp01(0.5 - (dx + dy) * 0.18);
          p.Set(r[0] + dx, oy + r[1] + dy, Mix(Rgb(70, 74, 86), Rgb(235, 240, 250), lit));
        }
    }
    // A recessed slot across the middle.
    for (int x = 12; x < 38; ++x) {
      p.Set(x, oy + 11, Rgb(60, 64, 76));
      p.Set(x, oy + 12, Rgb(92, 98, 110));
      p.Set(x, oy + 13, Rgb(190, 196, 208));
    }
  }
  if (kind == 2) {
    // A small bright gem marks the brick that holds a capsule.
    for (int dy = -5; dy <= 5; ++dy)
      for (int dx = -5; dx <= 5; ++dx) {
        if (std::abs(dx) + std::abs(dy) > 5) continue;
        double lit = Clamp01(0.65 - (dx + dy) * 0.09);
        p.Set(25 + dx, oy + 12 + dy, Mix(Rgb(20, 140, 70), Rgb(255, 255, 230), lit));
      }
  }
  // Rounded corners; the top-left one also gives the sheet its transparent colour.
  p.Unset(0, oy);
  p.Unset(W - 1, oy);
  p.Unset(0, oy + F - 1);
  p.Unset(W - 1, oy + F - 1);
  // Drop shadow, offset 3 pixels to the right.
  for (int y = F; y < 30; ++y)
    for (int x = 3; x < W; ++x) p.Set(x, oy + y, Rgb(4, 3, 12));
}

void DrawCapsule(Picture& p, int ox, int oy, Color left, Color right) {
  // A horizontal pill, 28 x 16, centred in the 30 x 30 cell, with a double arrow in its middle.
  const double cx = ox + 14.5, cy = oy + 14.5, halfLen = 6.0, radius = 7.6;
  for (int y = oy; y < oy + 30; ++y)
    for (int x = ox; x < ox + 30; ++x) {
      double px = x, py = y;
      double ax = std::max(0.0, std::fabs(px - cx) - halfLen);
      double d = std::hypot(ax, py - cy);
      if (d > radius) continue;
      double side = SmoothStep(-1.5, 1.5, px - cx);
      Color c = Mix(left, right, side);
      // Cylinder shading: bright along the upper third, darker below.
      double v = (py - cy) / radius;  // -1 top, +1 bottom
      c = Scale(c, 0.55 + 0.6 * (1.0 - std::fabs(v + 0.25)));
      if (v > -0.8 && v < -0.35) c = Mix(c, Rgb(255, 255, 255), 0.55);
      if (d > radius - 1.2) c = Mix(c, Rgb(10, 20, 14), 0.7);
      p.Set(x, y, c);
    }
  // Double arrow (the paddle grows both ways).
  const Color ink = Rgb(12, 30, 20);
  int my = oy + 15;
  for (int x = ox + 8; x <= ox + 21; ++x) p.Set(x, my, ink);
  for (int k = 1; k <= 3; ++k) {
    p.Set(ox + 8 + k, my - k, ink);
    p.Set(ox + 8 + k, my + k, ink);
    p.Set(ox + 21 - k, my - k, ink);
    p.Set(ox + 21 - k, my + k, ink);
  }
}

Picture MakeBricks() {
  Picture p(80, 90);
  const BrickStyle plain{Rgb(255, 170, 110), Rgb(228, 92, 48), Rgb(120, 34, 18)};
  const BrickStyle metal{Rgb(214, 220, 232), Rgb(150, 158, 172), Rgb(72, 78, 92)};
  const BrickStyle glow{Rgb(150, 255, 190), Rgb(40, 200, 110), Rgb(10, 90, 50)};
  DrawBrickFace(p, 0, plain, 0);
  DrawBrickFace(p, 30, metal, 1);
  DrawBrickFace(p, 60, glow, 2);
  DrawCapsule(p, 50, 0, Rgb(255, 120, 70), Rgb(255, 200, 120));
  DrawCapsule(p, 50, 30, Rgb(170, 176, 190), Rgb(230, 234, 244));
  DrawCapsule(p, 50, 60, Rgb(60, 230, 120), Rgb(250, 230, 90));
  return p;
}

// ---- paddle.bmp: 120 x 30 -------------------------------------------------------------------
// Narrow paddle 80 x 15 at (0, 0), wide paddle 120 x 15 at (0, 15).

void DrawPaddle(Picture& p, int oy, int length) {
  const double r = 7.0, cy = oy + 7.0;
  const double leftC = 7.0, rightC = length - 8.0;
  const double cap = 13.0;  // length of the glowing end caps
  for (int y = oy; y < oy + 15; ++y)
    for (int x = 0; x < length; ++x) {
      double ax = x < leftC ? leftC - x : (x > rightC ? x - rightC : 0.0);
      double d = std::hypot(ax, y - cy);
      if (d > r + 0.45) continue;
      double v = (y - cy) / r;  // -1 top, +1 bottom
      bool isCap = x < cap || x >= length - cap;
      Color base = isCap ? Rgb(232, 60, 70) : Rgb(150, 170, 205);
      Color c = Scale(base, 0.45 + 0.7 * (1.0 - std::fabs(v + 0.2)));
      if (v > -0.75 && v < -0.3) c = Mix(c, Rgb(255, 255, 255), isCap ? 0.45 : 0.6);
      if (isCap) c = Add(c, Rgb(30, 10, 10));
      // Thin grooves between the caps and the body.
      if (std::abs(x - static_cast<int>(cap)) < 1 ||
          std::abs(x - (length - static_cast<int>(cap) - 1)) < 1)
        c = Rgb(30, 30, 44);
      if (d > r - 0.6) c = Mix(c, Rgb(16, 16, 28), 0.65);
      p.Set(x, y, c);
    }
  // A row of small lights along the middle of the body.
  for (int x = static_cast<int>(cap) + 6; x < length - static_cast<int>(cap) - 5; x += 8) {
    p.Set(x, oy + 9, Rgb(120, 240, 255));
    p.Set(x + 1, oy + 9, Rgb(60, 170, 220));
  }
}

Picture MakePaddle() {
  Picture p(120, 30);
  DrawPaddle(p, 0, 80);
  DrawPaddle(p, 15, 120);
  return p;
}

// ---- ball.bmp: 15 x 15 ----------------------------------------------------------------------

Picture MakeBall() {
  Picture p(15, 15);
  const double c = 7.0, r = 7.3;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 15; ++x) {
      double dx = x - c, dy = y - c;
      double d = std::hypot(dx, dy);
      if (d > r) continue;
      // Lambert shading of a sphere lit from the upper left, a tight specular spot (half-way
      // vector between the light and the viewer) and a faint blue rim from the sky behind.
      double nz = std::sqrt(std::max(0.0, 1.0 - (d / r) * (d / r)));
      double nx = dx / r, ny = dy / r;
      const double lx = -0.48, ly = -0.58, lz = 0.66;
      double lambert = std::max(0.0, nx * lx + ny * ly + nz * lz);
      Color col = Scale(Rgb(206, 220, 244), 0.2 + 0.9 * lambert);
      double hx = lx, hy = ly, hz = lz + 1.0;
      double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
      double shine = std::pow(std::max(0.0, (nx * hx + ny * hy + nz * hz) / hl), 18.0);
      col = Mix(col, Rgb(255, 255, 255), Clamp01(shine * 1.2));
      double rim = std::pow(1.0 - nz, 3.0);
      col = Add(col, Scale(Rgb(60, 120, 255), rim * 0.6));
      if (d > r - 0.8) col = Mix(col, Rgb(30, 40, 70), 0.5);
      p.Set(x, y, col);
    }
  return p;
}

// ---- level1.txt -----------------------------------------------------------------------------
// '0' empty, '1' plain brick, '2' unbreakable, '3' capsule brick. The metal studs stand alone,
// so every breakable brick stays reachable.
const char* const kLevel[12] = {
    "0000000000000000",  //
    "0020000000000200",  //
    "0111111111111110",  //
    "0133311111133310",  //
    "0111111221111110",  //
    "0011111111111100",  //
    "0001131111311000",  //
    "0000111111110000",  //
    "0200011111100020",  //
    "0000001331000000",  //
    "0000000110000000",  //
    "0000000000000000",  //
};

bool WriteLevel(const std::string& path) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  for (const char* line : kLevel) f << line << '\n';
  return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "assets";
  if (!dir.empty() && dir.back() != '/') dir += '/';
  bool ok = true;
  ok = MakeBackground().WriteBmp(dir + "background2.bmp") && ok;
  ok = MakeBricks().WriteBmp(dir + "brick.bmp") && ok;
  ok = MakePaddle().WriteBmp(dir + "paddle.bmp") && ok;
  ok = MakeBall().WriteBmp(dir + "ball.bmp") && ok;
  ok = WriteLevel(dir + "level1.txt") && ok;
  if (!ok) {
    std::cerr << "make_assets: could not write every file into " << dir << "\n";
    return 1;
  }
  std::cout << "make_assets: wrote background2.bmp, brick.bmp, paddle.bmp, ball.bmp, level1.txt to "
            << dir << "\n";
  return 0;
}
