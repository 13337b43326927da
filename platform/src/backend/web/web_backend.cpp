// The browser backend: frames drawn to the page's canvas, the page's keys, mouse and focus
// turned into the platform's events, flips paced at the emulated display's 60 Hz on the page's
// clock (core/frame_schedule.h). The program runs under Asyncify: a waited flip sleeps, which
// hands the thread back to the browser until the flip's deadline, so the page draws and
// delivers events meanwhile.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "backend/web/web_frame.h"
#include "backend/web/web_keys.h"
#include "backend/web/web_page.h"
#include "core/backend.h"
#include "core/events.h"
#include "core/frame_schedule.h"
#include "core/keymap.h"

namespace plat {

namespace {

constexpr double kPeriodMs = FrameSchedule::kPeriodMs;

const BackendTraits kWebTraits = {"web", true, true, true};

class WebBackend;
// The backend the page's Quit control reaches.
WebBackend* theWebBackend = nullptr;

// An event from the page, kept until the program pumps its events: the browser delivers them
// while the program sleeps inside a flip, in the middle of its frame.
struct PageEvent {
  enum Kind { kKey, kMotion, kButton, kFocus } kind;
  int a;  // scan code, dx, button
  int b;  // dy
  bool on;
};

class WebBackend : public Backend {
 public:
  explicit WebBackend(bool paceFlips) : paceFlips_(paceFlips) {
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    const char* document = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    emscripten_set_keydown_callback(window, this, true, OnKey);
    emscripten_set_keyup_callback(window, this, true, OnKey);
    emscripten_set_mousemove_callback(document, this, true, OnMouse);
    emscripten_set_mousedown_callback(document, this, true, OnMouse);
    emscripten_set_mouseup_callback(document, this, true, OnMouse);
    emscripten_set_pointerlockchange_callback(document, this, true, OnPointerLock);
    emscripten_set_visibilitychange_callback(this, true, OnVisibility);
    emscripten_set_blur_callback(window, this, false, OnWindowFocus);
    emscripten_set_focus_callback(window, this, false, OnWindowFocus);
    EmscriptenVisibilityChangeEvent visibility;
    if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS) {
      visible_ = !visibility.hidden;
    }
    // A page opened in a hidden tab starts without the focus.
    FocusMayHaveChanged();
    theWebBackend = this;
  }

  ~WebBackend() override {
    emscripten_html5_remove_all_event_listeners();
    if (theWebBackend == this) theWebBackend = nullptr;
  }

  const BackendTraits& Traits() const override { return kWebTraits; }

  // The page is the window: it keeps its own title and size.
  void WindowChanged(HWND, const char*, int, int, bool) override {}
  void DisplayModeChanged(int, int, int, bool) override {}

  void DesktopMode(int* width, int* height, int* bitsPerPixel) override {
    int w = 0, h = 0;
    web::ScreenSize(&w, &h);
    if (width) *width = w > 0 ? w : 1024;
    if (height) *height = h > 0 ? h : 768;
    if (bitsPerPixel) *bitsPerPixel = 32;
  }

  void WaitForVerticalBlank() override {
    // Unpaced, a flip neither waits nor hands the thread to the browser.
    if (!paceFlips_) return;
    const double now = emscripten_get_now();
    // Always through the browser, even when late, so that the page draws and takes events.
    // The display's own rate (60, 120 or 144 Hz) plays no part.
    const double wait = schedule_.NextRefresh(now) - now;
    emscripten_sleep(wait > 0 ? static_cast<unsigned>(wait + 0.5) : 0);
    lastYield_ = emscripten_get_now();
  }

  bool InVerticalBlank() override { return schedule_.InBlank(emscripten_get_now()); }

  void PumpEvents() override {
    // A program that polls without flipping (its surfaces are lost while the page is hidden)
    // would hold the thread, and the page would freeze: after a refresh without handing the
    // thread to the browser, the pump does, for a whole refresh while the program is inactive.
    if (paceFlips_ && emscripten_get_now() - lastYield_ > kPeriodMs) {
      emscripten_sleep(active_ ? 0 : static_cast<unsigned>(kPeriodMs));
      lastYield_ = emscripten_get_now();
    }
    // Swapped out first: an event the browser delivers while these are handled (a message box
    // takes the focus) waits for the next pump.
    std::vector<PageEvent> pending;
    pending.swap(pending_);
    for (const PageEvent& e : pending) {
      switch (e.kind) {
        case PageEvent::kKey:
          events::Key(static_cast<uint8_t>(e.a), VirtualKeyFromScanCode(static_cast<uint8_t>(e.a)),
                      e.on);
          break;
        case PageEvent::kMotion:
          events::MouseMotion(e.a, e.b);
          break;
        case PageEvent::kButton:
          events::MouseButton(e.a, e.on);
          break;
        case PageEvent::kFocus:
          events::FocusChanged(e.on);
          break;
      }
    }
  }

  int MessageBox(HWND, const char* text, const char* caption, UINT type) override {
    std::fprintf(stderr, "[message box] %s: %s\n", caption ? caption : "", text ? text : "");
    UINT buttons = type & MB_TYPEMASK;
    bool accepted = web::AskPlayer(text ? text : "", caption ? caption : "", buttons != MB_OK);
    switch (buttons) {
      case MB_OKCANCEL:
        return accepted ? IDOK : IDCANCEL;
      case MB_YESNO:
      case MB_YESNOCANCEL:
        return accepted ? IDYES : IDNO;
      case MB_RETRYCANCEL:
        return accepted ? IDRETRY : IDCANCEL;
      case MB_ABORTRETRYIGNORE:
        return accepted ? IDRETRY : IDIGNORE;
      default:
        return IDOK;
    }
  }

  // A program that shows no pointer of its own reads the mouse's motion: a click on the canvas
  // captures the pointer for it. One that shows a pointer keeps the page's.
  void ShowProgramPointer(bool shown) override { web::WantPointer(!shown); }

  // The page's Quit control: Escape pressed and let go, as the key would, for when the browser
  // keeps Escape for itself (it ends the pointer capture and full screen).
  void PressEscape() {
    pending_.push_back({PageEvent::kKey, kEscape, 0, true});
    pending_.push_back({PageEvent::kKey, kEscape, 0, false});
  }

  // A finger dragged on the page's picture: the mouse's motion, in game pixels.
  void MoveFromPage(int dx, int dy) { pending_.push_back({PageEvent::kMotion, dx, dy, false}); }

 protected:
  // Only the rows the frame changes reach the canvas.
  void ShowFrame(const PixelBuffer& frame) override {
    const std::vector<web::RowRun>* runs = &converter_.Convert(frame);
    if (web::ShowRows(converter_.Rgba(), frame.width, frame.height, *runs)) {
      converter_.Reset();
      runs = &converter_.Convert(frame);
      web::ShowRows(converter_.Rgba(), frame.width, frame.height, *runs);
    }
  }

 private:
  static constexpr uint8_t kEscape = 0x01;

  static EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* e, void* self) {
    auto* backend = static_cast<WebBackend*>(self);
    uint8_t dik = web::DikFromKeyCode(e->code);
    if (!dik) return EM_FALSE;
    bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    backend->keysDown_[dik] = down;
    backend->pending_.push_back({PageEvent::kKey, dik, 0, down});
    // The browser's own shortcuts (reload, developer tools, full screen) keep working; other
    // keys are the game's and do not scroll the page.
    bool browsers = e->ctrlKey || e->metaKey || std::strcmp(e->code, "F5") == 0 ||
                    std::strcmp(e->code, "F11") == 0 || std::strcmp(e->code, "F12") == 0;
    return browsers ? EM_FALSE : EM_TRUE;
  }

  // The mouse is the program's only while the pointer is captured: the click that captures it
  // and anything done on the page's controls are not.
  static EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* e, void* self) {
    auto* backend = static_cast<WebBackend*>(self);
    if (!backend->pointerLocked_) return EM_FALSE;
    if (type == EMSCRIPTEN_EVENT_MOUSEMOVE) {
      if (e->movementX || e->movementY) {
        backend->pending_.push_back({PageEvent::kMotion, static_cast<int>(e->movementX),
                                     static_cast<int>(e->movementY), false});
      }
      return EM_TRUE;
    }
    // The page numbers left, middle, right; the platform left, right, middle.
    static const int kButtons[] = {0, 2, 1};
    if (e->button < 0 || e->button > 2) return EM_FALSE;
    int button = kButtons[e->button];
    bool down = type == EMSCRIPTEN_EVENT_MOUSEDOWN;
    backend->buttonsDown_[button] = down;
    backend->pending_.push_back({PageEvent::kButton, button, 0, down});
    return EM_TRUE;
  }

  static EM_BOOL OnPointerLock(int, const EmscriptenPointerlockChangeEvent* e, void* self) {
    auto* backend = static_cast<WebBackend*>(self);
    backend->pointerLocked_ = e->isActive;
    // Buttons held when the capture ends would never see their release.
    if (!e->isActive) backend->ReleaseButtons();
    return EM_FALSE;
  }

  static EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* e, void* self) {
    auto* backend = static_cast<WebBackend*>(self);
    backend->visible_ = !e->hidden;
    backend->FocusMayHaveChanged();
    return EM_FALSE;
  }

  static EM_BOOL OnWindowFocus(int type, const EmscriptenFocusEvent*, void* self) {
    auto* backend = static_cast<WebBackend*>(self);
    backend->focused_ = type == EMSCRIPTEN_EVENT_FOCUS;
    backend->FocusMayHaveChanged();
    return EM_FALSE;
  }

  // The program has the focus while the tab is shown and its window has the focus. On a loss,
  // keys and buttons still held are let go: their releases go to whatever has the focus now.
  void FocusMayHaveChanged() {
    bool active = visible_ && focused_;
    if (active == active_) return;
    active_ = active;
    if (!active) {
      for (int dik = 0; dik < 256; ++dik) {
        if (keysDown_[dik]) pending_.push_back({PageEvent::kKey, dik, 0, false});
        keysDown_[dik] = false;
      }
      ReleaseButtons();
    }
    pending_.push_back({PageEvent::kFocus, 0, 0, active});
  }

  void ReleaseButtons() {
    for (int button = 0; button < 3; ++button) {
      if (buttonsDown_[button]) pending_.push_back({PageEvent::kButton, button, 0, false});
      buttonsDown_[button] = false;
    }
  }

  std::vector<PageEvent> pending_;
  bool keysDown_[256] = {};
  bool buttonsDown_[3] = {};
  bool pointerLocked_ = false;
  bool visible_ = true;
  bool focused_ = true;  // a page starts with the focus it was opened with
  bool active_ = true;

  web::FrameConverter converter_;

  const bool paceFlips_;
  FrameSchedule schedule_;
  double lastYield_ = 0;  // when the program last handed the thread to the browser, in ms
};

}  // namespace

std::unique_ptr<Backend> CreateWebBackend(bool paceFlips) {
  return std::make_unique<WebBackend>(paceFlips);
}

}  // namespace plat

// Called by the page's Quit control.
extern "C" EMSCRIPTEN_KEEPALIVE void qv_web_quit() {
  if (plat::theWebBackend) plat::theWebBackend->PressEscape();
}

// Called by the page for a touch drag.
extern "C" EMSCRIPTEN_KEEPALIVE void qv_web_move(int dx, int dy) {
  if (plat::theWebBackend) plat::theWebBackend->MoveFromPage(dx, dy);
}
