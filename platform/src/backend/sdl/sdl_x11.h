// What the SDL backend asks of the X server itself, where SDL's own records fall short.
#ifndef QV_PLATFORM_BACKEND_SDL_SDL_X11_H
#define QV_PLATFORM_BACKEND_SDL_SDL_X11_H

#include <SDL.h>

namespace plat::sdl {

// From now on, a lost connection to the X server ends the process at once with exit code 0
// and a line on stderr. Xlib's own handler would call exit(1), the exit code of a won game,
// and run exit handlers that talk to the dead server again.
void EndProcessWhenDisplayIsLost();

// The window's place and size as the X server has them. SDL records the display's size as soon
// as it asks for full screen, whether or not a window manager carries the request out. False
// when the window is not an X11 one.
bool X11WindowGeometry(SDL_Window* window, SDL_Rect* geometry);

// True when a window manager runs on the window's screen (a client redirects the root window's
// structure requests), or when the window is not an X11 one.
bool WindowManagerRuns(SDL_Window* window);

// Keys go to the window under the pointer from now on, as when the X server starts. Without a
// window manager that is how a window nobody gives the focus to (a message box) gets the keys.
void KeysFollowPointer(SDL_Window* window);

}  // namespace plat::sdl

#endif
