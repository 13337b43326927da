// The SDL2 backend: the program's window on the player's desktop. A full-screen mode of the
// emulated display is shown desktop-fullscreen, scaled with its aspect ratio kept, and never
// changes the monitor's real mode; Alt+Enter puts it in a window and back. Waited flips follow
// the emulated display's own 60 Hz, whatever the monitor's rate.
#include <SDL.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define QV_LSAN_PAUSE() __lsan_disable()
#define QV_LSAN_RESUME() __lsan_enable()
#else
#define QV_LSAN_PAUSE()
#define QV_LSAN_RESUME()
#endif

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "backend/sdl/sdl_keys.h"
#include "core/backend.h"
#include "core/seams.h"
#include "core/events.h"
#include "core/input_state.h"
#include "core/keymap.h"

namespace plat {

namespace {

using Clock = std::chrono::steady_clock;
// The emulated display refreshes at 60 Hz: one tick every 16.667 ms.
constexpr Clock::duration kTick = std::chrono::nanoseconds(16666667);
// Sleeping ends this much before the deadline; the rest is waited out without sleeping, so that
// the scheduler's wake-up delay does not show in the period.
constexpr Clock::duration kSpin = std::chrono::microseconds(1500);

// The SDL texture format that holds a pixel format's memory as it is, or 0 when the pixels
// need converting.
Uint32 DirectTextureFormat(const PixelFormat& f) {
  if (f == PixelFormat::Rgb565()) return SDL_PIXELFORMAT_RGB565;
  if (f == PixelFormat::Rgb555()) return SDL_PIXELFORMAT_RGB555;
  if (f == PixelFormat::Xrgb8888()) return SDL_PIXELFORMAT_RGB888;
  if (f == PixelFormat::Rgb888()) return SDL_PIXELFORMAT_BGR24;  // B, G, R in memory
  return 0;
}

const BackendTraits kSdlTraits = {"sdl", true, true, true};

class SdlBackend : public Backend {
 public:
  const BackendTraits& Traits() const override { return kSdlTraits; }
  SdlBackend() {
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "1");
    QV_LSAN_PAUSE();
    int joysticks = SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    QV_LSAN_RESUME();
    if (joysticks != 0) {
      std::fprintf(stderr, "SDL joysticks unavailable: %s\n", SDL_GetError());
    }
  }

  ~SdlBackend() override {
    if (joystick_) SDL_JoystickClose(joystick_);
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    // The backend is SDL's one user in the process: all of SDL goes, its D-Bus link included.
    SDL_Quit();
  }

  void WindowChanged(HWND window, const char* title, int clientWidth, int clientHeight,
                     bool visible) override {
    if (!window) {
      if (window_) SDL_HideWindow(window_);
      return;
    }
    if (!EnsureWindow(clientWidth, clientHeight)) return;
    SDL_SetWindowTitle(window_, title ? title : "");
    if (clientWidth > 0 && clientHeight > 0) {
      clientWidth_ = clientWidth;
      clientHeight_ = clientHeight;
      if (!programFullScreen_ && !(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP)) {
        SDL_SetWindowSize(window_, clientWidth, clientHeight);
      }
    }
    if (visible) {
      SDL_ShowWindow(window_);
      SDL_RaiseWindow(window_);
    } else {
      SDL_HideWindow(window_);
    }
    UpdateRelativeMouse();
  }

  void DisplayModeChanged(int width, int height, int, bool fullScreen) override {
    programFullScreen_ = fullScreen;
    if (fullScreen) {
      modeWidth_ = width;
      modeHeight_ = height;
    }
    if (!EnsureWindow(width, height)) return;
    ApplyWindowMode();
  }

  void DesktopMode(int* width, int* height, int* bitsPerPixel) override {
    SDL_DisplayMode mode;
    int w = 1024, h = 768, bits = 32;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
      w = mode.w;
      h = mode.h;
      // A 4-byte pixel with 24 bits of colour is what Windows calls a 32-bit desktop.
      bits = SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : SDL_BITSPERPIXEL(mode.format);
    }
    if (width) *width = w;
    if (height) *height = h;
    if (bitsPerPixel) *bitsPerPixel = bits;
  }

  void Present(const PixelBuffer& frame) override {
    if (!frame.bits || frame.width <= 0 || frame.height <= 0) return;
    if (seams::FrameSink sink = seams::frameSink) sink(frame);
    if (!EnsureWindow(frame.width, frame.height)) return;
    Uint32 format = DirectTextureFormat(frame.format);
    const void* pixels = frame.bits;
    int pitch = frame.pitch;
    if (!format) {
      // 8-bit frames go through their palette; other layouts through 0x00RRGGBB.
      converted_.resize(static_cast<size_t>(frame.width) * frame.height);
      ConvertToXrgb(frame, converted_.data());
      format = SDL_PIXELFORMAT_RGB888;
      pixels = converted_.data();
      pitch = frame.width * 4;
    }
    if (!texture_ || textureFormat_ != format || textureWidth_ != frame.width ||
        textureHeight_ != frame.height) {
      if (texture_) SDL_DestroyTexture(texture_);
      texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, frame.width,
                                   frame.height);
      if (!texture_) {
        std::fprintf(stderr, "SDL texture: %s\n", SDL_GetError());
        return;
      }
      textureFormat_ = format;
      textureWidth_ = frame.width;
      textureHeight_ = frame.height;
      // Scaled to the window with the aspect ratio kept, black bars beside.
      SDL_RenderSetLogicalSize(renderer_, frame.width, frame.height);
    }
    SDL_UpdateTexture(texture_, nullptr, pixels, pitch);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  void WaitForVerticalBlank() override {
    Clock::time_point now = Clock::now();
    // A deadline clock: each tick falls one period after the previous one, so the period stays
    // 16.667 ms on average whatever each wait overshoots. After a long stall (a message box,
    // a debugger) the clock starts again from now instead of hurrying to catch up.
    if (!ticking_ || now - nextTick_ > 4 * kTick) {
      ticking_ = true;
      nextTick_ = now + kTick;
    }
    if (nextTick_ - now > kSpin) std::this_thread::sleep_until(nextTick_ - kSpin);
    while (Clock::now() < nextTick_) std::this_thread::yield();
    lastTick_ = nextTick_;
    nextTick_ += kTick;
  }

  bool InVerticalBlank() override {
    if (!ticking_) return false;
    // The first sixteenth of each refresh counts as the blank.
    auto phase = (Clock::now() - lastTick_) % kTick;
    return phase < kTick / 16;
  }

  void PumpEvents() override {
    SDL_Event e;
    while (SDL_PollEvent(&e)) Handle(e);
  }

  int MessageBox(HWND, const char* text, const char* caption, UINT type) override {
    std::fprintf(stderr, "[message box] %s: %s\n", caption ? caption : "", text ? text : "");
    struct Button {
      int id;
      const char* label;
    };
    static const Button kOk[] = {{IDOK, "OK"}};
    static const Button kOkCancel[] = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    static const Button kAbortRetryIgnore[] = {
        {IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    static const Button kYesNoCancel[] = {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    static const Button kYesNo[] = {{IDYES, "Yes"}, {IDNO, "No"}};
    static const Button kRetryCancel[] = {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    const Button* first = kOk;
    size_t count = 1;
    switch (type & MB_TYPEMASK) {
      case MB_OKCANCEL:
        first = kOkCancel;
        count = 2;
        break;
      case MB_ABORTRETRYIGNORE:
        first = kAbortRetryIgnore;
        count = 3;
        break;
      case MB_YESNOCANCEL:
        first = kYesNoCancel;
        count = 3;
        break;
      case MB_YESNO:
        first = kYesNo;
        count = 2;
        break;
      case MB_RETRYCANCEL:
        first = kRetryCancel;
        count = 2;
        break;
      default:
        break;
    }
    std::vector<Button> buttons(first, first + count);
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < buttons.size(); ++i) {
      Uint32 flags = 0;
      if (i == 0) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
      // Escape answers Cancel where there is one; a lone OK takes it too.
      if (buttons[i].id == IDCANCEL || buttons.size() == 1) {
        flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
      }
      data.push_back({flags, buttons[i].id, buttons[i].label});
    }
    Uint32 icon = SDL_MESSAGEBOX_INFORMATION;
    switch (type & MB_ICONMASK) {
      case MB_ICONERROR:
        icon = SDL_MESSAGEBOX_ERROR;
        break;
      case MB_ICONWARNING:
        icon = SDL_MESSAGEBOX_WARNING;
        break;
      default:
        break;
    }
    SDL_MessageBoxData box = {};
    box.flags = icon;
    box.window = window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) ? window_ : nullptr;
    box.title = caption ? caption : "";
    box.message = text ? text : "";
    box.numbuttons = static_cast<int>(data.size());
    box.buttons = data.data();
    // The player needs the pointer to answer.
    if (SDL_GetRelativeMouseMode()) SDL_SetRelativeMouseMode(SDL_FALSE);
    int pressed = 0;
    int result = SDL_ShowMessageBox(&box, &pressed);
    UpdateRelativeMouse();
    if (result != 0) {
      std::fprintf(stderr, "SDL message box: %s\n", SDL_GetError());
      return 0;
    }
    // Closing the box without a button is Cancel, or OK where there is no Cancel.
    if (pressed < 0) return buttons.size() == 1 ? IDOK : IDCANCEL;
    return pressed;
  }

  void SetRelativeMouse(bool enabled) override {
    relativeWanted_ = enabled;
    UpdateRelativeMouse();
  }

 private:
  bool EnsureWindow(int width, int height) {
    if (window_) return true;
    if (width <= 0 || height <= 0) {
      width = 640;
      height = 480;
    }
    QV_LSAN_PAUSE();
    window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!window_) {
      QV_LSAN_RESUME();
      std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
      return false;
    }
    // No vsync: flips are paced to the emulated display's 60 Hz, not the monitor's rate.
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    // The window system's and the GL driver's start-up keep some memory for the life of the
    // process.
    QV_LSAN_RESUME();
    if (!renderer_) {
      std::fprintf(stderr, "SDL renderer: %s\n", SDL_GetError());
      SDL_DestroyWindow(window_);
      window_ = nullptr;
      return false;
    }
    windowId_ = SDL_GetWindowID(window_);
    return true;
  }

  // Full screen on the desktop while the program has a full-screen mode and the player has not
  // asked for a window; otherwise a window of the mode's (or the client area's) size.
  void ApplyWindowMode() {
    if (!window_) return;
    bool fullScreen = programFullScreen_ && !playerWindowed_;
    // Shown first: a hidden window only notes the wish for full screen, which a desktop
    // without a window manager never carries out.
    if (programFullScreen_) SDL_ShowWindow(window_);
    // A desktop without a window manager leaves the window where it was made: put it at the
    // desktop's origin first, which a window manager's full-screen state overrides anyway.
    if (fullScreen) SDL_SetWindowPosition(window_, 0, 0);
    SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!fullScreen) {
      int w = programFullScreen_ ? modeWidth_ : clientWidth_;
      int h = programFullScreen_ ? modeHeight_ : clientHeight_;
      if (w > 0 && h > 0) {
        SDL_SetWindowSize(window_, w, h);
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
      }
    }
  }

  void UpdateRelativeMouse() {
    // Relative mode while the window has the focus: the pointer is hidden and held, so the
    // motion never stops at a desktop edge.
    bool want =
        relativeWanted_ && window_ && focused_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN);
    if (want != static_cast<bool>(SDL_GetRelativeMouseMode())) {
      SDL_SetRelativeMouseMode(want ? SDL_TRUE : SDL_FALSE);
    }
  }

  void Handle(const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT:
        events::CloseRequested();
        break;
      case SDL_WINDOWEVENT:
        if (e.window.windowID != windowId_) break;
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE:
            events::CloseRequested();
            break;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            focused_ = true;
            events::FocusChanged(true);
            UpdateRelativeMouse();
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            focused_ = false;
            UpdateRelativeMouse();
            events::FocusChanged(false);
            break;
          default:
            break;
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        bool down = e.type == SDL_KEYDOWN;
        SDL_Scancode sc = e.key.keysym.scancode;
        bool enter = sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER;
        // Alt+Enter belongs to the window, not the program.
        if (enter && (e.key.keysym.mod & KMOD_ALT)) {
          if (down && !e.key.repeat) {
            playerWindowed_ = !playerWindowed_;
            if (!programFullScreen_) {
              SDL_SetWindowFullscreen(window_, playerWindowed_ ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
            } else {
              ApplyWindowMode();
            }
          }
          break;
        }
        uint8_t dik = sdl::DikFromSdlScancode(sc);
        if (dik) events::Key(dik, VirtualKeyFromScanCode(dik), down);
        break;
      }
      case SDL_MOUSEMOTION:
        if (e.motion.xrel || e.motion.yrel) events::MouseMotion(e.motion.xrel, e.motion.yrel);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        int button = e.button.button == SDL_BUTTON_LEFT     ? 0
                     : e.button.button == SDL_BUTTON_RIGHT  ? 1
                     : e.button.button == SDL_BUTTON_MIDDLE ? 2
                                                            : -1;
        if (button >= 0) events::MouseButton(button, e.type == SDL_MOUSEBUTTONDOWN);
        break;
      }
      case SDL_JOYDEVICEADDED:
        if (!joystick_) {
          joystick_ = SDL_JoystickOpen(e.jdevice.which);
          if (joystick_) {
            joystickId_ = SDL_JoystickInstanceID(joystick_);
            const char* name = SDL_JoystickName(joystick_);
            events::JoystickAttached(true, name ? name : "Joystick",
                                     SDL_JoystickNumButtons(joystick_));
            for (int i = 0; i < SDL_JoystickNumAxes(joystick_) && i < 8; ++i) {
              events::JoystickAxis(i, SDL_JoystickGetAxis(joystick_, i));
            }
          }
        }
        break;
      case SDL_JOYDEVICEREMOVED:
        if (joystick_ && e.jdevice.which == joystickId_) {
          SDL_JoystickClose(joystick_);
          joystick_ = nullptr;
          events::JoystickAttached(false, "", 0);
          for (int i = 0; i < 8; ++i) events::JoystickAxis(i, 0);
          for (int i = 0; i < 32; ++i) events::JoystickButton(i, false);
        }
        break;
      case SDL_JOYAXISMOTION:
        if (joystick_ && e.jaxis.which == joystickId_)
          events::JoystickAxis(e.jaxis.axis, e.jaxis.value);
        break;
      case SDL_JOYBUTTONDOWN:
      case SDL_JOYBUTTONUP:
        if (joystick_ && e.jbutton.which == joystickId_) {
          events::JoystickButton(e.jbutton.button, e.type == SDL_JOYBUTTONDOWN);
        }
        break;
      default:
        break;
    }
  }

  SDL_Window* window_ = nullptr;
  Uint32 windowId_ = 0;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  Uint32 textureFormat_ = 0;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  std::vector<uint32_t> converted_;

  bool programFullScreen_ = false;  // the program set a full-screen mode
  bool playerWindowed_ = false;     // the player pressed Alt+Enter
  int modeWidth_ = 0;
  int modeHeight_ = 0;
  int clientWidth_ = 0;
  int clientHeight_ = 0;

  bool focused_ = true;
  bool relativeWanted_ = true;

  bool ticking_ = false;
  Clock::time_point nextTick_;
  Clock::time_point lastTick_;

  SDL_Joystick* joystick_ = nullptr;
  SDL_JoystickID joystickId_ = -1;
};

}  // namespace

std::unique_ptr<Backend> CreateSdlBackend() {
  // SDL's video start-up leaves a few bytes of D-Bus state for the life of the process; the
  // leak checker looks away while it runs.
  QV_LSAN_PAUSE();
  int started = SDL_InitSubSystem(SDL_INIT_VIDEO);
  QV_LSAN_RESUME();
  if (started != 0) {
    std::fprintf(stderr, "SDL video unavailable, no display: %s\n", SDL_GetError());
    return nullptr;
  }
  // Without a display SDL falls back to its off-screen driver, which shows nothing to anyone:
  // that is no display, unless the user asked for that driver by name.
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool chosen = SDL_getenv("SDL_VIDEODRIVER") != nullptr;
  if (!chosen && driver &&
      (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
    std::fprintf(stderr,
                 "SDL video unavailable, no display (DISPLAY and WAYLAND_DISPLAY reach none)\n");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  return std::make_unique<SdlBackend>();
}

}  // namespace plat
