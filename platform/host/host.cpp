// The test host's state, and the hooks it attaches to the platform's seams: a manual clock, a
// frame sink that keeps and hashes frames, and a call hook that logs calls, answers armed
// faults, records message boxes and collects debugger output.
#include "host.h"

#include <ddraw.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "call_format.h"
#include "core/backend.h"
#include "core/clock.h"
#include "core/events.h"
#include "core/hardware.h"
#include "core/input_state.h"
#include "core/keymap.h"
#include "core/pixels.h"
#include "core/reset.h"
#include "core/seams.h"
#include "core/trace.h"

namespace {

struct ArmedFault {
  HRESULT result;
  int remaining;  // -1: every call
};

struct HostState {
  uint32_t manualNow = 0;
  std::map<std::string, ArmedFault> faults;
  bool callLog = false;
  qvhost::LogScope logScope = qvhost::LogScope::DirectX;
  std::vector<qvhost::CallRecord> calls;
  std::vector<std::string> callLines;
  std::vector<std::string> debugOutput;
  std::vector<int> answers;
  size_t nextAnswer = 0;
  std::vector<qvhost::MessageBoxRecord> boxes;
  int frameCount = 0;
  qvhost::Frame lastFrame;
  std::vector<uint64_t> frameHashes;
  std::function<void(int)> onFrame;
  bool captureFrames = true;
};

HostState& State() {
  static HostState state;
  return state;
}

uint64_t HashPixels(const std::vector<uint32_t>& pixels) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (uint32_t p : pixels) {
    h ^= p;
    h *= 1099511628211ull;
  }
  return h;
}

// ---- Clock -------------------------------------------------------------------------------------
uint32_t ManualNow() { return State().manualNow; }
void ManualSleep(uint32_t ms) { State().manualNow += ms; }
const plat::seams::Clock kManualClock = {ManualNow, ManualSleep};

// ---- Frames ------------------------------------------------------------------------------------
void RecordFrame(const plat::PixelBuffer& frame) {
  HostState& s = State();
  if (s.captureFrames) {
    s.lastFrame.width = frame.width;
    s.lastFrame.height = frame.height;
    s.lastFrame.pixels.resize(static_cast<size_t>(frame.width) * frame.height);
    ConvertToXrgb(frame, s.lastFrame.pixels.data());
    s.frameHashes.push_back(HashPixels(s.lastFrame.pixels));
  }
  int index = s.frameCount++;
  if (s.onFrame) s.onFrame(index);
}

// ---- Calls -------------------------------------------------------------------------------------
bool Named(const plat::trace::Call& call, const char* name) {
  return std::strcmp(call.name, name) == 0;
}

// The DirectX call log holds the COM methods and DirectX's own functions.
bool IsDirectX(const char* name) {
  return std::strncmp(name, "IDirect", 7) == 0 || std::strncmp(name, "Direct", 6) == 0;
}

const char* TextArg(const plat::trace::Call& call, size_t index) {
  if (index >= call.count) return "";
  const char* text = static_cast<const char*>(call.args[index].pointer);
  return text ? text : "";
}

// A call's arguments copied as values: the pointers they hold may not outlive the call.
qvhost::CallArg Copy(const plat::trace::Arg& arg) {
  using Kind = plat::trace::Arg::Kind;
  using Out = qvhost::CallArg::Kind;
  qvhost::CallArg out;
  const void* p = arg.pointer;
  out.null = p == nullptr;
  switch (arg.kind) {
    case Kind::Hex:
    case Kind::Dec:
      out.kind = Out::Number;
      out.null = false;
      out.number = arg.number;
      break;
    case Kind::Pointer:
      out.kind = Out::Pointer;
      break;
    case Kind::Window:
      out.kind = Out::Window;
      out.number = static_cast<int64_t>(reinterpret_cast<uintptr_t>(p));
      break;
    case Kind::Object:
      out.kind = Out::Object;
      out.number = arg.number;
      out.text = arg.label ? arg.label : "";
      break;
    case Kind::Text:
      out.kind = Out::Text;
      if (p) out.text = static_cast<const char*>(p);
      break;
    case Kind::Rect:
      out.kind = Out::Rect;
      if (p) out.rect = *static_cast<const RECT*>(p);
      break;
    case Kind::Iid:
      out.kind = Out::Iid;
      if (p) out.iid = *static_cast<const GUID*>(p);
      break;
    case Kind::SurfaceDesc:
      out.kind = Out::Structure;
      if (p) {
        const auto& desc = *static_cast<const DDSURFACEDESC2*>(p);
        out.flags = desc.dwFlags;
        if (desc.dwSize != sizeof desc) break;  // only the flags of a structure of another size
        out.caps = desc.ddsCaps.dwCaps;
        out.width = desc.dwWidth;
        out.height = desc.dwHeight;
        out.backBuffers = desc.dwBackBufferCount;
        out.bitCount = desc.ddpfPixelFormat.dwRGBBitCount;
        out.low = desc.ddckCKSrcBlt.dwColorSpaceLowValue;
        out.high = desc.ddckCKSrcBlt.dwColorSpaceHighValue;
      }
      break;
    case Kind::BltFx:
      out.kind = Out::Structure;
      if (p) {
        out.flags = static_cast<const DDBLTFX*>(p)->dwDDFX;
        out.low = static_cast<const DDBLTFX*>(p)->dwFillColor;
      }
      break;
    case Kind::ColorKey:
      out.kind = Out::Structure;
      if (p) {
        out.low = static_cast<const DDCOLORKEY*>(p)->dwColorSpaceLowValue;
        out.high = static_cast<const DDCOLORKEY*>(p)->dwColorSpaceHighValue;
      }
      break;
    case Kind::Caps2:
      out.kind = Out::Structure;
      if (p) out.caps = static_cast<const DDSCAPS2*>(p)->dwCaps;
      break;
  }
  return out;
}

qvhost::CallRecord Record(const plat::trace::Call& call) {
  qvhost::CallRecord record;
  record.name = call.name;
  record.args.reserve(call.count);
  for (size_t i = 0; i < call.count; ++i) record.args.push_back(Copy(call.args[i]));
  return record;
}

// Finds and uses up a fault armed on `name`.
bool TakeFault(const std::string& name, HRESULT* answer) {
  auto& faults = State().faults;
  auto it = faults.find(name);
  if (it == faults.end()) return false;
  *answer = it->second.result;
  if (it->second.remaining > 0 && --it->second.remaining == 0) faults.erase(it);
  return true;
}

// Calls Windows documents as never failing: their answers are facts (a count, a time, a
// rectangle), not a success or a failure, and the void ones have no way to report one.
bool NeverFails(const std::string& name) {
  static const char* const kFunctions[] = {"SetRect",
                                           "SetRectEmpty",
                                           "OffsetRect",
                                           "IntersectRect",
                                           "IsRectEmpty",
                                           "PtInRect",
                                           "GetLastError",
                                           "SetLastError",
                                           "GetTickCount",
                                           "timeGetTime",
                                           "Sleep",
                                           "QueryPerformanceCounter",
                                           "QueryPerformanceFrequency",
                                           "OutputDebugStringA",
                                           "PostQuitMessage"};
  for (const char* function : kFunctions)
    if (name == function) return true;
  // IUnknown's AddRef and Release, of any interface (qualified or not): reference counts.
  for (const char* method : {"::AddRef", "::Release"}) {
    const size_t length = std::strlen(method);
    if (name.size() > length && name.compare(name.size() - length, length, method) == 0)
      return true;
  }
  return false;
}

// A qualified name puts the qualifier after the interface: "IDirectInputDevice(Mouse)::Acquire".
std::string Qualified(const char* name, const char* qualifier) {
  std::string qualified = name;
  size_t at = qualified.find("::");
  if (at == std::string::npos) at = qualified.size();
  return qualified.insert(at, std::string("(") + qualifier + ")");
}

bool OnCall(const plat::trace::Call& call, HRESULT* answer) {
  HostState& s = State();
  if (s.callLog && (s.logScope == qvhost::LogScope::Everything || IsDirectX(call.name))) {
    s.calls.push_back(Record(call));
    s.callLines.push_back(qvhost::FormatCall(call));
  }
  if (!s.faults.empty()) {
    if (TakeFault(call.name, answer)) return true;
    if (call.qualifier && TakeFault(Qualified(call.name, call.qualifier), answer)) return true;
  }
  if (call.name[0] == 'M' && Named(call, "MessageBoxA")) {
    const UINT type = call.count > 3 ? static_cast<UINT>(call.args[3].number) : 0;
    s.boxes.push_back({static_cast<HWND>(const_cast<void*>(call.args[0].pointer)), TextArg(call, 1),
                       TextArg(call, 2), type});
    // Without a prepared answer the box goes on to the backend, which presses its default.
    if (s.nextAnswer >= s.answers.size()) return false;
    *answer = s.answers[s.nextAnswer++];
    return true;
  }
  if (call.name[0] == 'O' && Named(call, "OutputDebugStringA")) {
    if (call.count > 0 && call.args[0].pointer) s.debugOutput.emplace_back(TextArg(call, 0));
  }
  return false;
}

void Attach() {
  plat::seams::frameSink = RecordFrame;
  plat::seams::callHook = OnCall;
}

}  // namespace

namespace qvhost {

void UseHeadless(bool paceFlips) {
  plat::SetBackend(plat::CreateHeadlessBackend(paceFlips));
  Attach();
}

void ObserveCalls(bool enabled) { plat::seams::callHook = enabled ? OnCall : nullptr; }

void Reset() {
  State() = HostState();
  plat::seams::clock = nullptr;
  plat::TheHardware() = plat::Hardware();
  plat::ResetInput();
  plat::ResetServices();
}

void UseManualClock(uint32_t startMs) {
  State().manualNow = startMs;
  plat::seams::clock = &kManualClock;
}
void AdvanceClock(uint32_t ms) { State().manualNow += ms; }
uint32_t Now() { return plat::clock::NowMs(); }

void MouseMotion(int dx, int dy) { plat::events::MouseMotion(dx, dy); }
void MouseButton(int button, bool down) { plat::events::MouseButton(button, down); }
void Key(uint8_t scanCode, bool down) {
  plat::events::Key(scanCode, plat::VirtualKeyFromScanCode(scanCode), down);
}
void TapKey(uint8_t scanCode) {
  Key(scanCode, true);
  Key(scanCode, false);
}
void AltF4() {
  const uint8_t kLeftAlt = 0x38, kF4 = 0x3E;
  Key(kLeftAlt, true);
  Key(kF4, true);
  Key(kF4, false);
  Key(kLeftAlt, false);
}
void CloseWindow() { plat::events::CloseRequested(); }
void FocusLost() { plat::events::FocusChanged(false); }
void FocusRegained() { plat::events::FocusChanged(true); }
void AttachJoystick(const std::string& name, int buttons) {
  plat::events::JoystickAttached(true, name.c_str(), buttons);
}
void DetachJoystick() { plat::events::JoystickAttached(false, "", 0); }
void JoystickAxis(int axis, int value) { plat::events::JoystickAxis(axis, value); }
void JoystickButton(int button, bool down) { plat::events::JoystickButton(button, down); }

int FrameCount() { return State().frameCount; }
const Frame& LastFrame() { return State().lastFrame; }
const std::vector<uint64_t>& FrameHashes() { return State().frameHashes; }
void OnFrame(std::function<void(int)> callback) { State().onFrame = std::move(callback); }
void CaptureFrames(bool enabled) { State().captureFrames = enabled; }

bool CanFail(const std::string& name) { return !NeverFails(name); }

bool FailCall(const std::string& name, HRESULT result, int times) {
  if (!CanFail(name)) {
    std::fprintf(stderr, "qvhost::FailCall: %s never fails on Windows; no fault armed\n",
                 name.c_str());
    return false;
  }
  if (times != 0) State().faults[name] = {result, times};
  return true;
}
void ClearFaults() { State().faults.clear(); }
void LoseSurfaces() { plat::events::VideoMemoryLost(); }

namespace {
bool* Feature(Capability capability) {
  plat::Hardware& hw = plat::TheHardware();
  switch (capability) {
    case Capability::Mirroring:
      return &hw.mirroring;
    case Capability::SecondBackBuffer:
      return &hw.secondBackBuffer;
    case Capability::VideoMemory:
      return &hw.videoMemory;
    default:
      return &hw.joystick;
  }
}
}  // namespace

void Withdraw(Capability capability) { *Feature(capability) = false; }
void Restore(Capability capability) { *Feature(capability) = true; }
bool Has(Capability capability) { return *Feature(capability); }

void EnableCallLog(bool enabled, LogScope scope) {
  State().callLog = enabled;
  State().logScope = scope;
}
const std::vector<CallRecord>& Calls() { return State().calls; }
std::vector<CallRecord> CallsNamed(const std::string& name) {
  std::vector<CallRecord> named;
  for (const CallRecord& call : State().calls)
    if (call.name == name) named.push_back(call);
  return named;
}
std::vector<std::string> CallNames() {
  std::vector<std::string> names;
  for (const CallRecord& call : State().calls) names.push_back(call.name);
  return names;
}
const std::vector<std::string>& CallLog() { return State().callLines; }
void ClearCallLog() {
  State().calls.clear();
  State().callLines.clear();
}
const std::vector<std::string>& DebugOutput() { return State().debugOutput; }

void ClearRecords() {
  HostState& s = State();
  s.calls.clear();
  s.callLines.clear();
  s.debugOutput.clear();
  s.boxes.clear();
  s.frameHashes.clear();
}

void AnswerMessageBoxes(std::vector<int> answers) {
  State().answers = std::move(answers);
  State().nextAnswer = 0;
}
const std::vector<MessageBoxRecord>& MessageBoxes() { return State().boxes; }

}  // namespace qvhost
