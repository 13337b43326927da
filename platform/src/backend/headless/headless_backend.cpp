// The headless backend: no display and no window-system events. Presented frames go to the
// frame sink, when one is attached; message boxes are written to stderr and answered with their
// default button; waited flips follow a 60 Hz display on the platform clock (a test's manual
// clock moves to each refresh). SIGINT and SIGTERM, when caught (core/signals.h), close the
// program as under SDL.
#include <windows.h>

#include <cstdio>

#include "core/backend.h"
#include "core/events.h"
#include "core/frame_schedule.h"
#include "core/signals.h"

namespace plat {

namespace {

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

  void WaitForVerticalBlank() override {
    if (paceFlips_) schedule_.WaitOnPlatformClock();
  }

  bool InVerticalBlank() override { return schedule_.InBlankOnPlatformClock(); }

  void PumpEvents() override {
    if (TakeCloseSignal()) events::CloseRequested();
  }

  int MessageBox(HWND, const char* text, const char* caption, UINT type) override {
    std::fprintf(stderr, "[message box] %s: %s\n", caption ? caption : "", text ? text : "");
    return DefaultAnswer(type);
  }

  void ShowProgramPointer(bool) override {}

 protected:
  // Nothing to show: the frame sink has seen the frame.
  void ShowFrame(const PixelBuffer&) override {}

 private:
  bool paceFlips_;
  FrameSchedule schedule_;
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
