// Hostile files found by fuzzing: small inputs that declare huge or empty images. Each is refused
// by the reader that meets it, without allocating what the file declares.
#include <cstdio>
#include <fstream>
#include <string>

#include "blend_fixture.h"

namespace {

using HostileFiles = BlitTest;

enum class Reader {
  LoadImage,     // LoadImageA from a file
  SurfaceFile,   // Surface::Create from a file: the bitmap loader, then the PSD reader
  BitmapStream,  // Surface::CreateFromBitmapStream of the whole file
};

struct Hostile {
  const char* what;
  Reader reader;
  const char* hex;  // the file's bytes
};

const Hostile kHostile[] = {
    {"PSD without channels, 4096 x 4096", Reader::SurfaceFile,
     "38425053 0001 000000000000 0000 00001000 00001000 0008 0003 00000000 00000000 00000000 "
     "0000"},
    {"PSD of 3 raw channels, 4097 x 4096", Reader::SurfaceFile,
     "38425053 0001 000000000000 0003 00001000 00001001 0008 0003 00000000 00000000 00000000 "
     "0000 00"},
    {"RLE8 BMP of 60 bytes, 16384 x 16384", Reader::LoadImage,
     "424D 3C000000 00000000 3A000000 28000000 00400000 00400000 0100 0800 01000000 02000000 "
     "00000000 00000000 01000000 00000000 FFFFFF00 0001"},
    {"RLE8 BMP of 60 bytes, 8192 x 8192: a bitmap, but no 16-bit surface", Reader::SurfaceFile,
     "424D 3C000000 00000000 3A000000 28000000 00200000 00200000 0100 0800 01000000 02000000 "
     "00000000 00000000 01000000 00000000 FFFFFF00 0001"},
    {"BMP stream of 8193 x 1", Reader::BitmapStream,
     "424D 3A000000 00000000 36000000 28000000 01200000 01000000 0100 1800 00000000 00000000 "
     "00000000 00000000 00000000 00000000 0000"},
};

std::string FromHex(const char* hex) {
  std::string bytes;
  std::string digits;
  for (const char* p = hex; *p; ++p) {
    if (*p == ' ') continue;
    digits += *p;
    if (digits.size() == 2) {
      bytes += static_cast<char>(std::stoi(digits, nullptr, 16));
      digits.clear();
    }
  }
  return bytes;
}

TEST_F(HostileFiles, AreRefused) {
  const std::string path = ::testing::TempDir() + "qv_hostile_file";
  for (const Hostile& h : kHostile) {
    SCOPED_TRACE(h.what);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << FromHex(h.hex);
    Surface surface;
    switch (h.reader) {
      case Reader::LoadImage:
        EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
        break;
      case Reader::SurfaceFile:
        EXPECT_EQ(surface.Create(screen.get(), path.c_str(), AnyMemory), 0);
        break;
      case Reader::BitmapStream: {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(surface.CreateFromBitmapStream(screen.get(), file, AnyMemory, 0), 0);
        std::fclose(file);
        break;
      }
    }
    // Refused before anything the size of the declared image is allocated; how quickly is for
    // the fuzzers' time and memory limits (scripts/fuzz.sh) to watch, not a clock in a test.
    EXPECT_EQ(surface.surface, nullptr);
  }
  std::remove(path.c_str());
}

}  // namespace
