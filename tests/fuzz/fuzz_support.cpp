#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host.h"
#include "qvscreen.h"

namespace fuzz {

namespace {

std::string& Folder() {
  static std::string folder;
  return folder;
}

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Folder(), ignored);
}

}  // namespace

void Start() {
  if (Folder().empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv-fuzz-XXXXXX").string();
    if (mkdtemp(&pattern[0]) == nullptr) std::abort();
    Folder() = pattern;
    std::atexit(RemoveFolder);
    qvhost::UseHeadless();
    qvhost::Reset();
  }
  if (qvhost::DebugOutput().size() > 1000 || qvhost::MessageBoxes().size() > 1000) {
    qvhost::ClearRecords();
  }
}

Screen* TheScreen() {
  Start();
  static Screen* screen = [] {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "QvFuzz";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "QvFuzz", "Quorvane", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                                  nullptr, nullptr, nullptr, nullptr);
    auto* made = new Screen();
    if (made->CreateFullScreen(window, 800, 600, 16, 0) != 1) std::abort();
    return made;
  }();
  return screen;
}

const char* WriteFile(const uint8_t* data, size_t size) {
  static const std::string name = Folder() + "/input.bin";
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
    std::abort();
  }
  return name.c_str();
}

InScratchFolder::InScratchFolder() : previous_(open(".", O_RDONLY | O_DIRECTORY)) {
  if (previous_ < 0 || chdir(Folder().c_str()) != 0) std::abort();
}

InScratchFolder::~InScratchFolder() {
  if (fchdir(previous_) != 0) std::abort();
  close(previous_);
}

}  // namespace fuzz
