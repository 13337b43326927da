// DirectInput 5: the DirectInput object and the keyboard, mouse and joystick devices. Devices
// read the window system's input state (core/input_state.h) when the program asks for a
// snapshot: the keyboard by scan code, the mouse as motion since the previous read, the
// joystick's axes scaled to the range the program set, with its dead zone.
#include <dinput.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/host_state.h"
#include "core/input_state.h"
#include "core/keymap.h"
#include "core/services.h"

namespace {

// The instance of the one joystick the platform reports (its product is GUID_Joystick).
const GUID kJoystickInstance = {
    0x9E573ED8, 0x7734, 0x11D2, {0x8D, 0x4A, 0x23, 0x90, 0x3F, 0xB6, 0xBD, 0xF7}};

// IUnknown's identifier, kept here so that this service needs no other to define it.
const GUID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

enum class Kind { Keyboard, Mouse, Joystick };

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::Keyboard:
      return "Keyboard";
    case Kind::Mouse:
      return "Mouse";
    default:
      return "Joystick";
  }
}

bool JoystickPresent() {
  return plat::Input().joystickAttached && plat::TheHardware().joystick;
}

// An armed fault for a device call: the plain "IDirectInputDevice::Method", or one for a kind
// of device only, "IDirectInputDevice(Mouse)::Method".
HRESULT DeviceFault(Kind kind, const char* method) {
  std::string name = std::string("IDirectInputDevice::") + method;
  HRESULT hr = plat::host::TakeFault(name.c_str());
  if (hr != S_OK) return hr;
  name = std::string("IDirectInputDevice(") + KindName(kind) + ")::" + method;
  return plat::host::TakeFault(name.c_str());
}

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...) {
  if (!plat::host::CallLogEnabled()) return;
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  plat::host::LogCall(line);
}

// The number behind MAKEDIPROP, or 0 for a GUID that is no predefined property.
uintptr_t PropertyId(REFGUID prop) {
  const GUID* p = &prop;
  std::less<const GUID*> before;  // a total order, also for unrelated addresses
  if (before(p, qv_dipropIds) || !before(p, qv_dipropIds + QV_DIPROP_COUNT)) return 0;
  return static_cast<uintptr_t>(p - qv_dipropIds);
}
constexpr uintptr_t kPropBufferSize = 1, kPropAxisMode = 2, kPropRange = 4, kPropDeadZone = 5,
                    kPropSaturation = 6;

// ---- Device objects ---------------------------------------------------------------------------

enum class ObjectKind { Key, MouseAxis, MouseButton, JoystickAxis, JoystickButton };

struct DeviceObject {
  const GUID* type;
  DWORD id;  // DIDFT_ type bits with the instance number
  ObjectKind kind;
  int index;  // scan code, axis number or button number
  std::string name;
};

std::vector<DeviceObject> MakeObjects(Kind kind) {
  std::vector<DeviceObject> objects;
  switch (kind) {
    case Kind::Keyboard:
      for (int sc = 0; sc < 256; ++sc) {
        const char* name = plat::KeyNameFromScanCode(static_cast<uint8_t>(sc), false);
        objects.push_back({&GUID_Key, static_cast<DWORD>(DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(sc)),
                           ObjectKind::Key, sc, name ? name : ""});
      }
      break;
    case Kind::Mouse: {
      const GUID* axes[3] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis};
      const char* axisNames[3] = {"X-axis", "Y-axis", "Wheel"};
      for (int i = 0; i < 3; ++i) {
        objects.push_back({axes[i], static_cast<DWORD>(DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(i)),
                           ObjectKind::MouseAxis, i, axisNames[i]});
      }
      const char* buttonNames[3] = {"Button 0", "Button 1", "Button 2"};
      for (int i = 0; i < 3; ++i) {
        objects.push_back({&GUID_Button,
                           static_cast<DWORD>(DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(i)),
                           ObjectKind::MouseButton, i, buttonNames[i]});
      }
      break;
    }
    case Kind::Joystick: {
      const GUID* axes[8] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,  &GUID_RxAxis,
                             &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};
      const char* axisNames[8] = {"X Axis",     "Y Axis",     "Z Axis", "X Rotation",
                                  "Y Rotation", "Z Rotation", "Slider", "Slider"};
      for (int i = 0; i < 8; ++i) {
        objects.push_back({axes[i], static_cast<DWORD>(DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(i)),
                           ObjectKind::JoystickAxis, i, axisNames[i]});
      }
      int buttons = std::clamp(plat::Input().joystickButtonCount, 0, 32);
      for (int i = 0; i < buttons; ++i) {
        objects.push_back({&GUID_Button,
                           static_cast<DWORD>(DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(i)),
                           ObjectKind::JoystickButton, i, "Button " + std::to_string(i)});
      }
      break;
    }
  }
  return objects;
}

bool IsAxis(const DeviceObject& o) {
  return o.kind == ObjectKind::MouseAxis || o.kind == ObjectKind::JoystickAxis;
}

// Whether an object of a data format (or a DIPH_BYID identifier) names this device object.
bool TypeMatches(DWORD wanted, const DeviceObject& o) {
  DWORD wantedType = wanted & 0xFF & (DIDFT_AXIS | DIDFT_BUTTON | DIDFT_POV);
  if (wantedType && !(wantedType & o.id)) return false;
  DWORD instance = wanted & DIDFT_INSTANCEMASK;
  return instance == DIDFT_ANYINSTANCE || instance == (o.id & DIDFT_INSTANCEMASK);
}

struct Mapping {
  size_t object;
  DWORD offset;
};

struct Format {
  DWORD dataSize = 0;
  bool absoluteAxes = false;
  std::vector<Mapping> mappings;
  std::vector<DWORD> centredPovs;  // POV slots with no POV behind them read "centred"
};

// ---- The DirectInput object -----------------------------------------------------------------

class DirectInputObject;

class Device final : public IDirectInputDevice2A {
 public:
  Device(DirectInputObject* parent, Kind kind);
  ~Device() override;

  static std::vector<Device*>& All() {
    static std::vector<Device*> devices;
    return devices;
  }

  void FocusLost() {
    if (acquired_ && (level_ & DISCL_FOREGROUND)) {
      acquired_ = false;
      lost_ = true;
    }
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, LPVOID* ppvObj) override {
    if (!ppvObj) return E_POINTER;
    *ppvObj = nullptr;
    HRESULT fault = DeviceFault(kind_, "QueryInterface");
    if (fault != S_OK) return fault;
    if (riid == kIUnknown || riid == IID_IDirectInputDeviceA || riid == IID_IDirectInputDevice2A) {
      AddRef();
      *ppvObj = static_cast<IDirectInputDevice2A*>(this);
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // IDirectInputDevice
  HRESULT STDMETHODCALLTYPE GetCapabilities(LPDIDEVCAPS caps) override;
  HRESULT STDMETHODCALLTYPE EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref,
                                        DWORD flags) override;
  HRESULT STDMETHODCALLTYPE GetProperty(REFGUID prop, LPDIPROPHEADER header) override;
  HRESULT STDMETHODCALLTYPE SetProperty(REFGUID prop, LPCDIPROPHEADER header) override;
  HRESULT STDMETHODCALLTYPE Acquire() override;
  HRESULT STDMETHODCALLTYPE Unacquire() override;
  HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override;
  HRESULT STDMETHODCALLTYPE GetDeviceData(DWORD objectSize, LPDIDEVICEOBJECTDATA records,
                                          LPDWORD inOut, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override;
  HRESULT STDMETHODCALLTYPE SetEventNotification(HANDLE event) override {
    // Nothing here signals events: a program waiting on one would wait for ever.
    return event ? DIERR_UNSUPPORTED : DI_OK;
  }
  HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA info, DWORD obj,
                                          DWORD how) override;
  HRESULT STDMETHODCALLTYPE GetDeviceInfo(LPDIDEVICEINSTANCEA info) override;
  HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD flags) override {
    // There is no control panel to show.
    return flags ? DIERR_INVALIDPARAM : DI_OK;
  }
  HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD version, REFGUID guid) override;

  // IDirectInputDevice2: no force feedback.
  HRESULT STDMETHODCALLTYPE CreateEffect(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT* effect,
                                         LPUNKNOWN) override {
    if (effect) *effect = nullptr;
    return DIERR_UNSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE EnumEffects(LPDIENUMEFFECTSCALLBACKA callback, LPVOID, DWORD) override {
    return callback ? DI_OK : DIERR_INVALIDPARAM;
  }
  HRESULT STDMETHODCALLTYPE GetEffectInfo(LPDIEFFECTINFOA info, REFGUID) override {
    return info ? DIERR_DEVICENOTREG : DIERR_INVALIDPARAM;
  }
  HRESULT STDMETHODCALLTYPE GetForceFeedbackState(LPDWORD) override { return DIERR_UNSUPPORTED; }
  HRESULT STDMETHODCALLTYPE SendForceFeedbackCommand(DWORD) override { return DIERR_UNSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK callback,
                                                     LPVOID, DWORD flags) override {
    return callback && flags == 0 ? DI_OK : DIERR_INVALIDPARAM;
  }
  HRESULT STDMETHODCALLTYPE Escape(LPDIEFFESCAPE) override { return DIERR_UNSUPPORTED; }
  HRESULT STDMETHODCALLTYPE Poll() override;
  HRESULT STDMETHODCALLTYPE SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) override {
    return DIERR_UNSUPPORTED;
  }

 private:
  struct AxisSettings {
    LONG min = 0;
    LONG max = 65535;
    DWORD deadZone = 0;
    DWORD saturation = 10000;
  };

  // The device object a property header names, or an error.
  HRESULT FindObject(DWORD obj, DWORD how, size_t* index) const;
  HRESULT ReadyForRead();
  // Fills `data` (format_.dataSize bytes) with the device's current state.
  void Snapshot(uint8_t* data);
  LONG JoystickAxisValue(int axis) const;
  DWORD DevType() const;
  void FillDeviceInstance(DIDEVICEINSTANCEA* info, DWORD size) const;
  DWORD OffsetOf(size_t object) const;

  DirectInputObject* parent_;
  Kind kind_;
  ULONG refs_ = 1;
  std::vector<DeviceObject> objects_;
  bool hasFormat_ = false;
  Format format_;
  DWORD level_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  bool acquired_ = false;
  bool lost_ = false;  // acquisition went with the focus
  // Mouse motion counters at the previous read.
  int64_t lastMouseX_ = 0;
  int64_t lastMouseY_ = 0;
  bool absoluteMouse_ = false;
  AxisSettings axes_[8];
  DWORD bufferSize_ = 0;
  std::vector<uint8_t> previous_;  // the state at the previous buffered read
  std::vector<DIDEVICEOBJECTDATA> buffer_;
  DWORD sequence_ = 0;
};

class DirectInputObject final : public IDirectInput2A {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, LPVOID* ppvObj) override {
    if (!ppvObj) return E_POINTER;
    *ppvObj = nullptr;
    if (riid == kIUnknown || riid == IID_IDirectInputA || riid == IID_IDirectInput2A) {
      AddRef();
      *ppvObj = static_cast<IDirectInput2A*>(this);
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* device,
                                         LPUNKNOWN outer) override {
    if (!device) return DIERR_INVALIDPARAM;
    *device = nullptr;
    HRESULT fault = plat::host::TakeFault("IDirectInput::CreateDevice");
    if (fault != S_OK) return fault;
    if (outer) return DIERR_NOAGGREGATION;
    Kind kind;
    if (guid == GUID_SysKeyboard) {
      kind = Kind::Keyboard;
    } else if (guid == GUID_SysMouse) {
      kind = Kind::Mouse;
    } else if (guid == kJoystickInstance && JoystickPresent()) {
      kind = Kind::Joystick;
    } else {
      return DIERR_DEVICENOTREG;
    }
    *device = new Device(this, kind);
    Log("IDirectInput::CreateDevice(%s)", KindName(kind));
    return DI_OK;
  }

  HRESULT STDMETHODCALLTYPE EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback,
                                        LPVOID ref, DWORD flags) override {
    if (!callback) return DIERR_INVALIDPARAM;
    if (flags & ~static_cast<DWORD>(DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK)) {
      return DIERR_INVALIDPARAM;
    }
    if (devType > DIDEVTYPE_JOYSTICK) return DIERR_INVALIDPARAM;
    HRESULT fault = plat::host::TakeFault("IDirectInput::EnumDevices");
    if (fault != S_OK) return fault;
    // No device here has force feedback.
    if (flags & DIEDFL_FORCEFEEDBACK) return DI_OK;
    const Kind order[3] = {Kind::Mouse, Kind::Keyboard, Kind::Joystick};
    for (Kind kind : order) {
      DWORD type = kind == Kind::Mouse      ? DIDEVTYPE_MOUSE
                   : kind == Kind::Keyboard ? DIDEVTYPE_KEYBOARD
                                            : DIDEVTYPE_JOYSTICK;
      if (devType != 0 && devType != type) continue;
      // Only an attached joystick is known at all, whatever the flags.
      if (kind == Kind::Joystick && !JoystickPresent()) continue;
      DIDEVICEINSTANCEA info;
      Describe(kind, &info);
      if (callback(&info, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
  }

  HRESULT STDMETHODCALLTYPE GetDeviceStatus(REFGUID guid) override {
    if (guid == GUID_SysKeyboard || guid == GUID_SysMouse) return DI_OK;
    if (guid == kJoystickInstance) return JoystickPresent() ? DI_OK : DI_NOTATTACHED;
    return DIERR_DEVICENOTREG;
  }
  HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD flags) override {
    return flags ? DIERR_INVALIDPARAM : DI_OK;
  }
  HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD version) override {
    return CheckVersion(version);
  }
  HRESULT STDMETHODCALLTYPE FindDevice(REFGUID, LPCSTR name, LPGUID instance) override {
    if (!name || !instance) return DIERR_INVALIDPARAM;
    return DIERR_DEVICENOTREG;
  }

  static HRESULT CheckVersion(DWORD version) {
    if (version == 0) return DIERR_NOTINITIALIZED;
    switch (version) {
      case 0x0300:
      case 0x0500:
      case 0x050A:
      case 0x05B2:
      case 0x0602:
      case 0x061A:
      case 0x0700:
        return DI_OK;
      default:
        return version > 0x0700 ? DIERR_OLDDIRECTINPUTVERSION : DIERR_BETADIRECTINPUTVERSION;
    }
  }

  // A device's instance record, as EnumDevices and GetDeviceInfo give it.
  static void Describe(Kind kind, DIDEVICEINSTANCEA* info) {
    std::memset(info, 0, sizeof *info);
    info->dwSize = sizeof *info;
    switch (kind) {
      case Kind::Keyboard:
        info->guidInstance = GUID_SysKeyboard;
        info->guidProduct = GUID_SysKeyboard;
        info->dwDevType = DIDEVTYPE_KEYBOARD | (DIDEVTYPEKEYBOARD_PCENH << 8);
        std::snprintf(info->tszInstanceName, MAX_PATH, "Keyboard");
        info->wUsagePage = 1;
        info->wUsage = 6;
        break;
      case Kind::Mouse:
        info->guidInstance = GUID_SysMouse;
        info->guidProduct = GUID_SysMouse;
        info->dwDevType = DIDEVTYPE_MOUSE | (DIDEVTYPEMOUSE_TRADITIONAL << 8);
        std::snprintf(info->tszInstanceName, MAX_PATH, "Mouse");
        info->wUsagePage = 1;
        info->wUsage = 2;
        break;
      case Kind::Joystick: {
        info->guidInstance = kJoystickInstance;
        info->guidProduct = GUID_Joystick;
        // Today's controllers are game pads; DirectInput reads them through HID.
        info->dwDevType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_GAMEPAD << 8) | DIDEVTYPE_HID;
        const std::string& name = plat::Input().joystickName;
        std::snprintf(info->tszInstanceName, MAX_PATH, "%s",
                      name.empty() ? "Joystick" : name.c_str());
        info->wUsagePage = 1;
        info->wUsage = 5;
        break;
      }
    }
    std::memcpy(info->tszProductName, info->tszInstanceName, MAX_PATH);
  }

 private:
  ULONG refs_ = 1;
};

Device::Device(DirectInputObject* parent, Kind kind)
    : parent_(parent), kind_(kind), objects_(MakeObjects(kind)) {
  parent_->AddRef();
  All().push_back(this);
}

Device::~Device() {
  auto& all = All();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
  parent_->Release();
}

HRESULT Device::Initialize(HINSTANCE, DWORD version, REFGUID guid) {
  HRESULT hr = DirectInputObject::CheckVersion(version);
  if (FAILED(hr)) return hr;
  DIDEVICEINSTANCEA mine;
  DirectInputObject::Describe(kind_, &mine);
  return guid == mine.guidInstance ? DI_OK : DIERR_DEVICENOTREG;
}

DWORD Device::DevType() const {
  DIDEVICEINSTANCEA info;
  DirectInputObject::Describe(kind_, &info);
  return info.dwDevType;
}

HRESULT Device::GetCapabilities(LPDIDEVCAPS caps) {
  if (!caps) return DIERR_INVALIDPARAM;
  DWORD size = caps->dwSize;
  if (size != sizeof(DIDEVCAPS) && size != sizeof(DIDEVCAPS_DX3)) return DIERR_INVALIDPARAM;
  HRESULT fault = DeviceFault(kind_, "GetCapabilities");
  if (fault != S_OK) return fault;
  DIDEVCAPS out = {};
  out.dwSize = size;
  out.dwFlags = DIDC_ATTACHED;
  out.dwDevType = DevType();
  for (const DeviceObject& o : objects_) {
    if (IsAxis(o)) ++out.dwAxes;
    if (o.kind == ObjectKind::MouseButton || o.kind == ObjectKind::JoystickButton) ++out.dwButtons;
  }
  if (kind_ == Kind::Keyboard) {
    for (const DeviceObject& o : objects_) {
      if (!o.name.empty()) ++out.dwButtons;
    }
  }
  if (kind_ == Kind::Joystick && !JoystickPresent()) out.dwFlags = 0;
  std::memcpy(caps, &out, size);
  return DI_OK;
}

HRESULT Device::GetDeviceInfo(LPDIDEVICEINSTANCEA info) {
  if (!info) return DIERR_INVALIDPARAM;
  DWORD size = info->dwSize;
  if (size != sizeof(DIDEVICEINSTANCEA) && size != sizeof(DIDEVICEINSTANCE_DX3A)) {
    return DIERR_INVALIDPARAM;
  }
  HRESULT fault = DeviceFault(kind_, "GetDeviceInfo");
  if (fault != S_OK) return fault;
  DIDEVICEINSTANCEA out;
  DirectInputObject::Describe(kind_, &out);
  out.dwSize = size;
  std::memcpy(info, &out, size);
  return DI_OK;
}

DWORD Device::OffsetOf(size_t object) const {
  if (hasFormat_) {
    for (const Mapping& m : format_.mappings) {
      if (m.object == object) return m.offset;
    }
  }
  return 0xFFFFFFFF;
}

HRESULT Device::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref, DWORD flags) {
  if (!callback) return DIERR_INVALIDPARAM;
  DWORD wanted = flags & (DIDFT_AXIS | DIDFT_BUTTON | DIDFT_POV);
  for (size_t i = 0; i < objects_.size(); ++i) {
    const DeviceObject& o = objects_[i];
    if (o.kind == ObjectKind::Key && o.name.empty()) continue;
    if (wanted && !(wanted & o.id)) continue;
    DIDEVICEOBJECTINSTANCEA info = {};
    info.dwSize = sizeof info;
    info.guidType = *o.type;
    info.dwOfs = OffsetOf(i);
    info.dwType = o.id;
    info.dwFlags = IsAxis(o) ? DIDOI_ASPECTPOSITION : 0;
    std::snprintf(info.tszName, MAX_PATH, "%s", o.name.c_str());
    if (callback(&info, ref) == DIENUM_STOP) break;
  }
  return DI_OK;
}

HRESULT Device::GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA info, DWORD obj, DWORD how) {
  if (!info) return DIERR_INVALIDPARAM;
  DWORD size = info->dwSize;
  if (size != sizeof(DIDEVICEOBJECTINSTANCEA) && size != sizeof(DIDEVICEOBJECTINSTANCE_DX3A)) {
    return DIERR_INVALIDPARAM;
  }
  if (how == DIPH_DEVICE) return DIERR_INVALIDPARAM;
  size_t index;
  HRESULT hr = FindObject(obj, how, &index);
  if (FAILED(hr)) return hr;
  const DeviceObject& o = objects_[index];
  DIDEVICEOBJECTINSTANCEA out = {};
  out.dwSize = size;
  out.guidType = *o.type;
  out.dwOfs = OffsetOf(index);
  out.dwType = o.id;
  out.dwFlags = IsAxis(o) ? DIDOI_ASPECTPOSITION : 0;
  std::snprintf(out.tszName, MAX_PATH, "%s", o.name.c_str());
  std::memcpy(info, &out, size);
  return DI_OK;
}

HRESULT Device::FindObject(DWORD obj, DWORD how, size_t* index) const {
  if (how == DIPH_BYOFFSET) {
    if (!hasFormat_) return DIERR_OBJECTNOTFOUND;
    for (const Mapping& m : format_.mappings) {
      if (m.offset == obj) {
        *index = m.object;
        return DI_OK;
      }
    }
    return DIERR_OBJECTNOTFOUND;
  }
  if (how == DIPH_BYID) {
    if ((obj & DIDFT_INSTANCEMASK) == DIDFT_ANYINSTANCE) return DIERR_INVALIDPARAM;
    for (size_t i = 0; i < objects_.size(); ++i) {
      if (TypeMatches(obj, objects_[i])) {
        *index = i;
        return DI_OK;
      }
    }
    return DIERR_OBJECTNOTFOUND;
  }
  return DIERR_INVALIDPARAM;
}

HRESULT Device::SetDataFormat(LPCDIDATAFORMAT format) {
  if (!format) return DIERR_INVALIDPARAM;
  Log("IDirectInputDevice::SetDataFormat(%s, %u)", KindName(kind_), format->dwDataSize);
  HRESULT fault = DeviceFault(kind_, "SetDataFormat");
  if (fault != S_OK) return fault;
  if (acquired_) return DIERR_ACQUIRED;
  if (format->dwSize != sizeof(DIDATAFORMAT) || format->dwObjSize != sizeof(DIOBJECTDATAFORMAT)) {
    return DIERR_INVALIDPARAM;
  }
  // A state record is a whole number of DWORDs and of a sane size.
  if (format->dwDataSize == 0 || format->dwDataSize % 4 != 0 || format->dwDataSize > 65536) {
    return DIERR_INVALIDPARAM;
  }
  if (format->dwNumObjs > 4096 || (format->dwNumObjs > 0 && !format->rgodf)) {
    return DIERR_INVALIDPARAM;
  }
  Format made;
  made.dataSize = format->dwDataSize;
  made.absoluteAxes = (format->dwFlags & DIDF_ABSAXIS) != 0;
  std::vector<bool> used(objects_.size(), false);
  for (DWORD n = 0; n < format->dwNumObjs; ++n) {
    const DIOBJECTDATAFORMAT& f = format->rgodf[n];
    bool isPov = (f.dwType & DIDFT_POV) != 0 || (f.pguid && *f.pguid == GUID_POV);
    bool wantsButton = (f.dwType & DIDFT_BUTTON) != 0;
    DWORD width = wantsButton && !(f.dwType & (DIDFT_AXIS | DIDFT_POV)) ? 1 : 4;
    if (f.dwOfs > made.dataSize || made.dataSize - f.dwOfs < width) return DIERR_INVALIDPARAM;
    size_t found = objects_.size();
    for (size_t i = 0; i < objects_.size(); ++i) {
      if (used[i]) continue;
      if (f.pguid && *f.pguid != *objects_[i].type) continue;
      if (!TypeMatches(f.dwType, objects_[i])) continue;
      found = i;
      break;
    }
    if (found == objects_.size()) {
      if (isPov) made.centredPovs.push_back(f.dwOfs);
      if (!(f.dwType & DIDFT_OPTIONAL)) return DIERR_INVALIDPARAM;
      continue;
    }
    // Axes take four bytes, whatever the format object said.
    if (IsAxis(objects_[found]) && made.dataSize - f.dwOfs < 4) return DIERR_INVALIDPARAM;
    used[found] = true;
    made.mappings.push_back({found, f.dwOfs});
  }
  format_ = std::move(made);
  hasFormat_ = true;
  if (kind_ == Kind::Mouse) absoluteMouse_ = format_.absoluteAxes;
  previous_.clear();
  buffer_.clear();
  return DI_OK;
}

HRESULT Device::SetCooperativeLevel(HWND window, DWORD flags) {
  Log("IDirectInputDevice::SetCooperativeLevel(%s, 0x%X)", KindName(kind_), flags);
  HRESULT fault = DeviceFault(kind_, "SetCooperativeLevel");
  if (fault != S_OK) return fault;
  if (flags & ~static_cast<DWORD>(DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND |
                                  DISCL_BACKGROUND)) {
    return DIERR_INVALIDPARAM;
  }
  // Exactly one of exclusive and non-exclusive, and one of foreground and background.
  bool exclusive = flags & DISCL_EXCLUSIVE;
  if (exclusive == ((flags & DISCL_NONEXCLUSIVE) != 0)) return DIERR_INVALIDPARAM;
  bool foreground = flags & DISCL_FOREGROUND;
  if (foreground == ((flags & DISCL_BACKGROUND) != 0)) return DIERR_INVALIDPARAM;
  if (!window) return E_HANDLE;
  // Nobody may own the keyboard while the window is in the background.
  if (kind_ == Kind::Keyboard && exclusive && !foreground) return DIERR_UNSUPPORTED;
  if (acquired_) return DIERR_ACQUIRED;
  level_ = flags;
  return DI_OK;
}

HRESULT Device::Acquire() {
  HRESULT fault = DeviceFault(kind_, "Acquire");
  if (fault != S_OK) return fault;
  if (!hasFormat_) return DIERR_INVALIDPARAM;
  if (acquired_) return S_FALSE;
  if ((level_ & DISCL_FOREGROUND) && !plat::Input().focus) return DIERR_OTHERAPPHASPRIO;
  if (kind_ == Kind::Joystick && !JoystickPresent()) return DIERR_INPUTLOST;
  if (level_ & DISCL_EXCLUSIVE) {
    for (Device* other : All()) {
      if (other != this && other->kind_ == kind_ && other->acquired_ &&
          (other->level_ & DISCL_EXCLUSIVE)) {
        return DIERR_OTHERAPPHASPRIO;
      }
    }
  }
  acquired_ = true;
  lost_ = false;
  // Motion counts from here on.
  lastMouseX_ = plat::Input().mouseX;
  lastMouseY_ = plat::Input().mouseY;
  previous_.clear();
  return DI_OK;
}

HRESULT Device::Unacquire() {
  HRESULT fault = DeviceFault(kind_, "Unacquire");
  if (fault != S_OK) return fault;
  lost_ = false;
  if (!acquired_) return DI_NOEFFECT;
  acquired_ = false;
  return DI_OK;
}

HRESULT Device::ReadyForRead() {
  if (!acquired_) return lost_ ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
  if (kind_ == Kind::Joystick && !JoystickPresent()) {
    acquired_ = false;
    lost_ = true;
    return DIERR_INPUTLOST;
  }
  return DI_OK;
}

HRESULT Device::Poll() {
  HRESULT fault = DeviceFault(kind_, "Poll");
  if (fault != S_OK) return fault;
  HRESULT hr = ReadyForRead();
  if (FAILED(hr)) return hr;
  // Input arrives as events: there is nothing to poll.
  return DI_NOEFFECT;
}

LONG Device::JoystickAxisValue(int axis) const {
  const AxisSettings& s = axes_[axis];
  int32_t raw = plat::Input().joystickAxes[axis];
  double v = raw >= 0 ? raw / 32767.0 : raw / 32768.0;
  double magnitude = std::min(std::fabs(v), 1.0);
  double deadZone = s.deadZone / 10000.0;
  double saturation = s.saturation / 10000.0;
  // Inside the dead zone the axis reads centred; beyond the saturation it reads its end; in
  // between the remaining travel spreads over the whole half range.
  double scaled;
  if (magnitude <= deadZone) {
    scaled = 0;
  } else if (magnitude >= saturation) {
    scaled = 1;
  } else {
    scaled = (magnitude - deadZone) / (saturation - deadZone);
  }
  if (v < 0) scaled = -scaled;
  double span = static_cast<double>(s.max) - static_cast<double>(s.min);
  double value = static_cast<double>(s.min) + (scaled + 1.0) / 2.0 * span;
  return static_cast<LONG>(std::floor(value + 0.5));
}

void Device::Snapshot(uint8_t* data) {
  std::memset(data, 0, format_.dataSize);
  const plat::InputState& in = plat::Input();
  LONG mouse[3] = {0, 0, 0};
  if (kind_ == Kind::Mouse) {
    if (absoluteMouse_) {
      mouse[0] = static_cast<LONG>(std::clamp<int64_t>(in.mouseX, INT32_MIN, INT32_MAX));
      mouse[1] = static_cast<LONG>(std::clamp<int64_t>(in.mouseY, INT32_MIN, INT32_MAX));
    } else {
      mouse[0] =
          static_cast<LONG>(std::clamp<int64_t>(in.mouseX - lastMouseX_, INT32_MIN, INT32_MAX));
      mouse[1] =
          static_cast<LONG>(std::clamp<int64_t>(in.mouseY - lastMouseY_, INT32_MIN, INT32_MAX));
    }
    lastMouseX_ = in.mouseX;
    lastMouseY_ = in.mouseY;
  }
  for (const Mapping& m : format_.mappings) {
    const DeviceObject& o = objects_[m.object];
    LONG axis = 0;
    switch (o.kind) {
      case ObjectKind::Key:
        data[m.offset] = in.keys[o.index];
        continue;
      case ObjectKind::MouseButton:
        data[m.offset] = in.mouseButtons[o.index];
        continue;
      case ObjectKind::JoystickButton:
        data[m.offset] = in.joystickButtons[o.index];
        continue;
      case ObjectKind::MouseAxis:
        axis = mouse[o.index];
        break;
      case ObjectKind::JoystickAxis:
        axis = JoystickAxisValue(o.index);
        break;
    }
    std::memcpy(data + m.offset, &axis, sizeof axis);
  }
  const DWORD centred = 0xFFFFFFFF;
  for (DWORD offset : format_.centredPovs) std::memcpy(data + offset, &centred, sizeof centred);
}

HRESULT Device::GetDeviceState(DWORD size, LPVOID data) {
  HRESULT fault = DeviceFault(kind_, "GetDeviceState");
  if (fault != S_OK) return fault;
  if (!data) return DIERR_INVALIDPARAM;
  if (!hasFormat_) return DIERR_NOTACQUIRED;
  if (size != format_.dataSize) return DIERR_INVALIDPARAM;
  HRESULT hr = ReadyForRead();
  if (FAILED(hr)) return hr;
  Snapshot(static_cast<uint8_t*>(data));
  return DI_OK;
}

// Buffered data is sampled: each call compares the state with the one at the previous call and
// reports every object that changed (relative axes: their motion), so a press and release that
// both fall between two calls is not seen.
HRESULT Device::GetDeviceData(DWORD objectSize, LPDIDEVICEOBJECTDATA records, LPDWORD inOut,
                              DWORD flags) {
  if (!inOut || objectSize != sizeof(DIDEVICEOBJECTDATA) || (flags & ~DIGDD_PEEK)) {
    return DIERR_INVALIDPARAM;
  }
  if (!hasFormat_) return DIERR_NOTACQUIRED;
  if (bufferSize_ == 0) return DIERR_NOTBUFFERED;
  HRESULT hr = ReadyForRead();
  if (FAILED(hr)) return hr;
  std::vector<uint8_t> now(format_.dataSize);
  Snapshot(now.data());
  if (previous_.size() != now.size()) {
    // The first read after acquiring only sets the baseline of buttons and absolute axes.
    previous_ = now;
    for (const Mapping& m : format_.mappings) {
      if (objects_[m.object].kind == ObjectKind::MouseAxis && !absoluteMouse_) {
        std::memset(previous_.data() + m.offset, 0, 4);
      }
    }
  }
  bool overflow = false;
  DWORD stamp = timeGetTime();
  for (const Mapping& m : format_.mappings) {
    const DeviceObject& o = objects_[m.object];
    bool relative = o.kind == ObjectKind::MouseAxis && !absoluteMouse_;
    DWORD width = IsAxis(o) ? 4 : 1;
    if (!relative && std::memcmp(now.data() + m.offset, previous_.data() + m.offset, width) == 0) {
      continue;
    }
    DWORD value = 0;
    if (width == 4) {
      std::memcpy(&value, now.data() + m.offset, 4);
      if (relative && value == 0) continue;
    } else {
      value = now[m.offset];
    }
    if (buffer_.size() >= bufferSize_) {
      overflow = true;
      continue;
    }
    buffer_.push_back({m.offset, value, stamp, sequence_++});
  }
  previous_ = now;
  DWORD wanted = *inOut;
  DWORD count = static_cast<DWORD>(std::min<size_t>(wanted, buffer_.size()));
  if (!records) {
    // Without a record array the call counts (peek) or discards entries.
    count = wanted == INFINITE ? static_cast<DWORD>(buffer_.size()) : count;
  } else if (count > 0) {
    std::memcpy(records, buffer_.data(), count * sizeof(DIDEVICEOBJECTDATA));
  }
  if (!(flags & DIGDD_PEEK)) buffer_.erase(buffer_.begin(), buffer_.begin() + count);
  *inOut = count;
  return overflow ? DI_BUFFEROVERFLOW : DI_OK;
}

HRESULT Device::SetProperty(REFGUID prop, LPCDIPROPHEADER header) {
  HRESULT fault = DeviceFault(kind_, "SetProperty");
  if (fault != S_OK) return fault;
  if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
  uintptr_t id = PropertyId(prop);
  Log("IDirectInputDevice::SetProperty(%s, %u, obj %u, how %u)", KindName(kind_),
      static_cast<unsigned>(id), header->dwObj, header->dwHow);
  switch (id) {
    case kPropBufferSize:
    case kPropAxisMode: {
      if (header->dwSize != sizeof(DIPROPDWORD)) return DIERR_INVALIDPARAM;
      if (header->dwHow != DIPH_DEVICE || header->dwObj != 0) return DIERR_INVALIDPARAM;
      if (acquired_) return DIERR_ACQUIRED;
      DWORD value = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
      if (id == kPropBufferSize) {
        bufferSize_ = std::min<DWORD>(value, 1 << 16);
        if (buffer_.size() > bufferSize_) buffer_.resize(bufferSize_);
        return DI_OK;
      }
      if (value != DIPROPAXISMODE_ABS && value != DIPROPAXISMODE_REL) return DIERR_INVALIDPARAM;
      if (kind_ == Kind::Mouse) {
        absoluteMouse_ = value == DIPROPAXISMODE_ABS;
        return DI_OK;
      }
      if (kind_ == Kind::Joystick) {
        return value == DIPROPAXISMODE_ABS ? DI_OK : DIERR_UNSUPPORTED;
      }
      return DIERR_UNSUPPORTED;
    }
    case kPropRange:
    case kPropDeadZone:
    case kPropSaturation: {
      DWORD expected = id == kPropRange ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD);
      if (header->dwSize != expected) return DIERR_INVALIDPARAM;
      LONG min = 0, max = 0;
      DWORD value = 0;
      if (id == kPropRange) {
        min = reinterpret_cast<const DIPROPRANGE*>(header)->lMin;
        max = reinterpret_cast<const DIPROPRANGE*>(header)->lMax;
        if (min >= max) return DIERR_INVALIDPARAM;
      } else {
        value = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        if (value > 10000) return DIERR_INVALIDPARAM;
      }
      // Only the joystick's axes are absolute and have a range, a dead zone and saturation.
      std::vector<int> targets;
      if (header->dwHow == DIPH_DEVICE) {
        if (header->dwObj != 0) return DIERR_INVALIDPARAM;
        if (kind_ != Kind::Joystick) return DIERR_UNSUPPORTED;
        for (int i = 0; i < 8; ++i) targets.push_back(i);
      } else {
        size_t index;
        HRESULT hr = FindObject(header->dwObj, header->dwHow, &index);
        if (FAILED(hr)) return hr;
        if (objects_[index].kind != ObjectKind::JoystickAxis) return DIERR_UNSUPPORTED;
        targets.push_back(objects_[index].index);
      }
      for (int axis : targets) {
        if (id == kPropRange) {
          axes_[axis].min = min;
          axes_[axis].max = max;
        } else if (id == kPropDeadZone) {
          axes_[axis].deadZone = value;
        } else {
          axes_[axis].saturation = value;
        }
      }
      return DI_OK;
    }
    default:
      return DIERR_UNSUPPORTED;
  }
}

HRESULT Device::GetProperty(REFGUID prop, LPDIPROPHEADER header) {
  HRESULT fault = DeviceFault(kind_, "GetProperty");
  if (fault != S_OK) return fault;
  if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
  uintptr_t id = PropertyId(prop);
  switch (id) {
    case kPropBufferSize:
    case kPropAxisMode: {
      if (header->dwSize != sizeof(DIPROPDWORD)) return DIERR_INVALIDPARAM;
      if (header->dwHow != DIPH_DEVICE || header->dwObj != 0) return DIERR_INVALIDPARAM;
      DWORD value = bufferSize_;
      if (id == kPropAxisMode) {
        if (kind_ == Kind::Keyboard) return DIERR_UNSUPPORTED;
        bool absolute = kind_ == Kind::Joystick || absoluteMouse_;
        value = absolute ? DIPROPAXISMODE_ABS : DIPROPAXISMODE_REL;
      }
      reinterpret_cast<DIPROPDWORD*>(header)->dwData = value;
      return DI_OK;
    }
    case kPropRange:
    case kPropDeadZone:
    case kPropSaturation: {
      DWORD expected = id == kPropRange ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD);
      if (header->dwSize != expected) return DIERR_INVALIDPARAM;
      // These belong to one axis: the device as a whole has none.
      if (header->dwHow == DIPH_DEVICE) return DIERR_INVALIDPARAM;
      size_t index;
      HRESULT hr = FindObject(header->dwObj, header->dwHow, &index);
      if (FAILED(hr)) return hr;
      if (objects_[index].kind != ObjectKind::JoystickAxis) return DIERR_UNSUPPORTED;
      const AxisSettings& s = axes_[objects_[index].index];
      if (id == kPropRange) {
        reinterpret_cast<DIPROPRANGE*>(header)->lMin = s.min;
        reinterpret_cast<DIPROPRANGE*>(header)->lMax = s.max;
      } else {
        reinterpret_cast<DIPROPDWORD*>(header)->dwData =
            id == kPropDeadZone ? s.deadZone : s.saturation;
      }
      return DI_OK;
    }
    default:
      return DIERR_UNSUPPORTED;
  }
}

}  // namespace

namespace plat::dinput {

void OnFocusChanged(bool active) {
  if (active) return;
  for (Device* device : Device::All()) device->FocusLost();
}

}  // namespace plat::dinput

extern "C" HRESULT WINAPI DirectInputCreateA(HINSTANCE, DWORD dwVersion,
                                             LPDIRECTINPUTA* lplpDirectInput, LPUNKNOWN punkOuter) {
  if (!lplpDirectInput) return DIERR_INVALIDPARAM;
  *lplpDirectInput = nullptr;
  Log("DirectInputCreateA(0x%04X)", dwVersion);
  HRESULT fault = plat::host::TakeFault("DirectInputCreateA");
  if (fault != S_OK) return fault;
  if (punkOuter) return DIERR_NOAGGREGATION;
  HRESULT hr = DirectInputObject::CheckVersion(dwVersion);
  if (FAILED(hr)) return hr;
  *lplpDirectInput = new DirectInputObject();
  return DI_OK;
}
