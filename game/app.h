// The application module: entry, main window, start-up, the frame loop and shutdown, and the
// module-level references through which the game's objects reach the display, the input and
// each other.
#ifndef QUORVANE_APP_H
#define QUORVANE_APP_H

#include <windows.h>

class Screen;
class InputDevices;
class BitmapFont;
class Ball;
class Paddle;
class BrickWall;

// Null until start-up creates them. ShutdownGame deletes `input` and `screen`; the game objects
// and the font live until the process ends.
extern HINSTANCE instance;
extern HWND window;
extern Screen* screen;
extern Ball* ball;
extern Paddle* paddle;
extern BrickWall* wall;
extern InputDevices* input;
extern BitmapFont* font;

// Registers the class and creates the 800 x 600 window; false when there is no window.
bool InitWindow(int showCommand);
// Full-screen display, game objects, input and font; false when the display could not be set up,
// or when a picture could not be loaded (reported, and everything made so far released).
bool InitGame();
// One frame: clear, wall and capsules, ball, paddle, flip.
void RunFrame();
// Releases the input object and the screen (safe to call again).
void ShutdownGame();
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Deletes every object start-up made (the game objects and font, then the input and screen) and
// clears the references, so that a host running the game more than once in one process starts
// each run from nothing. The game itself calls it only when start-up fails on a picture.
void ReleaseGame();
// Ends the screen and input and hides the window, so that a report shows on the desktop.
void GiveBackDisplay();

#endif
