// The headless backend: no display and no window-system events. Presented frames go to the
// frame sink, when one is attached; message boxes are written to stderr and answered with their
// default button; waited flips follow a 60 Hz display on the platform clock.
#include <windows.h>

#include <cstdio>

#include "core/clock.h"
#include "core/backend.h"
#include "core/seams.h"

namespace plat {

namespace {

// The emulated display refreshes 60 times a second: tick k falls at ceil(k * 1000 / 60) ms.
constexpr uint64_t kRefreshHz = 60;

// Milliseconds from `now` to the first tick strictly after it (1 to 17).
uint32_t MsToNextTick(uint32_t now) {
  uint64_t tick = static_cast<uint64_t>(now) * kRefreshHz / 1000 + 1;
  uint64_t at = (tick * 1000 + kRefreshHz - 1) / kRefreshHz;
  return static_cast<uint32_t>(at - now);
}

// The button a box's default answer presses.
int DefaultAnswer(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    case MB_RETRYCANCEL:
      return IDRETRY;
    default:
      return IDOK;
  }
}

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend(bool paceFlips, const BackendTraits& traits)
      : paceFlips_(paceFlips), traits_(traits) {}

  const BackendTraits& Traits() const override { return traits_; }
  void WindowChanged(HWND, const char*, int, int, bool) override {}
  void DisplayModeChanged(int, int, int, bool) override {}

  void DesktopMode(int* width, int* height, int* bitsPerPixel) override {
    // Large enough that an 800 x 600 window with its frame fits.
    if (width) *width = 1024;
    if (height) *height = 768;
    if (bitsPerPixel) *bitsPerPixel = 32;
  }

  void Present(const PixelBuffer& frame) override {
    if (!frame.bits || frame.width <= 0 || frame.height <= 0) return;
    if (seams::FrameSink sink = seams::frameSink) sink(frame);
  }

  void WaitForVerticalBlank() override {
    if (paceFlips_) plat::clock::SleepMs(MsToNextTick(plat::clock::NowMs()));
  }

  bool InVerticalBlank() override {
    // The first millisecond of each refresh counts as the blank.
    uint64_t phase = static_cast<uint64_t>(plat::clock::NowMs()) * kRefreshHz % 1000;
    return phase < kRefreshHz;
  }

  void PumpEvents() override {}

  int MessageBox(HWND, const char* text, const char* caption, UINT type) override {
    std::fprintf(stderr, "[message box] %s: %s\n", caption ? caption : "", text ? text : "");
    return DefaultAnswer(type);
  }

  void ShowProgramPointer(bool) override {}

 private:
  bool paceFlips_;
  const BackendTraits& traits_;
};

const BackendTraits kHeadless = {"headless", false, false, true};
const BackendTraits kNoDisplay = {"none", false, false, false};

}  // namespace

std::unique_ptr<Backend> CreateHeadlessBackend(bool paceFlips) {
  return std::make_unique<HeadlessBackend>(paceFlips, kHeadless);
}

std::unique_ptr<Backend> CreateNoDisplayBackend() {
  return std::make_unique<HeadlessBackend>(false, kNoDisplay);
}

}  // namespace plat
