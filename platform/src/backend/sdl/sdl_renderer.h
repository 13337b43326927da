// The SDL renderer that shows the frames most cheaply.
#ifndef QV_PLATFORM_BACKEND_SDL_SDL_RENDERER_H
#define QV_PLATFORM_BACKEND_SDL_SDL_RENDERER_H

#include <SDL.h>

namespace plat::sdl {

// An accelerated renderer where the OpenGL underneath runs on a graphics card, SDL's software
// renderer where it is a software rasterizer (llvmpipe and the like), whose scaling costs about
// three times as much as SDL's own. SDL_RENDER_DRIVER, when set, chooses instead. Null when no
// renderer can be made (SDL_GetError says why).
SDL_Renderer* CreateCheapRenderer(SDL_Window* window);

}  // namespace plat::sdl

#endif
