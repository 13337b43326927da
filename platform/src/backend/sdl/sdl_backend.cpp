// The SDL2 backend: the program's window on the player's desktop. A full-screen mode of the
// emulated display is shown desktop-fullscreen, scaled with its aspect ratio kept, and never
// changes the monitor's real mode; Alt+Enter puts it in a window and back. In a window the
// pointer is held while playing and let go by Ctrl+Alt (see ReleasePointer). Waited flips follow
// the emulated display's own 60 Hz, whatever the monitor's rate.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "backend/sdl/sdl_display_clock.h"
#include "backend/sdl/sdl_frame.h"
#include "backend/sdl/sdl_keys.h"
#include "backend/sdl/sdl_renderer.h"
#include "backend/sdl/sdl_x11.h"
#include "core/backend.h"
#include "core/events.h"
#include "core/input_state.h"
#include "core/keymap.h"
#include "core/leak_check.h"
#include "core/signals.h"

namespace plat {

namespace {

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
    // Relative motion reaches DirectInput in the mouse's own counts, not divided by the scale
    // from the emulated mode to the desktop: the paddle's speed must not depend on the monitor.
    SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SCALING, "0");
    int joysticks;
    {
      LeakCheckPause pause;
      joysticks = SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    }
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
      if (!FullScreenShown()) SDL_SetWindowSize(window_, clientWidth, clientHeight);
    }
    if (visible) {
      SDL_ShowWindow(window_);
      SDL_RaiseWindow(window_);
      if (FullScreenShown()) CoverDisplayIfUncovered();
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

  void ShowFrame(const PixelBuffer& frame) override {
    if (!EnsureWindow(frame.width, frame.height)) return;
    // SDL's software renderer scales quickly only between equal 32-bit formats; other pairs
    // take its slow per-pixel path, which costs far more than converting the frame first.
    Uint32 format = softwareRenderer_ && !(frame.format == PixelFormat::Xrgb8888())
                        ? 0
                        : DirectTextureFormat(frame.format);
    // 8-bit frames go through their palette; other layouts through 0x00RRGGBB.
    const bool convert = !format;
    if (convert) format = SDL_PIXELFORMAT_RGB888;
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
    }
    if (convert) {
      ConvertIntoTexture(frame);
    } else {
      SDL_UpdateTexture(texture_, nullptr, frame.bits, frame.pitch);
    }
    DrawScaled(frame.width, frame.height);
    SDL_RenderPresent(renderer_);
  }

  void WaitForVerticalBlank() override { displayClock_.WaitForRefresh(); }

  bool InVerticalBlank() override { return displayClock_.InBlank(); }

  void PumpEvents() override {
    if (TakeCloseSignal()) events::CloseRequested();
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

  void ShowProgramPointer(bool shown) override {
    programPointer_ = shown;
    UpdateRelativeMouse();
  }

 private:
  bool EnsureWindow(int width, int height) {
    if (window_) return true;
    if (width <= 0 || height <= 0) {
      width = 640;
      height = 480;
    }
    {
      // The window system's and the GL driver's start-up keep some memory for the life of the
      // process.
      LeakCheckPause pause;
      window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                 SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
      if (window_) {
        renderer_ = sdl::CreateCheapRenderer(window_);
        SDL_RendererInfo info;
        softwareRenderer_ = renderer_ && SDL_GetRendererInfo(renderer_, &info) == 0 &&
                            (info.flags & SDL_RENDERER_SOFTWARE);
      }
    }
    if (!window_) {
      std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
      return false;
    }
    if (!renderer_) {
      std::fprintf(stderr, "SDL renderer: %s\n", SDL_GetError());
      SDL_DestroyWindow(window_);
      window_ = nullptr;
      return false;
    }
    windowId_ = SDL_GetWindowID(window_);
    return true;
  }

  // Full screen while the program has a full-screen mode, unless the player toggled it with
  // Alt+Enter; the same toggle puts a windowed program in full screen.
  bool FullScreenShown() const { return programFullScreen_ != playerToggled_; }

  // Full screen on the desktop, or a window of the mode's (or the client area's) size.
  void ApplyWindowMode() {
    if (!window_) return;
    if (FullScreenShown()) {
      // Shown first: a hidden window only notes the wish for full screen, which a desktop
      // without a window manager never carries out.
      if (programFullScreen_) SDL_ShowWindow(window_);
      if (!coveredByHand_) {
        SDL_Rect bounds = DisplayBounds();
        SDL_SetWindowPosition(window_, bounds.x, bounds.y);
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
      }
      CoverDisplayIfUncovered();
      pointerReleased_ = false;
    } else {
      SDL_SetWindowFullscreen(window_, 0);
      if (coveredByHand_) {
        SDL_SetWindowBordered(window_, SDL_TRUE);
        coveredByHand_ = false;
      }
      int w = programFullScreen_ ? modeWidth_ : clientWidth_;
      int h = programFullScreen_ ? modeHeight_ : clientHeight_;
      if (w > 0 && h > 0) {
        SDL_SetWindowSize(window_, w, h);
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
      }
    }
    UpdateRelativeMouse();
  }

  // Converted straight into the texture's memory where its rows lie end to end, as they do for
  // every renderer here; through a buffer otherwise.
  void ConvertIntoTexture(const PixelBuffer& frame) {
    void* memory = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &memory, &pitch) == 0 && pitch == frame.width * 4) {
      sdl::FrameToXrgb(frame, static_cast<uint32_t*>(memory));
      SDL_UnlockTexture(texture_);
      return;
    }
    if (memory) SDL_UnlockTexture(texture_);
    converted_.resize(static_cast<size_t>(frame.width) * frame.height);
    sdl::FrameToXrgb(frame, converted_.data());
    SDL_UpdateTexture(texture_, nullptr, converted_.data(), frame.width * 4);
  }

  // The frame scaled to the renderer's real output size, whatever size the window reached,
  // with its aspect ratio kept and black bars beside it. Only the bars are filled: clearing the
  // whole output first would cost as much as the scaling itself in the software renderer.
  void DrawScaled(int width, int height) {
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight) != 0) return;
    SDL_Rect picture = {0, 0, outputWidth, outputHeight};
    if (int64_t{outputWidth} * height <= int64_t{outputHeight} * width) {
      picture.h = static_cast<int>(int64_t{height} * outputWidth / width);
    } else {
      picture.w = static_cast<int>(int64_t{width} * outputHeight / height);
    }
    picture.x = (outputWidth - picture.w) / 2;
    picture.y = (outputHeight - picture.h) / 2;
    const SDL_Rect bars[] = {
        {0, 0, picture.x, outputHeight},
        {picture.x + picture.w, 0, outputWidth - picture.x - picture.w, outputHeight},
        {0, 0, outputWidth, picture.y},
        {0, picture.y + picture.h, outputWidth, outputHeight - picture.y - picture.h}};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    for (const SDL_Rect& bar : bars) {
      if (bar.w > 0 && bar.h > 0) SDL_RenderFillRect(renderer_, &bar);
    }
    SDL_RenderCopy(renderer_, texture_, nullptr, &picture);
  }

  SDL_Rect DisplayBounds() {
    SDL_Rect bounds = {0, 0, 0, 0};
    int display = SDL_GetWindowDisplayIndex(window_);
    if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) != 0) {
      int w = 0, h = 0;
      DesktopMode(&w, &h, nullptr);
      bounds = {0, 0, w, h};
    }
    return bounds;
  }

  // Without a window manager nobody carries out SDL's request for full screen: the window keeps
  // its size at the corner of the display while SDL believes it covers the display. The window
  // then covers the display by itself, borderless, and SDL's records follow the real size again.
  void CoverDisplayIfUncovered() {
    if (!(SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN)) return;
    SDL_Rect bounds = DisplayBounds();
    SDL_Rect real;
    if (!sdl::X11WindowGeometry(window_, &real)) return;
    // Exactly: a larger window would cover the display too, but SDL would draw for the
    // display's size into it.
    bool covers =
        real.x == bounds.x && real.y == bounds.y && real.w == bounds.w && real.h == bounds.h;
    if (covers || sdl::WindowManagerRuns(window_)) return;
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowBordered(window_, SDL_FALSE);
    SDL_SetWindowPosition(window_, bounds.x, bounds.y);
    SDL_SetWindowSize(window_, bounds.w, bounds.h);
    coveredByHand_ = true;
  }

  // The program wants the mouse to itself unless it shows a pointer in a window.
  bool RelativeWanted() const { return !programPointer_ || FullScreenShown(); }

  // The pointer is SDL's relative mode (hidden, held in the window, its motion never stopped by
  // a desktop edge) while the program wants the mouse, the window has the focus and the player
  // has not let the pointer go. Otherwise SDL shows the system pointer.
  void UpdateRelativeMouse() {
    bool want = RelativeWanted() && window_ && focused_ && !pointerReleased_ &&
                (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN);
    if (want != static_cast<bool>(SDL_GetRelativeMouseMode())) {
      SDL_SetRelativeMouseMode(want ? SDL_TRUE : SDL_FALSE);
    }
  }

  // In a window the player needs the pointer for the desktop and the window's own buttons:
  // Ctrl+Alt lets it go, as in the usual virtual machines. The game uses neither key, every
  // keyboard has both, and the two together are not pressed by chance while playing. The keys
  // still reach the program. Losing the focus lets the pointer go too; a click into the window
  // takes it back. In full screen the pointer stays held while the window has the focus.
  void ReleasePointer() {
    if (FullScreenShown()) return;
    pointerReleased_ = true;
    UpdateRelativeMouse();
  }

  // True for a mouse event that belongs to the desktop, not the program: the pointer was let go,
  // or it is the click (down and up) that takes it back.
  bool MouseEventForDesktop(const SDL_Event& e) {
    if (e.type == SDL_MOUSEBUTTONUP && e.button.button == reclaimingButton_) {
      reclaimingButton_ = 0;
      return true;
    }
    if (!pointerReleased_ || !RelativeWanted()) return false;
    if (e.type == SDL_MOUSEBUTTONDOWN && e.button.windowID == windowId_) {
      pointerReleased_ = false;
      reclaimingButton_ = e.button.button;
      UpdateRelativeMouse();
    }
    return true;
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
            if (!FullScreenShown()) pointerReleased_ = true;
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
            playerToggled_ = !playerToggled_;
            ApplyWindowMode();
          }
          break;
        }
        if (down && (e.key.keysym.mod & KMOD_CTRL) && (e.key.keysym.mod & KMOD_ALT)) {
          ReleasePointer();
        }
        uint8_t dik = sdl::DikFromSdlScancode(sc);
        if (dik) events::Key(dik, VirtualKeyFromScanCode(dik), down);
        break;
      }
      case SDL_MOUSEMOTION:
        if (MouseEventForDesktop(e)) break;
        if (e.motion.xrel || e.motion.yrel) events::MouseMotion(e.motion.xrel, e.motion.yrel);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        if (MouseEventForDesktop(e)) break;
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
  bool softwareRenderer_ = false;
  std::vector<uint32_t> converted_;

  bool programFullScreen_ = false;  // the program set a full-screen mode
  bool playerToggled_ = false;      // the player pressed Alt+Enter (an odd number of times)
  bool coveredByHand_ = false;      // full screen as a borderless window over the display
  int modeWidth_ = 0;
  int modeHeight_ = 0;
  int clientWidth_ = 0;
  int clientHeight_ = 0;

  bool focused_ = true;
  bool programPointer_ = false;   // the program shows a pointer (see ShowProgramPointer)
  bool pointerReleased_ = false;  // in a window, the player let the pointer go
  Uint8 reclaimingButton_ = 0;    // the button whose click took the pointer back

  sdl::DisplayClock displayClock_;

  SDL_Joystick* joystick_ = nullptr;
  SDL_JoystickID joystickId_ = -1;
};

}  // namespace

std::unique_ptr<Backend> CreateSdlBackend() {
  // SDL's video start-up leaves a few bytes of D-Bus state for the life of the process; the
  // leak checker looks away while it runs. SIGINT and SIGTERM are the backend's own (see
  // core/signals.h): SDL's handlers would only work while the program pumps its events.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  int started;
  {
    LeakCheckPause pause;
    started = SDL_InitSubSystem(SDL_INIT_VIDEO);
  }
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
  if (driver && SDL_strcmp(driver, "x11") == 0) sdl::EndProcessWhenDisplayIsLost();
  CatchCloseSignals();
  return std::make_unique<SdlBackend>();
}

}  // namespace plat
