// The Xlib side of the SDL backend. libX11 is the library SDL itself opens for its X11 driver,
// so the I/O error handler set here is the one Xlib calls for SDL's connection too.
#include "backend/sdl/sdl_x11.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>

namespace plat::sdl {

namespace {

int OnDisplayLost(Display* display) {
  // No orderly shutdown can run: every SDL and Xlib call would touch the dead connection.
  std::fprintf(stderr, "The connection to the display %s was lost; the program ends.\n",
               display ? DisplayString(display) : "");
  std::fflush(stderr);
  _exit(0);
}

bool X11Window(SDL_Window* window, Display** display, Window* xwindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return false;
  }
  *display = info.info.x11.display;
  *xwindow = info.info.x11.window;
  return *display != nullptr;
}

}  // namespace

void EndProcessWhenDisplayIsLost() { XSetIOErrorHandler(OnDisplayLost); }

bool X11WindowGeometry(SDL_Window* window, SDL_Rect* geometry) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11Window(window, &display, &xwindow)) return false;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, xwindow, &attributes)) return false;
  // The place on the root window, also when a window manager has put a frame around it.
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display, xwindow, attributes.root, 0, 0, &x, &y, &child);
  *geometry = {x, y, attributes.width, attributes.height};
  return true;
}

bool WindowManagerRuns(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11Window(window, &display, &xwindow)) return true;
  XWindowAttributes windowAttributes;
  XWindowAttributes rootAttributes;
  if (!XGetWindowAttributes(display, xwindow, &windowAttributes) ||
      !XGetWindowAttributes(display, windowAttributes.root, &rootAttributes)) {
    return true;
  }
  // Only one client can redirect the root's structure requests: the window manager.
  return (rootAttributes.all_event_masks & SubstructureRedirectMask) != 0;
}


void KeysFollowPointer(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11Window(window, &display, &xwindow)) return;
  XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
  XFlush(display);
}

}  // namespace plat::sdl
