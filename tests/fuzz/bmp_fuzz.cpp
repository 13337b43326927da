// LoadImageA's BMP reader: the file at its own size as a DIB section, and scaled to 7 x 5 as a
// device-dependent bitmap, each then selected into a DC and read back.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Start();
  const char* path = fuzz::WriteFile(data, size);
  for (int scaled = 0; scaled < 2; ++scaled) {
    const UINT flags = LR_LOADFROMFILE | (scaled ? 0 : LR_CREATEDIBSECTION);
    HANDLE image = LoadImageA(nullptr, path, IMAGE_BITMAP, scaled ? 7 : 0, scaled ? 5 : 0, flags);
    if (image == nullptr) return 0;
    HBITMAP bitmap = static_cast<HBITMAP>(image);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    GetPixel(dc, 0, 0);
    GetPixel(dc, info.bmWidth - 1, info.bmHeight - 1);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  return 0;
}
