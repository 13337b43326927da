// The file container: an archive's entries looked up and read as bitmaps, a library's entries
// extracted to "QV.TMP" in the scratch folder.
#include <algorithm>
#include <cstring>

#include "container.h"
#include "fuzz_support.h"
#include "qvscreen.h"
#include "qvsurface.h"

namespace {

void ExtractLibraryEntries(FileContainer& container) {
  const LONG count = std::min<LONG>(container.libraryCount, 8);
  for (LONG i = 0; i < count; ++i) {
    char name[14] = {};
    std::memcpy(name, container.libraryEntries[i].name, 13);
    container.ExtractToTemp(name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Screen* screen = fuzz::TheScreen();
  const char* path = fuzz::WriteFile(data, size);
  fuzz::InScratchFolder scratch;
  FileContainer container;
  if (container.Open(path)) {
    for (int i = -1; i < 8; ++i) {
      container.GetEntryOffset(i);
      container.GetEntryType(i);
      container.FindEntry(static_cast<LONG>(container.GetEntrySize(i)));
      Surface image;
      image.CreateFromContainer(screen, &container, i, SystemMemory);
    }
    ExtractLibraryEntries(container);
  }
  if (container.OpenLibrary(path)) ExtractLibraryEntries(container);
  container.Close();
  return 0;
}
