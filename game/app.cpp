#include "app.h"

#include <cstdio>
#include <new>

#include "ball.h"
#include "bitmapfont.h"
#include "brickwall.h"
#include "errors.h"
#include "images.h"
#include "input.h"
#include "paddle.h"
#include "playfield.h"
#include "qvscreen.h"

HINSTANCE instance = nullptr;
HWND window = nullptr;
Screen* screen = nullptr;
Ball* ball = nullptr;
Paddle* paddle = nullptr;
BrickWall* wall = nullptr;
InputDevices* input = nullptr;
BitmapFont* font = nullptr;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nShowCmd) {
  instance = hInstance;
  if (!InitWindow(nShowCmd)) return 0;
  if (!InitGame()) {
    PostQuitMessage(0);
    return 0;
  }
  // A moment for the display to settle into its new mode before play starts.
  Sleep(1000);

  MSG message;
  for (;;) {
    // The game is won as soon as no breakable brick stands; the objects are left to the end of
    // the process.
    if (wall->IsCleared()) return 1;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      if (GetMessageA(&message, nullptr, 0, 0) == 0) return static_cast<int>(message.wParam);
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      SetCursor(nullptr);
      RunFrame();
    }
  }
}

bool InitWindow(int showCommand) {
  WNDCLASSA windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "APPICON");
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = "Quorvane";
  RegisterClassA(&windowClass);  // fails harmlessly when the class is already registered

  window = CreateWindowExA(WS_EX_TOPMOST, "Quorvane", "Quorvane", WS_VISIBLE | WS_SYSMENU, 0, 0,
                           kScreenWidth, kScreenHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return false;

  // Size the window so that its client area is 800 x 600.
  RECT rect;
  SetRect(&rect, 0, 0, kScreenWidth, kScreenHeight);
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
                     GetMenu(window) != nullptr,
                     static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  // Created topmost so that it comes to the front, then an ordinary window again.
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);

  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return true;
}

bool InitGame() {
  screen = new (std::nothrow) Screen();
  if (screen == nullptr) return false;
  if (screen->CreateFullScreen(window, kScreenWidth, kScreenHeight, kScreenBitsPerPixel, 0) == 0) {
    // Without DirectDraw the screen has reported it already; otherwise the display refused the
    // game's mode, which would end the program without a word.
    if (screen->directDraw != nullptr) {
      GiveBackDisplay();
      char text[160];
      std::snprintf(text, sizeof text,
                    "Quorvane cannot start: the display cannot be switched to %d x %d with %d "
                    "bits per pixel.",
                    kScreenWidth, kScreenHeight, kScreenBitsPerPixel);
      OutputDebugStringA(text);
      OutputDebugStringA("\n");
      std::fprintf(stderr, "%s\n", text);
      ReportFatalError(nullptr, "%s", text);
    }
    return false;
  }

  ForgetMissingImages();
  ball = new Ball(kBallStartX, kBallStartY, kBallStartSpeed, kBallStartAngle);
  paddle = new Paddle();
  wall = new BrickWall();
  wall->Load("level1.txt");
  // A game that can't be seen is not started. The display is given back first, so that the
  // report shows on the desktop and not behind a full-screen surface or the black window.
  if (!MissingImages().empty()) {
    ReleaseGame();
    GiveBackDisplay();
    ReportMissingImages();
    return false;
  }

  input = new InputDevices();
  input->Create(instance, window, 0);
  input->SetMouseLimits(0, 0, kScreenWidth - paddle->width, kScreenHeight);
  input->SetMouseSensitivity(1.0f);
  input->SetMousePosition(kScreenWidth / 2 - paddle->width / 2, kScreenHeight);
  SetCursor(nullptr);

  // Built at start-up so that its atlas is ready; the game draws no text.
  font = new BitmapFont(screen, "Arial", 14, 0xFFFF, 0, 0, 400, AnyMemory);
  return true;
}

void RunFrame() {
  // After shutdown the pending quit message keeps the loop from getting here; should a frame
  // be asked for all the same, there is nothing left to draw with.
  if (screen == nullptr || input == nullptr) return;
  SetCursor(nullptr);
  // The mouse range follows the paddle's width, so the paddle stays on the screen.
  input->SetMouseLimits(0, 0, kScreenWidth - paddle->width, kScreenHeight);
  screen->GetBack()->Fill(0);
  wall->Draw(paddle);
  ball->DrawAndMove(wall, paddle);
  paddle->Update();
  screen->Flip(1, 1, 0);
}

void ShutdownGame() {
  if (input != nullptr) {
    delete input;
    input = nullptr;
  }
  if (screen != nullptr) {
    delete screen;
    screen = nullptr;
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) SendMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      // The window stays; the quit message ends the loop before another frame runs.
      ShutdownGame();
      PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

void ReleaseGame() {
  // The game objects' surfaces first, while the display they were made on still exists.
  delete font;
  font = nullptr;
  delete wall;
  wall = nullptr;
  delete paddle;
  paddle = nullptr;
  delete ball;
  ball = nullptr;
  ShutdownGame();
}

void GiveBackDisplay() {
  ShutdownGame();
  // The black window would cover a message box that has no owner.
  if (window != nullptr) ShowWindow(window, SW_HIDE);
}
