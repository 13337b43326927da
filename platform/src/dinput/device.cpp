// The generic device: its life, cooperative level and acquisition, capabilities, and the
// force-feedback methods, which no device here supports.
#include "dinput/device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/input_state.h"

namespace plat::dinput {

namespace {

ComNames DeviceNames(const DeviceKind& kind) {
  ComNames names = QV_COM_NAMES("IDirectInputDevice");
  names.nullOut = E_POINTER;
  names.qualifier = kind.name;
  return names;
}

}  // namespace

void FillInstance(DIDEVICEINSTANCEA* info, const GUID& instance, const GUID& product, DWORD devType,
                  const char* name, WORD usage) {
  std::memset(info, 0, sizeof *info);
  info->dwSize = sizeof *info;
  info->guidInstance = instance;
  info->guidProduct = product;
  info->dwDevType = devType;
  std::snprintf(info->tszInstanceName, MAX_PATH, "%s", name);
  std::snprintf(info->tszProductName, MAX_PATH, "%s", name);
  info->wUsagePage = 1;
  info->wUsage = usage;
}

Device::Device(DirectInputBase* parent, const DeviceKind& kind)
    : ComObject(DeviceNames(kind)),
      parent_(parent),
      kind_(&kind),
      objects_(kind.makeObjects()),
      values_(objects_.size()) {
  parent_->Retain();
  All().push_back(this);
}

Device::~Device() {
  auto& all = All();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
  parent_->Drop();
}

std::vector<Device*>& Device::All() {
  static std::vector<Device*> devices;
  return devices;
}

void* Device::Find(REFIID riid) {
  // IDirectInputDevice2 extends IDirectInputDevice: one object answers both.
  if (IsEqualGUID(riid, IID_IDirectInputDeviceA) || IsEqualGUID(riid, IID_IDirectInputDevice2A)) {
    return static_cast<IDirectInputDevice2A*>(this);
  }
  return nullptr;
}

void Device::FocusLost() {
  if (acquired_ && (level_ & DISCL_FOREGROUND)) EndAcquisition(true);
}

void Device::EndAcquisition(bool lost) {
  acquired_ = false;
  lost_ = lost;
  // Records queued before an Unacquire are still read after the next Acquire.
  if (lost) queue_.Clear();
}

HRESULT Device::Initialize(HINSTANCE, DWORD version, REFGUID guid) {
  QV_DEVICE_ENTRY_OR_RETURN("Initialize", trace::Hex(version));
  HRESULT hr = CheckVersion(version);
  if (FAILED(hr)) return hr;
  return IsEqualGUID(guid, *kind_->instance) ? DI_OK : DIERR_DEVICENOTREG;
}

HRESULT Device::GetCapabilities(LPDIDEVCAPS caps) {
  QV_DEVICE_ENTRY_OR_RETURN("GetCapabilities", trace::Ptr(caps));
  if (!caps) return DIERR_INVALIDPARAM;
  DWORD size = caps->dwSize;
  if (size != sizeof(DIDEVCAPS) && size != sizeof(DIDEVCAPS_DX3)) return DIERR_INVALIDPARAM;
  DIDEVICEINSTANCEA info;
  kind_->describe(&info);
  DIDEVCAPS out = {};
  out.dwSize = size;
  out.dwFlags = kind_->present() ? DIDC_ATTACHED : 0;
  out.dwDevType = info.dwDevType;
  for (const DeviceObject& o : objects_) {
    if (IsAxis(o)) ++out.dwAxes;
    // Scan codes without a key are objects of no keyboard.
    if ((o.id & DIDFT_BUTTON) && !o.name.empty()) ++out.dwButtons;
  }
  std::memcpy(caps, &out, size);
  return DI_OK;
}

HRESULT Device::GetDeviceInfo(LPDIDEVICEINSTANCEA info) {
  QV_DEVICE_ENTRY_OR_RETURN("GetDeviceInfo", trace::Ptr(info));
  if (!info) return DIERR_INVALIDPARAM;
  DWORD size = info->dwSize;
  if (size != sizeof(DIDEVICEINSTANCEA) && size != sizeof(DIDEVICEINSTANCE_DX3A)) {
    return DIERR_INVALIDPARAM;
  }
  DIDEVICEINSTANCEA out;
  kind_->describe(&out);
  out.dwSize = size;
  std::memcpy(info, &out, size);
  return DI_OK;
}

HRESULT Device::SetCooperativeLevel(HWND window, DWORD flags) {
  QV_DEVICE_ENTRY_OR_RETURN("SetCooperativeLevel", trace::Hex(flags));
  if (flags & ~static_cast<DWORD>(DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND |
                                  DISCL_BACKGROUND)) {
    return DIERR_INVALIDPARAM;
  }
  // Exactly one of exclusive and non-exclusive, and one of foreground and background.
  bool exclusive = flags & DISCL_EXCLUSIVE;
  if (exclusive == ((flags & DISCL_NONEXCLUSIVE) != 0)) return DIERR_INVALIDPARAM;
  bool foreground = flags & DISCL_FOREGROUND;
  if (foreground == ((flags & DISCL_BACKGROUND) != 0)) return DIERR_INVALIDPARAM;
  // Only a device read in the background by anyone may go without a window.
  if (!window && (foreground || exclusive)) return E_HANDLE;
  if (kind_->exclusiveNeedsForeground && exclusive && !foreground) return DIERR_UNSUPPORTED;
  if (acquired_) return DIERR_ACQUIRED;
  level_ = flags;
  return DI_OK;
}

HRESULT Device::SetEventNotification(HANDLE event) {
  QV_DEVICE_ENTRY_OR_RETURN("SetEventNotification", trace::Ptr(event));
  // Nothing here signals events: a program waiting on one would wait for ever.
  return event ? DIERR_UNSUPPORTED : DI_OK;
}

HRESULT Device::Acquire() {
  QV_DEVICE_ENTRY_OR_RETURN("Acquire");
  if (!hasFormat_) return DIERR_INVALIDPARAM;
  if (acquired_) return S_FALSE;
  if ((level_ & DISCL_FOREGROUND) && !plat::Input().focus) return DIERR_OTHERAPPHASPRIO;
  if (!kind_->present()) return DIERR_INPUTLOST;
  if (level_ & DISCL_EXCLUSIVE) {
    for (const Device* other : All()) {
      if (other != this && other->kind_ == kind_ && other->acquired_ &&
          (other->level_ & DISCL_EXCLUSIVE)) {
        return DIERR_OTHERAPPHASPRIO;
      }
    }
  }
  acquired_ = true;
  lost_ = false;
  kind_->startReading(*this);
  return DI_OK;
}

HRESULT Device::Unacquire() {
  QV_DEVICE_ENTRY_OR_RETURN("Unacquire");
  const bool was = acquired_;
  EndAcquisition(false);
  return was ? DI_OK : DI_NOEFFECT;
}

HRESULT Device::ReadyForRead() {
  if (!acquired_) return lost_ ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
  if (!kind_->present()) {
    EndAcquisition(true);
    return DIERR_INPUTLOST;
  }
  return DI_OK;
}

HRESULT Device::Poll() {
  QV_DEVICE_ENTRY_OR_RETURN("Poll");
  HRESULT hr = ReadyForRead();
  if (FAILED(hr)) return hr;
  // Input arrives as events: there is nothing to poll.
  return DI_NOEFFECT;
}

HRESULT Device::RunControlPanel(HWND, DWORD flags) {
  QV_DEVICE_ENTRY_OR_RETURN("RunControlPanel", trace::Hex(flags));
  // There is no control panel to show.
  return flags ? DIERR_INVALIDPARAM : DI_OK;
}

HRESULT Device::CreateEffect(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT* effect, LPUNKNOWN) {
  QV_DEVICE_ENTRY_OR_RETURN("CreateEffect");
  if (effect) *effect = nullptr;
  return DIERR_UNSUPPORTED;
}

HRESULT Device::EnumEffects(LPDIENUMEFFECTSCALLBACKA callback, LPVOID, DWORD type) {
  QV_DEVICE_ENTRY_OR_RETURN("EnumEffects", trace::Hex(type));
  return callback ? DI_OK : DIERR_INVALIDPARAM;
}

HRESULT Device::GetEffectInfo(LPDIEFFECTINFOA info, REFGUID) {
  QV_DEVICE_ENTRY_OR_RETURN("GetEffectInfo");
  return info ? DIERR_DEVICENOTREG : DIERR_INVALIDPARAM;
}

HRESULT Device::GetForceFeedbackState(LPDWORD) {
  QV_DEVICE_ENTRY_OR_RETURN("GetForceFeedbackState");
  return DIERR_UNSUPPORTED;
}

HRESULT Device::SendForceFeedbackCommand(DWORD command) {
  QV_DEVICE_ENTRY_OR_RETURN("SendForceFeedbackCommand", trace::Hex(command));
  return DIERR_UNSUPPORTED;
}

HRESULT Device::EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK callback, LPVOID,
                                         DWORD flags) {
  QV_DEVICE_ENTRY_OR_RETURN("EnumCreatedEffectObjects", trace::Hex(flags));
  return callback && flags == 0 ? DI_OK : DIERR_INVALIDPARAM;
}

HRESULT Device::Escape(LPDIEFFESCAPE) {
  QV_DEVICE_ENTRY_OR_RETURN("Escape");
  return DIERR_UNSUPPORTED;
}

HRESULT Device::SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) {
  QV_DEVICE_ENTRY_OR_RETURN("SendDeviceData");
  return DIERR_UNSUPPORTED;
}

}  // namespace plat::dinput
