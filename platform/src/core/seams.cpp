#include "core/seams.h"

#include "core/trace.h"

namespace plat::seams {
const Clock* clock = nullptr;
FrameSink frameSink = nullptr;
CallHook callHook = nullptr;
}  // namespace plat::seams

namespace plat::trace {

bool Enter(const char* name, const char* qualifier, std::initializer_list<Arg> args,
           HRESULT* answer) {
  seams::CallHook hook = seams::callHook;
  if (!hook) return false;
  const Call call = {name, qualifier, args.begin(), args.size()};
  return hook(call, answer);
}

}  // namespace plat::trace
