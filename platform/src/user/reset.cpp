// USER's part of the platform's reset (core/reset.h).
#include "core/reset.h"
#include "user/user_internal.h"

namespace plat::user {

void ResetWindows() {
  UserState& st = State();
  // Handles, atoms and the creation order go on counting, so that a handle the earlier program
  // kept never names a window or class made after the reset.
  UserState fresh;
  fresh.nextAtom = st.nextAtom;
  fresh.nextHandle = st.nextHandle;
  fresh.nextOrder = st.nextOrder;
  st = std::move(fresh);
}

}  // namespace plat::user
