// text_scene: draws the engine's text in a headless full-screen display and saves the frame,
// to look at how text comes out: GDI text through Surface::DrawText and
// Surface::DrawTextInRect, the frame counter, and BitmapFont strings in Arial 14 and Courier 12.
//
//   text_scene [OUTPUT.png]      (default: text_scene.png)
#include <windows.h>

#include <cstdio>

#include "bitmapfont.h"
#include "host.h"
#include "qvscreen.h"
#include "qvsurface.h"

int main(int argc, char** argv) {
  const char* output = argc > 1 ? argv[1] : "text_scene.png";
  qvhost::UseHeadless();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "TextScene";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "TextScene", "TextScene", WS_VISIBLE | WS_SYSMENU, 0, 0, 800,
                                600, nullptr, nullptr, nullptr, nullptr);
  Screen screen;
  if (!screen.CreateFullScreen(window, 800, 600, 16, 0)) {
    std::fprintf(stderr, "text_scene: no display\n");
    return 1;
  }
  Surface* back = screen.GetBack();
  back->Fill(screen.ColorToPixel(RGB(24, 26, 48), nullptr));
  back->FillRect(20, 300, 780, 580, screen.ColorToPixel(RGB(236, 233, 216), nullptr));

  back->GetDC();
  back->DrawText(20, 60, RGB(255, 255, 255), "GDI text in the device context's default font");
  back->SetFont("Arial", 0, 20, FW_BOLD);
  back->SelectFont();
  back->DrawText(20, 90, RGB(255, 200, 60), "Arial 20 bold: The quick brown fox jumps over");
  back->SetFont("Courier New", 0, 16, FW_NORMAL);
  back->SelectFont();
  back->DrawText(20, 120, RGB(140, 220, 255), "Courier New 16: 0123456789 {}[]()<>=+-*/");
  back->SetFont("Arial", 0, 16, FW_NORMAL);
  back->SelectFont();
  RECT box = {20, 310, 380, 570};
  back->DrawTextInRect(
      "DrawTextInRect wraps words at the edge of its rectangle, as the DT_WORDBREAK flag asks: "
      "this paragraph runs over several lines inside the light box.",
      RGB(0, 0, 0), &box);
  back->ReleaseDC();

  BitmapFont arial(&screen, "Arial", 14, RGB(255, 255, 0), 0, 0, 400, 2);
  BitmapFont courier(&screen);
  arial.DrawKeyed(20, 170, "BitmapFont Arial 14, keyed: Hello, Quorvane! 1234567890", back, -1);
  courier.DrawKeyed(20, 195, "BitmapFont Courier 12, keyed: The quick brown fox.", back, -1);
  arial.Draw(20, 220, "BitmapFont Arial 14, unkeyed (black cells)", back, -1);
  arial.DrawAlignedKeyed(400, 250, 380, "centred in a field", back, 1);
  courier.DrawAlignedKeyed(400, 270, 380, "aligned right", back, 3);
  arial.SetTextColor(RGB(40, 40, 40));
  arial.DrawKeyed(400, 320, "Dark Arial 14 on the light box", back, -1);
  courier.SetTextColor(RGB(0, 0, 128));
  courier.DrawKeyed(400, 345, "Courier 12: !\"#$%&'()*+,-./:;<=>?@", back, -1);

  screen.Flip(1, 1, 1);  // with the frame counter at (10, 20)
  if (!qvhost::SaveFrame(qvhost::LastFrame(), output)) {
    std::fprintf(stderr, "text_scene: could not write %s\n", output);
    return 1;
  }
  std::printf("%s\n", output);
  return 0;
}
