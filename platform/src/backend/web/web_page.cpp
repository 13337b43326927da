#include "backend/web/web_page.h"

#include <emscripten.h>

// The page's script keeps its state on Module.qv (see platform/web/page.js); these calls also
// work without it, so the program runs in a bare Emscripten page. The bodies are JavaScript,
// which clang-format would take for C++.
// clang-format off

EM_JS(void, qv_show_frame, (const uint8_t* rgba, int width, int height), {
  const canvas = Module['canvas'];
  if (!canvas) return;
  if (canvas.width != width || canvas.height != height) {
    canvas.width = width;
    canvas.height = height;
    Module.qvContext = null;
  }
  if (!Module.qvContext) Module.qvContext = canvas.getContext('2d', {alpha: false});
  const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
  Module.qvContext.putImageData(new ImageData(pixels, width, height), 0, 0);
  if (Module['qv'] && Module['qv'].frameShown) Module['qv'].frameShown();
});

EM_JS(void, qv_want_pointer, (int wanted), {
  if (Module['qv']) Module['qv'].pointerWanted = !!wanted;
  if (!wanted && document.pointerLockElement) document.exitPointerLock();
});

EM_JS(int, qv_screen_width, (), { return screen.width | 0; });
EM_JS(int, qv_screen_height, (), { return screen.height | 0; });

EM_JS(int, qv_ask_player, (const char* text, const char* caption, int canDecline), {
  const message = UTF8ToString(caption) + '\n\n' + UTF8ToString(text);
  if (document.pointerLockElement) document.exitPointerLock();
  if (canDecline) return confirm(message) ? 1 : 0;
  alert(message);
  return 1;
});

// clang-format on

namespace plat::web {

void ShowFrame(const uint8_t* rgba, int width, int height) { qv_show_frame(rgba, width, height); }

void WantPointer(bool wanted) { qv_want_pointer(wanted); }

void ScreenSize(int* width, int* height) {
  *width = qv_screen_width();
  *height = qv_screen_height();
}

bool AskPlayer(const char* text, const char* caption, bool canDecline) {
  return qv_ask_player(text, caption, canDecline) != 0;
}

}  // namespace plat::web
