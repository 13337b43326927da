// The shipped pictures and level: sizes the game's layout needs, and a transparent colour that
// no opaque pixel can turn into on a 5-6-5 display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

struct Bitmap {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, top row first
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

uint32_t Le(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
  return v;
}

std::string Asset(const std::string& name) {
  const char* folder = std::getenv("QV_ASSETS");
  std::ifstream file(std::string(folder ? folder : "assets") + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

Bitmap ReadBmp(const std::string& name) {
  Bitmap bmp;
  std::string b = Asset(name);
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || Le(b, 28, 2) != 24) return bmp;
  const int w = static_cast<int>(Le(b, 18, 4)), h = static_cast<int>(Le(b, 22, 4));
  const size_t offset = Le(b, 10, 4), row = (static_cast<size_t>(w) * 3 + 3) & ~size_t(3);
  if (w <= 0 || h <= 0 || offset + row * h > b.size()) return bmp;
  bmp.width = w;
  bmp.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.pixels.push_back(Le(b, offset + (h - 1 - y) * row + x * 3, 3));
  return bmp;
}

// The 5-6-5 value of a colour, truncated or rounded, as a converter may do either.
std::set<uint16_t> To565(uint32_t rgb) {
  std::set<uint16_t> out;
  const int r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
  out.insert(static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3));
  auto round = [](int v, int bits) {
    return std::min((v * ((1 << bits) - 1) + 127) / 255, (1 << bits) - 1);
  };
  out.insert(static_cast<uint16_t>(round(r, 5) << 11 | round(g, 6) << 5 | round(b, 5)));
  return out;
}

TEST(AssetsTest, SpritesHaveTheLayoutAndAKeyNothingElseReaches) {
  const struct {
    const char* name;
    int minWidth, minHeight;
  } sprites[] = {{"brick.bmp", 80, 90}, {"paddle.bmp", 120, 30}, {"ball.bmp", 15, 15}};
  for (const auto& sprite : sprites) {
    Bitmap bmp = ReadBmp(sprite.name);
    ASSERT_GE(bmp.width, sprite.minWidth) << sprite.name;
    ASSERT_GE(bmp.height, sprite.minHeight) << sprite.name;
    const uint32_t key = bmp.At(0, 0);
    EXPECT_EQ(key, 0xFF00FFu) << sprite.name;
    const std::set<uint16_t> key565 = To565(key);
    int opaque = 0;
    for (uint32_t p : bmp.pixels) {
      if (p == key) continue;
      ++opaque;
      for (uint16_t v : To565(p))
        ASSERT_EQ(key565.count(v), 0u) << sprite.name << " pixel " << std::hex << p;
    }
    EXPECT_GT(opaque, bmp.width * bmp.height / 3) << sprite.name;
  }
  Bitmap background = ReadBmp("background2.bmp");
  EXPECT_EQ(background.width, 800);
  EXPECT_EQ(background.height, 600);
}

TEST(AssetsTest, LevelHasTwelveRowsOfSixteenCellsAndEveryKind) {
  std::string level = Asset("level1.txt");
  ASSERT_EQ(level.size(), 12u * 17u);
  std::set<char> kinds;
  for (int row = 0; row < 12; ++row) {
    for (int column = 0; column < 16; ++column) {
      const char c = level[row * 17 + column];
      ASSERT_TRUE(c >= '0' && c <= '3') << "row " << row << " column " << column;
      kinds.insert(c);
    }
    EXPECT_EQ(level[row * 17 + 16], '\n');
  }
  EXPECT_EQ(kinds, (std::set<char>{'0', '1', '2', '3'}));
}

}  // namespace
