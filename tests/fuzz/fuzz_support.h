// What the fuzz targets share: the headless platform, a scratch folder, the input written to a
// file for readers that take a path, and a reader for the parameters that some targets take
// from the front of their input.
#ifndef QV_TESTS_FUZZ_SUPPORT_H
#define QV_TESTS_FUZZ_SUPPORT_H

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

class Screen;

namespace fuzz {

// Call first in every input. Once per process: the headless backend and a scratch folder (removed
// at exit). Every call keeps the host's logs from growing across inputs.
void Start();
// Start(), then once: a window and a full-screen 800 x 600 x 16 Screen on it.
Screen* TheScreen();
// Writes the bytes to a file in the scratch folder and returns its full name.
const char* WriteFile(const uint8_t* data, size_t size);

// The scratch folder is the working folder while one of these lives, for readers that write
// files there (the container's "QV.TMP"). Only for the length of one input: the fuzzer reads its
// corpus and writes its findings relative to the folder it was started in.
class InScratchFolder {
 public:
  InScratchFolder();
  ~InScratchFolder();
  InScratchFolder(const InScratchFolder&) = delete;
  InScratchFolder& operator=(const InScratchFolder&) = delete;

 private:
  int previous_;
};

// Little-endian values from the front of the input; zeros once it is used up.
class Params {
 public:
  Params(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t U8() { return Take(1); }
  uint32_t U16() { return Take(2); }
  uint32_t U32() { return Take(4); }
  int32_t I16() { return static_cast<int16_t>(Take(2)); }
  int32_t I32() { return static_cast<int32_t>(Take(4)); }
  // The next `length` bytes as text, fewer where the input ends.
  std::string Text(size_t length) {
    const size_t taken = length < size_ - used_ ? length : size_ - used_;
    std::string text(reinterpret_cast<const char*>(data_ + used_), taken);
    used_ += taken;
    return text;
  }
  // Every byte not taken yet, as text.
  std::string RestText() { return Text(size_ - used_); }

 private:
  uint32_t Take(size_t bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes && used_ < size_; ++i, ++used_) {
      value |= static_cast<uint32_t>(data_[used_]) << (8 * i);
    }
    return value;
  }
  const uint8_t* data_;
  size_t size_;
  size_t used_ = 0;
};

}  // namespace fuzz

#endif
