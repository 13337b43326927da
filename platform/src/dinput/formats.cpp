// The DirectInput identifiers that dinput.h declares, and the predefined data formats of the
// keyboard, the mouse and the joystick.
#include <dinput.h>

#define QV_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  extern "C" const GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

QV_GUID(CLSID_DirectInput, 0x25E609E0, 0xB259, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00,
        0x00);
QV_GUID(CLSID_DirectInputDevice, 0x25E609E1, 0xB259, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54,
        0x00, 0x00);
QV_GUID(IID_IDirectInputA, 0x89521360, 0xAA8A, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00,
        0x00);
QV_GUID(IID_IDirectInput2A, 0x5944E662, 0xAA8A, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00,
        0x00);
QV_GUID(IID_IDirectInputDeviceA, 0x5944E680, 0xC92E, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54,
        0x00, 0x00);
QV_GUID(IID_IDirectInputDevice2A, 0x5944E682, 0xC92E, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54,
        0x00, 0x00);
QV_GUID(IID_IDirectInputEffect, 0xE7E1F7C0, 0x88D2, 0x11D0, 0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0,
        0x6E, 0x35);
QV_GUID(GUID_XAxis, 0xA36D02E0, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_YAxis, 0xA36D02E1, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_ZAxis, 0xA36D02E2, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_RxAxis, 0xA36D02F4, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_RyAxis, 0xA36D02F5, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_RzAxis, 0xA36D02E3, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_Slider, 0xA36D02E4, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_Button, 0xA36D02F0, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_Key, 0x55728220, 0xD33C, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_POV, 0xA36D02F2, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_Unknown, 0xA36D02F3, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_SysMouse, 0x6F1D2B60, 0xD5A0, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
QV_GUID(GUID_SysKeyboard, 0x6F1D2B61, 0xD5A0, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00,
        0x00);
QV_GUID(GUID_Joystick, 0x6F1D2B70, 0xD5A0, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);

// The predefined properties: entry n stands for MAKEDIPROP(n).
extern "C" const GUID qv_dipropIds[QV_DIPROP_COUNT] = {
    {0, 0, 0, {0}},  {1, 0, 0, {0}},  {2, 0, 0, {0}},  {3, 0, 0, {0}},  {4, 0, 0, {0}},
    {5, 0, 0, {0}},  {6, 0, 0, {0}},  {7, 0, 0, {0}},  {8, 0, 0, {0}},  {9, 0, 0, {0}},
    {10, 0, 0, {0}}, {11, 0, 0, {0}}, {12, 0, 0, {0}}, {13, 0, 0, {0}}, {14, 0, 0, {0}},
    {15, 0, 0, {0}}, {16, 0, 0, {0}}, {17, 0, 0, {0}}, {18, 0, 0, {0}}, {19, 0, 0, {0}},
    {20, 0, 0, {0}}, {21, 0, 0, {0}}, {22, 0, 0, {0}}, {23, 0, 0, {0}}, {24, 0, 0, {0}},
    {25, 0, 0, {0}}, {26, 0, 0, {0}}, {27, 0, 0, {0}}, {28, 0, 0, {0}}, {29, 0, 0, {0}},
    {30, 0, 0, {0}}, {31, 0, 0, {0}}};

static_assert(sizeof(DIDEVCAPS) == 44, "DIDEVCAPS keeps its DirectInput 5 size");
static_assert(sizeof(DIDEVICEINSTANCEA) == 580, "DIDEVICEINSTANCEA keeps its DirectInput 5 size");
static_assert(sizeof(DIDEVICEINSTANCE_DX3A) == 560, "DIDEVICEINSTANCE_DX3A layout");
static_assert(sizeof(DIMOUSESTATE) == 16, "DIMOUSESTATE layout");
static_assert(sizeof(DIJOYSTATE) == 80 && sizeof(DIJOYSTATE2) == 272, "DIJOYSTATE layouts");
static_assert(sizeof(DIPROPHEADER) == 16 && sizeof(DIPROPDWORD) == 20 && sizeof(DIPROPRANGE) == 24,
              "property layouts");

namespace {

constexpr DWORD kAnyAxis = DIDFT_AXIS | DIDFT_ANYINSTANCE;
constexpr DWORD kAnyButton = DIDFT_BUTTON | DIDFT_ANYINSTANCE;
constexpr DWORD kAnyPov = DIDFT_POV | DIDFT_ANYINSTANCE;

DIOBJECTDATAFORMAT gMouseObjects[] = {
    {&GUID_XAxis, DIMOFS_X, kAnyAxis, 0},
    {&GUID_YAxis, DIMOFS_Y, kAnyAxis, 0},
    {&GUID_ZAxis, DIMOFS_Z, kAnyAxis | DIDFT_OPTIONAL, 0},
    {nullptr, DIMOFS_BUTTON0, kAnyButton, 0},
    {nullptr, DIMOFS_BUTTON1, kAnyButton, 0},
    {nullptr, DIMOFS_BUTTON2, kAnyButton | DIDFT_OPTIONAL, 0},
    {nullptr, DIMOFS_BUTTON3, kAnyButton | DIDFT_OPTIONAL, 0},
};

// One object a key: key n at byte n.
struct KeyboardObjects {
  DIOBJECTDATAFORMAT objects[256];
  KeyboardObjects() {
    for (DWORD i = 0; i < 256; ++i) {
      objects[i] = {&GUID_Key, i, DIDFT_BUTTON | DIDFT_MAKEINSTANCE(i) | DIDFT_OPTIONAL, 0};
    }
  }
};
KeyboardObjects gKeyboardObjects;

// X, Y, Z, Rx, Ry, Rz, two sliders, four POVs, then `buttons` buttons.
template <int Buttons>
struct JoystickObjects {
  DIOBJECTDATAFORMAT objects[12 + Buttons];
  JoystickObjects() {
    const GUID* axes[8] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,  &GUID_RxAxis,
                           &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};
    for (DWORD i = 0; i < 8; ++i) {
      DWORD optional = i < 2 ? 0 : DIDFT_OPTIONAL;
      objects[i] = {axes[i], i * 4, kAnyAxis | optional, DIDOI_ASPECTPOSITION};
    }
    for (DWORD i = 0; i < 4; ++i) {
      objects[8 + i] = {&GUID_POV, DIJOFS_POV(i), kAnyPov | DIDFT_OPTIONAL, 0};
    }
    for (DWORD i = 0; i < Buttons; ++i) {
      objects[12 + i] = {nullptr, DIJOFS_BUTTON(i), kAnyButton | DIDFT_OPTIONAL, 0};
    }
  }
};
JoystickObjects<32> gJoystickObjects;
JoystickObjects<128> gJoystick2Objects;

}  // namespace

extern "C" {

const DIDATAFORMAT c_dfDIMouse = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE), 7,
    gMouseObjects};
const DIDATAFORMAT c_dfDIKeyboard = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, 256, 256, gKeyboardObjects.objects};
const DIDATAFORMAT c_dfDIJoystick = {
    sizeof(DIDATAFORMAT),    sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, sizeof(DIJOYSTATE), 44,
    gJoystickObjects.objects};
// DIJOYSTATE2's velocity, acceleration and force axes are not reported: the extra bytes read 0.
const DIDATAFORMAT c_dfDIJoystick2 = {
    sizeof(DIDATAFORMAT),     sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, sizeof(DIJOYSTATE2), 140,
    gJoystick2Objects.objects};
}
