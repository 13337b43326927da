#include "core/backend.h"

#include <errno.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/seams.h"
#include "core/signals.h"

namespace plat {

namespace {

// Chosen by name, the headless backend runs a whole program, which SIGINT and SIGTERM then
// close as they do under SDL. A test host's headless backend leaves the signals alone.
std::unique_ptr<Backend> CreateHeadlessForProgram() {
#ifndef __EMSCRIPTEN__
  CatchCloseSignals();
#endif
  return CreateHeadlessBackend(true);
}

}  // namespace

// CreateSdlBackend is defined by backend/sdl/, CreateWebBackend by backend/web/; the build
// compiles the one for its system. Neither may have a weak default here: in the static library a
// weak default satisfies the reference, the backend's object is never linked, and every program
// silently runs headless.
const BackendEntry kBackends[] = {
#ifdef __EMSCRIPTEN__
    {"web", [] { return CreateWebBackend(true); }},
#else
    {"sdl", CreateSdlBackend},
#endif
    {"headless", CreateHeadlessForProgram},
};
const size_t kBackendCount = sizeof kBackends / sizeof kBackends[0];

namespace {

std::unique_ptr<Backend>& Slot() {
  static std::unique_ptr<Backend> backend;
  return backend;
}

std::unique_ptr<Backend> CreateNamed(const char* name) {
  for (const BackendEntry& entry : kBackends) {
    if (std::strcmp(entry.name, name) == 0) {
      std::unique_ptr<Backend> backend = entry.create();
      if (!backend) {
        std::fprintf(stderr,
                     "%s: the %s backend could not start; this program needs a display "
                     "(QV_BACKEND=headless runs it without one)\n",
                     program_invocation_short_name, name);
      }
      return backend;
    }
  }
  std::fprintf(stderr, "%s: QV_BACKEND names no backend: \"%s\" (choose",
               program_invocation_short_name, name);
  for (const BackendEntry& entry : kBackends) std::fprintf(stderr, " %s", entry.name);
  std::fprintf(stderr, ")\n");
  return nullptr;
}

}  // namespace

Backend& CurrentBackend() {
  std::unique_ptr<Backend>& backend = Slot();
  if (!backend) {
    const char* wanted = std::getenv("QV_BACKEND");
    backend = CreateNamed(wanted && *wanted ? wanted : kBackends[0].name);
    if (!backend) backend = CreateNoDisplayBackend();
  }
  return *backend;
}

void Backend::Present(const PixelBuffer& frame) {
  if (!frame.bits || frame.width <= 0 || frame.height <= 0) return;
  if (seams::FrameSink sink = seams::frameSink) sink(frame);
  ShowFrame(frame);
}

void SetBackend(std::unique_ptr<Backend> backend) { Slot() = std::move(backend); }

}  // namespace plat
