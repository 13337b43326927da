// The backend's calls into the page's script (platform/web/page.js), which owns the canvas and
// the page around it. Each is a small piece of JavaScript run in place.
#ifndef QV_PLATFORM_BACKEND_WEB_WEB_PAGE_H
#define QV_PLATFORM_BACKEND_WEB_WEB_PAGE_H

#include <cstdint>
#include <vector>

#include "backend/web/web_frame.h"

namespace plat::web {

// Draws the runs of rows of an RGBA frame to the canvas. Answers true, drawing nothing, when the
// canvas needs the whole frame first (new, resized, or its picture lost): the caller sends it
// again with every row.
bool ShowRows(const uint8_t* rgba, int width, int height, const std::vector<RowRun>& runs);
// Whether a click on the canvas should capture the pointer (the program reads the mouse).
void WantPointer(bool wanted);
// The screen's size in CSS pixels.
void ScreenSize(int* width, int* height);
// A modal box (alert or confirm); true when the player accepted it.
bool AskPlayer(const char* text, const char* caption, bool canDecline);

}  // namespace plat::web

#endif
