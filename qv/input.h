// InputDevices: keyboard, mouse and joystick read through DirectInput once per frame, a
// four-state machine per key code, and mouse and joystick positions integrated from movement.
#ifndef QV_INPUT_H
#define QV_INPUT_H

// DirectInput 5 interfaces and structure sizes.
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0500
#endif
#include <windows.h>
#include <dinput.h>

// The state of one key code.
enum KeyState : BYTE {
  KeyUp = 0,        // up at the last read and the one before
  KeyReleased = 1,  // went up at the last read
  KeyPressed = 2,   // went down at the last read
  KeyHeld = 3,      // down at the last two or more reads
};

// Key codes shared by the keyboard, the mouse buttons and the joystick buttons. The main
// keyboard's characters use their unshifted US-layout character codes ('a', '1', ';', ...).
enum KeyCode : int {
  KeyBackspace = 8,
  KeyTab = 9,
  KeyEnter = 13,
  KeyEscape = 27,
  KeySpace = 32,
  KeyLeftShift = 128,
  KeyRightShift = 129,
  KeyLeftControl = 130,
  KeyRightControl = 131,
  KeyLeftAlt = 132,
  KeyRightAlt = 133,
  KeyLeft = 134,
  KeyRight = 135,
  KeyUpArrow = 136,
  KeyDown = 137,
  KeyF1 = 138,  // F1..F10 are 138..147
  KeyF11 = 148,
  KeyF12 = 149,
  KeyInsert = 150,
  KeyDelete = 151,
  KeyHome = 152,
  KeyEnd = 153,
  KeyPageUp = 154,
  KeyPageDown = 155,
  KeyPadDivide = 156,
  KeyPadMultiply = 157,
  KeyPadSubtract = 158,
  KeyPadAdd = 159,
  KeyPadEnter = 160,
  KeyPadDecimal = 161,
  KeyPad0 = 162,  // keypad 1..9 are 163..171
  KeyNumLock = 172,
  KeyCapsLock = 173,
  KeyScrollLock = 174,
  KeyPrintScreen = 175,
  KeyMouseButton0 = 256,     // mouse buttons 0..2 are 256..258
  KeyJoystickButton0 = 260,  // joystick buttons 0..9 are 260..269
  KeyCodeCount = 270,
};

class InputDevices {
 public:
  // Sensitivities 1.0, limits unlimited, everything else 0. Opens nothing.
  InputDevices();
  // Unacquires and releases keyboard, mouse, joystick and DirectInput, in that order.
  ~InputDevices();
  InputDevices(const InputDevices&) = delete;
  InputDevices& operator=(const InputDevices&) = delete;

  // Opens DirectInput, the mouse, the keyboard and the first attached joystick and acquires
  // them. 1 on success, 0 when DirectInput can't be opened or a device can't be acquired.
  int Create(HINSTANCE instance, HWND window, int exclusive);
  // Reads every device once and advances key states and positions.
  void Update();

  // ---- Mouse ---------------------------------------------------------------------------------
  // The position stays within min..max - 1 on each axis.
  void SetMouseLimits(int minX, int minY, int maxX, int maxY);
  void SetMouseSensitivity(float factor);
  float GetMouseSensitivity() const;
  // Places the pointer within max - 1 and above min (min + 1 at the lowest).
  void SetMousePosition(int x, int y);
  void GetMousePosition(int* x, int* y) const;
  void SetMouseFreePosition(int x, int y);
  void GetMouseFreePosition(int* x, int* y) const;
  void GetMouseDeltas(int* x, int* y) const;

  // ---- Joystick ------------------------------------------------------------------------------
  void SetJoystickLimits(int minX, int minY, int maxX, int maxY);
  void SetJoystickSensitivity(float factor);
  float GetJoystickSensitivity() const;
  void SetJoystickPosition(int x, int y);
  void GetJoystickPosition(int* x, int* y) const;
  void SetJoystickFreePosition(int x, int y);
  void GetJoystickFreePosition(int* x, int* y) const;
  void GetJoystickDeltas(int* x, int* y) const;
  // 0 when the joystick is not active or its capabilities can't be read.
  int GetJoystickButtonCount();
  int IsJoystickGamepad() const;

  // ---- Keys ----------------------------------------------------------------------------------
  // Codes outside 0..269 (scan codes outside 0..255) give 0.
  WORD GetKeyState(WORD code) const;
  WORD GetKeyRaw(WORD scanCode) const;
  WORD GetShiftedKey(WORD code) const;
  // The time (timeGetTime) at which the key code last went down, 0 for other codes.
  DWORD GetKeyPressTime(int code) const;
  // The mouse free position when the key code last went down. 1, or 0 (and 0, 0) for a code
  // outside 0..269.
  int GetKeyPressPosition(int code, int* x, int* y) const;
  // The lowest scan code that went down since the previous call, or 255.
  int GetNewScanCode();
  // The virtual-key code of the last new scan code.
  UINT GetNewScanVirtualKey() const;
  // The key's name as the window system gives it; `buffer` holds at least 50 characters.
  static int GetKeyName(int scanCode, char* buffer);

  // ---- Device control ------------------------------------------------------------------------
  void SetActiveDevices(int mouseOn, int keyboardOn, int joystickOn);
  void AcquireMouse();
  void AcquireKeyboard();
  void AcquireJoystick();
  void UnacquireMouse();
  void UnacquireKeyboard();
  void UnacquireJoystick();
  HRESULT DisableMouseBuffer();
  HRESULT DisableJoystickBuffer();
  HRESULT RunMouseControlPanel(HWND owner);
  HRESULT RunJoystickControlPanel(HWND owner);

  // ---- Key machine and tables ----------------------------------------------------------------
  void ClearKeyStates();
  void SetKeyState(int code, int down);
  void BuildKeyMap();
  void BuildShiftTable();

  // ---- Fields, in this order -----------------------------------------------------------------
  LPDIRECTINPUT directInput;
  LPDIRECTINPUTDEVICE keyboard;
  LPDIRECTINPUTDEVICE mouse;
  LPDIRECTINPUTDEVICE2 joystick;
  int mouseActive;
  int keyboardActive;
  int joystickActive;
  DWORD joystickSubtype;
  float mouseSensitivity;
  float joystickSensitivity;
  int mouseMinX, mouseMinY, mouseMaxX, mouseMaxY;
  int joystickMinX, joystickMinY, joystickMaxX, joystickMaxY;
  int mouseX, mouseY;
  int mouseFreeX, mouseFreeY;
  int mouseDeltaX, mouseDeltaY;
  int joystickX, joystickY;
  int joystickFreeX, joystickFreeY;
  int joystickDeltaX, joystickDeltaY;
  BYTE keyStates[KeyCodeCount];
  BYTE rawKeyboard[256];
  BYTE previousKeyboard[256];
  DWORD pressTimes[KeyCodeCount];
  POINT pressPositions[KeyCodeCount];
  BYTE lastNewScanCode;
  BYTE shiftTable[KeyCodeCount];
  LONG keyMap[256];
};

// Enumeration callback: creates the first attached joystick that can be created into
// enumeratedJoystick. The context is the DirectInput object.
BOOL CALLBACK EnumJoystickCallback(LPCDIDEVICEINSTANCEA instance, LPVOID context);

// The joystick found by the enumeration, held until it is converted to the device interface
// InputDevices keeps; null otherwise.
extern LPDIRECTINPUTDEVICE enumeratedJoystick;

#endif
