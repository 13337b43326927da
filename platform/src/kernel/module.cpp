// The process's module, its (absent) resources, the thread's last error and the debugger
// output.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "core/last_error.h"
#include "core/trace.h"

namespace {

constexpr DWORD kErrorModNotFound = 126;

// The module's handle: the load address a 32-bit Windows program usually gets.
HMODULE const kModule = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x00400000));

thread_local DWORD lastError = ERROR_SUCCESS;

}  // namespace

void plat::SetError(DWORD code) { lastError = code; }

namespace trace = plat::trace;

extern "C" {

DWORD WINAPI GetLastError(void) {
  QV_ENTRY_OR_RETURN("GetLastError");
  return lastError;
}

void WINAPI SetLastError(DWORD dwErrCode) {
  QV_ENTRY_OR_RETURN_VOID("SetLastError", trace::Dec(dwErrCode));
  lastError = dwErrCode;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  QV_ENTRY_OR_RETURN("GetModuleHandleA", trace::Text(lpModuleName));
  if (!lpModuleName) return kModule;
  plat::SetError(kErrorModNotFound);
  return nullptr;
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
  QV_ENTRY_OR_RETURN_VOID("OutputDebugStringA", plat::trace::Text(lpOutputString));
  if (!lpOutputString) return;
  // Without a debugger the text goes nowhere, as on Windows, unless asked for on stderr.
  const char* echo = std::getenv("QV_DEBUG_OUTPUT");
  if (echo) {
    std::fputs(lpOutputString, stderr);
    std::fflush(stderr);
  }
}

// The program's module carries no resources: every look-up finds nothing, as a Windows build
// without a resource script does. Handles that no look-up gave out are refused.
HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  QV_ENTRY_OR_RETURN("FindResourceA", trace::Ptr(hModule), trace::Name(lpName),
                     trace::Name(lpType));
  plat::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  QV_ENTRY_OR_RETURN("LoadResource", trace::Ptr(hModule), trace::Ptr(hResInfo));
  plat::SetError(hResInfo ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
  return nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL hResData) {
  QV_ENTRY_OR_RETURN("LockResource", trace::Ptr(hResData));
  return nullptr;
}

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  QV_ENTRY_OR_RETURN("SizeofResource", trace::Ptr(hModule), trace::Ptr(hResInfo));
  plat::SetError(hResInfo ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
  return 0;
}

}  // extern "C"
