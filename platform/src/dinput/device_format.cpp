// A device's objects and where a data format puts them: SetDataFormat, EnumObjects and
// GetObjectInfo, and how property headers name objects.
#include <cstdio>
#include <cstring>

#include "dinput/device.h"

namespace plat::dinput {

namespace {

// Whether an object of a data format (or a DIPH_BYID identifier) names this device object.
bool TypeMatches(DWORD wanted, const DeviceObject& o) {
  DWORD wantedType = wanted & 0xFF & (DIDFT_AXIS | DIDFT_BUTTON | DIDFT_POV);
  if (wantedType && !(wantedType & o.id)) return false;
  DWORD instance = wanted & DIDFT_INSTANCEMASK;
  return instance == DIDFT_ANYINSTANCE || instance == (o.id & DIDFT_INSTANCEMASK);
}

}  // namespace

HRESULT Device::SetDataFormat(LPCDIDATAFORMAT format) {
  QV_DEVICE_ENTRY_OR_RETURN("SetDataFormat", trace::Dec(format ? format->dwDataSize : 0));
  if (!format) return E_POINTER;
  if (acquired_) return DIERR_ACQUIRED;
  Format made;
  HRESULT hr = MakeFormat(*format, &made);
  if (FAILED(hr)) return hr;
  format_ = std::move(made);
  hasFormat_ = true;
  if (kind_->axisModes == AxisModes::Switchable) {
    state_.absoluteAxes = (format->dwFlags & DIDF_ABSAXIS) != 0;
  }
  queue_.Clear();
  return DI_OK;
}

HRESULT Device::MakeFormat(const DIDATAFORMAT& format, Format* made) const {
  if (format.dwSize != sizeof(DIDATAFORMAT) || format.dwObjSize != sizeof(DIOBJECTDATAFORMAT)) {
    return DIERR_INVALIDPARAM;
  }
  // A state record is a whole number of DWORDs and of a sane size.
  if (format.dwDataSize == 0 || format.dwDataSize % 4 != 0 || format.dwDataSize > 65536) {
    return DIERR_INVALIDPARAM;
  }
  if (format.dwNumObjs > 4096 || (format.dwNumObjs > 0 && !format.rgodf)) {
    return DIERR_INVALIDPARAM;
  }
  made->dataSize = format.dwDataSize;
  made->offsetOf.assign(objects_.size(), kUnmapped);
  for (DWORD n = 0; n < format.dwNumObjs; ++n) {
    const DIOBJECTDATAFORMAT& f = format.rgodf[n];
    bool isPov = (f.dwType & DIDFT_POV) != 0 || (f.pguid && *f.pguid == GUID_POV);
    bool wantsButton = (f.dwType & DIDFT_BUTTON) != 0;
    DWORD width = wantsButton && !(f.dwType & (DIDFT_AXIS | DIDFT_POV)) ? 1 : 4;
    if (f.dwOfs > made->dataSize || made->dataSize - f.dwOfs < width) return DIERR_INVALIDPARAM;
    size_t found = objects_.size();
    for (size_t i = 0; i < objects_.size(); ++i) {
      if (made->offsetOf[i] != kUnmapped) continue;
      if (f.pguid && *f.pguid != *objects_[i].type) continue;
      if (!TypeMatches(f.dwType, objects_[i])) continue;
      found = i;
      break;
    }
    if (found == objects_.size()) {
      if (isPov) made->centredPovs.push_back(f.dwOfs);
      if (!(f.dwType & DIDFT_OPTIONAL)) return DIERR_INVALIDPARAM;
      continue;
    }
    // Axes take four bytes, whatever the format object said.
    if (IsAxis(objects_[found]) && made->dataSize - f.dwOfs < 4) return DIERR_INVALIDPARAM;
    made->offsetOf[found] = f.dwOfs;
    made->mappings.push_back({found, f.dwOfs});
  }
  return DI_OK;
}

DWORD Device::OffsetOf(size_t object) const {
  return hasFormat_ ? format_.offsetOf[object] : kUnmapped;
}

void Device::DescribeObject(size_t object, DIDEVICEOBJECTINSTANCEA* info) const {
  const DeviceObject& o = objects_[object];
  info->guidType = *o.type;
  info->dwOfs = OffsetOf(object);
  info->dwType = o.id;
  info->dwFlags = IsAxis(o) ? DIDOI_ASPECTPOSITION : 0;
  std::snprintf(info->tszName, MAX_PATH, "%s", o.name.c_str());
}

HRESULT Device::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref, DWORD flags) {
  QV_DEVICE_ENTRY_OR_RETURN("EnumObjects", trace::Hex(flags));
  if (!callback) return DIERR_INVALIDPARAM;
  DWORD wanted = flags & (DIDFT_AXIS | DIDFT_BUTTON | DIDFT_POV);
  for (size_t i = 0; i < objects_.size(); ++i) {
    const DeviceObject& o = objects_[i];
    if (o.name.empty()) continue;  // a scan code without a key
    if (wanted && !(wanted & o.id)) continue;
    DIDEVICEOBJECTINSTANCEA info = {};
    info.dwSize = sizeof info;
    DescribeObject(i, &info);
    if (callback(&info, ref) == DIENUM_STOP) break;
  }
  return DI_OK;
}

HRESULT Device::GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA info, DWORD obj, DWORD how) {
  QV_DEVICE_ENTRY_OR_RETURN("GetObjectInfo", trace::Hex(obj), trace::Dec(how));
  if (!info) return DIERR_INVALIDPARAM;
  DWORD size = info->dwSize;
  if (size != sizeof(DIDEVICEOBJECTINSTANCEA) && size != sizeof(DIDEVICEOBJECTINSTANCE_DX3A)) {
    return DIERR_INVALIDPARAM;
  }
  if (how == DIPH_DEVICE) return DIERR_INVALIDPARAM;
  size_t index;
  HRESULT hr = FindObject(obj, how, &index);
  if (FAILED(hr)) return hr;
  DIDEVICEOBJECTINSTANCEA out = {};
  out.dwSize = size;
  DescribeObject(index, &out);
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

}  // namespace plat::dinput
