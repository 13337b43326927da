// The headless backend (frames, pacing, desktop) and frames saved as BMP and PNG files.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <windows.h>
#include <ddraw.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
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

qvhost::Frame TestFrame(int w, int h) {
  qvhost::Frame f;
  f.width = w;
  f.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      f.pixels.push_back((x * 40u & 0xFF) << 16 | (y * 50u & 0xFF) << 8 | 0x17);
  return f;
}

TEST_F(HostFrameTest, PresentRecordsFramesAndDesktopFitsTheGame) {
  std::vector<uint16_t> pixels(4 * 3, 0xF800);  // red in 5-6-5
  const plat::PixelBuffer buffer = Frame565(pixels.data(), 4, 3);
  int seen = -1;
  qvhost::OnFrame([&seen](int index) { seen = index; });
  plat::CurrentBackend().Present(buffer);
  EXPECT_EQ(qvhost::FrameCount(), 1);
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(qvhost::LastFrame().At(3, 2), 0xFF0000u);
  int w = 0, h = 0, bits = 0;
  plat::CurrentBackend().DesktopMode(&w, &h, &bits);
  EXPECT_EQ(std::vector<int>({w, h, bits}), std::vector<int>({1024, 768, 32}));
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

// The BMP, 24 bits with rows padded to 4 bytes (an odd width here), reads back through
// LoadImageA, and its header's file size is the file's.
TEST_F(HostFrameTest, BmpReadsBack) {
  qvhost::Frame f = TestFrame(3, 2);
  std::string path = Path(".bmp");
  ASSERT_TRUE(qvhost::SaveFrame(f, path));
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(b.size(), 54u + 12u * 2);
  EXPECT_EQ(b[2] | b[3] << 8 | b[4] << 16 | b[5] << 24, static_cast<int>(b.size()));
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, bitmap);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      uint32_t p = f.At(x, y);
      EXPECT_EQ(GetPixel(dc, x, y), RGB(p >> 16, (p >> 8) & 0xFF, p & 0xFF)) << x << "," << y;
    }
  }
}

// Wide enough that the image data needs more than one stored block; libpng checks every
// chunk's CRC and the data's Adler-32.
TEST_F(HostFrameTest, PngReadsBackWithValidChecksums) {
  qvhost::Frame f = TestFrame(200, 120);
  std::string path = Path(".PNG");
  ASSERT_TRUE(qvhost::SaveFrame(f, path));
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
  EXPECT_EQ(image.width, 200u);
  EXPECT_EQ(image.height, 120u);
  EXPECT_EQ(image.format, static_cast<png_uint_32>(PNG_FORMAT_RGB));
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pixels(200 * 120);
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  EXPECT_TRUE(pixels == f.pixels);
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
  qvhost::Frame shortPixels = TestFrame(4, 4), negative = TestFrame(2, 2);
  shortPixels.pixels.resize(10);
  negative.height = -2;
  EXPECT_FALSE(qvhost::SaveFrame(qvhost::Frame(), Path(".bmp")));
  EXPECT_FALSE(qvhost::SaveFrame(shortPixels, Path(".png")));
  EXPECT_FALSE(qvhost::SaveFrame(negative, Path(".bmp")));
  EXPECT_FALSE(qvhost::SaveFrame(TestFrame(2, 2), "/nonexistent-dir/frame.bmp"));
  EXPECT_FALSE(qvhost::SaveFrame(TestFrame(2, 2), ""));
}

}  // namespace
