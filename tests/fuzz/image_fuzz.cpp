// The engine's image loading: a Surface from a file (the bitmap loader, then the PSD reader),
// its colour key and reload, a bitmap scaled onto a surface, and a palette from the file.
#include "fuzz_support.h"
#include "imageload.h"
#include "qvscreen.h"
#include "qvsurface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Screen* screen = fuzz::TheScreen();
  const char* path = fuzz::WriteFile(data, size);
  {
    Surface image;
    if (image.Create(screen, path, AnyMemory)) {
      image.SetColorKey();
      ReloadBitmap(image.surface, path);
      image.BlitKeyedAt(0, 0, screen->GetBack());
    }
  }
  if (IDirectDrawSurface4* sized =
          LoadBitmapSurfaceSized(screen->directDraw, path, 16, 8, SystemMemory)) {
    sized->Release();
  }
  if (IDirectDrawPalette* palette = LoadPalette(screen->directDraw, path)) palette->Release();
  return 0;
}
