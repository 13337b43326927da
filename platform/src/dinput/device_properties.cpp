// Device properties: the buffer size and axis mode of the whole device, each object's
// granularity, and each absolute axis's range, dead zone and saturation.
#include <algorithm>
#include <functional>

#include "dinput/device.h"

namespace plat::dinput {

namespace {

// A program can't ask for more buffered records than this.
constexpr DWORD kMaxBufferSize = 1 << 16;

bool IsDeviceDword(uintptr_t id) { return id == kPropBufferSize || id == kPropAxisMode; }

// A header fit for the property: its sizes, and the whole device for the device's own ones.
HRESULT CheckHeader(uintptr_t id, LPCDIPROPHEADER header) {
  if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
  if (!IsDeviceDword(id) && id != kPropRange && id != kPropDeadZone && id != kPropSaturation &&
      id != kPropGranularity) {
    return DIERR_UNSUPPORTED;
  }
  const DWORD expected = id == kPropRange ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD);
  if (header->dwSize != expected) return DIERR_INVALIDPARAM;
  if (IsDeviceDword(id) && (header->dwHow != DIPH_DEVICE || header->dwObj != 0)) {
    return DIERR_INVALIDPARAM;
  }
  return DI_OK;
}

}  // namespace

uintptr_t PropertyId(REFGUID prop) {
  const GUID* p = &prop;
  std::less<const GUID*> before;  // a total order, also for unrelated addresses
  if (before(p, qv_dipropIds) || !before(p, qv_dipropIds + QV_DIPROP_COUNT)) return 0;
  return static_cast<uintptr_t>(p - qv_dipropIds);
}

HRESULT Device::SetProperty(REFGUID prop, LPCDIPROPHEADER header) {
  const uintptr_t id = PropertyId(prop);
  QV_DEVICE_ENTRY_OR_RETURN("SetProperty", trace::Dec(id), trace::Dec(header ? header->dwObj : 0),
                            trace::Dec(header ? header->dwHow : 0));
  if (HRESULT hr = CheckHeader(id, header); FAILED(hr)) return hr;
  if (id == kPropGranularity) return DIERR_READONLY;
  if (!IsDeviceDword(id)) return SetAxisSetting(id, header);
  if (acquired_) return DIERR_ACQUIRED;
  return SetDeviceDword(id, reinterpret_cast<const DIPROPDWORD*>(header)->dwData);
}

HRESULT Device::SetDeviceDword(uintptr_t id, DWORD value) {
  if (id == kPropBufferSize) {
    queue_.SetBufferSize(std::min(value, kMaxBufferSize));
    return DI_OK;
  }
  if (value != DIPROPAXISMODE_ABS && value != DIPROPAXISMODE_REL) return DIERR_INVALIDPARAM;
  switch (kind_->axisModes) {
    case AxisModes::Switchable:
      state_.absoluteAxes = value == DIPROPAXISMODE_ABS;
      return DI_OK;
    case AxisModes::AbsoluteOnly:
      return value == DIPROPAXISMODE_ABS ? DI_OK : DIERR_UNSUPPORTED;
    default:
      return DIERR_UNSUPPORTED;
  }
}

// Only absolute axes have a range, a dead zone and a saturation; the axis number is the index
// of the axis's settings.
HRESULT Device::SetAxisSetting(uintptr_t id, LPCDIPROPHEADER header) {
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
  int first = 0, last = 0;  // the axes the header names: [first, last)
  if (header->dwHow == DIPH_DEVICE) {
    if (header->dwObj != 0) return DIERR_INVALIDPARAM;
    if (kind_->axisModes != AxisModes::AbsoluteOnly) return DIERR_UNSUPPORTED;
    last = 8;
  } else {
    size_t index;
    HRESULT hr = FindObject(header->dwObj, header->dwHow, &index);
    if (FAILED(hr)) return hr;
    if (!(objects_[index].id & DIDFT_ABSAXIS)) return DIERR_UNSUPPORTED;
    first = objects_[index].index;
    last = first + 1;
  }
  for (int axis = first; axis < last; ++axis) {
    KindState::AxisSettings& s = state_.axes[axis];
    if (id == kPropRange) {
      s.min = min;
      s.max = max;
    } else if (id == kPropDeadZone) {
      s.deadZone = value;
    } else {
      s.saturation = value;
    }
  }
  return DI_OK;
}

HRESULT Device::GetProperty(REFGUID prop, LPDIPROPHEADER header) {
  const uintptr_t id = PropertyId(prop);
  QV_DEVICE_ENTRY_OR_RETURN("GetProperty", trace::Dec(id), trace::Dec(header ? header->dwObj : 0),
                            trace::Dec(header ? header->dwHow : 0));
  if (HRESULT hr = CheckHeader(id, header); FAILED(hr)) return hr;
  if (id == kPropBufferSize) {
    reinterpret_cast<DIPROPDWORD*>(header)->dwData = queue_.BufferSize();
    return DI_OK;
  }
  if (id == kPropAxisMode) {
    if (kind_->axisModes == AxisModes::None) return DIERR_UNSUPPORTED;
    const bool absolute = kind_->axisModes == AxisModes::AbsoluteOnly || state_.absoluteAxes;
    reinterpret_cast<DIPROPDWORD*>(header)->dwData =
        absolute ? DIPROPAXISMODE_ABS : DIPROPAXISMODE_REL;
    return DI_OK;
  }
  // These belong to one object: the device as a whole has none.
  if (header->dwHow == DIPH_DEVICE) return DIERR_UNSUPPORTED;
  size_t index;
  if (HRESULT hr = FindObject(header->dwObj, header->dwHow, &index); FAILED(hr)) return hr;
  if (id == kPropGranularity) {
    // Every object moves in steps of one, but for the mouse wheel's notches.
    const DeviceObject& object = objects_[index];
    const bool wheel = IsEqualGUID(*object.type, GUID_ZAxis) && (object.id & DIDFT_RELAXIS);
    reinterpret_cast<DIPROPDWORD*>(header)->dwData = wheel ? 120 : 1;
    return DI_OK;
  }
  if (!(objects_[index].id & DIDFT_ABSAXIS)) return DIERR_UNSUPPORTED;
  const KindState::AxisSettings& s = state_.axes[objects_[index].index];
  if (id == kPropRange) {
    reinterpret_cast<DIPROPRANGE*>(header)->lMin = s.min;
    reinterpret_cast<DIPROPRANGE*>(header)->lMax = s.max;
  } else {
    reinterpret_cast<DIPROPDWORD*>(header)->dwData =
        id == kPropDeadZone ? s.deadZone : s.saturation;
  }
  return DI_OK;
}

}  // namespace plat::dinput
