#include "core/reset.h"

#include <windows.h>

#include "core/input_state.h"
#include "core/last_error.h"
#include "core/settings.h"

namespace plat {

void ResetServices() {
  // DirectDraw first: the display lets go of its surfaces while USER's windows still exist.
  ddraw::ResetDisplay();
  dinput::ResetDevices();
  gdi::ResetObjects();
  user::ResetWindows();
  user::ResetKeys();
  user::ResetCursor();
  kernel::ResetFiles();
  kernel::ResetTimerPeriods();
  ResetInput();
  SetPresentSettings(PresentSettings());  // the player's options of an earlier start
  SetError(ERROR_SUCCESS);
}

}  // namespace plat
