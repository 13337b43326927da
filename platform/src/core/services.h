// Hooks by which the core reaches each service; each service implements its own.
#ifndef QV_PLATFORM_CORE_SERVICES_H
#define QV_PLATFORM_CORE_SERVICES_H

#include <windows.h>

#include <cstdint>

namespace plat {

namespace user {
// A key event for the focused window: WM_KEYDOWN / WM_KEYUP, or WM_SYSKEYDOWN / WM_SYSKEYUP
// while Alt is held or for F10 and Alt itself.
void OnKey(uint8_t scanCode, uint8_t virtualKey, bool down);
// The close button: WM_SYSCOMMAND SC_CLOSE to the main window, whose default handling sends
// WM_CLOSE.
void OnCloseRequested();
void OnFocusChanged(bool active);
// The display mode changed: WM_DISPLAYCHANGE to every top-level window.
void OnDisplayChanged(int width, int height, int bitsPerPixel);
}  // namespace user

namespace ddraw {
// The current display: the mode set by SetDisplayMode, else the desktop. The desktop's device
// context and the display's bitmaps follow it, as on Windows.
void CurrentMode(int* width, int* height, int* bitsPerPixel);
// A full-screen exclusive program that loses the focus loses its primary surface, its back
// buffers and every video-memory surface.
void OnFocusChanged(bool active);
// The test host's LoseSurfaces.
void LoseAllSurfaces();
}  // namespace ddraw

namespace dinput {
// Foreground devices lose acquisition with the focus.
void OnFocusChanged(bool active);
// Input events, after the input state took them: acquired devices with a buffer queue them.
// The scan code is DirectInput's (DIK_*); mouse buttons 0 left, 1 right, 2 middle.
void OnKey(uint8_t scanCode, bool down);
void OnMouseMotion(int dx, int dy);
void OnMouseButton(int button, bool down);
void OnJoystickAxis(int axis);
void OnJoystickButton(int button, bool down);
}  // namespace dinput

}  // namespace plat

#endif
