// The test host: how tests, tools and benchmarks drive the platform without a display. A library
// of its own (qvhost), never linked into a player's program: it attaches to the platform through
// its seams (a clock source, a frame sink and the call hook) and drives it through the events a
// backend delivers. Not a Windows header: it is the platform's own C++ interface.
#ifndef QV_PLATFORM_HOST_H
#define QV_PLATFORM_HOST_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qvhost {

// ---- Backend ---------------------------------------------------------------------------------
// Selects the headless backend and attaches the host. `paceFlips`: waited flips (DDFLIP_WAIT)
// sleep to the next 60 Hz tick (with the manual clock: advance it); otherwise they return at
// once. Call before the program starts.
void UseHeadless(bool paceFlips = false);
// Detaches the call hook (attached by UseHeadless) or attaches it again. Without it nothing is
// logged, no fault answers and message boxes go to the backend: what a player's program runs,
// for benchmarks.
void ObserveCalls(bool enabled);
// Starts a new program: every host setting back to its default (clock, faults, withdrawn
// capabilities, logs, answers, frames, pending input) and every service back to a just-started
// process (no windows, classes, messages, focus, display mode, GDI objects or open files).
// Objects an earlier program still holds stay safe to use and release, cut loose from the new
// program's state.
void Reset();
// Empties what the host recorded (calls, debugger output, message boxes, frames) and nothing
// else: for a long run, such as a fuzzer's, that must not grow without bound.
void ClearRecords();

// ---- Clock -----------------------------------------------------------------------------------
// With the manual clock timeGetTime returns the host's time and Sleep advances it at once.
void UseManualClock(uint32_t startMs = 0);
void AdvanceClock(uint32_t ms);
uint32_t Now();

// ---- Input -----------------------------------------------------------------------------------
void MouseMotion(int dx, int dy);
void MouseButton(int button, bool down);  // 0 left, 1 right, 2 middle
// A key by DirectInput scan code (DIK_*); the virtual-key code is derived from it.
void Key(uint8_t scanCode, bool down);
// Press and release in one go, as a typed key (two events).
void TapKey(uint8_t scanCode);
// Alt+F4 as the window system delivers it (WM_SYSKEYDOWN, then the default handling).
void AltF4();
// The window's close button.
void CloseWindow();
void FocusLost();
void FocusRegained();
// A joystick plugged in, with its product name and number of buttons, or pulled out. The
// program finds it when it next lists its input devices.
void AttachJoystick(const std::string& name, int buttons);
void DetachJoystick();
// The stick's deflection on one axis (0 x, 1 y, ... 7) in device units, -32768..32767.
void JoystickAxis(int axis, int value);
void JoystickButton(int button, bool down);  // buttons 0..31

// ---- Frames ----------------------------------------------------------------------------------
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, row by row, top row first
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
// Frames presented so far (flips of the primary surface, or blits to it in a window).
int FrameCount();
// The newest presented frame (empty before the first).
const Frame& LastFrame();
// A 64-bit hash of every presented frame, in order.
const std::vector<uint64_t>& FrameHashes();
// Called after each presented frame with its index (0 for the first). Tests inject input here.
void OnFrame(std::function<void(int frameIndex)> callback);
// Without capture (for benchmarks) frames are only counted and reported to OnFrame; LastFrame
// and FrameHashes stay as they were.
void CaptureFrames(bool enabled);
// Writes a frame as a 24-bit BMP, or PNG when the name ends in ".png". Returns false on failure.
bool SaveFrame(const Frame& frame, const std::string& path);

// ---- Faults ----------------------------------------------------------------------------------
// The named call fails with `result` (`times` calls in a row; -1 for every call). Names are
// "Interface::Method" ("IDirectDraw4::CreateSurface", "IDirectDrawSurface4::Blt") or the plain
// function name ("DirectDrawCreate", "DirectInputCreateA").
// Calls that never fail on Windows (every interface's AddRef and Release, the rectangle helpers
// such as SetRect, the clock, Sleep, GetLastError, ...) are refused: skipping them would give
// leaks, freed objects still in use or a clock that stands still, which no real system shows.
// A refused fault is a mistake in the test: FailCall then arms nothing, says so on stderr and
// returns false. It returns true when the fault is armed.
bool FailCall(const std::string& name, HRESULT result, int times = 1);
// Whether FailCall accepts faults on `name`.
bool CanFail(const std::string& name);
void ClearFaults();
// Every surface that loses its memory on a mode change or focus loss (primary, back buffers,
// video memory) becomes lost now.
void LoseSurfaces();

enum class Capability {
  Mirroring,         // DDBLTFX mirror effects
  SecondBackBuffer,  // a flipping chain with two back buffers
  VideoMemory,       // surfaces asked for in video memory
  Joystick,          // an attached joystick
};
void Withdraw(Capability capability);
void Restore(Capability capability);
bool Has(Capability capability);

// ---- Calls ----------------------------------------------------------------------------------
// One argument of a recorded call, as a value: what the program passed, copied at the call.
struct CallArg {
  enum class Kind { Number, Rect, Pointer, Window, Object, Text, Iid, Structure };
  Kind kind = Kind::Number;
  bool null = false;   // a null pointer of any kind
  int64_t number = 0;  // Number: the value; Object: its serial; Window: the handle's value
  std::string text;    // Text; Object: its kind ("ddraw", "surface", "palette", "clipper")
  RECT rect{};         // Rect
  GUID iid{};          // Iid
  // Structure (DDSURFACEDESC2, DDBLTFX, DDCOLORKEY, DDSCAPS2): the fields that matter.
  // flags: DDSURFACEDESC2::dwFlags, DDBLTFX::dwDDFX; caps: ddsCaps.dwCaps, DDSCAPS2::dwCaps;
  // low and high: a colour key's range, DDBLTFX::dwFillColor in low; the surface
  // description's width, height, back buffer count, bit count and source key (in low).
  uint32_t flags = 0, caps = 0, width = 0, height = 0, backBuffers = 0, bitCount = 0;
  uint32_t low = 0, high = 0;
};
// A service call the program made: "Interface::Method" or a function's name, and its arguments
// in the method's own order.
struct CallRecord {
  std::string name;
  std::vector<CallArg> args;
  // The argument at `index` as a number (0 when there is none).
  int64_t Number(size_t index) const { return index < args.size() ? args[index].number : 0; }
};

// What the call record keeps: DirectX's calls (COM methods and DirectDrawCreate and the like),
// or every service call.
enum class LogScope { DirectX, Everything };
// Calls are recorded only while enabled (recording every blit would slow the program down).
void EnableCallLog(bool enabled, LogScope scope = LogScope::DirectX);
// The recorded calls, in order.
const std::vector<CallRecord>& Calls();
// The recorded calls of one name, in order.
std::vector<CallRecord> CallsNamed(const std::string& name);
// The names of the recorded calls, in order.
std::vector<std::string> CallNames();
// The recorded calls as text, one line each, "Interface::Method(args)", for people reading a
// log (call_format.h describes the lines).
const std::vector<std::string>& CallLog();
void ClearCallLog();
// Lines written with OutputDebugStringA.
const std::vector<std::string>& DebugOutput();

// ---- Message boxes ---------------------------------------------------------------------------
struct MessageBoxRecord {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};
// Answers given to the next message boxes, in order; without one a box is answered IDOK (or
// IDYES for yes/no boxes).
void AnswerMessageBoxes(std::vector<int> answers);
const std::vector<MessageBoxRecord>& MessageBoxes();

}  // namespace qvhost

#endif
