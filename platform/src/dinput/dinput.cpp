// DirectInput 5: the DirectInput object, which lists and creates the keyboard, the mouse and
// the joystick (dinput/keyboard.cpp, mouse.cpp, joystick.cpp) as generic devices (device.h).
#include <dinput.h>

#include "dinput/device.h"

namespace plat::dinput {

namespace {

// In EnumDevices' order.
const DeviceKind* const kKinds[] = {&kMouse, &kKeyboard, &kJoystick};

const DeviceKind* KindOf(REFGUID instance) {
  for (const DeviceKind* kind : kKinds) {
    if (IsEqualGUID(instance, *kind->instance)) return kind;
  }
  return nullptr;
}

const char* NameOf(REFGUID instance) {
  const DeviceKind* kind = KindOf(instance);
  return kind ? kind->name : nullptr;
}

ComNames DirectInputNames() {
  ComNames names = QV_COM_NAMES("IDirectInput");
  names.nullOut = E_POINTER;
  return names;
}

class DirectInputObject final : public DirectInputBase {
 public:
  DirectInputObject() : DirectInputBase(DirectInputNames()) {}

  STDMETHOD(CreateDevice)(REFGUID guid, LPDIRECTINPUTDEVICEA* device, LPUNKNOWN outer) override {
    if (device) *device = nullptr;
    QV_ENTRY_OR_RETURN("IDirectInput::CreateDevice", trace::Text(NameOf(guid)));
    if (!device) return DIERR_INVALIDPARAM;
    if (outer) return DIERR_NOAGGREGATION;
    const DeviceKind* kind = KindOf(guid);
    // Only an attached joystick can be created.
    if (!kind || !kind->present()) return DIERR_DEVICENOTREG;
    *device = new Device(this, *kind);
    return DI_OK;
  }

  STDMETHOD(EnumDevices)
  (DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref, DWORD flags) override {
    QV_ENTRY_OR_RETURN("IDirectInput::EnumDevices", trace::Dec(devType), trace::Hex(flags));
    if (!callback) return DIERR_INVALIDPARAM;
    if (flags & ~static_cast<DWORD>(DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK)) {
      return DIERR_INVALIDPARAM;
    }
    if (devType > DIDEVTYPE_JOYSTICK) return DIERR_INVALIDPARAM;
    // No device here has force feedback.
    if (flags & DIEDFL_FORCEFEEDBACK) return DI_OK;
    for (const DeviceKind* kind : kKinds) {
      // Only an attached joystick is known at all, whatever the flags.
      if (!kind->present()) continue;
      DIDEVICEINSTANCEA info;
      kind->describe(&info);
      if (devType != 0 && devType != GET_DIDEVICE_TYPE(info.dwDevType)) continue;
      if (callback(&info, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
  }

  STDMETHOD(GetDeviceStatus)(REFGUID guid) override {
    QV_ENTRY_OR_RETURN("IDirectInput::GetDeviceStatus", trace::Text(NameOf(guid)));
    const DeviceKind* kind = KindOf(guid);
    if (!kind) return DIERR_DEVICENOTREG;
    return kind->present() ? DI_OK : DI_NOTATTACHED;
  }

  STDMETHOD(RunControlPanel)(HWND, DWORD flags) override {
    QV_ENTRY_OR_RETURN("IDirectInput::RunControlPanel", trace::Hex(flags));
    return flags ? DIERR_INVALIDPARAM : DI_OK;
  }

  STDMETHOD(Initialize)(HINSTANCE, DWORD version) override {
    QV_ENTRY_OR_RETURN("IDirectInput::Initialize", trace::Hex(version));
    return CheckVersion(version);
  }

  STDMETHOD(FindDevice)(REFGUID, LPCSTR name, LPGUID instance) override {
    QV_ENTRY_OR_RETURN("IDirectInput::FindDevice", trace::Text(name));
    if (!name || !instance) return DIERR_INVALIDPARAM;
    return DIERR_DEVICENOTREG;
  }

 protected:
  void* Find(REFIID riid) override {
    // IDirectInput2 extends IDirectInput: one object answers both.
    if (IsEqualGUID(riid, IID_IDirectInputA) || IsEqualGUID(riid, IID_IDirectInput2A)) {
      return static_cast<IDirectInput2A*>(this);
    }
    return nullptr;
  }
};

}  // namespace

HRESULT CheckVersion(DWORD version) {
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

}  // namespace plat::dinput

extern "C" HRESULT WINAPI DirectInputCreateA(HINSTANCE, DWORD dwVersion,
                                             LPDIRECTINPUTA* lplpDirectInput, LPUNKNOWN punkOuter) {
  if (lplpDirectInput) *lplpDirectInput = nullptr;
  QV_ENTRY_OR_RETURN("DirectInputCreateA", plat::trace::Hex(dwVersion));
  if (!lplpDirectInput) return DIERR_INVALIDPARAM;
  if (punkOuter) return DIERR_NOAGGREGATION;
  HRESULT hr = plat::dinput::CheckVersion(dwVersion);
  if (FAILED(hr)) return hr;
  *lplpDirectInput = new plat::dinput::DirectInputObject();
  return DI_OK;
}
