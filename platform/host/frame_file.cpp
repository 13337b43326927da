// Writing presented frames to image files: a 24-bit BMP, or a PNG when the name ends in
// ".png". The PNG is written uncompressed (stored deflate blocks), which every reader accepts
// and which needs no compression library.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host.h"

namespace {

// Frames are at most this wide and high: enough for any display mode, and small enough that
// every size field below fits its 32 bits.
constexpr int kMaxSide = 16384;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Put32BigEndian(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const std::vector<uint8_t>& data) {
  const uint32_t kMod = 65521;
  uint32_t a = 1, b = 0;
  for (uint8_t byte : data) {
    a = (a + byte) % kMod;
    b = (b + a) % kMod;
  }
  return (b << 16) | a;
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const uint8_t* data, size_t size) {
  Put32BigEndian(out, static_cast<uint32_t>(size));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  if (size) out.insert(out.end(), data, data + size);
  Put32BigEndian(out, Crc32(out.data() + start, out.size() - start));
}

std::vector<uint8_t> EncodeBmp(const qvhost::Frame& frame) {
  const uint32_t rowBytes = (static_cast<uint32_t>(frame.width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(frame.height);
  const uint32_t headerBytes = 14 + 40;
  std::vector<uint8_t> out;
  out.reserve(headerBytes + imageBytes);
  out.push_back('B');
  out.push_back('M');
  Put32(out, headerBytes + imageBytes);
  Put32(out, 0);  // reserved
  Put32(out, headerBytes);
  Put32(out, 40);  // BITMAPINFOHEADER
  Put32(out, static_cast<uint32_t>(frame.width));
  Put32(out, static_cast<uint32_t>(frame.height));  // positive: bottom row first
  Put16(out, 1);                                    // planes
  Put16(out, 24);                                   // bits per pixel
  Put32(out, 0);                                    // BI_RGB
  Put32(out, imageBytes);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = frame.height - 1; y >= 0; --y) {
    size_t rowStart = out.size();
    for (int x = 0; x < frame.width; ++x) {
      uint32_t p = frame.At(x, y);
      out.push_back(static_cast<uint8_t>(p));        // blue
      out.push_back(static_cast<uint8_t>(p >> 8));   // green
      out.push_back(static_cast<uint8_t>(p >> 16));  // red
    }
    out.resize(rowStart + rowBytes, 0);
  }
  return out;
}

std::vector<uint8_t> EncodePng(const qvhost::Frame& frame) {
  // Raw scanlines: filter type 0, then RGB.
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(frame.height) * (1 + static_cast<size_t>(frame.width) * 3));
  for (int y = 0; y < frame.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < frame.width; ++x) {
      uint32_t p = frame.At(x, y);
      raw.push_back(static_cast<uint8_t>(p >> 16));
      raw.push_back(static_cast<uint8_t>(p >> 8));
      raw.push_back(static_cast<uint8_t>(p));
    }
  }
  // zlib stream of stored blocks of at most 65535 bytes.
  std::vector<uint8_t> z;
  z.reserve(raw.size() + raw.size() / 65535 * 5 + 16);
  z.push_back(0x78);
  z.push_back(0x01);
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    Put16(z, static_cast<uint32_t>(n));
    Put16(z, static_cast<uint32_t>(~n & 0xFFFF));
    z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(pos),
             raw.begin() + static_cast<ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  Put32BigEndian(z, Adler32(raw));

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Put32BigEndian(ihdr, static_cast<uint32_t>(frame.width));
  Put32BigEndian(ihdr, static_cast<uint32_t>(frame.height));
  ihdr.push_back(8);  // bit depth
  ihdr.push_back(2);  // colour type: RGB
  ihdr.push_back(0);  // deflate
  ihdr.push_back(0);  // adaptive filtering
  ihdr.push_back(0);  // no interlace
  PutChunk(out, "IHDR", ihdr.data(), ihdr.size());
  const size_t kChunk = 1 << 20;
  for (size_t at = 0; at < z.size(); at += kChunk) {
    PutChunk(out, "IDAT", z.data() + at, std::min(kChunk, z.size() - at));
  }
  PutChunk(out, "IEND", nullptr, 0);
  return out;
}

bool EndsWithPng(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return tail == ".png";
}

}  // namespace

namespace qvhost {

bool SaveFrame(const Frame& frame, const std::string& path) {
  if (path.empty() || frame.width <= 0 || frame.height <= 0 || frame.width > kMaxSide ||
      frame.height > kMaxSide ||
      frame.pixels.size() < static_cast<size_t>(frame.width) * frame.height) {
    return false;
  }
  std::vector<uint8_t> bytes = EndsWithPng(path) ? EncodePng(frame) : EncodeBmp(frame);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = (std::fclose(file) == 0) && ok;
  if (!ok) std::remove(path.c_str());  // no half-written image left behind
  return ok;
}

}  // namespace qvhost
