// The SDL renderer that scales frames on a graphics card, where there is one.
#ifndef QV_PLATFORM_BACKEND_SDL_SDL_RENDERER_H
#define QV_PLATFORM_BACKEND_SDL_SDL_RENDERER_H

#include <SDL.h>

namespace plat::sdl {

// An accelerated renderer where the OpenGL underneath runs on a graphics card; null where it
// is a software rasterizer (llvmpipe and the like) or there is none: the backend then scales
// on the processor itself into the window's own pixels (backend/sdl/picture_scaler.h), which
// costs a fraction of either software renderer. SDL_RENDER_DRIVER, when set, chooses instead
// ("software" chooses the backend's own scaling).
SDL_Renderer* CreateGpuRenderer(SDL_Window* window);

}  // namespace plat::sdl

#endif
