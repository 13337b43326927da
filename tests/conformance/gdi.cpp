// GDI: memory device contexts over DIB sections, pixels, StretchBlt and its stretch modes,
// StretchDIBits, LoadImageA, fonts, text and clip regions.
#include <cstdio>
#include <cstring>

#include "conform.h"

namespace {

// A 32-bit top-down DIB section selected into a memory DC; pixels read straight from its bits.
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  DWORD* bits = nullptr;
  int width = 0;

  Canvas(int w, int h, DWORD fill) : width(w) {
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    void* pixels = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<DWORD*>(pixels);
    old = SelectObject(dc, bitmap);
    for (int i = 0; bits && i < w * h; ++i) bits[i] = fill;
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  DWORD At(int x, int y) const { return bits[y * width + x] & 0xFFFFFF; }
  int Count(DWORD value, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) == value;
    return n;
  }
};

void TestDeviceContexts() {
  HDC screen = GetDC(nullptr);
  ok(screen != nullptr, "GetDC(NULL) failed\n");
  int depth = GetDeviceCaps(screen, BITSPIXEL);
  ok(depth == 8 || depth == 16 || depth == 24 || depth == 32, "desktop depth %d\n", depth);
  ok(GetDeviceCaps(screen, HORZRES) > 0 && GetDeviceCaps(screen, VERTRES) > 0, "desktop size\n");
  ok(GetDeviceCaps(screen, PLANES) == 1, "planes\n");
  ok(ReleaseDC(nullptr, screen) == 1, "ReleaseDC of the desktop\n");

  HDC memory = CreateCompatibleDC(nullptr);
  ok(memory != nullptr && GetObjectType(memory) == OBJ_MEMDC, "CreateCompatibleDC\n");
  // A new memory DC holds a 1 x 1 monochrome bitmap.
  HBITMAP bitmap = CreateCompatibleBitmap(memory, 8, 8);
  BITMAP bm;
  ok(GetObjectA(bitmap, sizeof bm, &bm) == sizeof bm && bm.bmBitsPixel == 1 && bm.bmWidth == 8,
     "compatible bitmap of a new memory DC: %d bits\n", bm.bmBitsPixel);
  DeleteObject(bitmap);
  ok(GetBkMode(memory) == OPAQUE && GetTextColor(memory) == RGB(0, 0, 0) &&
         GetBkColor(memory) == RGB(255, 255, 255),
     "a new DC's text colours\n");
  ok(GetStretchBltMode(memory) == BLACKONWHITE, "a new DC's stretch mode is %d\n",
     GetStretchBltMode(memory));
  ok(SetStretchBltMode(memory, COLORONCOLOR) == BLACKONWHITE &&
         GetStretchBltMode(memory) == STRETCH_DELETESCANS,
     "SetStretchBltMode\n");
  ok(SetStretchBltMode(memory, 0) == 0 && GetStretchBltMode(memory) == COLORONCOLOR,
     "an invalid stretch mode was taken\n");
  ok(DeleteDC(memory), "DeleteDC\n");

  Canvas canvas(4, 4, 0);
  ok(canvas.bits != nullptr, "CreateDIBSection gave no bits\n");
  ok(GetObjectA(canvas.bitmap, sizeof bm, &bm) == sizeof bm && bm.bmWidth == 4 &&
         bm.bmHeight == 4 && bm.bmBitsPixel == 32 && bm.bmBits == canvas.bits,
     "GetObjectA of a DIB section\n");
  ok(SetPixel(canvas.dc, 1, 2, RGB(10, 20, 30)) == RGB(10, 20, 30), "SetPixel\n");
  ok(canvas.At(1, 2) == 0x0A141E, "SetPixel wrote %06x\n", canvas.At(1, 2));
  ok(GetPixel(canvas.dc, 1, 2) == RGB(10, 20, 30), "GetPixel\n");
  ok(GetPixel(canvas.dc, 4, 0) == CLR_INVALID, "GetPixel outside the bitmap\n");
}

void TestStretchBlt() {
  // One row: magenta, cyan, blue, white.
  const DWORD row[4] = {0xFF00FF, 0x00FFFF, 0x0000FF, 0xFFFFFF};
  Canvas source(4, 1, 0);
  for (int x = 0; x < 4; ++x) source.bits[x] = row[x];

  Canvas grown(8, 2, 0);
  ok(StretchBlt(grown.dc, 0, 0, 8, 2, source.dc, 0, 0, 4, 1, SRCCOPY), "StretchBlt up\n");
  ok(grown.At(0, 0) == row[0] && grown.At(1, 1) == row[0] && grown.At(2, 0) == row[1] &&
         grown.At(7, 1) == row[3],
     "doubled pixels %06x %06x %06x %06x\n", grown.At(0, 0), grown.At(1, 1), grown.At(2, 0),
     grown.At(7, 1));

  // Shrinking in a new DC's mode (BLACKONWHITE) ANDs the dropped pixels into the kept ones.
  Canvas shrunk(2, 1, 0);
  ok(StretchBlt(shrunk.dc, 0, 0, 2, 1, source.dc, 0, 0, 4, 1, SRCCOPY), "StretchBlt down\n");
  ok(shrunk.At(0, 0) == (row[0] & row[1]) && shrunk.At(1, 0) == (row[2] & row[3]),
     "BLACKONWHITE gave %06x %06x\n", shrunk.At(0, 0), shrunk.At(1, 0));
  // COLORONCOLOR keeps one of them.
  SetStretchBltMode(shrunk.dc, COLORONCOLOR);
  ok(StretchBlt(shrunk.dc, 0, 0, 2, 1, source.dc, 0, 0, 4, 1, SRCCOPY), "StretchBlt down\n");
  ok((shrunk.At(0, 0) == row[0] || shrunk.At(0, 0) == row[1]) &&
         (shrunk.At(1, 0) == row[2] || shrunk.At(1, 0) == row[3]),
     "COLORONCOLOR gave %06x %06x\n", shrunk.At(0, 0), shrunk.At(1, 0));

  // A rectangle of the source onto a rectangle of the destination.
  Canvas part(4, 4, 0x123456);
  ok(StretchBlt(part.dc, 1, 1, 2, 2, source.dc, 2, 0, 1, 1, SRCCOPY), "StretchBlt part\n");
  ok(part.Count(row[2], 0, 0, 4, 4) == 4 && part.At(0, 0) == 0x123456 && part.At(3, 3) == 0x123456,
     "one pixel spread over 2 x 2\n");
  ok(BitBlt(part.dc, 0, 0, 1, 1, source.dc, 3, 0, SRCCOPY) && part.At(0, 0) == row[3], "BitBlt\n");
  ok(BitBlt(part.dc, 0, 0, 4, 4, nullptr, 0, 0, BLACKNESS) && part.Count(0, 0, 0, 4, 4) == 16,
     "BLACKNESS\n");
}

void TestStretchDIBits() {
  const DWORD pixels[4] = {0x112233, 0x445566, 0x778899, 0xAABBCC};  // two rows of two
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = -2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  Canvas canvas(4, 4, 0);
  int lines =
      StretchDIBits(canvas.dc, 0, 0, 2, 2, 0, 0, 2, 2, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  ok(lines == 2, "StretchDIBits returned %d\n", lines);
  ok(canvas.At(0, 0) == 0x112233 && canvas.At(1, 0) == 0x445566 && canvas.At(0, 1) == 0x778899,
     "top-down DIB: %06x %06x %06x\n", canvas.At(0, 0), canvas.At(1, 0), canvas.At(0, 1));

  info.bmiHeader.biHeight = 2;  // bottom-up: the first row in memory is the bottom one
  lines = StretchDIBits(canvas.dc, 0, 0, 4, 4, 0, 0, 2, 2, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  ok(lines == 2, "StretchDIBits returned %d\n", lines);
  ok(canvas.At(0, 0) == 0x778899 && canvas.At(3, 3) == 0x445566 && canvas.At(1, 1) == 0x778899,
     "bottom-up DIB doubled: %06x %06x\n", canvas.At(0, 0), canvas.At(3, 3));

  // A DIB of no height draws nothing and fails: Windows answers 0, our platform GDI_ERROR,
  // the failure the program tests for.
  info.bmiHeader.biHeight = 0;
  canvas.bits[0] = 0;
  lines = StretchDIBits(canvas.dc, 0, 0, 2, 2, 0, 0, 2, 2, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  ok((lines == 0 || lines == static_cast<int>(GDI_ERROR)) && canvas.At(0, 0) == 0,
     "a DIB of no height: %d\n", lines);
}

// Every named raster operation through BitBlt, StretchBlt and StretchDIBits: the source
// 0xFEDCBA98 onto 0x89ABCDEF, the pattern from the DC's brush. Operations work on whole raw
// pixel values. The answers are those of Wine's gdi32 bitmap tests (test_StretchBlt,
// test_StretchDIBits), which pass on Windows.
void TestRasterOperations() {
  struct Case {
    DWORD rop;
    DWORD expected;
  };
  const Case cases[] = {
      {SRCCOPY, 0xFEDCBA98},     {SRCPAINT, 0xFFFFFFFF},  {SRCAND, 0x88888888},
      {SRCINVERT, 0x77777777},   {SRCERASE, 0x76543210},  {NOTSRCCOPY, 0x01234567},
      {NOTSRCERASE, 0x00000000}, {MERGECOPY, 0x00581210}, {MERGEPAINT, 0x89ABCDEF},
      {PATCOPY, 0x00785634},     {PATPAINT, 0x89FBDFFF},  {PATINVERT, 0x89D39BDB},
      {DSTINVERT, 0x76543210},   {BLACKNESS, 0x00000000}, {WHITENESS, 0xFFFFFFFF},
  };
  Canvas dst(2, 1, 0), src(1, 1, 0xFEDCBA98);
  src.bits[0] = 0xFEDCBA98;
  // The brush's colour has a stray high byte, which GDI ignores.
  HBRUSH brush = CreateSolidBrush(0x12345678);
  HGDIOBJ old = SelectObject(dst.dc, brush);
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader = {sizeof info.bmiHeader, 2, 1, 1, 32, BI_RGB, 8, 0, 0, 0, 0};
  const DWORD dib[2] = {0xFEDCBA98, 0};
  for (const Case& c : cases) {
    dst.bits[0] = dst.bits[1] = 0x89ABCDEF;
    ok(BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, c.rop) && dst.bits[0] == c.expected &&
           dst.bits[1] == 0x89ABCDEF,
       "BitBlt %06x gave %08x %08x\n", c.rop, dst.bits[0], dst.bits[1]);
    dst.bits[0] = dst.bits[1] = 0x89ABCDEF;
    ok(StretchBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, 1, 1, c.rop) && dst.bits[0] == c.expected &&
           dst.bits[1] == c.expected,
       "StretchBlt %06x gave %08x %08x\n", c.rop, dst.bits[0], dst.bits[1]);
    dst.bits[0] = 0x89ABCDEF;
    StretchDIBits(dst.dc, 0, 0, 2, 1, 0, 0, 1, 1, dib, &info, DIB_RGB_COLORS, c.rop);
    ok(dst.bits[0] == c.expected, "StretchDIBits %06x gave %08x\n", c.rop, dst.bits[0]);
  }
  SelectObject(dst.dc, old);
  DeleteObject(brush);
}

// Negative extents mirror. A negative extent counts from its origin pixel backwards; when the
// source and the destination are both negative nothing mirrors; a mirrored source that runs off
// its bitmap lands at the far end of the destination. Wine's gdi32 bitmap tests
// (test_StretchBlt, test_StretchDIBits) give these answers on Windows.
void TestMirroring() {
  Canvas src(16, 16, 0), dst(16, 16, 0);
  const DWORD values[6][2] = {{0, 0x0000FF00}, {1, 0x0000F0F0},  {2, 0x0000CCCC},
                              {3, 0x0000AAAA}, {16, 0xFEDCBA98}, {17, 0x76543210}};
  for (const auto& v : values) src.bits[v[0]] = v[1];
  struct Case {
    int dst[4], src[4];
    int filled[6][2];  // destination index, source index; the rest stays 0
    int count;
  };
  const Case cases[] = {
      {{0, 0, 2, 2}, {1, 1, -2, -2}, {{0, 17}, {1, 16}, {16, 1}, {17, 0}}, 4},
      {{1, 1, -2, -2}, {0, 0, 2, 2}, {{0, 17}, {1, 16}, {16, 1}, {17, 0}}, 4},
      {{2, 2, -8, -8}, {0, 0, 8, 8}, {{17, 17}, {18, 16}, {32, 2}, {33, 1}, {34, 0}}, 5},
      {{0, 0, 8, 8}, {2, 2, -8, -8}, {{102, 17}, {103, 16}, {117, 2}, {118, 1}, {119, 0}}, 5},
      {{8, 8, -18, -18},
       {0, 0, 18, 18},
       {{85, 17}, {86, 16}, {99, 3}, {100, 2}, {101, 1}, {102, 0}},
       6},
  };
  auto matches = [&](const int(*filled)[2], int count) {
    for (int i = 0; i < 256; ++i) {
      DWORD want = 0;
      for (int k = 0; k < count; ++k)
        if (filled[k][0] == i) want = src.bits[filled[k][1]];
      if (dst.bits[i] != want) return false;
    }
    return true;
  };
  for (const Case& c : cases) {
    std::memset(dst.bits, 0, 256 * 4);
    StretchBlt(dst.dc, c.dst[0], c.dst[1], c.dst[2], c.dst[3], src.dc, c.src[0], c.src[1], c.src[2],
               c.src[3], SRCCOPY);
    ok(matches(c.filled, c.count), "StretchBlt (%d,%d %dx%d) from (%d,%d %dx%d)\n", c.dst[0],
       c.dst[1], c.dst[2], c.dst[3], c.src[0], c.src[1], c.src[2], c.src[3]);
  }
  // Both mirrored: they cancel, and the rectangles run back from their origins (bitmap.c,
  // test_StretchBlt: "1, 1, -2, -2, 1, 1, -2, -2" under todo_wine).
  std::memset(dst.bits, 0, 256 * 4);
  StretchBlt(dst.dc, 1, 1, -2, -2, src.dc, 1, 1, -2, -2, SRCCOPY);
  const int one[1][2] = {{0, 0}};
  todo_wine("draws the two rectangles from their origin pixels") {
    ok(matches(one, 1), "StretchBlt mirrored twice: %08x %08x\n", dst.bits[0], dst.bits[17]);
  }

  // StretchDIBits measures the source from the image's bottom-left corner, a top-down image's
  // too, and refuses a source of negative extent. Its answer is the image's height, or the
  // lines of an unscaled copy from the image's corner. Cases, pixels and answers: Wine's
  // bitmap.c test_StretchDIBits, "Top-down destination tests".
  const DWORD pixels[4] = {0xCAFED00D, 0xFEEDFACE, 0xFEDCBA98, 0x76543210};
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader = {sizeof info.bmiHeader, 2, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  struct DibCase {
    int dst[4], src[4];
    DWORD want[4];
    int answer;
  };
  const DibCase dibCases[] = {
      {{0, 0, 2, 2}, {0, 0, 2, 2}, {pixels[0], pixels[1], pixels[2], pixels[3]}, 2},
      {{0, 0, 2, 2}, {0, 0, 1, 1}, {pixels[2], pixels[2], pixels[2], pixels[2]}, 2},
      {{0, 0, 1, 1}, {0, 0, 2, 2}, {0x42441000, 0, 0, 0}, 2},
      {{0, 0, 2, 2}, {1, 1, -2, -2}, {0, 0, 0, 0}, 0},
      {{1, 1, -2, -2}, {1, 1, -2, -2}, {0, 0, 0, 0}, 0},
      {{1, 1, 2, 2}, {0, 0, 2, 2}, {0, 0, 0, pixels[0]}, 2},
      {{2, 2, 4, 4}, {0, 0, 2, 2}, {0, 0, 0, 0}, 2},
      {{-4, -4, 4, 4}, {0, 0, 4, 4}, {0, 0, 0, 0}, 2},
      {{1, 1, -2, -2}, {1, 1, 2, 2}, {0, 0, pixels[1], 0}, 2},
  };
  Canvas small(2, 2, 0);
  for (const DibCase& c : dibCases) {
    std::memset(small.bits, 0, 16);
    const int answer =
        StretchDIBits(small.dc, c.dst[0], c.dst[1], c.dst[2], c.dst[3], c.src[0], c.src[1],
                      c.src[2], c.src[3], pixels, &info, DIB_RGB_COLORS, SRCCOPY);
    ok(answer == c.answer && std::memcmp(small.bits, c.want, 16) == 0,
       "StretchDIBits (%d,%d %dx%d) from (%d,%d %dx%d): %d, %08x %08x %08x %08x\n", c.dst[0],
       c.dst[1], c.dst[2], c.dst[3], c.src[0], c.src[1], c.src[2], c.src[3], answer, small.bits[0],
       small.bits[1], small.bits[2], small.bits[3]);
  }
  // One pixel copied unscaled from the corner is one line (Wine answers the image's height:
  // todo_wine in test_StretchDIBits).
  std::memset(small.bits, 0, 16);
  const int corner =
      StretchDIBits(small.dc, 0, 0, 1, 1, 0, 0, 1, 1, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  ok(small.bits[0] == pixels[0] && small.bits[1] == 0, "one pixel: %08x\n", small.bits[0]);
  todo_wine("answers the image's height for one unscaled line") {
    ok(corner == 1, "one pixel from the corner: %d\n", corner);
  }
}

// Writes a 24-bit 3 x 2 BMP: bottom row red, green, blue; top row white, black, grey.
bool WriteBitmapFile(const char* path) {
  unsigned char file[54 + 2 * 12];
  std::memset(file, 0, sizeof file);
  file[0] = 'B';
  file[1] = 'M';
  auto put32 = [&](int at, unsigned value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  put32(2, sizeof file);
  put32(10, 54);
  put32(14, 40);
  put32(18, 3);
  put32(22, 2);
  file[26] = 1;
  file[28] = 24;
  const unsigned char rows[2][9] = {{0, 0, 255, 0, 255, 0, 255, 0, 0},
                                    {255, 255, 255, 0, 0, 0, 128, 128, 128}};
  for (int y = 0; y < 2; ++y) std::memcpy(file + 54 + y * 12, rows[y], 9);
  FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  bool written = std::fwrite(file, 1, sizeof file, out) == sizeof file;
  return std::fclose(out) == 0 && written;
}

void TestLoadImage() {
  char path[MAX_PATH];
  DWORD length = GetTempPathA(sizeof path - 16, path);
  std::strcpy(path + length, "conform.bmp");
  ok(WriteBitmapFile(path), "could not write %s\n", path);

  HBITMAP dib = static_cast<HBITMAP>(
      LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  BITMAP bm;
  std::memset(&bm, 0, sizeof bm);
  ok(dib && GetObjectA(dib, sizeof bm, &bm) == sizeof bm, "LoadImageA as a DIB section\n");
  ok(bm.bmWidth == 3 && bm.bmHeight == 2 && bm.bmBitsPixel == 24 && bm.bmBits != nullptr,
     "DIB section %d x %d x %d\n", bm.bmWidth, bm.bmHeight, bm.bmBitsPixel);

  HBITMAP ddb =
      static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  HDC screen = GetDC(nullptr);
  int depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  std::memset(&bm, 0, sizeof bm);
  ok(ddb && GetObjectA(ddb, sizeof bm, &bm) == sizeof bm, "LoadImageA as a bitmap\n");
  // Without LR_CREATEDIBSECTION the bitmap takes the display's format.
  ok(bm.bmWidth == 3 && bm.bmHeight == 2 && bm.bmBitsPixel == depth && bm.bmBits == nullptr,
     "bitmap %d x %d x %d on a %d-bit display\n", bm.bmWidth, bm.bmHeight, bm.bmBitsPixel, depth);

  Canvas canvas(3, 2, 0);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, dib);
  ok(StretchBlt(canvas.dc, 0, 0, 3, 2, source, 0, 0, 3, 2, SRCCOPY), "StretchBlt from a file\n");
  ok(canvas.At(0, 0) == 0xFFFFFF && canvas.At(2, 0) == 0x808080 && canvas.At(0, 1) == 0xFF0000 &&
         canvas.At(1, 1) == 0x00FF00 && canvas.At(2, 1) == 0x0000FF,
     "file pixels %06x %06x %06x\n", canvas.At(0, 0), canvas.At(0, 1), canvas.At(2, 1));
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(dib);
  DeleteObject(ddb);

  ok(!LoadImageA(nullptr, "conform-missing.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE),
     "a missing file loaded\n");
  DeleteFileA(path);
}

HFONT Arial(int height) {
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                     VARIABLE_PITCH | FF_SWISS, "Arial");
}

void TestFonts() {
  Canvas canvas(200, 40, 0xFFFFFF);
  TEXTMETRICA tm;
  SIZE size;

  // A negative height asks for the em height.
  HFONT em = Arial(-14);
  HGDIOBJ old = SelectObject(canvas.dc, em);
  ok(old != nullptr, "SelectObject of a font\n");
  ok(GetTextMetricsA(canvas.dc, &tm) && tm.tmHeight - tm.tmInternalLeading == 14 &&
         tm.tmHeight == tm.tmAscent + tm.tmDescent,
     "em 14: height %d ascent %d descent %d leading %d\n", tm.tmHeight, tm.tmAscent, tm.tmDescent,
     tm.tmInternalLeading);
  ok(GetTextExtentPoint32A(canvas.dc, "W", 1, &size) && size.cy == tm.tmHeight,
     "extent height %d\n", size.cy);
  SIZE pair;
  GetTextExtentPoint32A(canvas.dc, "WW", 2, &pair);
  ok(pair.cx == 2 * size.cx, "extents add up: %d vs %d\n", pair.cx, size.cx);
  ok(GetTextExtentPoint32A(canvas.dc, "", 0, &size) && size.cx == 0, "empty extent\n");

  // A positive height asks for the cell height: the em shrinks to fit the cell.
  HFONT cell = Arial(14);
  SelectObject(canvas.dc, cell);
  ok(GetTextMetricsA(canvas.dc, &tm) && tm.tmHeight == 14, "cell 14: height %d\n", tm.tmHeight);
  ok(GetTextExtentPoint32A(canvas.dc, "W", 1, &size) && size.cx == 11 && size.cy == 14,
     "cell 14: W is %d x %d\n", size.cx, size.cy);
  ok(GetTextExtentPoint32A(canvas.dc, "SCORE: 12345", 12, &size) && size.cx == 84,
     "cell 14: SCORE: 12345 is %d wide\n", size.cx);

  // DrawTextA's measuring agrees with the extent.
  RECT r = {0, 0, 0, 0};
  int height = DrawTextA(canvas.dc, "SCORE: 12345", -1, &r, DT_CALCRECT | DT_SINGLELINE);
  ok(height == 14 && r.right == 84 && r.bottom == 14, "DT_CALCRECT gave %d x %d\n", r.right,
     r.bottom);

  // Text draws in the text colour; OPAQUE fills the cell with the background colour,
  // TRANSPARENT leaves it alone.
  SetTextColor(canvas.dc, RGB(255, 0, 0));
  SetBkColor(canvas.dc, RGB(0, 0, 255));
  SetBkMode(canvas.dc, TRANSPARENT);
  ok(TextOutA(canvas.dc, 2, 2, "W", 1), "TextOutA\n");
  ok(canvas.Count(0xFF0000, 0, 0, 200, 40) > 10, "no red glyph pixels\n");
  ok(canvas.Count(0x0000FF, 0, 0, 200, 40) == 0, "a transparent background was painted\n");
  ok(canvas.Count(0xFF0000, 20, 0, 200, 40) == 0 && canvas.Count(0xFF0000, 0, 17, 200, 40) == 0,
     "the glyph left its cell\n");
  SetBkMode(canvas.dc, OPAQUE);
  TextOutA(canvas.dc, 100, 2, ".", 1);
  ok(canvas.At(100, 2) == 0x0000FF, "an opaque cell is not filled\n");

  // A clip region keeps drawing inside it.
  HRGN region = CreateRectRgn(0, 20, 200, 40);
  ok(SelectClipRgn(canvas.dc, region) == SIMPLEREGION, "SelectClipRgn\n");
  TextOutA(canvas.dc, 120, 2, "W", 1);
  ok(canvas.Count(0xFF0000, 110, 0, 200, 20) == 0, "text drawn outside the clip region\n");
  TextOutA(canvas.dc, 120, 22, "W", 1);
  ok(canvas.Count(0xFF0000, 110, 20, 200, 40) > 10, "text not drawn inside the clip region\n");
  ok(SelectClipRgn(canvas.dc, nullptr) == SIMPLEREGION, "clip region removed\n");
  DeleteObject(region);

  SelectObject(canvas.dc, old);
  ok(DeleteObject(em) && DeleteObject(cell), "DeleteObject of fonts\n");
}

// Writes a run-length BMP with a grey colour table (entry i is RGB(i, i, i)).
bool WriteRleFile(const char* path, int width, int height, int bits, const unsigned char* data,
                  unsigned size) {
  const unsigned colors = 1u << bits, offset = 54 + 4 * colors;
  unsigned char header[54 + 4 * 256];
  std::memset(header, 0, sizeof header);
  auto put32 = [&](int at, unsigned value) {
    for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  header[0] = 'B';
  header[1] = 'M';
  put32(2, offset + size);
  put32(10, offset);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  header[26] = 1;
  header[28] = static_cast<unsigned char>(bits);
  put32(30, bits == 8 ? BI_RLE8 : BI_RLE4);
  put32(34, size);
  for (unsigned i = 0; i < colors; ++i) put32(54 + 4 * i, i * 0x010101u);
  FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  bool written =
      std::fwrite(header, 1, offset, out) == offset && std::fwrite(data, 1, size, out) == size;
  return std::fclose(out) == 0 && written;
}

// Loads a run-length file as the game does and draws it on a black canvas of its size.
bool DrawRleFile(const char* path, Canvas& canvas, int width, int height) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (!bitmap) return false;
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, bitmap);
  bool drawn = BitBlt(canvas.dc, 0, 0, width, height, source, 0, 0, SRCCOPY) != 0;
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(bitmap);
  return drawn;
}

// Run-length BMP files as Windows reads them: runs past the row's end are cut at the edge,
// deltas skip pixels without an end of line, absolute runs are padded to 16 bits. The RLE8 and
// RLE4 streams are Wine's (gdi32/tests/bitmap.c test_SetDIBits_RLE8 and _RLE4, which pass on
// Windows); the odd-width one is how ImageMagick writes a 15-pixel-wide ball (each row one
// pixel longer), which Windows draws ignoring the extra pixel.
void TestRleFiles() {
  char path[MAX_PATH];
  DWORD length = GetTempPathA(sizeof path - 16, path);
  std::strcpy(path + length, "conform-rle.bmp");
  const DWORD black = 0;
  auto grey = [](DWORD i) { return i * 0x010101u; };

  const unsigned char rle8[] = {0x03, 0x02, 0x04, 0xf0, 0x00, 0x00,  // 2 2 2 f0 f0 f0 f0, eol
                                0x00, 0x03, 0x04, 0x05, 0x06, 0x00,  // 4 5 6, pad
                                0x00, 0x02, 0x01, 0x02, 0x05, 0x80,  // delta 1, 2; five 80
                                0x00, 0x01};                         // end of bitmap
  Canvas eight(8, 8, black);
  ok(WriteRleFile(path, 8, 8, 8, rle8, sizeof rle8) && DrawRleFile(path, eight, 8, 8),
     "RLE8 file not loaded\n");
  // Canvas rows are top-down: the file's bottom row is row 7.
  const DWORD bottom8[7] = {2, 2, 2, 0xf0, 0xf0, 0xf0, 0xf0};
  int wrong = 0;
  for (int x = 0; x < 7; ++x) wrong += eight.At(x, 7) != grey(bottom8[x]);
  for (int x = 0; x < 3; ++x) wrong += eight.At(x, 6) != grey(4 + x);
  ok(wrong == 0, "RLE8: %d pixels differ in the bottom rows\n", wrong);
  ok(eight.Count(grey(0x80), 0, 0, 8, 8) == 4 && eight.Count(grey(0x80), 4, 4, 8, 5) == 4,
     "RLE8: the run after the delta is not at x 4..7 of row 3\n");

  const unsigned char rle4[] = {0x03, 0x52, 0x07, 0x68, 0x00, 0x00,  // 5 2 5 6 8 6 8 6 (8 6)
                                0x00, 0x03, 0x14, 0x50, 0x00, 0x05,  // 1 4 5, then
                                0x79, 0xfd, 0xb0, 0x00, 0x00, 0x00,  // 7 9 f d b, pad, eol
                                0x00, 0x02, 0x01, 0x02, 0x05, 0x87,  // delta 1, 2; 8 7 8 7 8
                                0x00, 0x01};
  Canvas four(8, 8, black);
  ok(WriteRleFile(path, 8, 8, 4, rle4, sizeof rle4) && DrawRleFile(path, four, 8, 8),
     "RLE4 file not loaded\n");
  const DWORD rows4[2][8] = {{5, 2, 5, 6, 8, 6, 8, 6}, {1, 4, 5, 7, 9, 15, 13, 11}};
  wrong = 0;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 8; ++x) wrong += four.At(x, 7 - y) != grey(rows4[y][x]);
  for (int x = 1; x < 6; ++x) wrong += four.At(x, 3) != grey((x & 1) ? 8 : 7);
  ok(wrong == 0, "RLE4: %d pixels differ\n", wrong);

  const unsigned char odd[] = {0x02, 0x09, 0x02, 0x07, 0x00, 0x00,  // 9 9 7 (7)
                               0x01, 0x03, 0x01, 0x05, 0x02, 0x03,  // 3 5 3 (3)
                               0x00, 0x01};
  Canvas three(3, 2, black);
  ok(WriteRleFile(path, 3, 2, 8, odd, sizeof odd) && DrawRleFile(path, three, 3, 2),
     "an odd-width RLE8 file with one pixel more a row was refused\n");
  ok(three.At(0, 1) == grey(9) && three.At(1, 1) == grey(9) && three.At(2, 1) == grey(7) &&
         three.At(0, 0) == grey(3) && three.At(1, 0) == grey(5) && three.At(2, 0) == grey(3),
     "odd width: rows %06x %06x %06x / %06x %06x %06x\n", three.At(0, 0), three.At(1, 0),
     three.At(2, 0), three.At(0, 1), three.At(1, 1), three.At(2, 1));
  DeleteFileA(path);
}

// A new device context draws in the System font: Windows' 16-pixel bold raster font with fixed
// character widths. The game's frame counter is drawn in it.
void TestSystemFont() {
  Canvas canvas(120, 40, 0xFFFFFF);
  TEXTMETRICA tm;
  // The cell, from Wine's font.c:813 (test_bitmap_font_metrics, "System" at 96 dpi, Latin 1).
  ok(GetTextMetricsA(canvas.dc, &tm) && tm.tmHeight == 16 && tm.tmAscent == 13 &&
         tm.tmDescent == 3 && tm.tmAveCharWidth == 7 && tm.tmWeight == FW_BOLD,
     "System: height %d ascent %d descent %d average %d weight %d\n", tm.tmHeight, tm.tmAscent,
     tm.tmDescent, tm.tmAveCharWidth, tm.tmWeight);
  // Wine draws a new DC's text in a face of its own with 2 pixels of internal leading, a 15-pixel
  // widest character and narrower characters; font.c:813 gives Windows' 3 pixels and 14. The
  // widths are those of the raster System font (Wine's vgasys.fon, whose cell font.c:813 checks).
  todo_wine("Wine's default font is not the raster System font") {
    ok(tm.tmInternalLeading == 3 && tm.tmExternalLeading == 0 && tm.tmMaxCharWidth == 14,
       "System: leading %d/%d, widest character %d\n", tm.tmInternalLeading, tm.tmExternalLeading,
       tm.tmMaxCharWidth);
  }
  const struct {
    const char* text;
    LONG width;
  } kWidths[] = {{"0123456789", 80}, {"FPS = 60", 58}, {"W", 14}, {"il", 8}, {"@m", 26}};
  bool widths = true;
  for (const auto& w : kWidths) {
    SIZE size = {};
    GetTextExtentPoint32A(canvas.dc, w.text, static_cast<int>(std::strlen(w.text)), &size);
    widths &= size.cx == w.width && size.cy == 16;
  }
  todo_wine("Wine's default font is not the raster System font") {
    ok(widths, "System: character widths differ\n");
  }

  // The frame counter's text stays in its 58 x 16 cell.
  SetBkMode(canvas.dc, TRANSPARENT);
  SetTextColor(canvas.dc, RGB(255, 0, 0));
  ok(TextOutA(canvas.dc, 10, 20, "FPS = 60", 8), "TextOutA in the System font\n");
  const int inside = canvas.Count(0xFF0000, 10, 20, 68, 36);
  ok(inside > 40 && inside == canvas.Count(0xFF0000, 0, 0, 120, 40),
     "System: %d red pixels in the cell, %d in all\n", inside,
     canvas.Count(0xFF0000, 0, 0, 120, 40));
}

// DrawTextA on empty text, line breaks and tabs, in the System font. The empty cases follow Wine's
// user32 text.c (test_DrawTextCalcRect, as Windows XP and later answer); tab stops are eight
// average characters apart, as Microsoft's DrawText documentation says of DT_EXPANDTABS.
void TestDrawTextEdges() {
  Canvas canvas(120, 40, 0xFFFFFF);
  RECT r;
  // A count of zero: nothing measured, the rectangle untouched (text.c:124, 274).
  SetRect(&r, 10, 10, 100, 100);
  ok(DrawTextA(canvas.dc, "text", 0, &r, DT_CALCRECT) == 0 && r.right == 100 && r.bottom == 100,
     "count 0: rectangle (%d,%d)-(%d,%d)\n", r.left, r.top, r.right, r.bottom);
  ok(DrawTextA(canvas.dc, nullptr, 10, &r, 0) == 0, "no text with a count\n");
  // An empty string up to its terminator, or none: one empty line, a line high only when
  // single-line (text.c:138, 157, 203, 262).
  SetRect(&r, 10, 10, 100, 100);
  ok(DrawTextA(canvas.dc, "", -1, &r, DT_CALCRECT) == 16 && r.right == 10 && r.bottom == 10,
     "empty: rectangle (%d,%d)-(%d,%d)\n", r.left, r.top, r.right, r.bottom);
  SetRect(&r, 10, 10, 100, 100);
  ok(DrawTextA(canvas.dc, nullptr, -1, &r, DT_CALCRECT) == 16 && r.right == 10 && r.bottom == 10,
     "none: rectangle (%d,%d)-(%d,%d)\n", r.left, r.top, r.right, r.bottom);
  SetRect(&r, 10, 10, 100, 100);
  ok(DrawTextA(canvas.dc, "", -1, &r, DT_CALCRECT | DT_SINGLELINE) == 16 && r.right == 10 &&
         r.bottom == 26,
     "empty single line: rectangle (%d,%d)-(%d,%d)\n", r.left, r.top, r.right, r.bottom);
  SetRect(&r, 10, 10, 100, 100);
  ok(DrawTextA(canvas.dc, "", -1, &r, 0) == 16 && canvas.Count(0xFFFFFF, 0, 0, 120, 40) == 4800,
     "empty text drawn\n");

  // "\r\n", a lone "\r" and a lone "\n" each end a line; the widest line sets the width.
  SIZE three = {}, b = {};
  GetTextExtentPoint32A(canvas.dc, "three", 5, &three);
  GetTextExtentPoint32A(canvas.dc, "b", 1, &b);
  SetRect(&r, 0, 0, 0, 0);
  ok(DrawTextA(canvas.dc, "one\r\ntwo\nthree\rfour", -1, &r, DT_CALCRECT) == 64 &&
         r.right == three.cx && r.bottom == 64,
     "line breaks: %d x %d\n", r.right, r.bottom);
  // The tab stop is eight average characters (8 x 7 = 56 pixels) from the left.
  SetRect(&r, 0, 0, 0, 0);
  ok(DrawTextA(canvas.dc, "a\tb", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS) == 16 &&
         r.right == 56 + b.cx,
     "tab: width %d\n", r.right);
}

}  // namespace

void RunGdi() {
  TestDeviceContexts();
  TestStretchBlt();
  TestStretchDIBits();
  TestRasterOperations();
  TestMirroring();
  TestLoadImage();
  TestFonts();
  TestRleFiles();
  TestSystemFont();
  TestDrawTextEdges();
}
