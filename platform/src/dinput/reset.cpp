// DirectInput's part of the platform's reset (core/reset.h).
#include "core/reset.h"
#include "dinput/device.h"

namespace plat::dinput {

void ResetDevices() {
  // Devices the program still holds lose their input and hear of no further event.
  for (Device* device : Device::All()) device->InputLost();
  Device::All().clear();
}

}  // namespace plat::dinput
