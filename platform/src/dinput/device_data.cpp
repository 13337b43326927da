// What a device reads: its state at the moment (GetDeviceState) and the changes the platform's
// input events made since the previous read (GetDeviceData). Events reach every device as they
// happen; an acquired device with a buffer queues them with their time and sequence number.
#include <mmsystem.h>

#include <cstring>

#include "core/clock.h"
#include "core/services.h"
#include "dinput/device.h"

namespace plat::dinput {

void Device::Snapshot(uint8_t* data) {
  std::memset(data, 0, format_.dataSize);
  kind_->sample(*this, values_.data());
  for (const Mapping& m : format_.mappings) {
    const LONG value = values_[m.object];
    if (IsAxis(objects_[m.object])) {
      std::memcpy(data + m.offset, &value, sizeof value);
    } else {
      data[m.offset] = static_cast<uint8_t>(value);
    }
  }
  const DWORD centred = 0xFFFFFFFF;
  for (DWORD offset : format_.centredPovs) std::memcpy(data + offset, &centred, sizeof centred);
}

HRESULT Device::GetDeviceState(DWORD size, LPVOID data) {
  QV_DEVICE_ENTRY_OR_RETURN("GetDeviceState", trace::Dec(size));
  if (!data) return DIERR_INVALIDPARAM;
  if (!hasFormat_) return DIERR_NOTACQUIRED;
  if (size != format_.dataSize) return DIERR_INVALIDPARAM;
  HRESULT hr = ReadyForRead();
  if (FAILED(hr)) return hr;
  Snapshot(static_cast<uint8_t*>(data));
  return DI_OK;
}

void Device::Record(const InputEvent& event, DWORD timeMs, uint64_t serial) {
  if (!acquired_ || queue_.BufferSize() == 0) return;
  ObjectChange changes[2];
  const size_t count = kind_->translate(*this, event, changes);
  for (size_t i = 0; i < count; ++i) {
    const DWORD offset = format_.offsetOf[changes[i].object];
    if (offset == kUnmapped) continue;
    queue_.Push({offset, changes[i].data, timeMs, parent_->SequenceOf(serial)});
  }
}

HRESULT Device::GetDeviceData(DWORD objectSize, LPDIDEVICEOBJECTDATA records, LPDWORD inOut,
                              DWORD flags) {
  QV_DEVICE_ENTRY_OR_RETURN("GetDeviceData", trace::Dec(objectSize), trace::Dec(inOut ? *inOut : 0),
                            trace::Hex(flags));
  if (!inOut || objectSize != sizeof(DIDEVICEOBJECTDATA) || (flags & ~DIGDD_PEEK)) {
    return DIERR_INVALIDPARAM;
  }
  if (!hasFormat_) return DIERR_NOTACQUIRED;
  if (queue_.BufferSize() == 0) return DIERR_NOTBUFFERED;
  HRESULT hr = ReadyForRead();
  if (FAILED(hr)) return hr;
  // Without a record array the call counts (peek) or discards records; INFINITE means all.
  // Before DirectInput 8 the system keyboard and mouse answer a read after an overflow with
  // DI_OK; a joystick says DI_BUFFEROVERFLOW.
  const bool overflowed = queue_.Overflowed() && kind_->present != AlwaysPresent;
  *inOut = queue_.Take(records, *inOut, (flags & DIGDD_PEEK) != 0);
  return overflowed ? DI_BUFFEROVERFLOW : DI_OK;
}

namespace {

// Hands an event to every device, numbered among all events and stamped with the platform's
// clock.
void Dispatch(const InputEvent& event) {
  static uint64_t serial = 0;
  ++serial;
  const DWORD now = plat::clock::NowMs();
  for (Device* device : Device::All()) device->Record(event, now, serial);
}

}  // namespace

void OnFocusChanged(bool active) {
  if (active) return;
  for (Device* device : Device::All()) device->FocusLost();
}

void OnKey(uint8_t scanCode, bool down) {
  Dispatch({InputEvent::Source::Key, scanCode, down, 0, 0});
}

void OnMouseMotion(int dx, int dy) {
  Dispatch({InputEvent::Source::MouseMotion, 0, false, dx, dy});
}

void OnMouseButton(int button, bool down) {
  Dispatch({InputEvent::Source::MouseButton, button, down, 0, 0});
}

void OnJoystickAxis(int axis) { Dispatch({InputEvent::Source::JoystickAxis, axis, false, 0, 0}); }

void OnJoystickButton(int button, bool down) {
  Dispatch({InputEvent::Source::JoystickButton, button, down, 0, 0});
}

}  // namespace plat::dinput
