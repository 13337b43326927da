#include "ddraw/shared_pixels.h"

#include <cstring>
#include <iterator>
#include <mutex>
#include <unordered_map>

namespace plat::ddraw {

namespace {

// Eight bytes at a time, each word mixed in by a multiplication; the rest byte by byte.
uint64_t Hash(const uint8_t* bytes, size_t count) {
  uint64_t h = 1469598103934665603ull ^ count;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    h = (h ^ word) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
  }
  for (; i < count; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
  return h;
}

bool SameShape(const PixelBuffer& a, const PixelBuffer& b) {
  return a.width == b.width && a.height == b.height && a.pitch == b.pitch && a.format == b.format;
}

}  // namespace

std::shared_ptr<const SharedPixels> SharePixels(const PixelBuffer& pixels) {
  static std::mutex mutex;
  static std::unordered_multimap<uint64_t, std::weak_ptr<const SharedPixels>> copies;
  static size_t sweepAt = 64;
  const size_t count = static_cast<size_t>(pixels.pitch) * static_cast<size_t>(pixels.height);
  const uint64_t hash = Hash(pixels.bits, count);

  std::lock_guard<std::mutex> hold(mutex);
  auto [first, end] = copies.equal_range(hash);
  for (auto it = first; it != end;) {
    std::shared_ptr<const SharedPixels> copy = it->second.lock();
    if (!copy) {
      it = copies.erase(it);
      continue;
    }
    if (SameShape(copy->view, pixels) && std::memcmp(copy->bytes.data(), pixels.bits, count) == 0)
      return copy;
    ++it;
  }
  // Copies no surface holds any more are forgotten now and then, so the table stays the size of
  // what is shared.
  if (copies.size() >= sweepAt) {
    for (auto it = copies.begin(); it != copies.end();)
      it = it->second.expired() ? copies.erase(it) : std::next(it);
    sweepAt = 2 * copies.size() + 64;
  }
  auto copy = std::make_shared<SharedPixels>();
  copy->bytes.assign(pixels.bits, pixels.bits + count);
  copy->view = pixels;
  copy->view.bits = copy->bytes.data();
  copies.emplace(hash, copy);
  return copy;
}

}  // namespace plat::ddraw
