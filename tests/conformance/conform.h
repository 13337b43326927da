// A tiny checking harness in the style of Wine's conformance tests: `ok(condition, format, ...)`
// counts a check and reports a failure with its file and line. `todo_wine("reason") ok(...)`
// marks a check that Wine is known to fail: under Wine it must fail (it counts as a known
// departure), everywhere else it must pass. `broken(condition)` accepts an answer that only some
// Windows versions give, never Wine or our own platform.
#ifndef QV_TESTS_CONFORMANCE_CONFORM_H
#define QV_TESTS_CONFORMANCE_CONFORM_H

#include <windows.h>

namespace conform {

bool RunningOnWine();
bool RunningOnWindows();  // real Windows: neither Wine nor our platform

// Messages print LONG, DWORD and HRESULT values with %d, %u and %x: they are 32 bits wide on
// every build (mingw's are long, ours int32_t), so no format attribute here.
void Check(const char* file, int line, bool condition, const char* format, ...);
void Skip(const char* file, int line, const char* why);

// Scope of one todo_wine check.
class TodoWine {
 public:
  explicit TodoWine(const char* reason);
  ~TodoWine();
  bool Once() { return !done_ && (done_ = true); }

 private:
  bool done_ = false;
};

// One file's scenarios, run by main in order.
struct Suite {
  const char* name;
  void (*run)();
};

// A window of the suite's own class, WS_POPUP and visible, whose procedure calls `proc` when
// given (else DefWindowProcA).
HWND MakeWindow(int width, int height, WNDPROC proc = nullptr);

}  // namespace conform

// The condition is evaluated before the message's arguments, which may read what it filled.
#define ok(condition, ...)                                   \
  do {                                                       \
    bool holds_ = (condition);                               \
    conform::Check(__FILE__, __LINE__, holds_, __VA_ARGS__); \
  } while (0)
#define skip(why) conform::Skip(__FILE__, __LINE__, why)
#define todo_wine(reason) for (conform::TodoWine todo_(reason); todo_.Once();)
#define broken(condition) (conform::RunningOnWindows() && (condition))

#endif
