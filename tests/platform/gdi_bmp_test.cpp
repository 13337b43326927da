// The BMP reader behind LoadImageA: each variant decoded to known pixels, and malformed files
// refused with NULL (under AddressSanitizer a read past the file fails too).
#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gdi/gdi_internal.h"
#include "platform_test.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& v, size_t at, uint32_t x, int n) {
  for (int i = 0; i < n; ++i) v[at + i] = (x >> (8 * i)) & 0xFF;
}

// A BMP file put together field by field, so that each test can break one field.
struct Bmp {
  explicit Bmp(int32_t w = 1, int32_t h = 1, uint16_t b = 24) : width(w), height(h), bits(b) {}
  uint32_t headerSize = 40;
  int32_t width, height;
  uint16_t bits;
  uint32_t compression = BI_RGB, clrUsed = 0, sizeImage = 0;
  std::vector<uint32_t> masks;   // after a 40-byte header, or inside a larger one
  std::vector<uint32_t> colors;  // 0x00RRGGBB
  Bytes data;                    // pixel bytes as stored
  int64_t offBits = -1;          // -1: right after the colour table

  Bytes Build() const {
    const bool core = headerSize == 12;
    size_t entry = core ? 3 : 4;
    size_t table = 14 + headerSize + (headerSize == 40 ? masks.size() * 4 : 0);
    Bytes f(table + colors.size() * entry, 0);
    f[0] = 'B';
    f[1] = 'M';
    Put(f, 10, static_cast<uint32_t>(offBits < 0 ? f.size() : offBits), 4);
    Put(f, 14, headerSize, 4);
    if (core) {
      Put(f, 18, width, 2);
      Put(f, 20, height, 2);
      Put(f, 22, 1, 2);
      Put(f, 24, bits, 2);
    } else {
      Put(f, 18, width, 4);
      Put(f, 22, height, 4);
      Put(f, 26, 1, 2);
      Put(f, 28, bits, 2);
      Put(f, 30, compression, 4);
      Put(f, 34, sizeImage, 4);
      Put(f, 46, clrUsed, 4);
      for (size_t i = 0; i < masks.size(); ++i) Put(f, 54 + 4 * i, masks[i], 4);
    }
    for (size_t i = 0; i < colors.size(); ++i) Put(f, table + i * entry, colors[i], 3);
    f.insert(f.end(), data.begin(), data.end());
    return f;
  }
};

class GdiBmp : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    path_ = ::testing::TempDir() + "qv_gdi_bmp_" + std::to_string(getpid()) + ".bmp";
  }
  void TearDown() override { std::remove(path_.c_str()); }

  HBITMAP Load(const Bytes& bytes, int cx = 0, int cy = 0,
               UINT flags = LR_LOADFROMFILE | LR_CREATEDIBSECTION) {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return static_cast<HBITMAP>(LoadImageA(nullptr, path_.c_str(), IMAGE_BITMAP, cx, cy, flags));
  }
  // Every pixel as 0x00RRGGBB, top row first; the bitmap is deleted. Empty when it is null.
  static std::vector<uint32_t> Pixels(HBITMAP bitmap, int* width = nullptr) {
    std::vector<uint32_t> out;
    BITMAP bm = {};
    if (!bitmap || GetObjectA(bitmap, sizeof bm, &bm) != static_cast<int>(sizeof bm)) return out;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < bm.bmHeight; ++y) {
      for (int x = 0; x < bm.bmWidth; ++x) {
        COLORREF c = GetPixel(dc, x, y);
        out.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
      }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    if (width) *width = bm.bmWidth;
    return out;
  }
  std::vector<uint32_t> Decode(const Bmp& b) { return Pixels(Load(b.Build())); }

  std::string path_;
};

// 3 x 2 picture: top row red, green, blue; bottom row white, black, grey.
const std::vector<uint32_t> kPicture = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};

// The picture's rows in file order, each pixel packed by `pack` into `bytes` bytes.
Bytes Rows(bool topDown, int bytes, uint32_t (*pack)(uint32_t)) {
  Bytes d;
  for (int i = 0; i < 2; ++i) {
    for (int x = 0; x < 3; ++x) {
      uint32_t v = pack(kPicture[(topDown ? i : 1 - i) * 3 + x]);
      for (int k = 0; k < bytes; ++k) d.push_back((v >> (8 * k)) & 0xFF);
    }
    d.resize((d.size() + 3) & ~size_t{3}, 0);
  }
  return d;
}

uint32_t Same(uint32_t c) { return c; }
uint32_t Pack555(uint32_t c) {
  return (((c >> 19) & 31) << 10) | (((c >> 11) & 31) << 5) | ((c >> 3) & 31);
}
uint32_t Pack565(uint32_t c) {
  return (((c >> 19) & 31) << 11) | (((c >> 10) & 63) << 5) | ((c >> 3) & 31);
}
// The picture as a bottom-up 24-bit file.
Bmp Picture() {
  Bmp b(3, 2);
  b.data = Rows(false, 3, Same);
  return b;
}

TEST_F(GdiBmp, DirectColourVariantsDecodeToTheSamePicture) {
  Bmp b24 = Picture();
  Bmp topDown = b24, core = b24, v5 = b24;
  topDown.height = -2;
  topDown.data = Rows(true, 3, Same);
  core.headerSize = 12;
  v5.headerSize = 124;

  Bmp b32 = b24;
  b32.bits = 32;
  b32.data = Rows(false, 4, [](uint32_t c) { return c | 0xAB000000u; });
  Bmp v4 = b32;  // bitfields inside a V4 header, red in the low byte
  v4.headerSize = 108;
  v4.compression = BI_BITFIELDS;
  v4.masks = {0x0000FF, 0x00FF00, 0xFF0000};
  v4.data = Rows(false, 4,
                 [](uint32_t c) { return ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16); });

  Bmp b555 = b24;
  b555.bits = 16;
  b555.data = Rows(false, 2, Pack555);
  Bmp b565 = b555;
  b565.compression = BI_BITFIELDS;
  b565.masks = {0xF800, 0x07E0, 0x001F};
  b565.data = Rows(false, 2, Pack565);
  Bmp b565v5 = b565;
  b565v5.headerSize = 124;

  // clang-format off
  const std::pair<const char*, Bmp> cases[] = {
      {"24", b24}, {"24 top-down", topDown}, {"24 core", core}, {"24 V5", v5}, {"32", b32},
      {"32 bitfields V4", v4}, {"16 5-5-5", b555}, {"16 5-6-5 after header", b565},
      {"16 5-6-5 V5", b565v5}};
  // clang-format on
  for (const auto& [name, bmp] : cases) {
    SCOPED_TRACE(name);
    std::vector<uint32_t> got = Decode(bmp);
    ASSERT_EQ(got.size(), kPicture.size());
    for (size_t i = 0; i < got.size(); ++i) {
      // 5-bit channels expand 0x80 to 0x84: compare at 5-bit precision.
      EXPECT_EQ(got[i] & 0xF8F8F8, kPicture[i] & 0xF8F8F8) << "pixel " << i;
    }
  }
}

TEST_F(GdiBmp, IndexedAndRunLengthVariantsUseTheirColourTables) {
  Bmp b8(5, 1, 8);  // a 3-entry table (biClrUsed), width 5 padded to 8
  b8.clrUsed = 3;
  b8.colors = {0x102030, 0xA0B0C0, 0xFFEEDD};
  b8.data = {2, 1, 0, 1, 2, 0, 0, 0};
  EXPECT_EQ(Decode(b8), (std::vector<uint32_t>{0xFFEEDD, 0xA0B0C0, 0x102030, 0xA0B0C0, 0xFFEEDD}));

  Bmp b4(3, 2, 4);  // odd width: the last pixel is a high nibble alone; bottom row first
  for (uint32_t i = 0; i < 16; ++i) b4.colors.push_back(i);
  b4.data = {0x12, 0x30, 0, 0, 0xFE, 0xD0, 0, 0};
  EXPECT_EQ(Decode(b4), (std::vector<uint32_t>{15, 14, 13, 1, 2, 3}));

  Bmp b1(10, 1, 1);  // width 10: bits cross a byte, most significant first
  b1.colors = {0, 7};
  b1.data = {0xA0, 0x40, 0, 0};
  EXPECT_EQ(Decode(b1), (std::vector<uint32_t>{7, 0, 7, 0, 0, 0, 0, 0, 0, 7}));

  Bmp core(2, 1, 8);  // 3-byte table entries
  core.headerSize = 12;
  core.colors.assign(256, 0);
  core.colors[7] = 0x123456;
  core.data = {7, 0, 0, 0};
  EXPECT_EQ(Decode(core), (std::vector<uint32_t>{0x123456, 0}));

  Bmp rle(6, 3, 8);
  rle.compression = BI_RLE8;
  rle.clrUsed = 4;
  for (uint32_t i = 0; i < 4; ++i) rle.colors.push_back(i);
  rle.data = {3, 1,              // bottom row: three of index 1
              0, 3, 2, 3, 2, 0,  // absolute run of 3, padded to a 16-bit boundary
              0, 0,              // end of line
              0, 2, 4, 1,        // delta: right 4, up 1
              2, 3,              // two of index 3 at the end of the top row
              0, 1};             // end of bitmap
  EXPECT_EQ(Decode(rle), (std::vector<uint32_t>{0, 0, 0, 0, 3, 3,  //
                                                0, 0, 0, 0, 0, 0,  //
                                                1, 1, 1, 2, 3, 2}));
  Bmp rle4(7, 1, 4);
  rle4.compression = BI_RLE4;
  for (uint32_t i = 0; i < 16; ++i) rle4.colors.push_back(i);
  rle4.data = {3, 0x12, 0, 3, 0x34, 0x50, 0, 1};  // 1 2 1, then absolute 3 4 5
  EXPECT_EQ(Decode(rle4), (std::vector<uint32_t>{1, 2, 1, 3, 4, 5, 0}));

  // As Windows draws them: pixels a run puts past the row's end are dropped, a delta stops at
  // the right edge, and data that leaves the top row or simply runs out ends the picture.
  rle.width = 3;
  rle.height = 2;
  const std::pair<Bytes, std::vector<uint32_t>> quirks[] = {
      {{4, 1, 0, 0, 0, 4, 2, 3, 2, 3, 0, 1}, {2, 3, 2, 1, 1, 1}},  // one pixel more a row
      {{2, 1, 0, 2, 5, 0, 1, 2, 0, 2, 0, 7, 1, 3}, {0, 0, 0, 1, 1, 0}},
      {{3, 1, 0, 0, 3, 2, 0, 0, 3, 3, 0, 0, 0, 1}, {2, 2, 2, 1, 1, 1}},
      {{3, 1, 0, 0, 1, 2, 0, 3, 3}, {2, 0, 0, 1, 1, 1}},  // absolute run cut short
  };
  for (const auto& [data, pixels] : quirks) {
    rle.data = data;
    EXPECT_EQ(Decode(rle), pixels);
  }
  rle.sizeImage = 400;  // the file ends first
  EXPECT_EQ(Decode(rle), (std::vector<uint32_t>{2, 0, 0, 1, 1, 1}));
}

TEST_F(GdiBmp, RequestedSizesAndLoadFlags) {
  Bmp b = Picture();
  int width = 0;
  std::vector<uint32_t> big = Pixels(Load(b.Build(), 6, 4), &width);  // nearest neighbour
  ASSERT_EQ(big.size(), 24u);
  EXPECT_EQ(width, 6);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(big[i], kPicture[(i / 6 / 2) * 3 + (i % 6) / 2]) << i;
  EXPECT_EQ(Pixels(Load(b.Build(), 0, 5), &width).size(), 15u);  // one side keeps its own
  EXPECT_EQ(width, 3);

  // Without LR_CREATEDIBSECTION the pixels' address is not reported.
  HBITMAP ddb = Load(b.Build(), 0, 0, LR_LOADFROMFILE);
  BITMAP bm;
  ASSERT_EQ(GetObjectA(ddb, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBits, nullptr);
  DeleteObject(ddb);

  // Resources (the module carries none), other image types, bad sizes and names.
  const char* p = path_.c_str();
  EXPECT_EQ(LoadImageA(nullptr, p, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, p, IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, p, IMAGE_BITMAP, -1, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, nullptr, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, MAKEINTRESOURCEA(5), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, "/nonexistent/qv.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE),
            nullptr);
}

TEST_F(GdiBmp, MalformedFilesGiveNull) {
  Bmp good = Picture();
  ASSERT_EQ(Decode(good).size(), 6u);  // the baseline each case breaks
  const Bytes full = good.Build();

  std::vector<std::pair<std::string, Bytes>> cases = {
      {"empty", {}},
      {"file header only", Bytes(full.begin(), full.begin() + 14)},
      {"truncated info header", Bytes(full.begin(), full.begin() + 30)},
      {"pixels one byte short", Bytes(full.begin(), full.end() - 1)},
  };
  auto add = [&](const std::string& name, const Bmp& b) { cases.push_back({name, b.Build()}); };
  auto vary = [&](const std::string& name, const Bmp& base, void (*change)(Bmp&)) {
    Bmp b = base;
    change(b);
    add(name, b);
  };
  vary("bad signature", good, [](Bmp&) {});
  cases.back().second[0] = 'X';
  vary("offset past end", good, [](Bmp& b) { b.offBits = 10000; });
  vary("zero width", good, [](Bmp& b) { b.width = 0; });
  vary("negative width", good, [](Bmp& b) { b.width = -3; });
  vary("zero height", good, [](Bmp& b) { b.height = 0; });
  vary("height INT32_MIN", good, [](Bmp& b) { b.height = INT32_MIN; });
  vary("absurd width", good, [](Bmp& b) { b.width = 100000; });
  vary("over the memory cap", good, [](Bmp& b) { b.width = b.height = 16000, b.bits = 32; });
  vary("unknown header size", good, [](Bmp& b) { b.headerSize = 64; });
  vary("unknown compression", good, [](Bmp& b) { b.compression = 7; });
  vary("JPEG", good, [](Bmp& b) { b.compression = BI_JPEG; });
  vary("RLE8 with 24 bits", good, [](Bmp& b) { b.compression = BI_RLE8; });
  vary("bit count 7", good, [](Bmp& b) { b.bits = 7; });
  vary("bitfields with 24 bits", good, [](Bmp& b) {
    b.compression = BI_BITFIELDS;
    b.masks = {0xFF0000, 0xFF00, 0xFF};
  });

  Bmp bf(1, 1, 16);
  bf.compression = BI_BITFIELDS;
  bf.data = {0, 0, 0, 0};
  bf.masks = {0xF800, 0x07E0, 0x001F};
  ASSERT_EQ(Decode(bf).size(), 1u);
  vary("overlapping masks", bf, [](Bmp& b) { b.masks = {0xF800, 0x0FE0, 0x001F}; });
  vary("mask with a gap", bf, [](Bmp& b) { b.masks = {0xF801, 0x07E0, 0x001E}; });
  vary("mask beyond 16 bits", bf, [](Bmp& b) { b.masks = {0x1F0000, 0x07E0, 0x001F}; });

  Bmp pal(4, 1, 8);
  pal.clrUsed = 2;
  pal.colors = {0, 0xFFFFFF};
  pal.data = {0, 1, 0, 1};
  ASSERT_EQ(Decode(pal).size(), 4u);
  vary("more colours than 8 bits index", pal, [](Bmp& b) { b.clrUsed = 300; });
  vary("more colours than 4 bits index", pal, [](Bmp& b) { b.bits = 4, b.clrUsed = 17; });
  vary("colour table over the pixels", pal, [](Bmp& b) {
    b.clrUsed = 256;
    b.colors.resize(256);
    b.offBits = 14 + 40 + 16;
  });
  Bmp longTable = pal;
  longTable.clrUsed = 200;
  longTable.colors.resize(200);
  cases.push_back({"colour table past end", longTable.Build()});
  cases.back().second.resize(14 + 40 + 100);

  Bmp rle = pal;
  rle.height = 2;
  rle.compression = BI_RLE8;
  rle.data = {4, 1, 0, 1};
  ASSERT_EQ(Decode(rle).size(), 8u);
  vary("RLE top-down", rle, [](Bmp& b) { b.height = -2; });

  for (const auto& [name, bytes] : cases) {
    HBITMAP h = Load(bytes);
    EXPECT_EQ(h, nullptr) << name;
    if (h) DeleteObject(h);
  }
}

// Damaged copies of valid files of every kind, read from memory allocated to the exact size:
// under AddressSanitizer a read past the end fails the test.
TEST_F(GdiBmp, DamagedFilesNeverReadPastTheirBytes) {
  std::vector<Bytes> originals;
  Bmp b(9, -2, 4);
  b.colors.assign(16, 0x336699);
  b.data = Bytes(16, 0x17);
  originals.push_back(b.Build());
  b.headerSize = 12;
  b.height = 2;
  b.bits = 1;
  b.colors.resize(2);
  originals.push_back(b.Build());
  b.headerSize = 124;
  b.bits = 16;
  b.compression = BI_BITFIELDS;
  b.masks = {0xF800, 0x07E0, 0x001F};
  b.data = Bytes(40, 0xC3);
  originals.push_back(b.Build());
  b.headerSize = 40;
  b.clrUsed = 2;
  b.width = 6;
  b.height = 3;
  b.bits = 8;
  b.compression = BI_RLE8;
  b.masks.clear();
  b.data = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 4, 1, 2, 3, 0, 1};
  originals.push_back(b.Build());
  b.bits = 4;
  b.compression = BI_RLE4;
  b.data = {6, 0x12, 0, 0, 0, 4, 0x12, 0x30, 0, 2, 1, 0, 1, 0x33, 0, 1};
  originals.push_back(b.Build());

  uint32_t state = 12345;
  auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 8; };
  int decoded = 0;
  for (const Bytes& original : originals) {
    ASSERT_NE(plat::gdi::ReadBmp(original.data(), original.size()), nullptr);
    for (int round = 0; round < 400; ++round) {
      Bytes v = original;
      for (int e = 1 + next() % 4; e > 0; --e) {
        size_t at = next() % v.size();
        switch (next() % 3) {
          case 0:
            v[at] = static_cast<uint8_t>(next());
            break;
          case 1:
            v[at] ^= static_cast<uint8_t>(1u << (next() % 8));
            break;
          default:
            v.resize(at + 1);
        }
      }
      std::unique_ptr<uint8_t[]> exact(new uint8_t[v.size()]);
      std::memcpy(exact.get(), v.data(), v.size());
      decoded += plat::gdi::ReadBmp(exact.get(), v.size()) != nullptr;
    }
  }
  EXPECT_GT(decoded, 0);  // some damage is harmless (pixel bytes, colours)
}

}  // namespace
