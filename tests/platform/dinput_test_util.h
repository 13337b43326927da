// Helpers for the DirectInput tests: a DirectInput 5 object, devices set up in one call, property
// records with their headers filled in, and buffered reads.
#ifndef QV_TESTS_PLATFORM_DINPUT_TEST_UTIL_H
#define QV_TESTS_PLATFORM_DINPUT_TEST_UTIL_H

#include <dinput.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/events.h"
#include "platform_test.h"

namespace ditest {

inline HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234)); }

// A DIPROPDWORD or DIPROPRANGE addressed to the device or to the object at an offset.
template <typename T>
T Property(DWORD how = DIPH_DEVICE, DWORD object = 0) {
  T p = {};
  p.diph.dwSize = sizeof p;
  p.diph.dwHeaderSize = sizeof p.diph;
  p.diph.dwObj = object;
  p.diph.dwHow = how;
  return p;
}

class DInputTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &di_, nullptr), DI_OK);
  }
  void TearDown() override {
    for (IUnknown* d : devices_) d->Release();
    if (di_) di_->Release();
  }

  // A device with its data format, and its cooperative level unless `level` is 0.
  LPDIRECTINPUTDEVICE Create(REFGUID guid, const DIDATAFORMAT& format, DWORD level = 0) {
    LPDIRECTINPUTDEVICE device = nullptr;
    EXPECT_EQ(di_->CreateDevice(guid, &device, nullptr), DI_OK);
    if (!device) return nullptr;
    devices_.push_back(device);
    EXPECT_EQ(device->SetDataFormat(&format), DI_OK);
    if (level) {
      EXPECT_EQ(device->SetCooperativeLevel(FakeWindow(), level), DI_OK);
    }
    return device;
  }

  // An acquired device that buffers `size` records.
  LPDIRECTINPUTDEVICE Buffered(REFGUID guid, const DIDATAFORMAT& format, DWORD size,
                               DWORD level = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND) {
    LPDIRECTINPUTDEVICE device = Create(guid, format, level);
    if (!device) return nullptr;
    auto prop = Property<DIPROPDWORD>();
    prop.dwData = size;
    EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DI_OK);
    EXPECT_EQ(device->Acquire(), DI_OK);
    return device;
  }

  // The engine's way to the joystick: enumerate attached joysticks, create the first, ask for
  // IDirectInputDevice2.
  LPDIRECTINPUTDEVICE2 CreateJoystick() {
    struct Found {
      LPDIRECTINPUT di;
      LPDIRECTINPUTDEVICE device = nullptr;
    } found{di_};
    auto callback = [](LPCDIDEVICEINSTANCEA info, LPVOID ref) -> BOOL {
      auto* f = static_cast<Found*>(ref);
      return f->di->CreateDevice(info->guidInstance, &f->device, nullptr) == DI_OK
                 ? DIENUM_STOP
                 : DIENUM_CONTINUE;
    };
    EXPECT_EQ(di_->EnumDevices(DIDEVTYPE_JOYSTICK, callback, &found, DIEDFL_ATTACHEDONLY), DI_OK);
    if (!found.device) return nullptr;
    LPDIRECTINPUTDEVICE2 joystick = nullptr;
    EXPECT_EQ(found.device->QueryInterface(IID_IDirectInputDevice2A,
                                           reinterpret_cast<LPVOID*>(&joystick)),
              DI_OK);
    found.device->Release();
    if (joystick) devices_.push_back(joystick);
    return joystick;
  }

  // Reads (or peeks at) up to 16 records; `result` gets GetDeviceData's answer.
  static std::vector<DIDEVICEOBJECTDATA> Read(LPDIRECTINPUTDEVICE device, HRESULT* result,
                                              DWORD flags = 0) {
    std::vector<DIDEVICEOBJECTDATA> records(16);
    DWORD n = 16;
    *result = device->GetDeviceData(sizeof records[0], records.data(), &n, flags);
    records.resize(SUCCEEDED(*result) ? n : 0);
    return records;
  }
  static std::vector<DIDEVICEOBJECTDATA> Read(LPDIRECTINPUTDEVICE device) {
    HRESULT hr;
    std::vector<DIDEVICEOBJECTDATA> records = Read(device, &hr);
    EXPECT_EQ(hr, DI_OK);
    return records;
  }
  // The offset and data of each record.
  static std::vector<std::pair<DWORD, LONG>> AsChanges(const std::vector<DIDEVICEOBJECTDATA>& r) {
    std::vector<std::pair<DWORD, LONG>> out;
    for (const DIDEVICEOBJECTDATA& d : r) out.emplace_back(d.dwOfs, static_cast<LONG>(d.dwData));
    return out;
  }

  LPDIRECTINPUT di_ = nullptr;
  std::vector<IUnknown*> devices_;
};

}  // namespace ditest

#endif
