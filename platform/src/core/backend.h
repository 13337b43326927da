// The one small interface behind which a display backend sits: the SDL2 window for players,
// the headless backend for tests, tools and benchmarks.
#ifndef QV_PLATFORM_CORE_BACKEND_H
#define QV_PLATFORM_CORE_BACKEND_H

#include <windows.h>

#include <memory>

#include "core/pixels.h"

namespace plat {

class Backend {
 public:
  virtual ~Backend() = default;

  // The program's main window appeared, changed its title or size, or went away. The backend
  // shows one window at most; a null window means none.
  virtual void WindowChanged(HWND window, const char* title, int clientWidth, int clientHeight,
                             bool visible) = 0;
  // The emulated display's mode: full-screen exclusive at a size and depth, or the desktop.
  virtual void DisplayModeChanged(int width, int height, int bitsPerPixel, bool fullScreen) = 0;
  // The desktop the program would see: its size and depth.
  virtual void DesktopMode(int* width, int* height, int* bitsPerPixel) = 0;

  // Shows a finished frame: the primary surface's pixels (with its palette for 8-bit modes).
  virtual void Present(const PixelBuffer& frame) = 0;
  // Blocks until the emulated display's next vertical blank (60 Hz), or returns at once where
  // the backend does not pace.
  virtual void WaitForVerticalBlank() = 0;
  // True while the emulated display is inside its vertical blank.
  virtual bool InVerticalBlank() = 0;

  // Moves pending window-system events into the platform (see core/events.h).
  virtual void PumpEvents() = 0;

  // A modal message box; returns the button pressed (IDOK, IDYES, ...), or 0 when none can be
  // shown.
  virtual int MessageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;

  // Relative mouse mode while the window has the focus (the SDL backend grabs the pointer).
  virtual void SetRelativeMouse(bool enabled) = 0;
};

// The backend in use. The first call creates it: headless when the test host asked for it or
// no display can be opened, SDL2 otherwise.
Backend& CurrentBackend();
// Replaces the backend (the test host's choice); null goes back to choosing on first use.
void SetBackend(std::unique_ptr<Backend> backend);

std::unique_ptr<Backend> CreateHeadlessBackend();
// Null when no display can be opened.
std::unique_ptr<Backend> CreateSdlBackend();

}  // namespace plat

#endif
