#include "backend/sdl/sdl_renderer.h"

#include <cstring>
#include <initializer_list>

namespace plat::sdl {

namespace {

// The OpenGL renderer's name for what draws, read from the context SDL made current.
bool OpenGlRunsInSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0) {
    return false;
  }
  using GetString = const unsigned char* (*)(unsigned name);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned kGlRenderer = 0x1F01;
  const char* name = getString ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
  if (!name) return false;
  for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "SwiftShader"}) {
    if (std::strstr(name, software)) return true;
  }
  return false;
}

}  // namespace

SDL_Renderer* CreateGpuRenderer(SDL_Window* window) {
  const char* chosen = SDL_getenv("SDL_RENDER_DRIVER");
  const bool named = chosen && *chosen;
  if (named && SDL_strcasecmp(chosen, "software") == 0) return nullptr;
  // No vsync: flips are paced to the emulated display's 60 Hz, not the monitor's rate.
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
  if (renderer && !named && OpenGlRunsInSoftware(renderer)) {
    SDL_DestroyRenderer(renderer);
    renderer = nullptr;
  }
  return renderer;
}

}  // namespace plat::sdl
