// The emulated machine's optional features. A player's machine has them all; a test host may
// take some away to see how a program copes with plainer hardware.
#ifndef QV_PLATFORM_CORE_HARDWARE_H
#define QV_PLATFORM_CORE_HARDWARE_H

namespace plat {

struct Hardware {
  bool mirroring = true;         // DDBLTFX mirror effects
  bool secondBackBuffer = true;  // a flipping chain with two back buffers
  bool videoMemory = true;       // surfaces in video memory
  bool joystick = true;          // an attached joystick is reported
};
Hardware& TheHardware();

}  // namespace plat

#endif
