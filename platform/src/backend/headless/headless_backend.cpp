// The headless backend: no display and no window-system events. Frames go to the test host,
// message boxes are answered by it, and waited flips follow a 60 Hz display.
#include <chrono>
#include <cstdio>
#include <thread>

#include "backend/headless/headless.h"
#include "core/backend.h"
#include "core/host_state.h"

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

class HeadlessBackend : public Backend {
 public:
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
    host::RecordFrame(frame);
  }

  void WaitForVerticalBlank() override {
    if (!host::PaceFlips()) return;
    uint32_t wait = MsToNextTick(host::NowMs());
    if (host::ManualClock()) {
      host::AdvanceManualClock(wait);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    }
  }

  bool InVerticalBlank() override {
    // The first millisecond of each refresh counts as the blank.
    uint64_t phase = static_cast<uint64_t>(host::NowMs()) * kRefreshHz % 1000;
    return phase < kRefreshHz;
  }

  void PumpEvents() override {}

  int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override {
    const char* shownText = text ? text : "";
    const char* shownCaption = caption ? caption : "";
    std::fprintf(stderr, "[message box] %s: %s\n", shownCaption, shownText);
    return host::AnswerMessageBox(owner, shownText, shownCaption, type);
  }

  void SetRelativeMouse(bool) override {}
};

}  // namespace

bool IsHeadlessBackend(const Backend& backend) {
  return dynamic_cast<const HeadlessBackend*>(&backend) != nullptr;
}

std::unique_ptr<Backend> CreateHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace plat
