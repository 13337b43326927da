// The bitmap font: an atlas built for any face, height and weight, then any string drawn with
// each draw operation at positions and clips within the range a program uses.
#include <string>

#include "bitmapfont.h"
#include "fuzz_support.h"
#include "qvscreen.h"
#include "qvsurface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Screen* screen = fuzz::TheScreen();
  fuzz::Params p(data, size);
  const int height = p.I16();
  const int weight = p.I16();
  const COLORREF textColor = p.U32();
  const DWORD key = p.U16();
  const int x = p.I16();
  const int y = p.I16();
  const int field = p.I16();
  const int maxCount = p.I16();
  const RECT clip = {p.I16(), p.I16(), p.I16(), p.I16()};
  const std::string face = p.Text(p.U8() % 32);
  const std::string text = p.RestText();

  BitmapFont font(screen, face.c_str(), height, textColor, key, 0, weight, AnyMemory);
  Surface* back = screen->GetBack();
  font.Draw(x, y, text.c_str(), back, maxCount);
  font.DrawKeyed(x, y, text.c_str(), back, -1);
  font.DrawClipped(x, y, text.c_str(), back, clip, maxCount);
  font.DrawClippedKeyed(x, y, text.c_str(), back, clip, -1);
  font.DrawAligned(x, y, field, text.c_str(), back, 1);
  font.DrawAlignedKeyed(x, y, field, text.c_str(), back, 3);
  font.GetTextWidth(text.c_str());
  return 0;
}
