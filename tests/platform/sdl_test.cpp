// The SDL2 backend. The key table, the frame conversion and the display clock's rule need no
// display; the smoke tests start their own Xvfb (and are skipped where it is not installed) and
// run the demo program or a small program of their own under it, without a window manager.
#include <SDL.h>
#include <gtest/gtest.h>
#include <png.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <random>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "backend/sdl/sdl_frame.h"
#include "backend/sdl/sdl_keys.h"
#include "core/backend.h"
#include "core/keymap.h"
#include "core/pixels.h"
#include "platform_test.h"

namespace {

bool OnPath(const char* tool) {
  std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// What a shell command prints, without the last line's end.
std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// Asks `done` every 50 ms for up to thirty seconds: a generous bound for a loaded machine, not a
// measurement.
template <typename Condition>
bool Eventually(Condition done) {
  for (int i = 0; i < 600; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

// A private X server for one test, ended with the test.
class Xvfb {
 public:
  // Xvfb picks a free display itself and writes its number to a pipe once it accepts
  // connections, so tests running side by side never share (or kill) each other's server.
  bool Start(const char* screen = "800x600x24") {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);  // no stray server if the test is killed
      close(fds[0]);
      int devnull = open("/dev/null", O_WRONLY);
      dup2(devnull, 1);
      dup2(devnull, 2);
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string display = ":";
    pollfd ready = {fds[0], POLLIN, 0};
    for (char c; pid_ > 0 && poll(&ready, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n';)
      display += c;
    close(fds[0]);
    if (display.size() < 2) {
      Stop();
      return false;
    }
    setenv("DISPLAY", display.c_str(), 1);
    return true;
  }
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }
  ~Xvfb() { Stop(); }

 private:
  pid_t pid_ = -1;
};

// A child process under the test's X server, its standard output read through a pipe.
class Child {
 public:
  // Runs `body` in a fork of the test; it ends with _exit, so no exit handler of the test runs.
  template <typename Body>
  bool Fork(Body body) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      dup2(fds[1], 1);
      // SDL and the X libraries keep some memory to the end of a process: not these tests'
      // matter. A shell that started the tests in the background may have SIGINT ignored.
      setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
      signal(SIGINT, SIG_DFL);
      body();
      _exit(127);
    }
    close(fds[1]);
    out_ = fds[0];
    return pid_ > 0;
  }
  bool Exec(const std::string& program, const char* argument = nullptr) {
    return Fork(
        [&] { execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr)); });
  }
  ~Child() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }

  // Reads the output until it holds `text` (ten seconds at most).
  bool WaitFor(const std::string& text) {
    pollfd ready = {out_, POLLIN, 0};
    while (output_.find(text) == std::string::npos) {
      char buffer[256];
      ssize_t n = poll(&ready, 1, 10000) > 0 ? read(out_, buffer, sizeof buffer) : 0;
      if (n <= 0) return false;
      output_.append(buffer, static_cast<size_t>(n));
    }
    return true;
  }
  bool Ended() {
    if (!exited_) exited_ = waitpid(pid_, &status_, WNOHANG) == pid_;
    return exited_;
  }
  // Waits for the end (ten seconds at most) and reads the rest of the output. True when the
  // child ended by itself with exit code 0; otherwise it is killed.
  bool EndsWithZero() {
    if (!Eventually([&] { return Ended(); })) return false;
    WaitFor("\x01");  // to the end of the output
    return WIFEXITED(status_) && WEXITSTATUS(status_) == 0;
  }
  void Signal(int signal) { kill(pid_, signal); }
  const std::string& Output() const { return output_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  bool exited_ = false;
  int status_ = 0;
  std::string output_;
};

// A program of the build, found from the test program's own place.
std::string BuiltPath(const std::string& relative) {
  char self[PATH_MAX] = {};
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "";
  std::string dir(self, static_cast<size_t>(n));
  dir = dir.substr(0, dir.rfind('/'));
  return dir.substr(0, dir.rfind('/')) + "/" + relative;
}
std::string DemoPath() { return BuiltPath("tools/sdl_demo"); }

// A fresh folder under /tmp, removed with everything in it at the end of the test.
struct TempFolder {
  TempFolder() {
    char name[] = "/tmp/qv-sdl-XXXXXX";
    path = mkdtemp(name) ? name : "";
  }
  ~TempFolder() {
    if (!path.empty()) std::filesystem::remove_all(path);
  }
  std::string path;
};

// The first file in a folder, or empty.
std::string FirstFileIn(const std::string& folder) {
  std::error_code none;
  std::filesystem::directory_iterator files(folder, none);
  return files == std::filesystem::directory_iterator() ? "" : files->path().string();
}

// An 8-bit RGB PNG's pixels as 0x00RRGGBB; empty when it cannot be read.
std::vector<uint32_t> ReadPng(const std::string& path, int* width, int* height) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  std::vector<uint32_t> pixels;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return pixels;
  image.format = PNG_FORMAT_BGRA;
  pixels.resize(static_cast<size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  return pixels;
}

// In a child process: a program of its own on the SDL backend with one shown window.
void OpenSdlWindow(const char* title, int width, int height) {
  qvhost::Reset();  // the child starts with what earlier tests of this process left
  std::unique_ptr<plat::Backend> sdl = plat::CreateSdlBackend();
  if (!sdl) _exit(3);
  plat::SetBackend(std::move(sdl));
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "SdlTest";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "SdlTest", title, WS_POPUP, 0, 0, width, height, nullptr,
                                nullptr, nullptr, nullptr);
  if (!window) _exit(4);
  ShowWindow(window, SW_SHOW);
}

#define SKIP_WITHOUT_X_TOOLS()                                                      \
  if (!OnPath("Xvfb") || !OnPath("xdotool") || !OnPath("xwininfo"))                 \
    GTEST_SKIP() << "Xvfb, xdotool or xwininfo is not installed";                   \
  if (!Exists(DemoPath())) GTEST_SKIP() << "sdl_demo is not built: " << DemoPath(); \
  static_cast<void>(0)

// The demo program running full screen under its own X server, set up and ready.
struct RunningDemo {
  Xvfb x;
  Child demo;
  bool Start(const char* screen = "800x600x24", const char* frames = nullptr) {
    return x.Start(screen) && demo.Exec(DemoPath(), frames) && demo.WaitFor("ready");
  }
};

// The demo window's geometry as xwininfo prints it, e.g. "800x600+112+84".
std::string DemoGeometry() {
  return Capture(
      "xwininfo -root -tree | sed -n 's/.*\"Quorvane SDL demo\".*  \\([0-9]*x[0-9]*[-+][-0-9]*"
      "[-+][-0-9]*\\) .*/\\1/p' | head -1");
}

std::string PointerAfterMovingTo(int x, int y) {
  std::string move = "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y);
  if (std::system(move.c_str()) != 0) return "";
  return Capture("xdotool getmouselocation | cut -d' ' -f1-2");
}

TEST(SdlKeysTest, ScancodesGiveTheKeysOfTheSameName) {
  // SDL's names of the plain keys (letters, digits, F1 to F12) are the names Windows gives the
  // same DirectInput key.
  for (int sc = SDL_SCANCODE_A; sc <= SDL_SCANCODE_F12; ++sc) {
    if (sc > SDL_SCANCODE_0 && sc < SDL_SCANCODE_F1) continue;
    const char* name = plat::KeyNameFromScanCode(plat::sdl::DikFromSdlScancode(sc), false);
    ASSERT_NE(name, nullptr) << sc;
    EXPECT_STREQ(name, SDL_GetScancodeName(static_cast<SDL_Scancode>(sc)));
  }
  const std::pair<int, uint8_t> others[] = {
      {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_RETURN, 0x1C}, {SDL_SCANCODE_KP_ENTER, 0x9C},
      {SDL_SCANCODE_RCTRL, 0x9D},  {SDL_SCANCODE_LEFT, 0xCB},   {SDL_SCANCODE_UNKNOWN, 0},
      {SDL_NUM_SCANCODES + 5, 0}};
  for (const auto& [sc, dik] : others) EXPECT_EQ(plat::sdl::DikFromSdlScancode(sc), dik) << sc;

  // No two keys share a scan code, apart from SDL's own synonyms.
  std::set<uint8_t> seen;
  for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
    if (sc == SDL_SCANCODE_NONUSHASH) continue;
    uint8_t dik = plat::sdl::DikFromSdlScancode(sc);
    if (!dik) continue;
    EXPECT_TRUE(seen.insert(dik).second) << "scancode " << sc << " repeats " << int(dik);
    EXPECT_NE(plat::VirtualKeyFromScanCode(dik), 0) << "scancode " << sc;
  }
}

TEST(SdlFrameTest, TheFastPathGivesTheColoursOfTheGeneralConversion) {
  std::vector<uint16_t> pixels(65536);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint16_t>(i);
  const plat::PixelBuffer frame = Frame565(pixels.data(), 256, 256);
  std::vector<uint32_t> fast(65536), general(65536);
  plat::sdl::FrameToXrgb(frame, fast.data());
  plat::ConvertToXrgb(frame, general.data());
  EXPECT_EQ(fast, general);
  EXPECT_EQ(fast[0xFFFF], 0xFFFFFFu);
}

TEST(SdlSmokeTest, WaitedFlipsNeverRunAheadOfTheDisplay) {
  SKIP_WITHOUT_X_TOOLS();
  RunningDemo run;
  ASSERT_TRUE(run.Start("800x600x24", "60"));
  Child& demo = run.demo;
  ASSERT_TRUE(demo.EndsWithZero()) << demo.Output();
  // How close to 60 Hz the flips stay depends on the machine's load: `sdl_demo --pacing`
  // measures it. They are never faster.
  size_t at = demo.Output().find("mean period ");
  ASSERT_NE(at, std::string::npos) << demo.Output();
  EXPECT_GT(std::atof(demo.Output().c_str() + at + 12), 1000.0 / 60.0 - 0.2);
}

TEST(SdlSmokeTest, SignalsAndALostDisplayEndTheProgramWithExitCodeZero) {
  SKIP_WITHOUT_X_TOOLS();
  // SIGINT closes the program as the close button does.
  {
    RunningDemo run;
    ASSERT_TRUE(run.Start());
    Child& demo = run.demo;
    demo.Signal(SIGINT);
    EXPECT_TRUE(demo.EndsWithZero()) << "SIGINT";
    EXPECT_NE(demo.Output().find("flips "), std::string::npos) << "no orderly close";
  }
  // A program that never handles its messages again still ends on SIGTERM.
  {
    Xvfb x;
    ASSERT_TRUE(x.Start());
    Child stuck;
    ASSERT_TRUE(stuck.Fork([] {
      OpenSdlWindow("stuck", 320, 240);
      std::printf("ready\n");
      std::fflush(stdout);
      for (;;) pause();
    }));
    ASSERT_TRUE(stuck.WaitFor("ready"));
    stuck.Signal(SIGTERM);
    EXPECT_TRUE(stuck.EndsWithZero()) << "SIGTERM to a program that does not pump its messages";
  }
  // The X server goes away under a running program.
  {
    RunningDemo run;
    ASSERT_TRUE(run.Start());
    Child& demo = run.demo;
    run.x.Stop();
    EXPECT_TRUE(demo.EndsWithZero()) << "lost display";
  }
}

// Without a window manager nobody carries out SDL's request for full screen: the backend covers
// the display itself, after any number of Alt+Enter. In a window the pointer is held inside it
// until Ctrl+Alt lets it go, and a click takes it back.
TEST(SdlSmokeTest, WithoutWindowManagerFullScreenCoversTheDisplayAndCtrlAltFreesThePointer) {
  SKIP_WITHOUT_X_TOOLS();
  RunningDemo run;
  ASSERT_TRUE(run.Start("1024x768x24"));
  Child& demo = run.demo;
  const std::string kFull = "1024x768+0+0", kWindow = "800x600+112+84";
  EXPECT_TRUE(Eventually([&] { return DemoGeometry() == kFull; })) << DemoGeometry();

  ASSERT_EQ(std::system("xdotool key alt+Return"), 0);
  EXPECT_TRUE(Eventually([&] { return DemoGeometry() == kWindow; })) << DemoGeometry();
  // Held: the pointer cannot leave the window.
  EXPECT_TRUE(Eventually([] { return PointerAfterMovingTo(5, 5) == "x:112 y:84"; }));
  ASSERT_EQ(std::system("xdotool key ctrl+alt"), 0);
  EXPECT_TRUE(Eventually([] { return PointerAfterMovingTo(5, 5) == "x:5 y:5"; }));
  ASSERT_EQ(std::system("xdotool mousemove 500 400 click 1"), 0);
  EXPECT_TRUE(Eventually([] { return PointerAfterMovingTo(5, 5) == "x:112 y:84"; }));

  ASSERT_EQ(std::system("xdotool key alt+Return"), 0);
  EXPECT_TRUE(Eventually([&] { return DemoGeometry() == kFull; })) << DemoGeometry();
  demo.Signal(SIGTERM);
  EXPECT_TRUE(demo.EndsWithZero());
}

// On a large desktop SDL would divide relative motion by the scale from the 800 x 600 mode to
// the display: the paddle would move slower the larger the monitor. Escape ends the demo.
TEST(SdlSmokeTest, MouseCountsReachDirectInputUnscaledOnALargeDesktopAndEscapeCloses) {
  SKIP_WITHOUT_X_TOOLS();
  RunningDemo run;
  ASSERT_TRUE(run.Start("1920x1080x24"));
  Child& demo = run.demo;
  ASSERT_EQ(std::system("xdotool mousemove_relative -- 100 0"), 0);
  ASSERT_EQ(std::system("xdotool mousemove_relative -- -30 40"), 0);
  // A key typed before the window has the focus goes nowhere: type Escape again every half
  // second until the program ends.
  int tries = 0;
  Eventually([&] {
    if (tries++ % 10 == 0 && std::system("xdotool key Escape") != 0) ADD_FAILURE();
    return demo.Ended();
  });
  ASSERT_TRUE(demo.EndsWithZero()) << "the demo did not end with 0 after Escape";
  EXPECT_NE(demo.Output().find("mouse 70 40"), std::string::npos) << demo.Output();
}

// The player's options end the program before it opens any window: here there is no display
// at all, and a bad option still gets its own exit code and names itself. --window shows the
// game in a window of its own size on a larger screen.
TEST(SdlSmokeTest, TheGamesOptionsComeBeforeAnyWindowAndWindowShowsAWindow) {
  const std::string game = BuiltPath("game/quorvane");
  if (!Exists(game)) GTEST_SKIP() << "the game is not built: " << game;
  TempFolder config;
  const std::string run = "cd '" QV_SOURCE_DIR
                          "/assets' && env -u DISPLAY -u WAYLAND_DISPLAY "
                          "XDG_CONFIG_HOME='" +
                          config.path + "' '" + game + "' ";
  std::string out = Capture(run + "--filter=blurry 2>&1; echo \"exit $?\"");
  EXPECT_NE(out.find("--filter"), std::string::npos) << out;
  EXPECT_NE(out.find("exit 2"), std::string::npos) << out;
  EXPECT_NE(Capture(run + "--version").find("0.3.0"), std::string::npos);

  SKIP_WITHOUT_X_TOOLS();
  Xvfb x;
  ASSERT_TRUE(x.Start("1280x720x24"));
  auto geometry = [] {
    return Capture(
        "xwininfo -root -tree | sed -n 's/.*\"Quorvane\".*  \\([0-9]*x[0-9]*\\)[-+].*/\\1/p'"
        " | head -1");
  };
  // A second start when the first never showed its window: once, in a loaded sanitizer run, the
  // game found no display on a server that had just come up.
  bool shown = false;
  for (int start = 0; start < 2 && !shown; ++start) {
    Child quorvane;
    ASSERT_TRUE(quorvane.Fork([&] {
      setenv("XDG_CONFIG_HOME", config.path.c_str(), 1);
      if (chdir(QV_SOURCE_DIR "/assets") != 0) _exit(3);
      execl(game.c_str(), game.c_str(), "--window", static_cast<char*>(nullptr));
    }));
    shown = Eventually([&] { return geometry() == "800x600"; });
    quorvane.Signal(SIGTERM);
    EXPECT_TRUE(quorvane.EndsWithZero());
  }
  EXPECT_TRUE(shown) << "the window is " << geometry();

  // Started where its pictures are not, the game names them in a box, which Return answers
  // although no window manager gives the box the focus.
  TempFolder empty;
  Child lost;
  ASSERT_TRUE(lost.Fork([&] {
    setenv("XDG_CONFIG_HOME", config.path.c_str(), 1);
    if (chdir(empty.path.c_str()) != 0) _exit(3);
    execl(game.c_str(), game.c_str(), static_cast<char*>(nullptr));
  }));
  int tries = 0;
  Eventually([&] {
    if (tries++ % 10 == 9 && std::system("xdotool key Return") != 0) ADD_FAILURE();
    return lost.Ended();
  });
  EXPECT_TRUE(lost.EndsWithZero()) << "the box of missing pictures did not take Return";
}

// F12 saves the frame the program presents, unscaled, as a PNG in the pictures folder that
// xdg-user-dirs names.
TEST(SdlSmokeTest, F12SavesThePresentedFrameAsAPng) {
  SKIP_WITHOUT_X_TOOLS();
  const int kW = 320, kH = 200;
  std::vector<uint16_t> pixels(kW * kH);
  std::mt19937 random(12);
  for (uint16_t& p : pixels) p = static_cast<uint16_t>(random());
  const plat::PixelBuffer frame = Frame565(pixels.data(), kW, kH);

  TempFolder home;
  ASSERT_EQ(mkdir((home.path + "/.config").c_str(), 0755), 0);
  std::FILE* dirs = std::fopen((home.path + "/.config/user-dirs.dirs").c_str(), "w");
  ASSERT_NE(dirs, nullptr);
  std::fputs("XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", dirs);
  std::fclose(dirs);
  Xvfb x;
  ASSERT_TRUE(x.Start("640x480x24"));
  Child program;
  ASSERT_TRUE(program.Fork([&] {
    setenv("HOME", home.path.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    OpenSdlWindow("shot", kW, kH);
    for (;;) {
      plat::CurrentBackend().PumpEvents();
      plat::CurrentBackend().Present(frame);
      usleep(20000);
    }
  }));
  const std::string folder = home.path + "/Bilder/Quorvane";
  int tries = 0, w = 0, h = 0;
  std::vector<uint32_t> saved;
  // F12 again every half second until a whole PNG is there (the window may not be there yet,
  // and a file appears before its last bytes are written). Without a window manager the keys go
  // where the focus and the pointer are: both are put on the window first.
  EXPECT_TRUE(Eventually([&] {
    if (tries++ % 10 == 0) {
      std::system(
          "xdotool search --name '^shot$' windowfocus --sync mousemove --window %1 5 5 key F12"
          " >/dev/null 2>&1");
    }
    return !(saved = ReadPng(FirstFileIn(folder), &w, &h)).empty();
  })) << "no screenshot in "
      << folder;
  program.Signal(SIGKILL);
  std::vector<uint32_t> expected(kW * kH);
  plat::ConvertToXrgb(frame, expected.data());
  EXPECT_EQ(w, kW);
  EXPECT_EQ(h, kH);
  EXPECT_TRUE(saved == expected);
}

}  // namespace
