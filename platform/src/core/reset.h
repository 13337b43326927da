// Returning the services to the state of a program that has just started, for a host that runs
// one program after another in one process (the test host between tests).
//
// What the earlier program made is let go of without calling it back: no window procedure runs,
// no object is freed behind a pointer the program may still hold. Windows, window classes, GDI
// objects and open files are dropped, so their handles become invalid handles. COM objects stay
// alive for the references the program holds, but are cut loose from the shared state: surfaces
// that lose their memory with the display are lost, the display is the desktop's again with no
// exclusive owner, and input devices are unacquired and see no further input.
#ifndef QV_PLATFORM_CORE_RESET_H
#define QV_PLATFORM_CORE_RESET_H

namespace plat {

// Every service's reset below, and the input state.
void ResetServices();

namespace user {
// Windows, classes, the message queue, activation and focus (user/reset.cpp).
void ResetWindows();
// Which keys the window system and the message loop saw down (user/message.cpp).
void ResetKeys();
// The cursor: its shape, display count and position (user/cursor.cpp).
void ResetCursor();
}  // namespace user

namespace ddraw {
// The display's mode, its exclusive owner, and the surfaces and objects it knows.
void ResetDisplay();
}  // namespace ddraw

namespace dinput {
// The devices that receive input.
void ResetDevices();
}  // namespace dinput

namespace gdi {
// Every object but the stock ones.
void ResetObjects();
}  // namespace gdi

namespace kernel {
// Files opened with _lopen are closed (kernel/files.cpp).
void ResetFiles();
// Timer periods asked for and not ended (kernel/time.cpp).
void ResetTimerPeriods();
}  // namespace kernel

}  // namespace plat

#endif
