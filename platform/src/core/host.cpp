// The test host's state, and the services' view of it.
#include "host.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <thread>

#include "core/backend.h"
#include "core/events.h"
#include "core/host_state.h"
#include "core/input_state.h"
#include "core/keymap.h"
#include "core/services.h"

namespace {

struct ArmedFault {
  HRESULT result;
  int remaining;  // -1: every call
};

struct HostState {
  bool headless = false;
  bool paceFlips = false;
  bool manualClock = false;
  uint32_t manualNow = 0;
  std::map<std::string, ArmedFault> faults;
  bool withdrawn[4] = {};
  std::vector<std::string> callLog;
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

const std::chrono::steady_clock::time_point kStart = std::chrono::steady_clock::now();

uint64_t HashPixels(const std::vector<uint32_t>& pixels) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (uint32_t p : pixels) {
    h ^= p;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

namespace plat::host {

bool HeadlessRequested() { return State().headless; }
bool PaceFlips() { return State().paceFlips; }

uint32_t NowMs() {
  if (State().manualClock) return State().manualNow;
  auto elapsed = std::chrono::steady_clock::now() - kStart;
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void SleepMs(uint32_t ms) {
  if (State().manualClock) {
    State().manualNow += ms;
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool ManualClock() { return State().manualClock; }
void AdvanceManualClock(uint32_t ms) { State().manualNow += ms; }

bool faultsArmed = false;
bool callLogEnabled = false;

HRESULT TakeArmedFault(const char* name) {
  auto& faults = State().faults;
  auto it = faults.find(name);
  if (it == faults.end()) return S_OK;
  HRESULT result = it->second.result;
  if (it->second.remaining > 0 && --it->second.remaining == 0) faults.erase(it);
  faultsArmed = !faults.empty();
  return result;
}

bool Withdrawn(qvhost::Capability capability) {
  return State().withdrawn[static_cast<int>(capability)];
}

void LogCall(std::string line) {
  if (callLogEnabled) State().callLog.push_back(std::move(line));
}

void DebugLine(const char* text) { State().debugOutput.emplace_back(text ? text : ""); }

int AnswerMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  HostState& s = State();
  s.boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
  if (s.nextAnswer < s.answers.size()) return s.answers[s.nextAnswer++];
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    case MB_RETRYCANCEL:
      return IDRETRY;
    default:
      return IDOK;
  }
}

void RecordFrame(const PixelBuffer& frame) {
  HostState& s = State();
  if (!s.captureFrames) {
    int index = s.frameCount++;
    if (s.onFrame) s.onFrame(index);
    return;
  }
  s.lastFrame.width = frame.width;
  s.lastFrame.height = frame.height;
  s.lastFrame.pixels.resize(static_cast<size_t>(frame.width) * frame.height);
  ConvertToXrgb(frame, s.lastFrame.pixels.data());
  s.frameHashes.push_back(HashPixels(s.lastFrame.pixels));
  int index = s.frameCount++;
  if (s.onFrame) s.onFrame(index);
}

}  // namespace plat::host

namespace qvhost {

void UseHeadless(bool paceFlips) {
  State().headless = true;
  State().paceFlips = paceFlips;
  plat::SetBackend(plat::CreateHeadlessBackend());
}

void Reset() {
  bool headless = State().headless;
  bool pace = State().paceFlips;
  State() = HostState();
  plat::host::faultsArmed = false;
  plat::host::callLogEnabled = false;
  State().headless = headless;
  State().paceFlips = pace;
  plat::ResetInput();
}

void UseManualClock(uint32_t startMs) {
  State().manualClock = true;
  State().manualNow = startMs;
}
void AdvanceClock(uint32_t ms) { State().manualNow += ms; }
uint32_t Now() { return plat::host::NowMs(); }

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

int FrameCount() { return State().frameCount; }
const Frame& LastFrame() { return State().lastFrame; }
const std::vector<uint64_t>& FrameHashes() { return State().frameHashes; }
void OnFrame(std::function<void(int)> callback) { State().onFrame = std::move(callback); }
void CaptureFrames(bool enabled) { State().captureFrames = enabled; }

void FailCall(const std::string& name, HRESULT result, int times) {
  if (times == 0) return;
  State().faults[name] = {result, times};
  plat::host::faultsArmed = true;
}
void ClearFaults() {
  State().faults.clear();
  plat::host::faultsArmed = false;
}
void LoseSurfaces() { plat::ddraw::LoseAllSurfaces(); }

void Withdraw(Capability capability) { State().withdrawn[static_cast<int>(capability)] = true; }
void Restore(Capability capability) { State().withdrawn[static_cast<int>(capability)] = false; }
bool Has(Capability capability) { return !State().withdrawn[static_cast<int>(capability)]; }

void EnableCallLog(bool enabled) { plat::host::callLogEnabled = enabled; }
const std::vector<std::string>& CallLog() { return State().callLog; }
void ClearCallLog() { State().callLog.clear(); }
const std::vector<std::string>& DebugOutput() { return State().debugOutput; }

void AnswerMessageBoxes(std::vector<int> answers) {
  State().answers = std::move(answers);
  State().nextAnswer = 0;
}
const std::vector<MessageBoxRecord>& MessageBoxes() { return State().boxes; }

}  // namespace qvhost
