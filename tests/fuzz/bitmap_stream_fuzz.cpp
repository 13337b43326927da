// The BMP reader for open files: the stream from its start with the header's own size, and
// again with the file's size, as an archive entry passes it.
#include <cstdio>
#include <initializer_list>

#include "fuzz_support.h"
#include "qvscreen.h"
#include "qvsurface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Screen* screen = fuzz::TheScreen();
  std::FILE* file = std::fopen(fuzz::WriteFile(data, size), "rb");
  if (file == nullptr) return 0;
  for (DWORD given : {DWORD{0}, static_cast<DWORD>(size)}) {
    Surface image;
    std::fseek(file, 0, SEEK_SET);
    if (image.CreateFromBitmapStream(screen, file, AnyMemory, given)) {
      image.BlitAt(0, 0, screen->GetBack());
    }
  }
  std::fclose(file);
  return 0;
}
