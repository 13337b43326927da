// The PSD reader, and the alpha map it makes drawn through the blending blitter.
#include "fuzz_support.h"
#include "qvscreen.h"
#include "qvsurface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Screen* screen = fuzz::TheScreen();
  const char* path = fuzz::WriteFile(data, size);
  Surface image;
  if (image.CreateFromPsd(screen, path, AnyMemory) && image.alphaMap != nullptr) {
    image.BlitAlphaMap(screen->GetBack(), 0, 0, image.sourceRect);
  }
  return 0;
}
