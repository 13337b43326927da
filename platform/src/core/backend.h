// The one small interface behind which a display backend sits: the SDL2 window for players,
// the browser page's canvas for players on the web, the headless backend for tests, tools and
// benchmarks.
#ifndef QV_PLATFORM_CORE_BACKEND_H
#define QV_PLATFORM_CORE_BACKEND_H

#include <windows.h>

#include <memory>

#include "core/pixels.h"

namespace plat {

// What a backend is, as the services need to know it.
struct BackendTraits {
  const char* name;
  // Window-system events can arrive by themselves, so waiting for one may block.
  bool deliversEvents;
  // Frames are shown to a person.
  bool hasDisplay;
  // Windows can be made. False only for the stand-in of a backend that could not start.
  bool opensWindows;
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual const BackendTraits& Traits() const = 0;

  // The program's main window appeared, changed its title or size, or went away. The backend
  // shows one window at most; a null window means none.
  virtual void WindowChanged(HWND window, const char* title, int clientWidth, int clientHeight,
                             bool visible) = 0;
  // The emulated display's mode: full-screen exclusive at a size and depth, or the desktop.
  virtual void DisplayModeChanged(int width, int height, int bitsPerPixel, bool fullScreen) = 0;
  // The desktop the program would see: its size and depth.
  virtual void DesktopMode(int* width, int* height, int* bitsPerPixel) = 0;

  // Shows a finished frame: the primary surface's pixels (with its palette for 8-bit modes).
  // The frame sink (core/seams.h) sees it first, whichever backend shows it; an empty frame
  // goes nowhere.
  void Present(const PixelBuffer& frame);
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

  // Whether the program shows a pointer (its cursor is not null and its display count is not
  // negative). In a window the SDL backend then shows the system pointer instead of holding a
  // hidden one in relative mode; full screen it holds it still.
  virtual void ShowProgramPointer(bool shown) = 0;

 protected:
  // The backend's part of Present: a frame with pixels, shown to whoever looks.
  virtual void ShowFrame(const PixelBuffer& frame) = 0;
};

// The backends, one row each, chosen by name with the QV_BACKEND environment variable
// ("sdl" or, in the browser, "web", the default, or "headless"). `create` returns null when the
// backend cannot start (no display); it has then said why on stderr.
struct BackendEntry {
  const char* name;
  std::unique_ptr<Backend> (*create)();
};
extern const BackendEntry kBackends[];
extern const size_t kBackendCount;

// The backend in use. The first call creates the one QV_BACKEND names. When it cannot start,
// the program goes on with a headless backend whose traits say it has no display, so that
// window creation fails and the program ends by its own error path.
Backend& CurrentBackend();
// Replaces the backend (a test host's or tool's choice); null goes back to choosing on first use.
void SetBackend(std::unique_ptr<Backend> backend);

// No display and no window-system events. Frames go to the frame sink only. Waited flips follow
// the 60 Hz schedule (core/frame_schedule.h) on the platform clock when `paceFlips` is set, else
// return at once.
std::unique_ptr<Backend> CreateHeadlessBackend(bool paceFlips = true);
// The stand-in for a backend that could not start: headless, unpaced, and without a display.
std::unique_ptr<Backend> CreateNoDisplayBackend();
// Null when no display can be opened.
std::unique_ptr<Backend> CreateSdlBackend();
// The browser page's canvas (WebAssembly builds only). Waited flips follow the page's clock at
// 60 Hz when `paceFlips` is set, else return at once and keep the thread.
std::unique_ptr<Backend> CreateWebBackend(bool paceFlips = true);

}  // namespace plat

#endif
