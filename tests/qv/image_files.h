// Files the image and container tests build byte by byte: little- and big-endian fields, BMP
// files, and a temporary file to hold them.
#ifndef QV_TESTS_IMAGE_FILES_H
#define QV_TESTS_IMAGE_FILES_H

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

using FileBytes = std::vector<uint8_t>;

// Byte i of v, little-endian; 0 past the fourth (a wider field holding a 32-bit value).
inline uint8_t ByteOf(uint32_t v, int i) { return i < 4 ? static_cast<uint8_t>(v >> (8 * i)) : 0; }
inline void PutLe(FileBytes& b, uint32_t v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) b.push_back(ByteOf(v, i));
}
inline void PutBe(FileBytes& b, uint32_t v, int bytes = 4) {
  for (int i = bytes - 1; i >= 0; --i) b.push_back(ByteOf(v, i));
}
inline void Append(FileBytes& b, const FileBytes& more) {
  b.insert(b.end(), more.begin(), more.end());
}

// A bottom-up BMP of 24 bits (pixels 0x00RRGGBB, row by row from the top) or of 8 bits with a
// colour table (pixels are indexes).
inline FileBytes MakeBmp(int width, int height, int bits, const std::vector<uint32_t>& pixels,
                         const std::vector<uint32_t>& table = {}) {
  const int stride = ((width * bits + 31) / 32) * 4;
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(table.size()) * 4;
  FileBytes b = {'B', 'M'};
  for (uint32_t v : {offset + static_cast<uint32_t>(stride * height), 0u, offset, 40u,
                     static_cast<uint32_t>(width), static_cast<uint32_t>(height)})
    PutLe(b, v);
  PutLe(b, 1, 2);
  PutLe(b, static_cast<uint32_t>(bits), 2);
  // BI_RGB, image size, resolutions, colours used, colours important.
  for (uint32_t v : {0u, 0u, 0u, 0u, static_cast<uint32_t>(table.size()), 0u}) PutLe(b, v);
  for (uint32_t rgb : table) PutLe(b, rgb);  // blue, green, red, 0 in file order
  for (int y = height - 1; y >= 0; --y) {
    FileBytes row;
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y * width + x)];
      if (bits == 24) PutLe(row, p, 3);
      if (bits == 8) row.push_back(static_cast<uint8_t>(p));
    }
    row.resize(static_cast<size_t>(stride), 0);
    Append(b, row);
  }
  return b;
}

// Writes `bytes` to a file of this name in the test's temporary folder; returns its path.
inline std::string WriteTemp(const std::string& name, const FileBytes& bytes) {
  const std::string path = ::testing::TempDir() + "qv_" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

#endif
