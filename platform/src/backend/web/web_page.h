// The backend's calls into the page's script (platform/web/page.js), which owns the canvas and
// the page around it. Each is a small piece of JavaScript run in place.
#ifndef QV_PLATFORM_BACKEND_WEB_WEB_PAGE_H
#define QV_PLATFORM_BACKEND_WEB_WEB_PAGE_H

#include <cstdint>

namespace plat::web {

// Draws RGBA pixels to the canvas, sized to the frame.
void ShowFrame(const uint8_t* rgba, int width, int height);
// Whether a click on the canvas should capture the pointer (the program reads the mouse).
void WantPointer(bool wanted);
// The screen's size in CSS pixels.
void ScreenSize(int* width, int* height);
// A modal box (alert or confirm); true when the player accepted it.
bool AskPlayer(const char* text, const char* caption, bool canDecline);
// The number of frames the page asked to time without pacing (?bench=N), or 0.
int BenchFramesWanted();
// Hands the timing to the page: `frames` frames took `drawMs` in the program (up to each flip)
// and `presentMs` in converting and drawing them to the canvas.
void ReportBench(int frames, double drawMs, double presentMs);

}  // namespace plat::web

#endif
