// The alpha-map reader. The surface takes the size the file declares when it is small, so that
// the reader gets past its size check, and the map is then drawn through the blending blitter.
#include "fuzz_support.h"
#include "qvscreen.h"
#include "qvsurface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Screen* screen = fuzz::TheScreen();
  fuzz::Params header(data, size);
  int width = header.I32();
  int height = header.I32();
  if (width < 1 || width > 64 || height < 1 || height > 64) width = 4, height = 3;
  const char* path = fuzz::WriteFile(data, size);
  Surface image(screen, width, height, SystemMemory);
  if (image.LoadAlphaMap(path)) {
    image.LoadAlphaMap(path);  // a second map is refused
    image.BlitAlphaMap(screen->GetBack(), 10, 10, image.sourceRect);
  }
  return 0;
}
