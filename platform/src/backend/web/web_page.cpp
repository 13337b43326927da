#include "backend/web/web_page.h"

#include <emscripten.h>

// The page's script keeps its state on Module.qv (see platform/web/page.js); these calls also
// work without it, so the program runs in a bare Emscripten page. The bodies are JavaScript,
// which clang-format would take for C++.
// clang-format off

EM_JS(int, qv_show_rows, (const uint8_t* rgba, int width, int height, const int* runs, int count), {
  const canvas = Module['canvas'];
  if (!canvas) return 0;
  let whole = false;
  if (canvas.width != width || canvas.height != height || !Module.qvContext) {
    canvas.width = width;
    canvas.height = height;
    Module.qvContext = canvas.getContext('2d', {alpha: false});
    // A canvas that loses its picture (a phone reclaiming memory) is given the whole frame.
    if (!Module.qvWatched) {
      Module.qvWatched = true;
      canvas.addEventListener('contextrestored', () => { Module.qvContext = null; });
    }
    whole = true;
  }
  if (whole) {
    count = 0;
  } else if (count > 0) {
    const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    const image = new ImageData(pixels, width, height);
    for (let i = 0; i < count; ++i) {
      const top = HEAP32[(runs >> 2) + 2 * i], rows = HEAP32[(runs >> 2) + 2 * i + 1];
      Module.qvContext.putImageData(image, 0, 0, 0, top, width, rows);
    }
  }
  if (Module['qv'] && Module['qv'].frameShown && !whole) Module['qv'].frameShown();
  return whole ? 1 : 0;
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

bool ShowRows(const uint8_t* rgba, int width, int height, const std::vector<RowRun>& runs) {
  static_assert(sizeof(RowRun) == 2 * sizeof(int), "rows are read by the page as pairs of ints");
  return qv_show_rows(rgba, width, height, reinterpret_cast<const int*>(runs.data()),
                      static_cast<int>(runs.size())) != 0;
}

void WantPointer(bool wanted) { qv_want_pointer(wanted); }

void ScreenSize(int* width, int* height) {
  *width = qv_screen_width();
  *height = qv_screen_height();
}

bool AskPlayer(const char* text, const char* caption, bool canDecline) {
  return qv_ask_player(text, caption, canDecline) != 0;
}

}  // namespace plat::web
