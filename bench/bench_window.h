// The visible 800 x 600 window that the benchmarks' full-screen displays belong to, created
// once per program.
#ifndef QV_BENCH_BENCH_WINDOW_H
#define QV_BENCH_BENCH_WINDOW_H

#include <windows.h>

inline HWND BenchWindow() {
  static HWND window = nullptr;
  if (window == nullptr) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "QuorvaneBench";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "QuorvaneBench", "QuorvaneBench", WS_VISIBLE | WS_SYSMENU, 0, 0,
                             800, 600, nullptr, nullptr, nullptr, nullptr);
  }
  return window;
}

#endif
