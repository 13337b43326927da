// Events that a backend or the test host feeds into the platform. Each one reaches the
// services that react to it: USER posts window messages, DirectInput updates its device
// states, DirectDraw marks surfaces lost when the program loses the focus.
#ifndef QV_PLATFORM_CORE_EVENTS_H
#define QV_PLATFORM_CORE_EVENTS_H

#include <cstdint>

namespace plat::events {

// A key went down or up. `scanCode` is the DirectInput (set 1) scan code, with 0x80 added for
// extended keys (DIK_RCONTROL, DIK_LEFT, ...); `virtualKey` the Windows virtual-key code.
void Key(uint8_t scanCode, uint8_t virtualKey, bool down);
// Relative mouse motion in counts.
void MouseMotion(int dx, int dy);
// Mouse button 0 left, 1 right, 2 middle.
void MouseButton(int button, bool down);
// The user asked to close the main window (its close button, or Alt+F4).
void CloseRequested();
// The program's window gained or lost the focus.
void FocusChanged(bool active);
// Another program changed the display mode: every surface that lives in video memory (primary,
// back buffers, video-memory surfaces) loses it.
void VideoMemoryLost();

// Joystick state, axes in device units (-32768..32767), buttons 0..31.
void JoystickAttached(bool attached, const char* name, int buttons);
void JoystickAxis(int axis, int value);
void JoystickButton(int button, bool down);

}  // namespace plat::events

#endif
