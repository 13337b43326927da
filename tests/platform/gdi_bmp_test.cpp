// The BMP reader behind LoadImageA: each variant decoded to known pixels, and malformed files
// refused with NULL (run under AddressSanitizer, a read past the file also fails).
#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gdi/gdi_internal.h"
#include "host.h"

namespace {

void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  v[at] = x & 0xFF;
  v[at + 1] = (x >> 8) & 0xFF;
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = (x >> (8 * i)) & 0xFF;
}

// A BMP file put together field by field, so that each test can break one field.
struct Bmp {
  uint32_t headerSize = 40;
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = BI_RGB;
  uint32_t clrUsed = 0;
  uint32_t sizeImage = 0;
  std::vector<uint32_t> masks;   // after a 40-byte header, or inside a larger one
  std::vector<uint32_t> colors;  // 0x00RRGGBB
  std::vector<uint8_t> data;     // pixel bytes as stored
  int64_t offBits = -1;          // -1: right after the colour table

  std::vector<uint8_t> Build() const {
    const bool core = headerSize == 12;
    size_t entry = core ? 3 : 4;
    size_t masksAfter = (headerSize == 40 && !masks.empty()) ? masks.size() * 4 : 0;
    size_t tableStart = 14 + headerSize + masksAfter;
    size_t pixelStart = tableStart + colors.size() * entry;
    std::vector<uint8_t> f(pixelStart, 0);
    f[0] = 'B';
    f[1] = 'M';
    uint32_t off = offBits < 0 ? static_cast<uint32_t>(pixelStart) : static_cast<uint32_t>(offBits);
    Put32(f, 10, off);
    Put32(f, 14, headerSize);
    if (core) {
      Put16(f, 18, static_cast<uint32_t>(width));
      Put16(f, 20, static_cast<uint32_t>(height));
      Put16(f, 22, 1);
      Put16(f, 24, bits);
    } else {
      Put32(f, 18, static_cast<uint32_t>(width));
      Put32(f, 22, static_cast<uint32_t>(height));
      Put16(f, 26, 1);
      Put16(f, 28, bits);
      Put32(f, 30, compression);
      Put32(f, 34, sizeImage);
      Put32(f, 46, clrUsed);
      for (size_t i = 0; i < masks.size(); ++i) Put32(f, 14 + 40 + 4 * i, masks[i]);
    }
    for (size_t i = 0; i < colors.size(); ++i) {
      size_t at = tableStart + i * entry;
      f[at] = colors[i] & 0xFF;
      f[at + 1] = (colors[i] >> 8) & 0xFF;
      f[at + 2] = (colors[i] >> 16) & 0xFF;
    }
    if (offBits >= 0 && static_cast<size_t>(offBits) > f.size()) f.resize(offBits, 0);
    f.insert(f.end(), data.begin(), data.end());
    Put32(f, 2, static_cast<uint32_t>(f.size()));
    return f;
  }
};

class GdiBmp : public ::testing::Test {
 protected:
  void SetUp() override {
    qvhost::UseHeadless();
    path_ = ::testing::TempDir() + "qv_gdi_bmp_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bmp";
    dc_ = CreateCompatibleDC(nullptr);
  }
  void TearDown() override {
    if (dc_) {
      if (old_) SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    std::remove(path_.c_str());
  }

  HBITMAP LoadBytes(const std::vector<uint8_t>& bytes, int cx = 0, int cy = 0,
                    UINT flags = LR_LOADFROMFILE | LR_CREATEDIBSECTION) {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return static_cast<HBITMAP>(LoadImageA(nullptr, path_.c_str(), IMAGE_BITMAP, cx, cy, flags));
  }
  HBITMAP Load(const Bmp& b) { return LoadBytes(b.Build()); }

  // Loads and selects the bitmap; pixels are then read with At(). Fails the test on NULL.
  bool Open(const Bmp& b) {
    bitmap_ = Load(b);
    if (!bitmap_) return false;
    old_ = SelectObject(dc_, bitmap_);
    return old_ != nullptr;
  }
  // 0x00RRGGBB of a pixel.
  uint32_t At(int x, int y) {
    COLORREF c = GetPixel(dc_, x, y);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }
  BITMAP Info() {
    BITMAP bm = {};
    EXPECT_EQ(GetObjectA(bitmap_, sizeof bm, &bm), static_cast<int>(sizeof bm));
    return bm;
  }

  std::string path_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// 3 x 2 picture used by the direct-colour cases: top row red, green, blue; bottom row white,
// black, grey.
const uint32_t kPicture[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0x808080}};

std::vector<uint8_t> Rows24(bool topDown) {
  std::vector<uint8_t> d;
  for (int i = 0; i < 2; ++i) {
    int y = topDown ? i : 1 - i;
    for (int x = 0; x < 3; ++x) {
      uint32_t c = kPicture[y][x];
      d.push_back(c & 0xFF);
      d.push_back((c >> 8) & 0xFF);
      d.push_back((c >> 16) & 0xFF);
    }
    d.resize(d.size() + 3, 0);  // 9 bytes padded to 12
  }
  return d;
}

TEST_F(GdiBmp, DirectColourVariantsDecodeToTheSamePicture) {
  struct Case {
    const char* name;
    Bmp bmp;
  };
  std::vector<Case> cases;

  Bmp b24;
  b24.width = 3;
  b24.height = 2;
  b24.data = Rows24(false);
  cases.push_back({"24 bottom-up", b24});

  Bmp b24td = b24;
  b24td.height = -2;
  b24td.data = Rows24(true);
  cases.push_back({"24 top-down", b24td});

  Bmp b24core = b24;
  b24core.headerSize = 12;
  cases.push_back({"24 core header", b24core});

  Bmp b24v5 = b24;
  b24v5.headerSize = 124;
  cases.push_back({"24 V5 header", b24v5});

  // 32-bit rows: B, G, R, unused; each kind of header and mask placement.
  auto rows32 = [](uint32_t (*pack)(uint32_t)) {
    std::vector<uint8_t> d;
    for (int y = 1; y >= 0; --y) {
      for (int x = 0; x < 3; ++x) {
        uint32_t v = pack(kPicture[y][x]);
        for (int i = 0; i < 4; ++i) d.push_back((v >> (8 * i)) & 0xFF);
      }
    }
    return d;
  };
  Bmp b32;
  b32.width = 3;
  b32.height = 2;
  b32.bits = 32;
  b32.data = rows32([](uint32_t c) { return c | 0xAB000000u; });
  cases.push_back({"32 BI_RGB", b32});

  Bmp b32v4 = b32;
  b32v4.headerSize = 108;
  b32v4.compression = BI_BITFIELDS;
  b32v4.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the low byte
  b32v4.data =
      rows32([](uint32_t c) { return ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16); });
  cases.push_back({"32 bitfields V4", b32v4});

  // 16-bit: 5-5-5 by default, 5-6-5 through bitfields.
  auto rows16 = [](uint32_t (*pack)(uint32_t)) {
    std::vector<uint8_t> d;
    for (int y = 1; y >= 0; --y) {
      for (int x = 0; x < 3; ++x) {
        uint32_t v = pack(kPicture[y][x]);
        d.push_back(v & 0xFF);
        d.push_back((v >> 8) & 0xFF);
      }
      d.resize(d.size() + 2, 0);  // 6 bytes padded to 8
    }
    return d;
  };
  Bmp b16;
  b16.width = 3;
  b16.height = 2;
  b16.bits = 16;
  b16.data = rows16([](uint32_t c) {
    return (((c >> 19) & 31) << 10) | (((c >> 11) & 31) << 5) | ((c >> 3) & 31);
  });
  cases.push_back({"16 BI_RGB 5-5-5", b16});

  Bmp b565 = b16;
  b565.compression = BI_BITFIELDS;
  b565.masks = {0xF800, 0x07E0, 0x001F};
  b565.data = rows16([](uint32_t c) {
    return (((c >> 19) & 31) << 11) | (((c >> 10) & 63) << 5) | ((c >> 3) & 31);
  });
  cases.push_back({"16 bitfields 5-6-5 after a 40-byte header", b565});

  Bmp b565v5 = b565;
  b565v5.headerSize = 124;
  cases.push_back({"16 bitfields 5-6-5 in a V5 header", b565v5});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Open(c.bmp));
    BITMAP bm = Info();
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 3; ++x) {
        // 5-bit channels expand 0x80 to 0x84; compare at 5-bit precision.
        uint32_t want = kPicture[y][x], got = At(x, y);
        for (int shift = 0; shift < 24; shift += 8) {
          EXPECT_EQ(((got >> shift) & 0xFF) >> 3, ((want >> shift) & 0xFF) >> 3)
              << "pixel " << x << "," << y;
        }
      }
    }
    SelectObject(dc_, old_);
    old_ = nullptr;
    EXPECT_TRUE(DeleteObject(bitmap_));
    bitmap_ = nullptr;
  }
}

TEST_F(GdiBmp, IndexedVariantsUseTheirColourTables) {
  // 8 bits, a 3-entry table (biClrUsed), width 5 (rows padded to 8).
  Bmp b8;
  b8.width = 5;
  b8.height = 1;
  b8.bits = 8;
  b8.clrUsed = 3;
  b8.colors = {0x102030, 0xA0B0C0, 0xFFEEDD};
  b8.data = {2, 1, 0, 1, 2, 0, 0, 0};
  ASSERT_TRUE(Open(b8));
  EXPECT_EQ(At(0, 0), 0xFFEEDDu);
  EXPECT_EQ(At(1, 0), 0xA0B0C0u);
  EXPECT_EQ(At(2, 0), 0x102030u);
  EXPECT_EQ(At(4, 0), 0xFFEEDDu);
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);

  // 4 bits, odd width: the last pixel is a high nibble alone.
  Bmp b4;
  b4.width = 3;
  b4.height = 2;
  b4.bits = 4;
  for (uint32_t i = 0; i < 16; ++i) b4.colors.push_back(i * 0x101010);
  b4.data = {0x12, 0x30, 0, 0,   // bottom row: 1 2 3
             0xFE, 0xD0, 0, 0};  // top row: 15 14 13
  ASSERT_TRUE(Open(b4));
  EXPECT_EQ(At(0, 0), 15 * 0x101010u);
  EXPECT_EQ(At(2, 0), 13 * 0x101010u);
  EXPECT_EQ(At(0, 1), 0x101010u);
  EXPECT_EQ(At(2, 1), 3 * 0x101010u);
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);

  // 1 bit, width 10: bits run across the byte boundary, most significant first.
  Bmp b1;
  b1.width = 10;
  b1.height = 1;
  b1.bits = 1;
  b1.colors = {0x000000, 0x00FF00};
  b1.data = {0xA0, 0x40, 0, 0};  // 1010 0000 01
  ASSERT_TRUE(Open(b1));
  const uint32_t want[10] = {0x00FF00, 0, 0x00FF00, 0, 0, 0, 0, 0, 0, 0x00FF00};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(At(x, 0), want[x]) << x;
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);

  // Core header: 3-byte table entries.
  Bmp core;
  core.headerSize = 12;
  core.width = 2;
  core.height = 1;
  core.bits = 8;
  core.colors.assign(256, 0);
  core.colors[7] = 0x123456;
  core.data = {7, 0, 0, 0};
  ASSERT_TRUE(Open(core));
  EXPECT_EQ(At(0, 0), 0x123456u);
  EXPECT_EQ(At(1, 0), 0u);
}

TEST_F(GdiBmp, RunLengthDataWithEscapes) {
  Bmp rle;
  rle.width = 6;
  rle.height = 3;
  rle.bits = 8;
  rle.compression = BI_RLE8;
  rle.clrUsed = 4;
  rle.colors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  rle.data = {
      3, 1,              // bottom row: three of index 1
      0, 3, 2, 3, 2, 0,  // absolute run of 3, padded to 4 bytes
      0, 0,              // end of line
      0, 2, 4, 1,        // delta: right 4, up 1 -> (4, 2)
      2, 3,              // two of index 3 at the top row's end
      0, 1,              // end of bitmap
  };
  ASSERT_TRUE(Open(rle));
  // Bottom row (y 2): 1 1 1 2 3 2.
  const uint32_t bottom[6] = {0xFF0000, 0xFF0000, 0xFF0000, 0x00FF00, 0x0000FF, 0x00FF00};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(At(x, 2), bottom[x]) << x;
  for (int x = 0; x < 6; ++x) EXPECT_EQ(At(x, 1), 0u) << "skipped row " << x;
  EXPECT_EQ(At(3, 0), 0u);
  EXPECT_EQ(At(4, 0), 0x0000FFu);
  EXPECT_EQ(At(5, 0), 0x0000FFu);
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);

  Bmp rle4;
  rle4.width = 7;
  rle4.height = 1;
  rle4.bits = 4;
  rle4.compression = BI_RLE4;
  for (uint32_t i = 0; i < 16; ++i) rle4.colors.push_back(i);
  rle4.data = {3, 0x12,              // 1 2 1
               0, 3,    0x34, 0x50,  // absolute: 3 4 5
               0, 1};
  ASSERT_TRUE(Open(rle4));
  const uint32_t want[7] = {1, 2, 1, 3, 4, 5, 0};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(At(x, 0), want[x]) << x;
}

TEST_F(GdiBmp, SizesAndLoadFlags) {
  Bmp b;
  b.width = 3;
  b.height = 2;
  b.data = Rows24(false);
  // A requested size scales the picture (nearest neighbour).
  bitmap_ = LoadBytes(b.Build(), 6, 4);
  ASSERT_NE(bitmap_, nullptr);
  EXPECT_EQ(Info().bmWidth, 6);
  EXPECT_EQ(Info().bmHeight, 4);
  old_ = SelectObject(dc_, bitmap_);
  EXPECT_EQ(At(0, 0), 0xFF0000u);
  EXPECT_EQ(At(1, 1), 0xFF0000u);
  EXPECT_EQ(At(5, 3), 0x808080u);
  EXPECT_EQ(At(1, 2), 0xFFFFFFu);
  EXPECT_EQ(At(2, 2), 0u);
  SelectObject(dc_, old_);
  old_ = nullptr;
  DeleteObject(bitmap_);

  // One side given: the other keeps the bitmap's own.
  bitmap_ = LoadBytes(b.Build(), 0, 5);
  ASSERT_NE(bitmap_, nullptr);
  EXPECT_EQ(Info().bmWidth, 3);
  EXPECT_EQ(Info().bmHeight, 5);
  EXPECT_NE(Info().bmBits, nullptr);
  DeleteObject(bitmap_);

  // Without LR_CREATEDIBSECTION the pixels' address is not reported.
  bitmap_ = LoadBytes(b.Build(), 0, 0, LR_LOADFROMFILE);
  ASSERT_NE(bitmap_, nullptr);
  EXPECT_EQ(Info().bmBits, nullptr);
  DeleteObject(bitmap_);
  bitmap_ = nullptr;

  // Resources: this module carries none. Other image types, bad sizes, missing files.
  EXPECT_EQ(LoadImageA(nullptr, path_.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, path_.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, path_.c_str(), IMAGE_BITMAP, -1, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, nullptr, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, MAKEINTRESOURCEA(5), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, "/nonexistent/qv.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE),
            nullptr);
}

TEST_F(GdiBmp, MalformedFilesGiveNull) {
  Bmp good;
  good.width = 3;
  good.height = 2;
  good.data = Rows24(false);
  ASSERT_NE(bitmap_ = Load(good), nullptr);  // the baseline each case breaks
  DeleteObject(bitmap_);
  bitmap_ = nullptr;

  Bmp pal;
  pal.width = 4;
  pal.height = 1;
  pal.bits = 8;
  pal.clrUsed = 2;
  pal.colors = {0, 0xFFFFFF};
  pal.data = {0, 1, 0, 1};

  Bmp rle;
  rle.width = 4;
  rle.height = 2;
  rle.bits = 8;
  rle.compression = BI_RLE8;
  rle.colors = {0, 0xFFFFFF};
  rle.clrUsed = 2;

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  std::vector<uint8_t> full = good.Build();
  cases.push_back({"empty file", {}});
  cases.push_back({"file header only", std::vector<uint8_t>(full.begin(), full.begin() + 14)});
  cases.push_back({"truncated info header", std::vector<uint8_t>(full.begin(), full.begin() + 30)});
  cases.push_back({"pixels one byte short", std::vector<uint8_t>(full.begin(), full.end() - 1)});
  {
    auto v = full;
    v[0] = 'X';
    cases.push_back({"bad signature", v});
  }
  auto with = [&](const char* name, Bmp b) { cases.push_back({name, b.Build()}); };
  {
    Bmp b = good;
    b.offBits = 10000;
    auto v = b.Build();
    v.resize(200);  // the offset points far past the end
    cases.push_back({"offset past end", v});
  }
  {
    Bmp b = good;
    b.width = 0;
    with("zero width", b);
    b.width = -3;
    with("negative width", b);
    b.width = 3;
    b.height = 0;
    with("zero height", b);
    b.height = INT32_MIN;
    with("height INT32_MIN", b);
    b.height = 2;
    b.width = 100000;
    with("absurd width", b);
    b.width = 16000;
    b.height = 16000;
    b.bits = 32;
    with("over the memory cap", b);
  }
  {
    Bmp b = good;
    b.headerSize = 64;
    with("unknown header size", b);
    b.headerSize = 40;
    b.compression = 7;
    with("unknown compression", b);
    b.compression = BI_JPEG;
    with("JPEG", b);
    b.compression = BI_RLE8;
    with("RLE8 with 24 bits", b);
    b.compression = BI_BITFIELDS;
    b.masks = {0xFF0000, 0xFF00, 0xFF};
    with("bitfields with 24 bits", b);
    b.bits = 7;
    b.compression = BI_RGB;
    b.masks.clear();
    with("bit count 7", b);
  }
  {
    Bmp b;
    b.width = 1;
    b.height = 1;
    b.bits = 16;
    b.compression = BI_BITFIELDS;
    b.data = {0, 0, 0, 0};
    b.masks = {0xF800, 0x0FE0, 0x001F};
    with("overlapping masks", b);
    b.masks = {0xF801, 0x07E0, 0x001E};
    with("mask with a gap", b);
    b.masks = {0x1F0000, 0x07E0, 0x001F};
    with("mask beyond 16 bits", b);
  }
  {
    Bmp b = pal;
    b.clrUsed = 300;
    with("more colours than 8 bits index", b);
    Bmp b4 = pal;
    b4.bits = 4;
    b4.clrUsed = 17;
    with("more colours than 4 bits index", b4);
    Bmp shortTable = pal;
    shortTable.clrUsed = 200;
    shortTable.colors.resize(200);
    auto v = shortTable.Build();
    v.resize(14 + 40 + 100);  // the table runs past the end of the file
    cases.push_back({"colour table past end", v});
    Bmp overlap = pal;
    overlap.clrUsed = 256;
    overlap.colors.resize(256);
    overlap.offBits = 14 + 40 + 16;  // pixels said to start inside the table
    with("colour table over the pixels", overlap);
  }
  {
    Bmp b = rle;
    b.data = {5, 1, 0, 1};
    with("RLE run past its row", b);
    b.data = {0, 5, 1, 1, 1, 1, 1, 0, 0, 1};
    with("RLE absolute run past its row", b);
    b.data = {0, 2, 1, 5, 0, 1};
    with("RLE delta past the image", b);
    b.data = {4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 1};
    with("RLE rows past the image", b);
    b.data = {4, 1, 0, 0, 2};
    with("RLE ends inside a row", b);
    b.data = {0, 3, 1, 1};
    with("RLE absolute run cut short", b);
    b.data = {4, 1, 0, 1};
    b.sizeImage = 400;
    with("RLE size past end", b);
    b.sizeImage = 0;
    b.height = -2;
    with("RLE top-down", b);
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HBITMAP h = LoadBytes(c.bytes);
    EXPECT_EQ(h, nullptr);
    if (h) DeleteObject(h);
  }
}

}  // namespace

namespace {

// Damaged copies of valid files of every kind, read straight from memory allocated to the
// exact size: under AddressSanitizer any read past the end fails the test.
TEST(GdiBmpDamage, DamagedFilesNeverReadPastTheirBytes) {
  std::vector<std::vector<uint8_t>> seeds;
  {
    Bmp b;
    b.width = 5;
    b.height = 3;
    b.data = std::vector<uint8_t>(16 * 3, 0x5A);
    seeds.push_back(b.Build());
    b.headerSize = 12;
    seeds.push_back(b.Build());
  }
  {
    Bmp b;
    b.width = 9;
    b.height = -2;
    b.bits = 4;
    b.colors.assign(16, 0x336699);
    b.data = std::vector<uint8_t>(8 * 2, 0x17);
    seeds.push_back(b.Build());
    b.bits = 1;
    b.colors.resize(2);
    b.data.resize(4 * 2);
    seeds.push_back(b.Build());
  }
  {
    Bmp b;
    b.width = 3;
    b.height = 2;
    b.bits = 16;
    b.compression = BI_BITFIELDS;
    b.masks = {0xF800, 0x07E0, 0x001F};
    b.data = std::vector<uint8_t>(8 * 2, 0xC3);
    seeds.push_back(b.Build());
    b.headerSize = 124;
    b.bits = 32;
    b.masks = {0xFF0000, 0xFF00, 0xFF};
    b.data.resize(12 * 2);
    seeds.push_back(b.Build());
  }
  {
    Bmp b;
    b.width = 6;
    b.height = 3;
    b.bits = 8;
    b.compression = BI_RLE8;
    b.clrUsed = 4;
    b.colors = {0, 1, 2, 3};
    b.data = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 4, 1, 2, 3, 0, 1};
    seeds.push_back(b.Build());
    b.bits = 4;
    b.compression = BI_RLE4;
    b.data = {6, 0x12, 0, 0, 0, 4, 0x12, 0x30, 0, 2, 1, 0, 1, 0x33, 0, 1};
    seeds.push_back(b.Build());
  }

  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  int decoded = 0;
  for (const std::vector<uint8_t>& seed : seeds) {
    ASSERT_NE(plat::gdi::ReadBmp(seed.data(), seed.size()), nullptr);
    for (int round = 0; round < 400; ++round) {
      std::vector<uint8_t> v = seed;
      int edits = 1 + next() % 4;
      for (int e = 0; e < edits; ++e) {
        size_t at = next() % v.size();
        switch (next() % 3) {
          case 0:
            v[at] = static_cast<uint8_t>(next());
            break;
          case 1:
            v[at] ^= static_cast<uint8_t>(1u << (next() % 8));
            break;
          default:
            v.resize(at + 1);  // truncate
            break;
        }
      }
      std::unique_ptr<uint8_t[]> exact(new uint8_t[v.size()]);
      std::memcpy(exact.get(), v.data(), v.size());
      std::unique_ptr<plat::gdi::Bitmap> b = plat::gdi::ReadBmp(exact.get(), v.size());
      if (b) {
        ++decoded;
        EXPECT_GT(b->pixels.width, 0);
        EXPECT_GT(b->pixels.height, 0);
      }
    }
  }
  EXPECT_GT(decoded, 0);  // some damage is harmless (pixel bytes, colours)
}

}  // namespace
