#include "conform.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace conform {

namespace {
int checks = 0;
int failures = 0;
int departures = 0;
const char* todoReason = nullptr;

LRESULT CALLBACK DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}
}  // namespace

bool RunningOnWine() {
#ifdef _WIN32
  // Wine's ntdll exports its version; Windows' does not.
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

bool RunningOnWindows() {
#ifdef _WIN32
  return !RunningOnWine();
#else
  return false;
#endif
}

TodoWine::TodoWine(const char* reason) { todoReason = reason; }
TodoWine::~TodoWine() { todoReason = nullptr; }

void Check(const char* file, int line, bool condition, const char* format, ...) {
  ++checks;
  const char* base = std::strrchr(file, '/');
  base = base ? base + 1 : file;
  bool todo = todoReason && RunningOnWine();
  if (todo && !condition) {
    ++departures;
    return;
  }
  if (condition && !todo) return;
  ++failures;
  if (todo) {
    std::printf("%s:%d: Test succeeded inside todo block (%s): ", base, line, todoReason);
  } else {
    std::printf("%s:%d: Test failed: ", base, line);
  }
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

void Skip(const char* file, int line, const char* why) {
  const char* base = std::strrchr(file, '/');
  std::printf("%s:%d: Tests skipped: %s\n", base ? base + 1 : file, line, why);
}

HWND MakeWindow(int width, int height, WNDPROC proc) {
  static int serial = 0;
  char name[32];
  std::snprintf(name, sizeof name, "conform%d", ++serial);
  WNDCLASSA wc;
  std::memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = proc ? proc : DefaultProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  if (!RegisterClassA(&wc)) return nullptr;
  return CreateWindowExA(0, name, name, WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

int Summary() {
  std::printf("conformance: %d checks, %d failed, %d known Wine departures\n", checks, failures,
              departures);
  return failures ? 1 : 0;
}

}  // namespace conform
