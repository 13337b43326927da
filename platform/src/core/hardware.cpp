#include "core/hardware.h"

namespace plat {

Hardware& TheHardware() {
  static Hardware hardware;
  return hardware;
}

}  // namespace plat
