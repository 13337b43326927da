// SendInput, keybd_event and mouse_event: input a program makes up, taken as if the user had
// typed or moved it. Each event reaches window messages, the key state and DirectInput through
// the same path as the backend's own.
#include <windows.h>

#include "core/events.h"
#include "core/keymap.h"
#include "core/last_error.h"
#include "core/services.h"
#include "core/trace.h"

namespace {

void InjectKey(WORD vk, WORD scan, DWORD flags) {
  if (flags & KEYEVENTF_UNICODE) return;  // characters without a key: nothing the program reads
  const bool down = !(flags & KEYEVENTF_KEYUP);
  // DirectInput reads the scan code and ignores the virtual key; with KEYEVENTF_SCANCODE the
  // virtual key comes from the scan code.
  uint8_t scanCode = static_cast<uint8_t>(scan & 0x7F);
  if ((flags & KEYEVENTF_EXTENDEDKEY) || (scan & 0xFF00) == 0xE000) scanCode |= 0x80;
  const uint8_t virtualKey = (flags & KEYEVENTF_SCANCODE)
                                 ? plat::VirtualKeyFromScanCode(scanCode)
                                 : plat::GenericVirtualKey(static_cast<uint8_t>(vk));
  if (scanCode == 0) {
    // A key without a scan code reaches the window only.
    if (virtualKey) plat::user::OnKey(0, virtualKey, down);
    return;
  }
  plat::events::Key(scanCode, virtualKey, down);
}

void InjectMouse(LONG dx, LONG dy, DWORD flags) {
  if (flags & MOUSEEVENTF_MOVE) {
    if (flags & MOUSEEVENTF_ABSOLUTE) {
      // 0..65535 across the screen, moved to from where the pointer is.
      POINT at{};
      GetCursorPos(&at);
      const int64_t x = static_cast<int64_t>(dx) * GetSystemMetrics(SM_CXSCREEN) / 65536;
      const int64_t y = static_cast<int64_t>(dy) * GetSystemMetrics(SM_CYSCREEN) / 65536;
      plat::events::MouseMotion(static_cast<int>(x - at.x), static_cast<int>(y - at.y));
    } else if (dx || dy) {
      plat::events::MouseMotion(dx, dy);
    }
  }
  struct Button {
    DWORD downFlag, upFlag;
    int index;
  };
  static constexpr Button kButtons[] = {{MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 0},
                                        {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 1},
                                        {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, 2}};
  for (const Button& b : kButtons) {
    if (flags & b.downFlag) plat::events::MouseButton(b.index, true);
    if (flags & b.upFlag) plat::events::MouseButton(b.index, false);
  }
}

}  // namespace

extern "C" UINT WINAPI SendInput(UINT cInputs, LPINPUT pInputs, int cbSize) {
  QV_ENTRY_OR_RETURN("SendInput", plat::trace::Dec(cInputs), plat::trace::Ptr(pInputs),
                     plat::trace::Dec(cbSize));
  if (cInputs == 0 || cbSize != static_cast<int>(sizeof(INPUT))) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!pInputs) {
    plat::SetError(ERROR_NOACCESS);
    return 0;
  }
  for (UINT i = 0; i < cInputs; ++i) {
    const INPUT& input = pInputs[i];
    switch (input.type) {
      case INPUT_KEYBOARD:
        InjectKey(input.ki.wVk, input.ki.wScan, input.ki.dwFlags);
        break;
      case INPUT_MOUSE:
        InjectMouse(input.mi.dx, input.mi.dy, input.mi.dwFlags);
        break;
      case INPUT_HARDWARE:
        break;  // 32-bit Windows takes other devices' input and nothing here reads it
      default:
        plat::SetError(ERROR_INVALID_PARAMETER);
        return i;
    }
  }
  return cInputs;
}

extern "C" void WINAPI keybd_event(BYTE bVk, BYTE bScan, DWORD dwFlags, ULONG_PTR) {
  QV_ENTRY_OR_RETURN_VOID("keybd_event", plat::trace::Hex(bVk), plat::trace::Hex(bScan),
                          plat::trace::Hex(dwFlags));
  InjectKey(bVk, bScan, dwFlags);
}

extern "C" void WINAPI mouse_event(DWORD dwFlags, DWORD dx, DWORD dy, DWORD, ULONG_PTR) {
  QV_ENTRY_OR_RETURN_VOID("mouse_event", plat::trace::Hex(dwFlags),
                          plat::trace::Dec(static_cast<int32_t>(dx)),
                          plat::trace::Dec(static_cast<int32_t>(dy)));
  InjectMouse(static_cast<LONG>(dx), static_cast<LONG>(dy), dwFlags);
}
