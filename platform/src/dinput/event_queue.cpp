#include "dinput/event_queue.h"

#include <algorithm>

namespace plat::dinput {

void EventQueue::SetBufferSize(DWORD size) {
  size_ = size;
  ring_.assign(size ? size - 1 : 0, DIDEVICEOBJECTDATA{});
  Clear();
}

void EventQueue::Clear() {
  oldest_ = 0;
  count_ = 0;
  overflowed_ = false;
}

void EventQueue::Push(const DIDEVICEOBJECTDATA& record) {
  if (size_ == 0) return;
  if (ring_.empty()) {
    overflowed_ = true;
    return;
  }
  if (count_ == ring_.size()) {
    oldest_ = (oldest_ + 1) % ring_.size();
    --count_;
    overflowed_ = true;
  }
  ring_[(oldest_ + count_) % ring_.size()] = record;
  ++count_;
}

DWORD EventQueue::Take(DIDEVICEOBJECTDATA* out, DWORD count, bool peek) {
  const size_t taken = std::min<size_t>(count, count_);
  if (out) {
    for (size_t i = 0; i < taken; ++i) out[i] = ring_[(oldest_ + i) % ring_.size()];
  }
  if (!peek) {
    if (taken) oldest_ = (oldest_ + taken) % ring_.size();
    count_ -= taken;
    overflowed_ = false;
  }
  return static_cast<DWORD>(taken);
}

}  // namespace plat::dinput
