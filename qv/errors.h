/// @file errors.h
/// DirectX error reporting: result codes turned into names and descriptions, and the message
/// boxes that report them.
#ifndef QV_ERRORS_H
#define QV_ERRORS_H

#include <windows.h>

class Screen;

/// Shows three lines in a box titled "Error": "DirectDraw Error" and the result's name, "FILE:"
/// and sourceName, "LINE:" and the line. Then posts the quit message.
void ReportDirectDrawError(HRESULT result, HWND window, const char* sourceName, int line);
/// Asks whether to go on with sound turned off; posts the quit message on No.
void ReportDirectSoundError(HRESULT result, HWND window);
/// Shows a printf-style message (on the GDI surface when a Screen is given) and posts the quit
/// message.
void ReportFatalError(Screen* screen, const char* format, ...);
/// One-sentence description of a DirectDraw, Direct3D or retained-mode result code. The text
/// is a constant; never null.
const char* DescribeError(HRESULT result);

#endif
