// The headless backend (frames, pacing, desktop) and frames saved as BMP and PNG files.
#include <gtest/gtest.h>
#include <windows.h>
#include <ddraw.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/backend.h"
#include "platform_test.h"

namespace {

class HostFrameTest : public PlatformTest {
 protected:
  void TearDown() override {
    for (const std::string& p : files_) std::remove(p.c_str());
  }
  std::string Path(const char* leaf) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    files_.push_back(std::string(dir) + "qv_frame_" + std::to_string(::getpid()) + leaf);
    return files_.back();
  }
  std::vector<std::string> files_;
};

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}
uint32_t Crc(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

qvhost::Frame TestFrame(int w, int h) {
  qvhost::Frame f;
  f.width = w;
  f.height = h;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) f.pixels.push_back((x * 40u) << 16 | (y * 50u) << 8 | 0x17);
  }
  return f;
}

TEST_F(HostFrameTest, PresentRecordsFramesAndDesktopFitsTheGame) {
  std::vector<uint16_t> pixels(4 * 3, 0xF800);  // red in 5-6-5
  plat::PixelBuffer buffer;
  buffer.bits = reinterpret_cast<uint8_t*>(pixels.data());
  buffer.width = 4;
  buffer.height = 3;
  buffer.pitch = 8;
  int seen = -1;
  qvhost::OnFrame([&seen](int index) { seen = index; });
  plat::CurrentBackend().Present(buffer);
  EXPECT_EQ(qvhost::FrameCount(), 1);
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(qvhost::LastFrame().At(3, 2), 0xFF0000u);
  int w = 0, h = 0, bits = 0;
  plat::CurrentBackend().DesktopMode(&w, &h, &bits);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 768);
  EXPECT_EQ(bits, 32);
}

TEST_F(HostFrameTest, PacedFlipsFollowA60HzDisplayOnTheManualClock) {
  qvhost::UseHeadless(true);
  qvhost::UseManualClock(0);
  for (int i = 0; i < 60; ++i) plat::CurrentBackend().WaitForVerticalBlank();
  EXPECT_EQ(timeGetTime(), 1000u);  // sixty refreshes are a second
  EXPECT_TRUE(plat::CurrentBackend().InVerticalBlank());
  qvhost::AdvanceClock(5);
  EXPECT_FALSE(plat::CurrentBackend().InVerticalBlank());
  plat::CurrentBackend().WaitForVerticalBlank();
  EXPECT_EQ(timeGetTime(), 1017u);

  // Without pacing a waited flip returns at once and the clock stands still.
  qvhost::UseHeadless(false);
  plat::CurrentBackend().WaitForVerticalBlank();
  EXPECT_EQ(timeGetTime(), 1017u);
}

TEST_F(HostFrameTest, BmpReadsBack) {
  qvhost::Frame f = TestFrame(3, 2);  // odd width: rows are padded to 4 bytes
  std::string path = Path(".bmp");
  ASSERT_TRUE(qvhost::SaveFrame(f, path));
  std::vector<uint8_t> b = ReadAll(path);
  ASSERT_EQ(b.size(), 54u + 12u * 2);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(Le32(b, 2), b.size());
  EXPECT_EQ(Le32(b, 10), 54u);
  EXPECT_EQ(Le32(b, 18), 3u);
  EXPECT_EQ(Le32(b, 22), 2u);
  EXPECT_EQ(b[28], 24);
  // Bottom row first, blue-green-red.
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      size_t at = 54 + static_cast<size_t>(1 - y) * 12 + x * 3;
      uint32_t p = f.At(x, y);
      EXPECT_EQ(b[at], p & 0xFF);
      EXPECT_EQ(b[at + 1], (p >> 8) & 0xFF);
      EXPECT_EQ(b[at + 2], (p >> 16) & 0xFF);
    }
  }
}

TEST_F(HostFrameTest, PngReadsBackWithValidChecksums) {
  // Wide enough that the image data needs more than one stored block.
  qvhost::Frame f = TestFrame(200, 120);
  std::string path = Path(".PNG");
  ASSERT_TRUE(qvhost::SaveFrame(f, path));
  std::vector<uint8_t> b = ReadAll(path);
  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_GT(b.size(), 8u);
  ASSERT_TRUE(std::equal(signature, signature + 8, b.begin()));

  std::vector<uint8_t> zlib;
  std::vector<std::string> types;
  size_t at = 8;
  while (at + 12 <= b.size()) {
    uint32_t length = Be32(b, at);
    ASSERT_LE(at + 12 + length, b.size());
    std::string type(b.begin() + at + 4, b.begin() + at + 8);
    types.push_back(type);
    EXPECT_EQ(Be32(b, at + 8 + length), Crc(&b[at + 4], length + 4)) << type;
    if (type == "IHDR") {
      EXPECT_EQ(Be32(b, at + 8), 200u);
      EXPECT_EQ(Be32(b, at + 12), 120u);
      EXPECT_EQ(b[at + 16], 8);
      EXPECT_EQ(b[at + 17], 2);
    }
    if (type == "IDAT") zlib.insert(zlib.end(), b.begin() + at + 8, b.begin() + at + 8 + length);
    at += 12 + length;
  }
  EXPECT_EQ(at, b.size());
  ASSERT_GE(types.size(), 3u);
  EXPECT_EQ(types.front(), "IHDR");
  EXPECT_EQ(types.back(), "IEND");

  // Undo the stored blocks and compare with the frame.
  ASSERT_GE(zlib.size(), 6u);
  EXPECT_EQ((zlib[0] * 256 + zlib[1]) % 31, 0);
  std::vector<uint8_t> raw;
  size_t p = 2;
  bool last = false;
  while (!last) {
    ASSERT_LE(p + 5, zlib.size());
    last = zlib[p] & 1;
    EXPECT_EQ(zlib[p] & 6, 0);  // stored
    uint16_t len = zlib[p + 1] | zlib[p + 2] << 8;
    uint16_t nlen = zlib[p + 3] | zlib[p + 4] << 8;
    EXPECT_EQ(static_cast<uint16_t>(~len), nlen);
    ASSERT_LE(p + 5 + len, zlib.size());
    raw.insert(raw.end(), zlib.begin() + p + 5, zlib.begin() + p + 5 + len);
    p += 5 + len;
  }
  ASSERT_EQ(p + 4, zlib.size());
  uint32_t a = 1, s = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    s = (s + a) % 65521;
  }
  EXPECT_EQ(Be32(zlib, p), (s << 16) | a);
  ASSERT_EQ(raw.size(), 120u * (1 + 200 * 3));
  for (int y = 0; y < 120; y += 7) {
    const uint8_t* row = &raw[static_cast<size_t>(y) * 601];
    EXPECT_EQ(row[0], 0);
    for (int x = 0; x < 200; x += 13) {
      uint32_t px = f.At(x, y);
      EXPECT_EQ(row[1 + x * 3], (px >> 16) & 0xFF);
      EXPECT_EQ(row[2 + x * 3], (px >> 8) & 0xFF);
      EXPECT_EQ(row[3 + x * 3], px & 0xFF);
    }
  }
}

// The readable log has a line for each recorded call, opening with the call's name.
TEST_F(HostFrameTest, CallLogLinesNameTheirCalls) {
  qvhost::EnableCallLog(true);
  IDirectDraw* dd = nullptr;
  EXPECT_EQ(DirectDrawCreate(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
  ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
  dd->Release();
  ASSERT_EQ(qvhost::CallLog().size(), qvhost::Calls().size());
  for (size_t i = 0; i < qvhost::Calls().size(); ++i) {
    EXPECT_EQ(qvhost::CallLog()[i].rfind(qvhost::Calls()[i].name, 0), 0u);
  }
  qvhost::ClearCallLog();
  EXPECT_TRUE(qvhost::CallLog().empty() && qvhost::Calls().empty());
}

TEST_F(HostFrameTest, BadFramesAndPathsAreRefused) {
  qvhost::Frame empty;
  EXPECT_FALSE(qvhost::SaveFrame(empty, Path(".bmp")));
  qvhost::Frame shortPixels = TestFrame(4, 4);
  shortPixels.pixels.resize(10);
  EXPECT_FALSE(qvhost::SaveFrame(shortPixels, Path(".png")));
  qvhost::Frame negative = TestFrame(2, 2);
  negative.height = -2;
  EXPECT_FALSE(qvhost::SaveFrame(negative, Path(".bmp")));
  EXPECT_FALSE(qvhost::SaveFrame(TestFrame(2, 2), "/nonexistent-dir/frame.bmp"));
  EXPECT_FALSE(qvhost::SaveFrame(TestFrame(2, 2), ""));
}

}  // namespace
