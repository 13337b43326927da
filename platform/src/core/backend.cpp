#include "core/backend.h"

#include "core/host_state.h"

namespace plat {

namespace {
std::unique_ptr<Backend>& Slot() {
  static std::unique_ptr<Backend> backend;
  return backend;
}
}  // namespace

// A build without the SDL backend has no display: the headless backend serves.
__attribute__((weak)) std::unique_ptr<Backend> CreateSdlBackend() { return nullptr; }

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
