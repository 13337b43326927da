// The SDL2 backend: the program's window on the player's desktop. A full-screen mode of the
// emulated display is shown desktop-fullscreen, scaled as the player's settings say (see
// core/settings.h), and never changes the monitor's real mode; Alt+Enter puts it in a window
// and back, and F12 saves the frame as a screenshot. In a window the pointer is held while
// playing and let go by Ctrl+Alt (see ReleasePointer). Waited flips follow the emulated
// display's own 60 Hz, whatever the monitor's rate.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "backend/sdl/picture_scaler.h"
#include "backend/sdl/screenshot.h"
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
#include "core/settings.h"
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
    if (sharpened_) SDL_DestroyTexture(sharpened_);
    if (staging_) SDL_FreeSurface(staging_);
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
      // A program in exclusive mode shows the mode, whatever size Windows gives its window.
      if (!FullScreenShown() && !programFullScreen_) {
        SDL_SetWindowSize(window_, clientWidth, clientHeight);
      }
    }
    if (visible) {
      SDL_ShowWindow(window_);
      SDL_RaiseWindow(window_);
      // A windowed program the player wants full screen goes there once shown.
      if (FullScreenShown() && !programFullScreen_ && !coveredByHand_ &&
          !(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN)) {
        ApplyWindowMode();
      }
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
    if (screenshotWanted_) {
      screenshotWanted_ = false;
      sdl::SaveScreenshot(frame);
    }
    if (renderer_) {
      ShowOnGpu(frame);
    } else {
      ShowOnProcessor(frame);
    }
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
    PointAtMessageBox(box.window != nullptr);
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

  // Without a window manager nothing gives the box the keyboard. So keys follow the pointer,
  // and the pointer goes where SDL puts the box, centred across and a third of the way down its
  // parent window or the screen: Return and Escape answer it.
  void PointAtMessageBox(bool overParent) {
    if (!window_ || sdl::WindowManagerRuns(window_)) return;
    sdl::KeysFollowPointer(window_);
    SDL_Rect area = {0, 0, 0, 0};
    if (overParent) {
      SDL_GetWindowPosition(window_, &area.x, &area.y);
      SDL_GetWindowSize(window_, &area.w, &area.h);
    } else if (SDL_GetDisplayBounds(0, &area) != 0) {
      return;
    }
    if (area.w > 0 && area.h > 0) SDL_WarpMouseGlobal(area.x + area.w / 2, area.y + area.h / 3);
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
      if (window_) renderer_ = sdl::CreateGpuRenderer(window_);
    }
    if (!window_) {
      std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
      return false;
    }
    // Without a renderer the frames go into the window's own pixels, which on X11 must then be
    // the X server's shared memory, not an OpenGL texture of SDL's. (Other window systems
    // without pixels of their own keep SDL's texture.)
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!renderer_ && driver && SDL_strcmp(driver, "x11") == 0) {
      SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    windowId_ = SDL_GetWindowID(window_);
    return true;
  }

  // Full screen while the program has a full-screen mode, or as --window and --fullscreen
  // chose, unless the player toggled it with Alt+Enter.
  bool FullScreenShown() const {
    bool wanted = settings_.startIn == StartIn::AsProgramAsks
                      ? programFullScreen_
                      : settings_.startIn == StartIn::FullScreen;
    return wanted != playerToggled_;
  }

  // Full screen on the desktop, or a window of the mode's (or the client area's) size.
  void ApplyWindowMode() {
    if (!window_) return;
    windowTouched_ = true;
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

  // Without a graphics card: converted and scaled in one pass into the window's own pixels,
  // which keep what they show from one frame to the next. The bars beside the picture are
  // painted black only when the pixels are new, the window changed or the picture moved; of
  // the picture only the rows that changed are drawn and sent to the window system.
  void ShowOnProcessor(const PixelBuffer& frame) {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) {
      if (!surfaceFailed_) std::fprintf(stderr, "SDL window surface: %s\n", SDL_GetError());
      surfaceFailed_ = true;
      return;
    }
    // A window system whose pixels are not 0x00RRGGBB gets them through a surface of that
    // layout and SDL's conversion.
    SDL_Surface* target = surface;
    if (surface->format->format != SDL_PIXELFORMAT_RGB888 &&
        surface->format->format != SDL_PIXELFORMAT_ARGB8888) {
      if (!staging_ || staging_->w != surface->w || staging_->h != surface->h) {
        if (staging_) SDL_FreeSurface(staging_);
        staging_ =
            SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 32, SDL_PIXELFORMAT_RGB888);
        if (!staging_) return;
      }
      target = staging_;
    }
    const sdl::Area area =
        sdl::PictureArea(frame.width, frame.height, target->w, target->h, settings_.scaling);
    const bool everything = windowTouched_ || target != surface || surface != paintedSurface_ ||
                            surface->pixels != paintedPixels_ || target->w != paintedWidth_ ||
                            target->h != paintedHeight_ || area.x != paintedArea_.x ||
                            area.y != paintedArea_.y || area.w != paintedArea_.w ||
                            area.h != paintedArea_.h;
    windowTouched_ = false;
    if (everything) {
      SDL_FillRect(target, nullptr, 0);
      paintedSurface_ = surface;
      paintedPixels_ = surface->pixels;
      paintedWidth_ = target->w;
      paintedHeight_ = target->h;
      paintedArea_ = area;
    }
    if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return;
    const auto& drawn =
        scaler_.Draw(frame, settings_.filter, static_cast<uint32_t*>(target->pixels),
                     target->pitch / 4, area, everything);
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    if (target != surface) SDL_BlitSurface(target, nullptr, surface, nullptr);
    if (everything) {
      SDL_UpdateWindowSurface(window_);
      return;
    }
    changedRects_.clear();
    for (const auto& rows : drawn)
      changedRects_.push_back({area.x, rows.first, area.w, rows.count});
    if (!changedRects_.empty()) {
      SDL_UpdateWindowSurfaceRects(window_, changedRects_.data(),
                                   static_cast<int>(changedRects_.size()));
    }
  }

  // With a graphics card: the frame uploaded as it is, where the card takes its layout, and
  // scaled there. Sharp is nearest up to the whole multiple at or above the picture's size,
  // then linear down to it: crisp, with the borders between pixels one screen pixel wide.
  void ShowOnGpu(const PixelBuffer& frame) {
    Uint32 format = DirectTextureFormat(frame.format);
    const bool convert = !format;  // 8-bit frames through their palette, others as 0x00RRGGBB
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
      converted_.resize(static_cast<size_t>(frame.width) * frame.height);
      sdl::FrameToXrgb(frame, converted_.data());
      SDL_UpdateTexture(texture_, nullptr, converted_.data(), frame.width * 4);
    } else {
      SDL_UpdateTexture(texture_, nullptr, frame.bits, frame.pitch);
    }
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight) != 0) return;
    const sdl::Area a =
        sdl::PictureArea(frame.width, frame.height, outputWidth, outputHeight, settings_.scaling);
    const SDL_Rect picture = {a.x, a.y, a.w, a.h};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const bool whole = a.w % frame.width == 0 && a.h % frame.height == 0;
    SDL_Texture* shown = texture_;
    if (settings_.filter == Filter::Sharp && !whole && a.w > frame.width) {
      const int times = (a.w + frame.width - 1) / frame.width;
      shown = Sharpened(frame.width * times, frame.height * times);
    }
    const bool nearest =
        settings_.filter == Filter::Nearest || (settings_.filter == Filter::Sharp && whole);
    SDL_SetTextureScaleMode(
        texture_, nearest || shown != texture_ ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    if (shown != texture_) {
      SDL_SetRenderTarget(renderer_, shown);
      SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
      SDL_SetRenderTarget(renderer_, nullptr);
    }
    SDL_RenderCopy(renderer_, shown, nullptr, &picture);
    SDL_RenderPresent(renderer_);
  }

  // The whole-multiple texture sharp scaling passes through (the frame's own when the card
  // cannot render into textures), linear-filtered.
  SDL_Texture* Sharpened(int width, int height) {
    if (sharpened_ && sharpenedWidth_ == width && sharpenedHeight_ == height) return sharpened_;
    if (sharpened_) SDL_DestroyTexture(sharpened_);
    sharpened_ = SDL_RenderTargetSupported(renderer_)
                     ? SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888,
                                         SDL_TEXTUREACCESS_TARGET, width, height)
                     : nullptr;
    sharpenedWidth_ = width;
    sharpenedHeight_ = height;
    if (!sharpened_) return texture_;
    SDL_SetTextureScaleMode(sharpened_, SDL_ScaleModeLinear);
    return sharpened_;
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
    windowTouched_ = true;
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
        // Shown, exposed, moved, resized: the next frame is drawn and sent whole.
        windowTouched_ = true;
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
        if (sc == SDL_SCANCODE_F12) {
          // So does F12: a screenshot of the next frame shown.
          if (down && !e.key.repeat) screenshotWanted_ = true;
          break;
        }
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
  SDL_Texture* sharpened_ = nullptr;
  int sharpenedWidth_ = 0;
  int sharpenedHeight_ = 0;
  std::vector<uint32_t> converted_;

  const PresentSettings settings_ = CurrentPresentSettings();
  sdl::PictureScaler scaler_;
  SDL_Surface* staging_ = nullptr;  // for window pixels of another layout
  bool surfaceFailed_ = false;
  SDL_Surface* paintedSurface_ = nullptr;  // the window pixels whose bars are painted
  void* paintedPixels_ = nullptr;
  bool windowTouched_ = true;  // a window event came since the last frame
  std::vector<SDL_Rect> changedRects_;
  int paintedWidth_ = 0;
  int paintedHeight_ = 0;
  sdl::Area paintedArea_;
  bool screenshotWanted_ = false;

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
