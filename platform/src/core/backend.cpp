#include "core/backend.h"

#include "core/host_state.h"

namespace plat {

namespace {
std::unique_ptr<Backend>& Slot() {
  static std::unique_ptr<Backend> backend;
  return backend;
}
}  // namespace

// CreateSdlBackend is defined by backend/sdl/. It must not have a weak default here: in the
// static library a weak default satisfies the reference, the SDL backend's object is never
// linked, and every program silently runs headless.

Backend& CurrentBackend() {
  std::unique_ptr<Backend>& backend = Slot();
  if (!backend) {
    if (!host::HeadlessRequested()) backend = CreateSdlBackend();
    if (!backend) backend = CreateHeadlessBackend();
  }
  return *backend;
}

void SetBackend(std::unique_ptr<Backend> backend) { Slot() = std::move(backend); }

}  // namespace plat
