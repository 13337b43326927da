// A device's buffered data: a ring of DIDEVICEOBJECTDATA records sized by DIPROP_BUFFERSIZE.
// A buffer of size n holds n - 1 records, and a full one drops its oldest record and remembers
// the loss until the next read, as on Windows: in Wine's dinput/tests/joystick8.c a buffer of
// size 10 (1352) given 10 records reads back 1 + 8 (1401, 1410), the first being the
// second-oldest (1403, todo_wine: Wine keeps the oldest instead), and a buffer of size 1 (1316)
// keeps nothing and reports the loss (1339-1340).
#ifndef QV_PLATFORM_DINPUT_EVENT_QUEUE_H
#define QV_PLATFORM_DINPUT_EVENT_QUEUE_H

#include <dinput.h>

#include <vector>

namespace plat::dinput {

class EventQueue {
 public:
  // DIPROP_BUFFERSIZE as set; 0 means the device does not buffer.
  DWORD BufferSize() const { return size_; }
  // Empties the queue; 0 turns buffering off.
  void SetBufferSize(DWORD size);
  void Clear();
  void Push(const DIDEVICEOBJECTDATA& record);
  // Copies up to `count` of the oldest records to `out` (none when it is null) and, unless
  // `peek`, removes them and forgets a loss. Returns how many there were.
  DWORD Take(DIDEVICEOBJECTDATA* out, DWORD count, bool peek);
  // Records were dropped since the last read that removed records.
  bool Overflowed() const { return overflowed_; }

 private:
  DWORD size_ = 0;
  std::vector<DIDEVICEOBJECTDATA> ring_;  // size_ - 1 slots
  size_t oldest_ = 0;
  size_t count_ = 0;
  bool overflowed_ = false;
};

}  // namespace plat::dinput

#endif
