// InputDevices: DirectInput keyboard, mouse and joystick in immediate mode, read once a frame.
#include "input.h"

#include <mmsystem.h>

#include <climits>
#include <cstdint>
#include <cstring>

LPDIRECTINPUTDEVICE enumeratedJoystick = nullptr;

namespace {

// Acquire is tried this many times in a row before a device is given up as inactive.
const int kAcquireAttempts = 51;

const int kUnlimitedMin = INT_MIN;
const int kUnlimitedMax = INT_MAX;

// Movement times sensitivity, truncated toward zero and kept within 32 bits.
int64_t ScaledMovement(LONG counts, float sensitivity) {
  double scaled = static_cast<double>(counts) * static_cast<double>(sensitivity);
  if (!(scaled > -2147483648.0)) return scaled < 0 ? INT_MIN : 0;  // also catches NaN
  if (scaled >= 2147483647.0) return INT_MAX;
  return static_cast<int64_t>(scaled);
}

// Adds a movement to an unclamped position; it wraps rather than overflows.
int WrapAdd(int position, int64_t movement) {
  return static_cast<int>(static_cast<uint32_t>(position) + static_cast<uint32_t>(movement));
}

// The clamping of a frame's integration: max wins over a high value first, then min; so the
// result lies in min..max - 1, and min wins when max - 1 < min.
int ClampToLimits(int64_t value, int min, int max) {
  if (value >= max) value = static_cast<int64_t>(max) - 1;
  if (value <= min) value = min;
  return static_cast<int>(value);
}

// One axis of a frame's movement: the free position takes it unclamped, the position clamped to
// the limits, and the movement is remembered.
void Integrate(int64_t movement, int& position, int& freePosition, int& delta, int min, int max) {
  freePosition = WrapAdd(freePosition, movement);
  position = ClampToLimits(static_cast<int64_t>(position) + movement, min, max);
  delta = static_cast<int>(movement);
}

// The placement of SetMousePosition / SetJoystickPosition: at most max - 1, and min + 1 when
// at or below min.
int PlaceWithinLimits(int value, int min, int max) {
  int64_t v = value;
  if (v > static_cast<int64_t>(max) - 1) v = static_cast<int64_t>(max) - 1;
  if (v <= min) v = static_cast<int64_t>(min) + 1;
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<int>(v);
}

// Calls Acquire until it succeeds, at most kAcquireAttempts times.
template <typename Device>
bool AcquireWithRetries(Device* device) {
  for (int attempt = 0; attempt < kAcquireAttempts; ++attempt) {
    if (SUCCEEDED(device->Acquire())) return true;
  }
  return false;
}

HRESULT SetAxisRange(LPDIRECTINPUTDEVICE2 device, DWORD offset) {
  DIPROPRANGE range;
  std::memset(&range, 0, sizeof(range));
  range.diph.dwSize = sizeof(DIPROPRANGE);
  range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  range.diph.dwObj = offset;
  range.diph.dwHow = DIPH_BYOFFSET;
  range.lMin = -1000;
  range.lMax = 1000;
  return device->SetProperty(DIPROP_RANGE, &range.diph);
}

HRESULT SetAxisDeadZone(LPDIRECTINPUTDEVICE2 device, DWORD offset) {
  DIPROPDWORD zone;
  std::memset(&zone, 0, sizeof(zone));
  zone.diph.dwSize = sizeof(DIPROPDWORD);
  zone.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  zone.diph.dwObj = offset;
  zone.diph.dwHow = DIPH_BYOFFSET;
  zone.dwData = 1000;  // 10 % of the range
  return device->SetProperty(DIPROP_DEADZONE, &zone.diph);
}

template <typename Device>
HRESULT DisableBuffer(Device* device) {
  if (device == nullptr) return DIERR_NOTINITIALIZED;
  DIPROPDWORD size;
  std::memset(&size, 0, sizeof(size));
  size.diph.dwSize = sizeof(DIPROPDWORD);
  size.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  size.diph.dwObj = 0;
  size.diph.dwHow = DIPH_DEVICE;
  size.dwData = 0;
  return device->SetProperty(DIPROP_BUFFERSIZE, &size.diph);
}

}  // namespace

BOOL CALLBACK EnumJoystickCallback(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
  LPDIRECTINPUT directInput = static_cast<LPDIRECTINPUT>(context);
  if (instance == nullptr || directInput == nullptr) return DIENUM_CONTINUE;
  if (FAILED(directInput->CreateDevice(instance->guidInstance, &enumeratedJoystick, nullptr))) {
    return DIENUM_CONTINUE;
  }
  return DIENUM_STOP;
}

InputDevices::InputDevices() {
  directInput = nullptr;
  keyboard = nullptr;
  mouse = nullptr;
  joystick = nullptr;
  mouseActive = keyboardActive = joystickActive = 0;
  joystickSubtype = 0;
  mouseSensitivity = 1.0f;
  joystickSensitivity = 1.0f;
  mouseMinX = mouseMinY = joystickMinX = joystickMinY = kUnlimitedMin;
  mouseMaxX = mouseMaxY = joystickMaxX = joystickMaxY = kUnlimitedMax;
  mouseX = mouseY = mouseFreeX = mouseFreeY = mouseDeltaX = mouseDeltaY = 0;
  joystickX = joystickY = joystickFreeX = joystickFreeY = joystickDeltaX = joystickDeltaY = 0;
  ClearKeyStates();
  std::memset(previousKeyboard, 0, sizeof(previousKeyboard));
  lastNewScanCode = 0;
  std::memset(shiftTable, 0, sizeof(shiftTable));
  std::memset(keyMap, 0, sizeof(keyMap));
}

InputDevices::~InputDevices() {
  if (directInput == nullptr) return;
  if (keyboard != nullptr) {
    UnacquireKeyboard();
    keyboard->Release();
    keyboard = nullptr;
  }
  if (mouse != nullptr) {
    UnacquireMouse();
    mouse->Release();
    mouse = nullptr;
  }
  if (joystick != nullptr) {
    UnacquireJoystick();
    joystick->Release();
    joystick = nullptr;
  }
  directInput->Release();
  directInput = nullptr;
}

int InputDevices::Create(HINSTANCE instance, HWND window, int exclusive) {
  // A second Create would orphan the devices already open.
  if (directInput != nullptr) return 0;
  if (FAILED(DirectInputCreateA(instance, 0x0500, &directInput, nullptr))) {
    directInput = nullptr;
    return 0;
  }

  if (SUCCEEDED(directInput->CreateDevice(GUID_SysMouse, &mouse, nullptr))) {
    mouse->SetDataFormat(&c_dfDIMouse);
    // DirectInput refuses DISCL_FOREGROUND alone, so a non-exclusive mouse keeps the default
    // non-exclusive background level.
    mouse->SetCooperativeLevel(
        window, exclusive != 0 ? DISCL_EXCLUSIVE | DISCL_FOREGROUND : DISCL_FOREGROUND);
    AcquireMouse();
    if (mouseActive == 0) return 0;
  } else {
    mouse = nullptr;
  }

  if (SUCCEEDED(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr))) {
    keyboard->SetDataFormat(&c_dfDIKeyboard);
    keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    AcquireKeyboard();
    if (keyboardActive == 0) return 0;
    BuildKeyMap();
    BuildShiftTable();
  } else {
    keyboard = nullptr;
  }

  directInput->EnumDevices(DIDEVTYPE_JOYSTICK, EnumJoystickCallback, directInput,
                           DIEDFL_ATTACHEDONLY);
  if (enumeratedJoystick == nullptr) return 1;

  HRESULT converted = enumeratedJoystick->QueryInterface(IID_IDirectInputDevice2A,
                                                         reinterpret_cast<void**>(&joystick));
  enumeratedJoystick->Release();
  enumeratedJoystick = nullptr;
  if (FAILED(converted)) {
    joystick = nullptr;
    return 0;
  }

  joystick->SetDataFormat(&c_dfDIJoystick);
  joystick->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  if (FAILED(SetAxisRange(joystick, DIJOFS_X)) || FAILED(SetAxisRange(joystick, DIJOFS_Y)) ||
      FAILED(SetAxisDeadZone(joystick, DIJOFS_X)) || FAILED(SetAxisDeadZone(joystick, DIJOFS_Y))) {
    return 0;
  }
  AcquireJoystick();
  if (joystickActive == 0) return 0;

  DIDEVICEINSTANCEA info;
  std::memset(&info, 0, sizeof(info));
  info.dwSize = sizeof(info);
  joystick->GetDeviceInfo(&info);
  joystickSubtype = (info.dwDevType >> 8) & 0xFF;
  return 1;
}

void InputDevices::Update() {
  if (keyboard != nullptr) {
    BYTE snapshot[256];
    if (FAILED(keyboard->GetDeviceState(sizeof(snapshot), snapshot))) {
      AcquireKeyboard();
      return;
    }
    std::memcpy(rawKeyboard, snapshot, sizeof(rawKeyboard));
    for (int scan = 0; scan < 256; ++scan) {
      if (keyMap[scan] != 0) SetKeyState(keyMap[scan], (rawKeyboard[scan] & 0x80) != 0);
    }
  }

  if (mouseActive != 0 && mouse != nullptr) {
    DIMOUSESTATE state;
    std::memset(&state, 0, sizeof(state));
    if (FAILED(mouse->GetDeviceState(sizeof(state), &state))) {
      AcquireMouse();
      return;
    }
    Integrate(ScaledMovement(state.lX, mouseSensitivity), mouseX, mouseFreeX, mouseDeltaX,
              mouseMinX, mouseMaxX);
    Integrate(ScaledMovement(state.lY, mouseSensitivity), mouseY, mouseFreeY, mouseDeltaY,
              mouseMinY, mouseMaxY);
    for (int i = 0; i < 3; ++i) {
      SetKeyState(KeyMouseButton0 + i, (state.rgbButtons[i] & 0x80) != 0);
    }
  }

  if (joystickActive != 0 && joystick != nullptr) {
    joystick->Poll();
    DIJOYSTATE state;
    std::memset(&state, 0, sizeof(state));
    if (FAILED(joystick->GetDeviceState(sizeof(state), &state))) {
      joystick->Acquire();
      return;
    }
    Integrate(ScaledMovement(state.lX, joystickSensitivity), joystickX, joystickFreeX,
              joystickDeltaX, joystickMinX, joystickMaxX);
    Integrate(ScaledMovement(state.lY, joystickSensitivity), joystickY, joystickFreeY,
              joystickDeltaY, joystickMinY, joystickMaxY);
    for (int i = 0; i < 10; ++i) {
      SetKeyState(KeyJoystickButton0 + i, (state.rgbButtons[i] & 0x80) != 0);
    }
  }
}

// ---- Mouse -----------------------------------------------------------------------------------

void InputDevices::SetMouseLimits(int minX, int minY, int maxX, int maxY) {
  mouseMinX = minX;
  mouseMinY = minY;
  mouseMaxX = maxX;
  mouseMaxY = maxY;
}

void InputDevices::SetMouseSensitivity(float factor) { mouseSensitivity = factor; }

float InputDevices::GetMouseSensitivity() const { return mouseSensitivity; }

void InputDevices::SetMousePosition(int x, int y) {
  mouseX = PlaceWithinLimits(x, mouseMinX, mouseMaxX);
  mouseY = PlaceWithinLimits(y, mouseMinY, mouseMaxY);
  mouseDeltaX = mouseDeltaY = 0;
}

void InputDevices::GetMousePosition(int* x, int* y) const {
  if (x != nullptr) *x = mouseX;
  if (y != nullptr) *y = mouseY;
}

void InputDevices::SetMouseFreePosition(int x, int y) {
  mouseFreeX = x;
  mouseFreeY = y;
  mouseDeltaX = mouseDeltaY = 0;
}

void InputDevices::GetMouseFreePosition(int* x, int* y) const {
  if (x != nullptr) *x = mouseFreeX;
  if (y != nullptr) *y = mouseFreeY;
}

void InputDevices::GetMouseDeltas(int* x, int* y) const {
  if (x != nullptr) *x = mouseDeltaX;
  if (y != nullptr) *y = mouseDeltaY;
}

// ---- Joystick --------------------------------------------------------------------------------

void InputDevices::SetJoystickLimits(int minX, int minY, int maxX, int maxY) {
  joystickMinX = minX;
  joystickMinY = minY;
  joystickMaxX = maxX;
  joystickMaxY = maxY;
}

void InputDevices::SetJoystickSensitivity(float factor) { joystickSensitivity = factor; }

float InputDevices::GetJoystickSensitivity() const { return joystickSensitivity; }

void InputDevices::SetJoystickPosition(int x, int y) {
  joystickX = PlaceWithinLimits(x, joystickMinX, joystickMaxX);
  joystickY = PlaceWithinLimits(y, joystickMinY, joystickMaxY);
  joystickDeltaX = joystickDeltaY = 0;
}

void InputDevices::GetJoystickPosition(int* x, int* y) const {
  if (x != nullptr) *x = joystickX;
  if (y != nullptr) *y = joystickY;
}

void InputDevices::SetJoystickFreePosition(int x, int y) {
  joystickFreeX = x;
  joystickFreeY = y;
  joystickDeltaX = joystickDeltaY = 0;
}

void InputDevices::GetJoystickFreePosition(int* x, int* y) const {
  if (x != nullptr) *x = joystickFreeX;
  if (y != nullptr) *y = joystickFreeY;
}

void InputDevices::GetJoystickDeltas(int* x, int* y) const {
  if (x != nullptr) *x = joystickDeltaX;
  if (y != nullptr) *y = joystickDeltaY;
}

int InputDevices::GetJoystickButtonCount() {
  if (joystickActive == 0 || joystick == nullptr) return 0;
  DIDEVCAPS caps;
  std::memset(&caps, 0, sizeof(caps));
  caps.dwSize = sizeof(caps);
  if (FAILED(joystick->GetCapabilities(&caps))) return 0;
  return static_cast<int>(caps.dwButtons);
}

int InputDevices::IsJoystickGamepad() const {
  return joystickSubtype == DIDEVTYPEJOYSTICK_GAMEPAD ? 1 : 0;
}

// ---- Keys ------------------------------------------------------------------------------------

WORD InputDevices::GetKeyState(WORD code) const {
  return code < KeyCodeCount ? keyStates[code] : 0;
}

WORD InputDevices::GetKeyRaw(WORD scanCode) const {
  return scanCode < 256 ? rawKeyboard[scanCode] : 0;
}

WORD InputDevices::GetShiftedKey(WORD code) const {
  if (code >= KeyCodeCount) return 0;
  return shiftTable[code] != 0 ? shiftTable[code] : code;
}

DWORD InputDevices::GetKeyPressTime(int code) const {
  return code >= 0 && code < KeyCodeCount ? pressTimes[code] : 0;
}

int InputDevices::GetKeyPressPosition(int code, int* x, int* y) const {
  const bool valid = code >= 0 && code < KeyCodeCount;
  if (x != nullptr) *x = valid ? pressPositions[code].x : 0;
  if (y != nullptr) *y = valid ? pressPositions[code].y : 0;
  return valid ? 1 : 0;
}

int InputDevices::GetNewScanCode() {
  int found = 255;
  for (int scan = 0; scan < 255; ++scan) {
    if (rawKeyboard[scan] != 0 && previousKeyboard[scan] == 0) {
      found = scan;
      lastNewScanCode = static_cast<BYTE>(scan);
      break;
    }
  }
  std::memcpy(previousKeyboard, rawKeyboard, 255);
  return found;
}

UINT InputDevices::GetNewScanVirtualKey() const { return MapVirtualKeyA(lastNewScanCode, 1); }

int InputDevices::GetKeyName(int scanCode, char* buffer) {
  if (buffer == nullptr) return 0;
  return GetKeyNameTextA(static_cast<LONG>(static_cast<uint32_t>(scanCode) << 16), buffer, 50);
}

// ---- Device control --------------------------------------------------------------------------

void InputDevices::SetActiveDevices(int mouseOn, int keyboardOn, int joystickOn) {
  mouseActive = mouseOn;
  if (mouseOn != 0) {
    AcquireMouse();
  } else {
    UnacquireMouse();
  }
  keyboardActive = keyboardOn;
  if (keyboardOn != 0) {
    AcquireKeyboard();
  } else {
    UnacquireKeyboard();
  }
  joystickActive = joystickOn;
  if (joystickOn != 0) {
    AcquireJoystick();
  } else {
    UnacquireJoystick();
  }
}

void InputDevices::AcquireMouse() {
  if (mouse == nullptr) return;
  mouseActive = 1;
  if (!AcquireWithRetries(mouse)) mouseActive = 0;
}

void InputDevices::AcquireKeyboard() {
  if (keyboard == nullptr) return;
  keyboardActive = 1;
  if (AcquireWithRetries(keyboard)) {
    ClearKeyStates();
  } else {
    keyboardActive = 0;
  }
}

void InputDevices::AcquireJoystick() {
  if (joystick == nullptr) return;
  joystickActive = 1;
  if (!AcquireWithRetries(joystick)) joystickActive = 0;
}

void InputDevices::UnacquireMouse() {
  mouseActive = 0;
  if (mouse != nullptr) mouse->Unacquire();
}

void InputDevices::UnacquireKeyboard() {
  ClearKeyStates();
  keyboardActive = 0;
  if (keyboard != nullptr) keyboard->Unacquire();
}

void InputDevices::UnacquireJoystick() {
  joystickActive = 0;
  if (joystick != nullptr) joystick->Unacquire();
}

HRESULT InputDevices::DisableMouseBuffer() { return DisableBuffer(mouse); }

HRESULT InputDevices::DisableJoystickBuffer() { return DisableBuffer(joystick); }

HRESULT InputDevices::RunMouseControlPanel(HWND owner) {
  if (mouse == nullptr) return DIERR_NOTINITIALIZED;
  return mouse->RunControlPanel(owner, 0);
}

HRESULT InputDevices::RunJoystickControlPanel(HWND owner) {
  if (joystick == nullptr) return DIERR_NOTINITIALIZED;
  return joystick->RunControlPanel(owner, 0);
}

// ---- Key machine and tables ------------------------------------------------------------------

void InputDevices::ClearKeyStates() {
  std::memset(keyStates, 0, sizeof(keyStates));
  std::memset(rawKeyboard, 0, sizeof(rawKeyboard));
  std::memset(pressTimes, 0, sizeof(pressTimes));
  std::memset(pressPositions, 0, sizeof(pressPositions));
}

void InputDevices::SetKeyState(int code, int down) {
  if (code < 0 || code >= KeyCodeCount) return;
  BYTE& state = keyStates[code];
  if (down != 0) {
    if (state == KeyUp || state == KeyReleased) {
      state = KeyPressed;
      pressTimes[code] = timeGetTime();
      pressPositions[code].x = mouseFreeX;
      pressPositions[code].y = mouseFreeY;
    } else {
      state = KeyHeld;
    }
  } else {
    state = (state == KeyPressed || state == KeyHeld) ? KeyReleased : KeyUp;
  }
}

void InputDevices::BuildKeyMap() {
  std::memset(keyMap, 0, sizeof(keyMap));
  static const struct {
    BYTE scan;
    LONG code;
  } kMap[] = {
      {DIK_ESCAPE, 27},    {DIK_1, '1'},           {DIK_2, '2'},        {DIK_3, '3'},
      {DIK_4, '4'},        {DIK_5, '5'},           {DIK_6, '6'},        {DIK_7, '7'},
      {DIK_8, '8'},        {DIK_9, '9'},           {DIK_0, 48},         {DIK_MINUS, 45},
      {DIK_EQUALS, 61},    {DIK_BACK, 8},          {DIK_TAB, 9},        {DIK_Q, 'q'},
      {DIK_W, 'w'},        {DIK_E, 'e'},           {DIK_R, 'r'},        {DIK_T, 't'},
      {DIK_Y, 'y'},        {DIK_U, 'u'},           {DIK_I, 'i'},        {DIK_O, 'o'},
      {DIK_P, 'p'},        {DIK_LBRACKET, 91},     {DIK_RBRACKET, 93},  {DIK_RETURN, 13},
      {DIK_LCONTROL, 130}, {DIK_A, 'a'},           {DIK_S, 's'},        {DIK_D, 'd'},
      {DIK_F, 'f'},        {DIK_G, 'g'},           {DIK_H, 'h'},        {DIK_J, 'j'},
      {DIK_K, 'k'},        {DIK_L, 'l'},           {DIK_SEMICOLON, 59}, {DIK_APOSTROPHE, 39},
      {DIK_GRAVE, 96},     {DIK_LSHIFT, 128},      {DIK_BACKSLASH, 92}, {DIK_Z, 'z'},
      {DIK_X, 'x'},        {DIK_C, 'c'},           {DIK_V, 'v'},        {DIK_B, 'b'},
      {DIK_N, 'n'},        {DIK_M, 'm'},           {DIK_COMMA, 44},     {DIK_PERIOD, 46},
      {DIK_SLASH, 47},     {DIK_RSHIFT, 129},      {DIK_MULTIPLY, 157}, {DIK_LMENU, 132},
      {DIK_SPACE, 32},     {DIK_CAPITAL, 173},     {DIK_F1, 138},       {DIK_F2, 139},
      {DIK_F3, 140},       {DIK_F4, 141},          {DIK_F5, 142},       {DIK_F6, 143},
      {DIK_F7, 144},       {DIK_F8, 145},          {DIK_F9, 146},       {DIK_F10, 147},
      {DIK_NUMLOCK, 172},  {DIK_SCROLL, 174},      {DIK_NUMPAD7, 169},  {DIK_NUMPAD8, 170},
      {DIK_NUMPAD9, 171},  {DIK_SUBTRACT, 158},    {DIK_NUMPAD4, 166},  {DIK_NUMPAD5, 167},
      {DIK_NUMPAD6, 168},  {DIK_ADD, 159},         {DIK_NUMPAD1, 163},  {DIK_NUMPAD2, 164},
      {DIK_NUMPAD3, 165},  {DIK_NUMPAD0, 162},     {DIK_DECIMAL, 161},  {DIK_F11, 148},
      {DIK_F12, 149},      {DIK_NUMPADENTER, 160}, {DIK_RCONTROL, 131}, {DIK_DIVIDE, 156},
      {DIK_SYSRQ, 175},    {DIK_RMENU, 133},       {DIK_HOME, 152},     {DIK_UP, 136},
      {DIK_PRIOR, 154},    {DIK_LEFT, 134},        {DIK_RIGHT, 135},    {DIK_END, 153},
      {DIK_DOWN, 137},     {DIK_NEXT, 155},        {DIK_INSERT, 150},   {DIK_DELETE, 151},
      {DIK_LWIN, 0},       {DIK_RWIN, 0},          {DIK_APPS, 0},
  };
  for (const auto& entry : kMap) keyMap[entry.scan] = entry.code;
}

void InputDevices::BuildShiftTable() {
  std::memset(shiftTable, 0, sizeof(shiftTable));
  for (int c = 'a'; c <= 'z'; ++c) shiftTable[c] = static_cast<BYTE>(c - 'a' + 'A');
  static const char kPairs[][2] = {
      {'0', ')'},  {'1', '!'}, {'2', '@'},  {'3', '#'}, {'4', '$'}, {'5', '%'}, {'6', '^'},
      {'7', '&'},  {'8', '*'}, {'9', '('},  {'-', '_'}, {'=', '+'}, {'[', '{'}, {']', '}'},
      {'\\', '|'}, {';', ':'}, {'\'', '"'}, {',', '<'}, {'.', '>'}, {'/', '?'}, {'`', '~'},
  };
  for (const auto& pair : kPairs) {
    shiftTable[static_cast<unsigned char>(pair[0])] = static_cast<BYTE>(pair[1]);
  }
}
