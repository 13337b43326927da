// Screen: display creation with its flags and fallbacks, presentation and the frame counter,
// colour conversion, restoring lost buffers, and the device and mode lists.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host.h"
#include "qvscreen.h"

namespace {

HWND MakeWindow(int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "QvScreenTest";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "QvScreenTest", "Quorvane", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                         nullptr, nullptr, nullptr, nullptr);
}

// What DirectDraw says of a surface the screen made.
DWORD CapsOf(IDirectDrawSurface4* surface) {
  DDSCAPS2 caps = {};
  surface->GetCaps(&caps);
  return caps.dwCaps;
}
DWORD BackBuffersOf(IDirectDrawSurface4* surface) {
  DDSURFACEDESC2 desc = {};
  desc.dwSize = sizeof desc;
  surface->GetSurfaceDesc(&desc);
  return desc.dwBackBufferCount;
}
DDSURFACEDESC2 DisplayModeOf(IDirectDraw4* directDraw) {
  DDSURFACEDESC2 mode = {};
  mode.dwSize = sizeof mode;
  directDraw->GetDisplayMode(&mode);
  return mode;
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvhost::UseHeadless();
    qvhost::Reset();
    window = MakeWindow(800, 600);
    ASSERT_NE(window, nullptr);
  }
  HWND window = nullptr;
};

TEST_F(ScreenTest, FullScreenCreationFlagsAndBuffers) {
  Screen screen;
  qvhost::EnableCallLog(true);
  ASSERT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 1);

  // Exclusive full screen, allowing mode X and Ctrl+Alt+Del.
  const auto cooperative = qvhost::CallsNamed("IDirectDraw4::SetCooperativeLevel");
  ASSERT_EQ(cooperative.size(), 1u);
  EXPECT_EQ(cooperative[0].Number(1),
            DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX);
  const DDSURFACEDESC2 mode = DisplayModeOf(screen.directDraw);
  EXPECT_EQ(mode.dwWidth * 10000 + mode.dwHeight, 8000600u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 16u);

  // A flipping chain in video memory, with one back buffer.
  ASSERT_NE(screen.front, nullptr);
  ASSERT_EQ(screen.GetBack(), screen.back);
  ASSERT_NE(screen.back->surface, nullptr);
  const DWORD chain = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
  EXPECT_EQ(CapsOf(screen.front->surface) & (chain | DDSCAPS_VIDEOMEMORY),
            chain | DDSCAPS_VIDEOMEMORY);
  EXPECT_EQ(BackBuffersOf(screen.front->surface), 1u);
  EXPECT_TRUE(CapsOf(screen.back->surface) & DDSCAPS_BACKBUFFER);
  EXPECT_NE(screen.palette, nullptr);

  EXPECT_EQ(screen.fullScreen, 1);
  EXPECT_EQ(screen.bitsPerPixel, 16);
  for (Surface* buffer : {screen.front, screen.back}) {
    EXPECT_EQ(buffer->screen, &screen);
    EXPECT_EQ((std::vector<long>{buffer->width, buffer->height, buffer->clipRect.right,
                                 buffer->clipRect.bottom, buffer->destRect.right,
                                 long(buffer->pixelFormat.bitsPerPixel)}),
              (std::vector<long>{800, 600, 800, 600, 800, 16}));
    EXPECT_EQ(buffer->colorKey, 0xFFFFFFFFu);
  }

  // Standard VGA modes are asked for with their flag.
  ASSERT_EQ(screen.CreateFullScreen(window, 320, 200, 8, 1), 1);
  EXPECT_EQ(qvhost::CallsNamed("IDirectDraw4::SetDisplayMode").back().Number(4),
            DDSDM_STANDARDVGAMODE);
  EXPECT_EQ(DisplayModeOf(screen.directDraw).dwWidth, 320u);
  // At 8 bits the front buffer shows through the screen's palette.
  IDirectDrawPalette* shown = nullptr;
  ASSERT_EQ(screen.front->surface->GetPalette(&shown), DD_OK);
  EXPECT_EQ(shown, screen.palette);
  shown->Release();
}

TEST_F(ScreenTest, BackBuffersAndMemoryFollowWhatTheDisplayHas) {
  {
    Screen triple;
    triple.tripleBuffering = 1;
    ASSERT_EQ(triple.CreateFullScreen(window, 800, 600, 16, 0), 1);
    EXPECT_EQ(BackBuffersOf(triple.front->surface), 2u);
    EXPECT_EQ(triple.tripleBuffering, 1);
  }

  // Without a second back buffer or video memory: one back buffer, in system memory.
  qvhost::Withdraw(qvhost::Capability::VideoMemory);
  qvhost::Withdraw(qvhost::Capability::SecondBackBuffer);
  Screen screen;
  screen.tripleBuffering = 1;
  ASSERT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 1);
  EXPECT_EQ(BackBuffersOf(screen.front->surface), 1u);
  EXPECT_TRUE(CapsOf(screen.front->surface) & DDSCAPS_SYSTEMMEMORY);
  EXPECT_EQ(screen.tripleBuffering, 0);
  EXPECT_EQ(screen.videoMemory, 1);
  ASSERT_NE(screen.back, nullptr);
  EXPECT_NE(screen.back->surface, nullptr);
}

TEST_F(ScreenTest, CreationFailuresReturnZeroQuietlyAndCanBeRetried) {
  Screen screen;
  qvhost::FailCall("IDirectDraw4::SetCooperativeLevel", DDERR_EXCLUSIVEMODEALREADYSET);
  EXPECT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 0);
  qvhost::FailCall("IDirectDrawSurface4::GetAttachedSurface", DDERR_NOTFOUND);
  EXPECT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 0);
  ASSERT_NE(screen.back, nullptr);  // half made: buffers without their surfaces
  EXPECT_EQ(screen.back->surface, nullptr);
  EXPECT_NE(screen.Flip(1, 1, 0), DD_OK);
  EXPECT_NE(screen.FillBackBuffer(0), DD_OK);
  qvhost::FailCall("IDirectDraw4::CreateSurface", DDERR_OUTOFMEMORY, 2);
  EXPECT_EQ(screen.CreateInWindow(window, 640, 480), 0);
  EXPECT_TRUE(qvhost::MessageBoxes().empty());
  EXPECT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 1);
  EXPECT_EQ(screen.FillBackBuffer(0), DD_OK);
}

// The frame counter after `ms` milliseconds and a flip: fps, frameTime, frameCount.
std::vector<DWORD> FlipAfter(Screen& screen, DWORD ms) {
  qvhost::AdvanceClock(ms);
  screen.Flip(1, 1, 0);
  return {DWORD(screen.fps), screen.frameTime, screen.frameCount};
}

TEST_F(ScreenTest, FrameCounterMeasuresIntervalsLongerThanOneSecond) {
  qvhost::UseManualClock(5000);
  Screen screen;
  ASSERT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 1);
  for (int i = 0; i < 99; ++i) FlipAfter(screen, 10);
  // Exactly 1000 ms does not end the interval; 100 frames in 1010 ms make 99 a second.
  EXPECT_EQ(FlipAfter(screen, 10), (std::vector<DWORD>{0, 1000, 100}));
  EXPECT_EQ(FlipAfter(screen, 10), (std::vector<DWORD>{99, 0, 1}));
  EXPECT_EQ(FlipAfter(screen, 1000), (std::vector<DWORD>{99, 1000, 2}));
  EXPECT_EQ(FlipAfter(screen, 1), (std::vector<DWORD>{1, 0, 1}));  // 2 frames in 1001 ms
}

TEST_F(ScreenTest, FrameCounterSurvivesAWrappingTimer) {
  qvhost::UseManualClock(0xFFFFFFF0u);
  Screen screen;
  ASSERT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 1);
  EXPECT_EQ(FlipAfter(screen, 0x20)[1], 0x20u);
  EXPECT_EQ(screen.lastFrameTime, 0x10u);
}

// Paced flips: vsync 1 waits for the next refresh, 0 and 2 present at once.
TEST_F(ScreenTest, OnlyVsyncOneWaitsForTheRefresh) {
  qvhost::UseHeadless(true);
  qvhost::UseManualClock(5);
  Screen screen;
  ASSERT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 1);
  const uint32_t start = qvhost::Now();
  EXPECT_EQ(screen.Flip(0, 1, 0), DD_OK);
  EXPECT_EQ(screen.Flip(2, 1, 0), DD_OK);
  EXPECT_EQ(qvhost::Now(), start);
  EXPECT_EQ(screen.Flip(1, 1, 0), DD_OK);
  EXPECT_GT(qvhost::Now(), start);
  EXPECT_EQ(qvhost::FrameCount(), 3);
}

TEST_F(ScreenTest, ShowFpsPrintsOntoTheBackBuffer) {
  Screen screen;
  ASSERT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 1);
  screen.FillBackBuffer(0);
  ASSERT_EQ(screen.Flip(1, 1, 1), DD_OK);
  const qvhost::Frame& frame = qvhost::LastFrame();
  ASSERT_EQ(frame.width, 800);
  int lit = 0;
  int bright = 0;
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 800; ++x) {
      const uint32_t p = frame.At(x, y);
      if (p == 0) continue;
      // Only the text, in (240, 255, 0) over black, near (10, 20).
      EXPECT_TRUE(x >= 10 && x < 200 && y >= 20 && y < 60) << x << "," << y;
      EXPECT_LT(p & 0xFF, 40u);
      ++lit;
      if (((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200) ++bright;
    }
  }
  EXPECT_GT(lit, 20);
  EXPECT_GT(bright, 10);
}

TEST_F(ScreenTest, WindowedFlipCopiesOrScalesOntoTheClientArea) {
  qvhost::UseHeadless(true);  // waits for the vertical blank move the clock
  qvhost::UseManualClock(5);
  HWND small = MakeWindow(400, 300);
  RECT client;
  GetClientRect(small, &client);
  ASSERT_EQ(client.right, 400);
  ASSERT_EQ(client.bottom, 300);

  Screen screen;
  ASSERT_EQ(screen.CreateInWindow(small, 800, 600), 1);
  EXPECT_EQ(screen.fullScreen, 0);
  EXPECT_EQ(screen.bitsPerPixel, 32);  // the desktop's depth
  EXPECT_NE(screen.clipper, nullptr);
  EXPECT_EQ(screen.back->width, 800);
  EXPECT_EQ(screen.front->width, 1024);  // the desktop's size

  const DWORD red = screen.ColorToPixel(RGB(255, 0, 0), nullptr);
  const DWORD blue = screen.ColorToPixel(RGB(0, 0, 255), nullptr);
  screen.GetBack()->Fill(blue);
  screen.GetBack()->FillRect(0, 0, 400, 300, red);

  // Unscaled: the back buffer's top-left corner, the client area's size.
  ASSERT_EQ(screen.Flip(0, 0, 0), DD_OK);
  const qvhost::Frame& copied = qvhost::LastFrame();
  ASSERT_EQ(copied.width, 400);
  ASSERT_EQ(copied.height, 300);
  EXPECT_EQ(copied.At(0, 0), 0xFF0000u);
  EXPECT_EQ(copied.At(399, 299), 0xFF0000u);
  EXPECT_EQ(qvhost::Now(), 5u);  // vsync 0: no wait

  // Scaled: the whole back buffer shrunk to the client area.
  uint32_t shownAt = 0;
  qvhost::OnFrame([&](int) { shownAt = qvhost::Now(); });
  ASSERT_EQ(screen.Flip(1, 1, 0), DD_OK);
  const qvhost::Frame& scaled = qvhost::LastFrame();
  EXPECT_EQ(scaled.At(10, 10), 0xFF0000u);
  EXPECT_EQ(scaled.At(190, 140), 0xFF0000u);
  EXPECT_EQ(scaled.At(210, 10), 0x0000FFu);
  EXPECT_EQ(scaled.At(10, 160), 0x0000FFu);
  // vsync 1 waits for the vertical blank before the copy.
  EXPECT_GT(shownAt, 5u);
  qvhost::OnFrame(nullptr);
}

TEST_F(ScreenTest, SelectModeChoosesWindowOrFullScreen) {
  Screen screen;
  ASSERT_EQ(screen.SelectMode(window, 640, 480, 0), 1);
  EXPECT_EQ(screen.fullScreen, 0);
  EXPECT_EQ(screen.back->width, 640);
  ASSERT_EQ(screen.SelectMode(window, 640, 480, 16), 1);
  EXPECT_EQ(screen.fullScreen, 1);
  EXPECT_EQ(screen.clipper, nullptr);
  EXPECT_EQ(screen.back->height, 480);
  EXPECT_EQ(screen.bitsPerPixel, 16);
  // A back image needs a name that loads.
  EXPECT_EQ(screen.LoadBackImage(nullptr), 0);
  EXPECT_EQ(screen.LoadBackImage("no-such-image.bmp"), 0);
}

TEST_F(ScreenTest, ColorToPixelFollowsTheFormat) {
  struct Case {
    int bits;
    COLORREF color;
    DWORD pixel;
  };
  // At 8 bits the value is taken as it is.
  const Case cases[] = {{16, 0x00FFFFFF, 0xFFFF},
                        {16, RGB(255, 0, 0), 0xF800},
                        {16, RGB(0x10, 0x20, 0x30), 0x1106},
                        {32, RGB(0x33, 0x22, 0x11), 0x332211},
                        {8, 0x00123456, 0x00123456}};
  Screen screen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    ASSERT_EQ(screen.CreateFullScreen(window, 800, 600, c.bits, 0), 1);
    EXPECT_EQ(screen.ColorToPixel(c.color, nullptr), c.pixel);
    EXPECT_EQ(screen.ColorToPixel(c.color, screen.front), c.pixel);
  }
}

TEST_F(ScreenTest, LostBuffersAreRestoredByFlip) {
  Screen screen;
  ASSERT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 1);
  qvhost::LoseSurfaces();
  EXPECT_EQ(screen.GetBack()->Fill(0), DDERR_SURFACELOST);
  EXPECT_EQ(screen.Flip(1, 1, 0), DDERR_SURFACELOST);
  for (Surface* buffer : {screen.front, screen.back}) EXPECT_EQ(buffer->surface->IsLost(), DD_OK);
  EXPECT_EQ(screen.Flip(1, 1, 0), DD_OK);

  ASSERT_EQ(screen.CreateInWindow(window, 320, 240), 1);
  qvhost::LoseSurfaces();
  screen.RestoreSurfaces();
  for (Surface* buffer : {screen.front, screen.back}) EXPECT_EQ(buffer->surface->IsLost(), DD_OK);
}

TEST_F(ScreenTest, DestructionGivesTheDisplayModeBackBeforeLettingGo) {
  qvhost::EnableCallLog(true);
  {
    Screen screen(window, 800, 600, 16, 0);
    ASSERT_NE(screen.back, nullptr);
  }
  // Once, while the DirectDraw object is still held.
  const std::vector<std::string> names = qvhost::CallNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), "IDirectDraw4::RestoreDisplayMode"), 1);
  const auto restore = std::find(names.begin(), names.end(), "IDirectDraw4::RestoreDisplayMode");
  const auto lastRelease = std::find(names.rbegin(), names.rend(), "IDirectDraw4::Release");
  ASSERT_NE(lastRelease, names.rend());
  EXPECT_LT(restore - names.begin(), names.rend() - lastRelease - 1);
}

TEST_F(ScreenTest, FailedDirectDrawIsReportedAndLeavesAnUnusableScreen) {
  qvhost::FailCall("DirectDrawCreate", DDERR_NODIRECTDRAWHW);
  Screen screen;
  ASSERT_EQ(qvhost::MessageBoxes().size(), 1u);
  EXPECT_EQ(qvhost::MessageBoxes()[0].text,
            "DirectDraw Error DDERR_NODIRECTDRAWHW\nFILE: qvscreen\nLINE: 217");
  EXPECT_EQ(qvhost::MessageBoxes()[0].caption, "Error");
  EXPECT_EQ(screen.directDraw, nullptr);
  EXPECT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 0);
  EXPECT_EQ(screen.CreateInWindow(window, 800, 600), 0);
  EXPECT_NE(screen.Flip(1, 1, 0), DD_OK);
  EXPECT_NE(screen.WaitVerticalBlank(), DD_OK);
  EXPECT_EQ(screen.GetModeCount(), 0u);
  EXPECT_EQ(screen.HasMode(800, 600, 16), 0);
  EXPECT_EQ(screen.SelectDevice(0), 0);
  MSG msg;
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) quit |= msg.message == WM_QUIT;
  EXPECT_TRUE(quit);

  // A DirectDraw without the fourth interface: reported with its own line.
  qvhost::FailCall("IDirectDraw::QueryInterface", E_NOINTERFACE);
  Screen second;
  ASSERT_EQ(qvhost::MessageBoxes().size(), 2u);
  EXPECT_EQ(qvhost::MessageBoxes()[1].text,
            "DirectDraw Error Unknown Error\nFILE: qvscreen\nLINE: 222");
  EXPECT_EQ(second.directDraw, nullptr);
}

TEST_F(ScreenTest, ModeListQueries) {
  Screen screen;
  const DWORD count = screen.GetModeCount();
  ASSERT_GT(count, 0u);
  EXPECT_EQ(screen.HasMode(800, 600, 16), 1);
  EXPECT_EQ(screen.HasMode(800, 600, 17), 0);
  EXPECT_EQ(screen.HasMode(0, 0, 0), 0);  // the terminating entry is no mode
  DWORD w = 7, h = 7, bpp = 7;
  EXPECT_EQ(screen.GetMode(count, &w, &h, &bpp), 0);
  EXPECT_EQ((std::vector<DWORD>{w, h, bpp}), (std::vector<DWORD>{7, 7, 7}));
  EXPECT_EQ(screen.GetMode(0xFFFFFFFFu, &w, &h, &bpp), 0);
  ASSERT_EQ(screen.GetMode(count - 1, &w, &h, &bpp), 1);
  EXPECT_EQ(screen.HasMode(w, h, bpp), 1);

  // A list in a known order: 640 x 480 x 8, then 800 x 600 x 16.
  DisplayMode* head = new DisplayMode();
  const DWORD modes[][3] = {{640, 480, 8}, {800, 600, 16}};
  for (const auto& m : modes) {
    DDSURFACEDESC2 mode = {};
    mode.dwWidth = m[0];
    mode.dwHeight = m[1];
    mode.ddpfPixelFormat.dwRGBBitCount = m[2];
    EXPECT_EQ(ModeListCallback(&mode, head), DDENUMRET_OK);
  }
  for (DisplayMode* e = screen.modes; e;) {
    DisplayMode* next = e->next;
    delete e;
    e = next;
  }
  screen.modes = head;
  screen.modeCount = 2;
  ASSERT_EQ(screen.GetMode(1, &w, &h, &bpp), 1);
  EXPECT_EQ((std::vector<DWORD>{w, h, bpp}), (std::vector<DWORD>{800, 600, 16}));
  EXPECT_EQ(screen.GetMode(2, &w, &h, &bpp), 0);
  EXPECT_EQ(screen.HasMode(640, 480, 8), 1);
  EXPECT_EQ(screen.HasMode(800, 600, 32), 0);
}

TEST_F(ScreenTest, EmptyModeEnumerationGivesAnEmptyList) {
  qvhost::FailCall("IDirectDraw4::EnumDisplayModes", DDERR_GENERIC);
  Screen screen;
  EXPECT_EQ(screen.GetModeCount(), 0u);
  DWORD w = 0;
  EXPECT_EQ(screen.GetMode(0, &w, nullptr, nullptr), 0);
  EXPECT_EQ(screen.HasMode(0, 0, 0), 0);
  EXPECT_EQ(screen.HasMode(640, 480, 8), 0);
}

TEST_F(ScreenTest, DeviceListRecordsThePrimaryDriver) {
  Screen screen;
  ASSERT_EQ(screen.deviceCount, 1u);
  const DisplayDevice* device = screen.devices;
  EXPECT_EQ(device->guidPointer, nullptr);
  const GUID zero = {};
  EXPECT_TRUE(IsEqualGUID(device->guid, zero));
  EXPECT_STREQ(device->driverName, "display");
  EXPECT_STREQ(device->driverDescription, "Primary Display Driver");
  EXPECT_EQ(device->halCaps.dwSize, sizeof(DDCAPS));
  ASSERT_NE(device->next, nullptr);
  EXPECT_EQ(device->next->next, nullptr);

  // Long texts are cut to their fields; a device that can't be opened is left out.
  DisplayDevice* head = new DisplayDevice();
  std::string description(2000, 'd');
  char name[] = "second";
  EXPECT_EQ(DeviceListCallback(nullptr, description.data(), name, head, nullptr), DDENUMRET_OK);
  EXPECT_EQ(std::string(head->driverDescription), description.substr(0, 511));
  EXPECT_STREQ(head->driverName, "second");
  qvhost::FailCall("DirectDrawCreate", DDERR_NODIRECTDRAWHW);
  EXPECT_EQ(DeviceListCallback(nullptr, description.data(), name, head, nullptr), DDENUMRET_OK);
  ASSERT_NE(head->next, nullptr);
  EXPECT_EQ(head->next->next, nullptr);
  delete head->next;
  delete head;
}

TEST_F(ScreenTest, SelectDeviceOnlyBeforeADisplayExists) {
  Screen screen;
  EXPECT_EQ(screen.SelectDevice(screen.deviceCount + 1), 0);
  // A device that can't be opened is reported and leaves no DirectDraw behind.
  qvhost::FailCall("DirectDrawCreate", DDERR_INVALIDDIRECTDRAWGUID);
  EXPECT_EQ(screen.SelectDevice(0), 0);
  ASSERT_EQ(qvhost::MessageBoxes().size(), 1u);
  EXPECT_EQ(qvhost::MessageBoxes()[0].text,
            "DirectDraw Error DDERR_INVALIDDIRECTDRAWGUID\nFILE: qvscreen\nLINE: 1534");
  EXPECT_EQ(screen.directDraw, nullptr);
  EXPECT_EQ(screen.GetModeCount(), 0u);
  EXPECT_EQ(screen.HasMode(800, 600, 16), 0);
  EXPECT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 0);

  qvhost::EnableCallLog(true);
  ASSERT_EQ(screen.SelectDevice(screen.deviceCount), 1);  // the primary display driver
  const auto creates = qvhost::CallsNamed("DirectDrawCreate");
  ASSERT_EQ(creates.size(), 1u);
  EXPECT_TRUE(creates[0].args.at(0).null);
  ASSERT_NE(screen.directDraw, nullptr);
  EXPECT_EQ(screen.HasMode(800, 600, 16), 1);
  ASSERT_EQ(screen.SelectDevice(0), 1);

  ASSERT_EQ(screen.CreateFullScreen(window, 800, 600, 16, 0), 1);
  LPDIRECTDRAW4 before = screen.directDraw;
  EXPECT_EQ(screen.SelectDevice(0), 0);
  EXPECT_EQ(screen.directDraw, before);
}

// Entry i of the screen's palette as red, green, blue, read through GetPaletteEntry.
std::vector<DWORD> EntryOf(Screen& screen, int i) {
  DWORD r = 0, g = 0, b = 0;
  screen.GetPaletteEntry(i, &r, &g, &b);
  return {r, g, b};
}

TEST_F(ScreenTest, PaletteOperationsLeaveEntryZeroAndFlags) {
  Screen screen;
  ASSERT_EQ(screen.CreateFullScreen(window, 640, 480, 8, 0), 1);
  ASSERT_NE(screen.palette, nullptr);
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i) entries[i] = PALETTEENTRY{BYTE(i), 0, BYTE(255 - i), 0};
  entries[0] = PALETTEENTRY{1, 2, 3, 0};
  entries[5] = PALETTEENTRY{10, 20, 31, 0};
  entries[6] = PALETTEENTRY{255, 254, 252, 0};
  entries[7] = PALETTEENTRY{251, 6, 5, 0};
  ASSERT_EQ(screen.SetPaletteEntries(0, 256, entries), DD_OK);
  using Rgb = std::vector<DWORD>;

  // The screen's palette is made without DDPCAPS_ALLOW256: DirectDraw keeps entry 0 black
  // whatever is written there.
  EXPECT_EQ(EntryOf(screen, 0), (Rgb{0, 0, 0}));
  ASSERT_EQ(screen.GrayPalette(), DD_OK);
  EXPECT_EQ(EntryOf(screen, 5), (Rgb{20, 20, 20}));  // 61 / 3, truncated
  EXPECT_EQ(EntryOf(screen, 0), (Rgb{0, 0, 0}));

  // Fading out moves each channel by 3 a step, down to 0.
  ASSERT_EQ(screen.SetPaletteEntries(0, 256, entries), DD_OK);
  screen.FadePaletteOut(0);
  EXPECT_EQ(EntryOf(screen, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(EntryOf(screen, 6), (Rgb{6, 5, 3}));
  EXPECT_EQ(EntryOf(screen, 7), (Rgb{0, 0, 0}));

  // From black toward white and back: 83 steps of 3.
  ASSERT_EQ(screen.SetPaletteColor(0, 0, 0), DD_OK);
  screen.FadePaletteToColor(255, 255, 255, 0);
  EXPECT_EQ(EntryOf(screen, 9), (Rgb{249, 249, 249}));
  EXPECT_EQ(EntryOf(screen, 0), (Rgb{0, 0, 0}));
  ASSERT_EQ(screen.SetPaletteColor(255, 255, 255), DD_OK);
  screen.FadePaletteToColor(0, 0, 0, 0);
  EXPECT_EQ(EntryOf(screen, 9), (Rgb{6, 6, 6}));

  // Each of the 83 steps waits its delay by sleeping: the manual clock moves by exactly that.
  qvhost::UseManualClock(1000);
  screen.FadePaletteOut(10);
  EXPECT_EQ(timeGetTime(), 1000u + 83 * 10);

  PALETTEENTRY flagged = {9, 9, 9, 4};
  ASSERT_EQ(screen.SetPaletteEntries(3, 1, &flagged), DD_OK);
  ASSERT_EQ(screen.SetPaletteEntry(3, 7, 8, 9), DD_OK);
  ASSERT_EQ(screen.GetPaletteEntries(3, 1, &flagged), DD_OK);
  EXPECT_EQ(flagged.peRed, 7);
  EXPECT_EQ(flagged.peFlags, 4);

  // Without a palette the operations refuse and leave the out values alone.
  EXPECT_EQ(screen.SetPaletteFromImage(nullptr), 0);
  EXPECT_EQ(screen.SetPaletteFromImage("no-such-palette.bmp"), 0);
  EXPECT_EQ(screen.palette, nullptr);
  EXPECT_NE(screen.SetPaletteEntry(1, 2, 3, 4), DD_OK);
  EXPECT_NE(screen.GrayPalette(), DD_OK);
  DWORD r = 77, g = 0, b = 0;
  screen.GetPaletteEntry(1, &r, &g, &b);
  EXPECT_EQ(r, 77u);
  screen.FadePaletteOut(0);
}

}  // namespace
