/// @file input.h
/// InputDevices: keyboard, mouse and joystick read through DirectInput once per frame, a
/// four-state machine per key code, and mouse and joystick positions integrated from movement.
#ifndef QV_INPUT_H
#define QV_INPUT_H

#ifndef DIRECTINPUT_VERSION
/// DirectInput 5 interfaces and structure sizes.
#define DIRECTINPUT_VERSION 0x0500
#endif
#include <windows.h>
#include <dinput.h>

/// The state of one key code.
enum KeyState : BYTE {
  KeyUp = 0,        ///< up at the last read and the one before
  KeyReleased = 1,  ///< went up at the last read
  KeyPressed = 2,   ///< went down at the last read
  KeyHeld = 3,      ///< down at the last two or more reads
};

/// Key codes shared by the keyboard, the mouse buttons and the joystick buttons. The main
/// keyboard's characters use their unshifted US-layout character codes ('a', '1', ';', ...).
enum KeyCode : int {
  KeyBackspace = 8,          ///< Backspace
  KeyTab = 9,                ///< Tab
  KeyEnter = 13,             ///< Enter (main keyboard)
  KeyEscape = 27,            ///< Escape
  KeySpace = 32,             ///< space bar
  KeyLeftShift = 128,        ///< left Shift
  KeyRightShift = 129,       ///< right Shift
  KeyLeftControl = 130,      ///< left Ctrl
  KeyRightControl = 131,     ///< right Ctrl
  KeyLeftAlt = 132,          ///< left Alt
  KeyRightAlt = 133,         ///< right Alt (AltGr)
  KeyLeft = 134,             ///< left arrow
  KeyRight = 135,            ///< right arrow
  KeyUpArrow = 136,          ///< up arrow
  KeyDown = 137,             ///< down arrow
  KeyF1 = 138,               ///< F1..F10 are 138..147
  KeyF11 = 148,              ///< F11
  KeyF12 = 149,              ///< F12
  KeyInsert = 150,           ///< Insert
  KeyDelete = 151,           ///< Delete
  KeyHome = 152,             ///< Home
  KeyEnd = 153,              ///< End
  KeyPageUp = 154,           ///< Page Up
  KeyPageDown = 155,         ///< Page Down
  KeyPadDivide = 156,        ///< keypad /
  KeyPadMultiply = 157,      ///< keypad *
  KeyPadSubtract = 158,      ///< keypad -
  KeyPadAdd = 159,           ///< keypad +
  KeyPadEnter = 160,         ///< keypad Enter
  KeyPadDecimal = 161,       ///< keypad .
  KeyPad0 = 162,             ///< keypad 1..9 are 163..171
  KeyNumLock = 172,          ///< Num Lock
  KeyCapsLock = 173,         ///< Caps Lock
  KeyScrollLock = 174,       ///< Scroll Lock
  KeyPrintScreen = 175,      ///< Print Screen
  KeyMouseButton0 = 256,     ///< mouse buttons 0..2 are 256..258
  KeyJoystickButton0 = 260,  ///< joystick buttons 0..9 are 260..269
  KeyCodeCount = 270,        ///< the number of key codes
};

/// Keyboard, mouse and joystick through DirectInput, read once a frame by Update.
class InputDevices {
 public:
  /// Sensitivities 1.0, limits unlimited, everything else 0. Opens nothing.
  InputDevices();
  /// Unacquires and releases keyboard, mouse, joystick and DirectInput, in that order.
  ~InputDevices();
  InputDevices(const InputDevices&) = delete;  ///< Not copyable: owns its DirectInput devices.
  InputDevices& operator=(const InputDevices&) = delete;  ///< Not copyable.

  /// Opens DirectInput, the mouse, the keyboard and the first attached joystick and acquires
  /// them. 1 on success, 0 when DirectInput can't be opened or a device can't be acquired.
  int Create(HINSTANCE instance, HWND window, int exclusive);
  /// Reads every device once and advances key states and positions.
  void Update();

  // ---- Mouse ---------------------------------------------------------------------------------
  /// The position stays within min..max - 1 on each axis.
  void SetMouseLimits(int minX, int minY, int maxX, int maxY);
  /// Scales the mouse's movement.
  void SetMouseSensitivity(float factor);
  /// The mouse's movement scale.
  float GetMouseSensitivity() const;
  /// Places the pointer within max - 1 and above min (min + 1 at the lowest).
  void SetMousePosition(int x, int y);
  /// The pointer's position within the limits.
  void GetMousePosition(int* x, int* y) const;
  /// Sets the unlimited position (the sum of every movement).
  void SetMouseFreePosition(int x, int y);
  /// The unlimited position.
  void GetMouseFreePosition(int* x, int* y) const;
  /// The movement of the last Update.
  void GetMouseDeltas(int* x, int* y) const;

  // ---- Joystick ------------------------------------------------------------------------------
  /// As SetMouseLimits, for the joystick.
  void SetJoystickLimits(int minX, int minY, int maxX, int maxY);
  /// Scales the joystick's movement.
  void SetJoystickSensitivity(float factor);
  /// The joystick's movement scale.
  float GetJoystickSensitivity() const;
  /// As SetMousePosition, for the joystick.
  void SetJoystickPosition(int x, int y);
  /// The joystick's position within the limits.
  void GetJoystickPosition(int* x, int* y) const;
  /// Sets the joystick's unlimited position.
  void SetJoystickFreePosition(int x, int y);
  /// The joystick's unlimited position.
  void GetJoystickFreePosition(int* x, int* y) const;
  /// The joystick's movement of the last Update.
  void GetJoystickDeltas(int* x, int* y) const;
  /// 0 when the joystick is not active or its capabilities can't be read.
  int GetJoystickButtonCount();
  /// 1 when the joystick reports itself as a gamepad.
  int IsJoystickGamepad() const;

  // ---- Keys ----------------------------------------------------------------------------------
  /// Codes outside 0..269 (scan codes outside 0..255) give 0.
  WORD GetKeyState(WORD code) const;
  /// The keyboard's byte for a scan code at the last read (0x80 when down).
  WORD GetKeyRaw(WORD scanCode) const;
  /// The key code that Shift with this key types ('A' for 'a').
  WORD GetShiftedKey(WORD code) const;
  /// The time (timeGetTime) at which the key code last went down, 0 for other codes.
  DWORD GetKeyPressTime(int code) const;
  /// The mouse free position when the key code last went down. 1, or 0 (and 0, 0) for a code
  /// outside 0..269.
  int GetKeyPressPosition(int code, int* x, int* y) const;
  /// The lowest scan code that went down since the previous call, or 255.
  int GetNewScanCode();
  /// The virtual-key code of the last new scan code.
  UINT GetNewScanVirtualKey() const;
  /// The key's name as the window system gives it; `buffer` holds at least 50 characters.
  static int GetKeyName(int scanCode, char* buffer);

  // ---- Device control ------------------------------------------------------------------------
  /// Which devices Update reads.
  void SetActiveDevices(int mouseOn, int keyboardOn, int joystickOn);
  /// Acquires the mouse again (after a loss of focus).
  void AcquireMouse();
  /// Acquires the keyboard again.
  void AcquireKeyboard();
  /// Acquires the joystick again.
  void AcquireJoystick();
  /// Lets the mouse go.
  void UnacquireMouse();
  /// Lets the keyboard go.
  void UnacquireKeyboard();
  /// Lets the joystick go.
  void UnacquireJoystick();
  /// Sets the mouse's buffer size to 0.
  HRESULT DisableMouseBuffer();
  /// Sets the joystick's buffer size to 0.
  HRESULT DisableJoystickBuffer();
  /// Opens the system's settings for the mouse.
  HRESULT RunMouseControlPanel(HWND owner);
  /// Opens the system's settings for the joystick.
  HRESULT RunJoystickControlPanel(HWND owner);

  // ---- Key machine and tables ----------------------------------------------------------------
  /// Every key code up (KeyUp).
  void ClearKeyStates();
  /// Advances one key code's state machine by one read.
  void SetKeyState(int code, int down);
  /// Fills keyMap: scan code to key code.
  void BuildKeyMap();
  /// Fills shiftTable: key code to its shifted key code.
  void BuildShiftTable();

  // ---- Fields, in this order -----------------------------------------------------------------
  LPDIRECTINPUT directInput;       ///< The DirectInput object.
  LPDIRECTINPUTDEVICE keyboard;    ///< The keyboard device.
  LPDIRECTINPUTDEVICE mouse;       ///< The mouse device.
  LPDIRECTINPUTDEVICE2 joystick;   ///< The joystick device, or null.
  int mouseActive;                 ///< Nonzero while Update reads the mouse.
  int keyboardActive;              ///< Nonzero while Update reads the keyboard.
  int joystickActive;              ///< Nonzero while Update reads the joystick.
  DWORD joystickSubtype;           ///< The joystick's DirectInput device subtype.
  float mouseSensitivity;          ///< Mouse movement scale.
  float joystickSensitivity;       ///< Joystick movement scale.
  int mouseMinX;                   ///< The mouse position's limits.
  int mouseMinY;                   ///< The mouse position's limits.
  int mouseMaxX;                   ///< The mouse position's limits.
  int mouseMaxY;                   ///< The mouse position's limits.
  int joystickMinX;                ///< The joystick position's limits.
  int joystickMinY;                ///< The joystick position's limits.
  int joystickMaxX;                ///< The joystick position's limits.
  int joystickMaxY;                ///< The joystick position's limits.
  int mouseX;                      ///< The mouse position within the limits.
  int mouseY;                      ///< The mouse position within the limits.
  int mouseFreeX;                  ///< The unlimited mouse position.
  int mouseFreeY;                  ///< The unlimited mouse position.
  int mouseDeltaX;                 ///< The mouse movement of the last Update.
  int mouseDeltaY;                 ///< The mouse movement of the last Update.
  int joystickX;                   ///< The joystick position within the limits.
  int joystickY;                   ///< The joystick position within the limits.
  int joystickFreeX;               ///< The unlimited joystick position.
  int joystickFreeY;               ///< The unlimited joystick position.
  int joystickDeltaX;              ///< The joystick movement of the last Update.
  int joystickDeltaY;              ///< The joystick movement of the last Update.
  BYTE keyStates[KeyCodeCount];    ///< KeyState of every key code.
  BYTE rawKeyboard[256];           ///< The keyboard state of the last read, by scan code.
  BYTE previousKeyboard[256];      ///< The keyboard state of the read before.
  DWORD pressTimes[KeyCodeCount];  ///< timeGetTime when each key code last went down.
  POINT
  pressPositions[KeyCodeCount];   ///< The free mouse position when each key code last went down.
  BYTE lastNewScanCode;           ///< The scan code GetNewScanCode last returned.
  BYTE shiftTable[KeyCodeCount];  ///< Key code to shifted key code.
  LONG keyMap[256];               ///< Scan code to key code.
};

/// Enumeration callback: creates the first attached joystick that can be created into
/// enumeratedJoystick. The context is the DirectInput object.
BOOL CALLBACK EnumJoystickCallback(LPCDIDEVICEINSTANCEA instance, LPVOID context);

/// The joystick found by the enumeration, held until it is converted to the device interface
/// InputDevices keeps; null otherwise.
extern LPDIRECTINPUTDEVICE enumeratedJoystick;

#endif
