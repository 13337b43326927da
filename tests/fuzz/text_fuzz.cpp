// GDI text: DrawTextA and TextOutA with any string, rectangle, position, format and font, into
// a surface's device context as the engine draws text.
#include <string>

#include "fuzz_support.h"
#include "qvscreen.h"
#include "qvsurface.h"

namespace {

const char* const kFaces[] = {"Arial", "Courier", "Times New Roman", "System"};
// DT_MODIFYSTRING: the caller would have to leave room in the text for what is written into it.
constexpr UINT kModifyString = 0x10000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Surface* canvas = new Surface(fuzz::TheScreen(), 96, 64, SystemMemory);
  fuzz::Params p(data, size);
  const UINT format = p.U32() & ~kModifyString;
  RECT rect;
  rect.left = p.I32();
  rect.top = p.I32();
  rect.right = p.I32();
  rect.bottom = p.I32();
  const int x = p.I32();
  const int y = p.I32();
  const int height = p.I32();
  const int width = p.I16();
  const int weight = p.I16();
  const uint32_t choice = p.U8();
  const bool counted = (choice & 0x80) != 0;
  const bool opaque = (choice & 0x40) != 0;
  const std::string face = (choice & 0x20) ? p.Text(p.U8() % 40) : kFaces[choice & 3];
  const std::string text = p.RestText();
  const int count = counted ? static_cast<int>(text.size()) : -1;

  HDC dc = canvas->GetDC();
  if (dc == nullptr) return 0;
  canvas->SetFont(face.c_str(), width, height, weight);
  canvas->SelectFont();
  SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 0));
  DrawTextA(dc, text.c_str(), count, &rect, format);
  TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  SIZE extent;
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  canvas->ReleaseDC();
  return 0;
}
