// The DirectInput device: one class for every kind of device, which it reaches through its
// kind's table (kind.h). It holds what all devices share: the data format, the cooperative
// level, acquisition, properties and the queue of buffered data.
#ifndef QV_PLATFORM_DINPUT_DEVICE_H
#define QV_PLATFORM_DINPUT_DEVICE_H

#include <dinput.h>

#include <cstdint>
#include <vector>

#include "core/com.h"
#include "dinput/event_queue.h"
#include "dinput/kind.h"

// The entry line of a device method: its name under IDirectInputDevice, qualified by the device's
// kind (so that a fault can be armed on the mouse alone), whose name also leads the arguments.
// Returns from the method when the hook answers, as every entry line may.
#define QV_DEVICE_ENTRY_OR_RETURN(method, ...)                                                \
  QV_ENTRY_OR_RETURN_AS("IDirectInputDevice::" method, kind_->name, trace::Text(kind_->name), \
                        ##__VA_ARGS__)

namespace plat::dinput {

// DIERR_BETADIRECTINPUTVERSION and friends for a version a program asks for.
HRESULT CheckVersion(DWORD version);

// The DirectInput object as its devices see it: kept alive by them, and numbering their events.
class DirectInputBase : public ComObject<IDirectInput2A> {
 public:
  using ComObject::ComObject;
  // The sequence number of the platform's input event `serial`. One counter serves every device
  // of this object, so that their records sort in the order the events happened; the changes
  // one event makes share a number.
  DWORD SequenceOf(uint64_t serial) {
    if (serial != numberedSerial_) {
      numberedSerial_ = serial;
      ++sequence_;
    }
    return sequence_;
  }

 private:
  uint64_t numberedSerial_ = 0;
  DWORD sequence_ = 0;
};

// What a kind of device keeps between calls.
struct KindState {
  struct AxisSettings {
    LONG min = 0;
    LONG max = 65535;
    DWORD deadZone = 0;
    DWORD saturation = 10000;
  };
  int64_t motionBase[2] = {};  // mouse: the motion counters at the previous read
  bool absoluteAxes = false;   // mouse: DIPROPAXISMODE_ABS
  AxisSettings axes[8];        // joystick: each axis's range, dead zone and saturation
  LONG queuedAxes[8] = {};     // joystick: each axis's value as last queued
};

class Device final : public ComObject<IDirectInputDevice2A> {
 public:
  Device(DirectInputBase* parent, const DeviceKind& kind);
  ~Device() override;

  // Every device in existence, for the focus, the input events and exclusive acquisition.
  static std::vector<Device*>& All();

  const std::vector<DeviceObject>& Objects() const { return objects_; }
  KindState& State() { return state_; }

  // A foreground device loses acquisition with the focus.
  void FocusLost();
  // Acquisition ends as when the device goes away (the platform's reset).
  void InputLost() { EndAcquisition(true); }
  // Queues the changes an input event makes, when acquired and buffered. `serial` numbers the
  // event among all of the platform's, `timeMs` is its time stamp.
  void Record(const InputEvent& event, DWORD timeMs, uint64_t serial);

  // IDirectInputDevice
  STDMETHOD(GetCapabilities)(LPDIDEVCAPS caps) override;
  STDMETHOD(EnumObjects)(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref, DWORD flags) override;
  STDMETHOD(GetProperty)(REFGUID prop, LPDIPROPHEADER header) override;
  STDMETHOD(SetProperty)(REFGUID prop, LPCDIPROPHEADER header) override;
  STDMETHOD(Acquire)() override;
  STDMETHOD(Unacquire)() override;
  STDMETHOD(GetDeviceState)(DWORD size, LPVOID data) override;
  STDMETHOD(GetDeviceData)
  (DWORD objectSize, LPDIDEVICEOBJECTDATA records, LPDWORD inOut, DWORD flags) override;
  STDMETHOD(SetDataFormat)(LPCDIDATAFORMAT format) override;
  STDMETHOD(SetEventNotification)(HANDLE event) override;
  STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override;
  STDMETHOD(GetObjectInfo)(LPDIDEVICEOBJECTINSTANCEA info, DWORD obj, DWORD how) override;
  STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA info) override;
  STDMETHOD(RunControlPanel)(HWND owner, DWORD flags) override;
  STDMETHOD(Initialize)(HINSTANCE instance, DWORD version, REFGUID guid) override;

  // IDirectInputDevice2: no force feedback.
  STDMETHOD(CreateEffect)
  (REFGUID guid, LPCDIEFFECT params, LPDIRECTINPUTEFFECT* effect, LPUNKNOWN outer) override;
  STDMETHOD(EnumEffects)(LPDIENUMEFFECTSCALLBACKA callback, LPVOID ref, DWORD type) override;
  STDMETHOD(GetEffectInfo)(LPDIEFFECTINFOA info, REFGUID guid) override;
  STDMETHOD(GetForceFeedbackState)(LPDWORD state) override;
  STDMETHOD(SendForceFeedbackCommand)(DWORD command) override;
  STDMETHOD(EnumCreatedEffectObjects)
  (LPDIENUMCREATEDEFFECTOBJECTSCALLBACK callback, LPVOID ref, DWORD flags) override;
  STDMETHOD(Escape)(LPDIEFFESCAPE escape) override;
  STDMETHOD(Poll)() override;
  STDMETHOD(SendDeviceData)
  (DWORD objectSize, LPCDIDEVICEOBJECTDATA records, LPDWORD inOut, DWORD flags) override;

 protected:
  void* Find(REFIID riid) override;

 private:
  static constexpr DWORD kUnmapped = 0xFFFFFFFF;

  // Where the data format puts each object.
  struct Mapping {
    size_t object;
    DWORD offset;
  };
  struct Format {
    DWORD dataSize = 0;
    std::vector<Mapping> mappings;
    std::vector<DWORD> centredPovs;  // POV slots with no POV behind them read "centred"
    std::vector<DWORD> offsetOf;     // by object; kUnmapped when the format leaves it out
  };

  HRESULT MakeFormat(const DIDATAFORMAT& format, Format* made) const;
  // The device object a property header names, or an error.
  HRESULT FindObject(DWORD obj, DWORD how, size_t* index) const;
  HRESULT ReadyForRead();
  // Acquisition ends: by Unacquire (`lost` false) or with the focus or the device (true).
  void EndAcquisition(bool lost);
  // Fills `data` (format_.dataSize bytes) with the device's current state.
  void Snapshot(uint8_t* data);
  DWORD OffsetOf(size_t object) const;
  void DescribeObject(size_t object, DIDEVICEOBJECTINSTANCEA* info) const;
  HRESULT SetDeviceDword(uintptr_t id, DWORD value);
  HRESULT SetAxisSetting(uintptr_t id, LPCDIPROPHEADER header);

  DirectInputBase* parent_;
  const DeviceKind* kind_;
  std::vector<DeviceObject> objects_;
  std::vector<LONG> values_;  // one per object, for Snapshot
  bool hasFormat_ = false;
  Format format_;
  DWORD level_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  bool acquired_ = false;
  bool lost_ = false;  // acquisition went with the focus or the device
  KindState state_;
  EventQueue queue_;
};

// The number behind MAKEDIPROP, or 0 for a GUID that is no predefined property.
uintptr_t PropertyId(REFGUID prop);
constexpr uintptr_t kPropBufferSize = 1, kPropAxisMode = 2, kPropGranularity = 3, kPropRange = 4,
                    kPropDeadZone = 5, kPropSaturation = 6;

}  // namespace plat::dinput

#endif
