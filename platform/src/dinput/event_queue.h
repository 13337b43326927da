// A device's buffered data: a ring of DIDEVICEOBJECTDATA records sized by DIPROP_BUFFERSIZE.
// A full queue drops its oldest record and remembers the loss until the next read.
#ifndef QV_PLATFORM_DINPUT_EVENT_QUEUE_H
#define QV_PLATFORM_DINPUT_EVENT_QUEUE_H

#include <dinput.h>

#include <vector>

namespace plat::dinput {

class EventQueue {
 public:
  DWORD Capacity() const { return static_cast<DWORD>(ring_.size()); }
  // Empties the queue; 0 turns buffering off.
  void SetCapacity(DWORD capacity);
  void Clear();
  void Push(const DIDEVICEOBJECTDATA& record);
  // Copies up to `count` of the oldest records to `out` (none when it is null) and, unless
  // `peek`, removes them and forgets a loss. Returns how many there were.
  DWORD Take(DIDEVICEOBJECTDATA* out, DWORD count, bool peek);
  // Records were dropped since the last read that removed records.
  bool Overflowed() const { return overflowed_; }

 private:
  std::vector<DIDEVICEOBJECTDATA> ring_;
  size_t oldest_ = 0;
  size_t count_ = 0;
  bool overflowed_ = false;
};

}  // namespace plat::dinput

#endif
