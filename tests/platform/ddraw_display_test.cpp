// The display side of DirectDraw: cooperative levels, modes, flipping chains, lost surfaces,
// palettes, the windowed primary surface, enumeration, faults and the call record.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/backend.h"
#include "ddraw_test_util.h"

namespace {

using ddtest::DDrawTest;

// The header's layouts and result codes are those programs were compiled against.
static_assert(sizeof(DDCAPS) == 380 && sizeof(DDPIXELFORMAT) == 32 && sizeof(DDSCAPS2) == 16);
static_assert(uint32_t(DDERR_SURFACELOST) == 0x887601C2u &&
              uint32_t(DDERR_WASSTILLDRAWING) == 0x8876021Cu &&
              uint32_t(DDERR_INVALIDRECT) == 0x88760096u &&
              uint32_t(DDERR_INVALIDPARAMS) == 0x80070057u);

TEST_F(DDrawTest, CooperativeLevelFlagsAreValidated) {
  for (DWORD flags : {DWORD(DDSCL_EXCLUSIVE), DWORD(DDSCL_FULLSCREEN), DWORD(0),
                      DWORD(DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)}) {
    EXPECT_EQ(dd->SetCooperativeLevel(window, flags), DDERR_INVALIDPARAMS) << std::hex << flags;
  }
  EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
            DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DDERR_NOCOOPERATIVELEVELSET);
  IDirectDrawSurface4* s = nullptr;
  DDSURFACEDESC2 d = ddtest::Desc();
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_NOCOOPERATIVELEVELSET);
  EXPECT_EQ(dd->SetCooperativeLevel(window, 0x53), DD_OK);

  // A second DirectDraw object cannot take the display while the first holds it.
  IDirectDraw* other = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
  EXPECT_EQ(other->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
            DDERR_EXCLUSIVEMODEALREADYSET);
  other->Release();

  EXPECT_EQ(dd->SetDisplayMode(800, 601, 16, 0, 0), DDERR_INVALIDMODE);
  EXPECT_EQ(dd->SetDisplayMode(800, 600, 12, 0, 0), DDERR_INVALIDMODE);
  ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
  DDSURFACEDESC2 mode = ddtest::Desc();
  ASSERT_EQ(dd->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ((std::vector<DWORD>{mode.dwWidth, mode.dwHeight, mode.ddpfPixelFormat.dwRGBBitCount,
                                mode.ddpfPixelFormat.dwGBitMask}),
            (std::vector<DWORD>{800, 600, 16, 0x07E0}));
}

TEST_F(DDrawTest, FlipRotatesTheChainAndPresentsTheFront) {
  FullScreen(16);
  IDirectDrawSurface4* back = nullptr;
  IDirectDrawSurface4* front = Chain(2, &back);
  ASSERT_NE(front, nullptr);
  DDSCAPS2 caps = {};
  caps.dwCaps = DDSCAPS_FLIP;
  IDirectDrawSurface4* third = nullptr;
  ASSERT_EQ(back->GetAttachedSurface(&caps, &third), DD_OK);
  owned.push_back(third);
  ASSERT_NE(third, front);
  ASSERT_NE(third, back);
  DDSCAPS2 own = {};
  ASSERT_EQ(front->GetCaps(&own), DD_OK);
  EXPECT_NE(own.dwCaps & DDSCAPS_FRONTBUFFER, 0u);

  ASSERT_EQ(FillAll(front, 0xF800), DD_OK);  // red
  ASSERT_EQ(FillAll(back, 0x07E0), DD_OK);   // green
  ASSERT_EQ(FillAll(third, 0x001F), DD_OK);  // blue
  const int frames = qvhost::FrameCount();
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(qvhost::FrameCount(), frames + 1);
  EXPECT_EQ(qvhost::LastFrame().width, 800);
  EXPECT_EQ(qvhost::LastFrame().At(10, 10), 0x00FF00u);
  EXPECT_EQ((std::vector<uint32_t>{At(front, 0, 0), At(back, 0, 0), At(third, 0, 0)}),
            (std::vector<uint32_t>{0x07E0, 0x001F, 0xF800}));
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_NOVSYNC), DD_OK);
  EXPECT_EQ(qvhost::LastFrame().At(10, 10), 0x0000FFu);
  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
}

TEST_F(DDrawTest, OnlyWaitedFlipsWaitForTheVerticalBlank) {
  qvhost::UseHeadless(true);
  qvhost::UseManualClock(1000);
  FullScreen(16);
  IDirectDrawSurface4* back = nullptr;
  IDirectDrawSurface4* front = Chain(1, &back);
  ASSERT_NE(front, nullptr);
  const uint32_t start = qvhost::Now();
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_NOVSYNC), DD_OK);
  ASSERT_EQ(front->Flip(nullptr, 0), DD_OK);
  EXPECT_EQ(qvhost::Now(), start);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_GT(qvhost::Now(), start);
  EXPECT_LE(qvhost::Now(), start + 17);
}

TEST_F(DDrawTest, WithdrawnCapabilitiesFailLikeSmallerHardware) {
  FullScreen(16);
  qvhost::Withdraw(qvhost::Capability::SecondBackBuffer);
  DDSURFACEDESC2 d = ddtest::Desc();
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.ddsCaps.dwCaps = 0x6218;
  d.dwBackBufferCount = 2;
  IDirectDrawSurface4* s = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(s, nullptr);

  qvhost::Withdraw(qvhost::Capability::VideoMemory);
  d.dwBackBufferCount = 1;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_OUTOFVIDEOMEMORY);
  d.ddsCaps.dwCaps = 0x2A18;  // the same chain in system memory
  ASSERT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
  owned.push_back(s);
  IDirectDrawSurface4* second = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);

  // "Any memory" falls back to system memory, which is never lost.
  IDirectDrawSurface4* any = Make(8, 8, 0);
  DDSCAPS2 caps = {};
  any->GetCaps(&caps);
  EXPECT_NE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
  qvhost::LoseSurfaces();
  EXPECT_EQ(any->IsLost(), DD_OK);
  EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
}

TEST_F(DDrawTest, FocusLossLosesDisplayAndVideoMemoryUntilRestored) {
  FullScreen(16);
  IDirectDrawSurface4* back = nullptr;
  IDirectDrawSurface4* front = Chain(1, &back);
  IDirectDrawSurface4* video = Make(32, 32, DDSCAPS_VIDEOMEMORY);
  IDirectDrawSurface4* any = Make(32, 32, 0);
  IDirectDrawSurface4* system = Make(32, 32, DDSCAPS_SYSTEMMEMORY);
  ASSERT_EQ(FillAll(any, 0), DD_OK);

  qvhost::FocusLost();
  for (IDirectDrawSurface4* s : {front, back, video, any}) {
    EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
  }
  EXPECT_EQ(system->IsLost(), DD_OK);
  DDSURFACEDESC2 d = ddtest::Desc();
  HDC dc = nullptr;
  EXPECT_EQ(any->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(any->GetDC(&dc), DDERR_SURFACELOST);
  EXPECT_EQ(back->BltFast(0, 0, any, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(system->BltFast(0, 0, any, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(back->Blt(nullptr, system, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(FillAll(back, 0), DDERR_SURFACELOST);
  EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(front->Restore(), DDERR_WRONGMODE);  // still in the background
  EXPECT_EQ(system->BltFast(0, 0, system, nullptr, 0), DD_OK);

  qvhost::FocusRegained();
  EXPECT_EQ(front->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(back->Restore(), DDERR_IMPLICITLYCREATED);
  ASSERT_EQ(front->Restore(), DD_OK);
  EXPECT_EQ(back->IsLost(), DD_OK);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  ASSERT_EQ(any->Restore(), DD_OK);
  // Restored memory shows a check pattern of magenta and green, not the old picture.
  EXPECT_EQ((std::vector<uint32_t>{At(any, 0, 0), At(any, 8, 0), At(any, 8, 8)}),
            (std::vector<uint32_t>{0xF81F, 0x07E0, 0xF81F}));
  EXPECT_EQ(video->Restore(), DD_OK);
}

TEST_F(DDrawTest, AModeChangeLosesSurfacesAndAWindowedProgramKeepsThemOnFocusLoss) {
  FullScreen(16);
  IDirectDrawSurface4* back = nullptr;
  IDirectDrawSurface4* front = Chain(1, &back);
  IDirectDrawSurface4* video = Make(8, 8, DDSCAPS_VIDEOMEMORY);
  IDirectDrawSurface4* system = Make(8, 8, DDSCAPS_SYSTEMMEMORY);
  ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);  // the same mode: nothing lost
  EXPECT_EQ(video->IsLost(), DD_OK);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  for (IDirectDrawSurface4* s : {front, back, video}) EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(system->IsLost(), DD_OK);
  EXPECT_EQ(front->Restore(), DDERR_WRONGMODE);  // made for another mode
  EXPECT_EQ(video->Restore(), DD_OK);

  ASSERT_EQ(dd->RestoreDisplayMode(), DD_OK);
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  IDirectDrawSurface4* plain = Make(8, 8, 0);
  qvhost::FocusLost();
  EXPECT_EQ(plain->IsLost(), DD_OK);
  qvhost::FocusRegained();
}

TEST_F(DDrawTest, WindowedPrimaryIsTheDesktopAndBltsPresentTheClientArea) {
  DestroyWindow(window);
  window = ddtest::MakeWindow(100, 50, 320, 200);
  Windowed();
  DDSURFACEDESC2 d = ddtest::Desc();
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface4* primary = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &primary, nullptr), DD_OK);
  owned.push_back(primary);
  DDSURFACEDESC2 desc = ddtest::Desc();
  ASSERT_EQ(primary->GetSurfaceDesc(&desc), DD_OK);
  int w, h, bpp;
  plat::CurrentBackend().DesktopMode(&w, &h, &bpp);
  EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, static_cast<DWORD>(bpp));
  EXPECT_EQ(static_cast<int>(desc.dwWidth), w);
  EXPECT_EQ(static_cast<int>(desc.dwHeight), h);

  IDirectDrawSurface4* back = Make(320, 200, 0);
  ASSERT_EQ(FillAll(back, 0x00FF0000), DD_OK);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  clipper->Release();  // the surface keeps it

  RECT client;
  ASSERT_TRUE(GetClientRect(window, &client));
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  RECT target = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  const int frames = qvhost::FrameCount();
  ASSERT_EQ(primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  ASSERT_EQ(qvhost::FrameCount(), frames + 1);
  EXPECT_EQ(qvhost::LastFrame().width, client.right);
  EXPECT_EQ(qvhost::LastFrame().height, client.bottom);
  EXPECT_EQ(qvhost::LastFrame().At(0, 0), 0xFF0000u);
  EXPECT_EQ(qvhost::LastFrame().At(client.right - 1, client.bottom - 1), 0xFF0000u);
  // Parts of a blit outside the window's client area are clipped away.
  RECT wide = {0, 0, w, h};
  EXPECT_EQ(primary->Blt(&wide, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(primary->BltFast(0, 0, back, nullptr, 0), DDERR_BLTFASTCANTCLIP);
}

TEST_F(DDrawTest, PalettesHoldEntriesAndColourAnEightBitDisplay) {
  FullScreen(8, 640, 480);
  PALETTEENTRY entries[256] = {};
  entries[1] = {10, 20, 30, 0};
  IDirectDrawPalette* palette = nullptr;
  EXPECT_EQ(dd->CreatePalette(DDPCAPS_8BIT, nullptr, &palette, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd->CreatePalette(0, entries, &palette, nullptr), DDERR_INVALIDPARAMS);
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
  PALETTEENTRY got[2] = {};
  ASSERT_EQ(palette->GetEntries(0, 0, 2, got), DD_OK);
  EXPECT_EQ(got[1].peGreen, 20);
  PALETTEENTRY red = {255, 0, 0, 0};
  ASSERT_EQ(palette->SetEntries(0, 5, 1, &red), DD_OK);
  EXPECT_EQ(palette->SetEntries(0, 255, 2, got), DDERR_INVALIDPARAMS);
  EXPECT_EQ(palette->GetEntries(0, 256, 1, got), DDERR_INVALIDPARAMS);
  EXPECT_EQ(palette->GetEntries(0, 0, 1, nullptr), DDERR_INVALIDPARAMS);

  IDirectDrawSurface4* back = nullptr;
  IDirectDrawSurface4* front = Chain(1, &back);
  ASSERT_EQ(front->SetPalette(palette), DD_OK);
  palette->Release();  // the surface keeps it
  ASSERT_EQ(FillAll(back, 5), DD_OK);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(qvhost::LastFrame().At(3, 3), 0xFF0000u);

  ASSERT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  IDirectDrawSurface4* s16 = Make(4, 4);
  IDirectDrawPalette* another = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &another, nullptr), DD_OK);
  EXPECT_EQ(s16->SetPalette(another), DDERR_INVALIDPIXELFORMAT);
  another->Release();
}

TEST_F(DDrawTest, EnumerationReportsThePrimaryDriverAndTheModes) {
  struct Device {
    bool nullGuid;
    std::string description, name;
  };
  std::vector<Device> devices;
  auto deviceCallback = [](GUID* guid, LPSTR description, LPSTR name, LPVOID context,
                           HMONITOR) -> BOOL {
    static_cast<std::vector<Device>*>(context)->push_back({guid == nullptr, description, name});
    return TRUE;
  };
  ASSERT_EQ(DirectDrawEnumerateExA(deviceCallback, &devices, 5), DD_OK);
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_TRUE(devices[0].nullGuid);
  EXPECT_EQ(devices[0].description + "/" + devices[0].name, "Primary Display Driver/display");
  EXPECT_EQ(DirectDrawEnumerateExA(nullptr, nullptr, 0), DDERR_INVALIDPARAMS);

  std::vector<std::string> modes;
  auto modeCallback = [](LPDDSURFACEDESC2 d, LPVOID context) -> HRESULT {
    static_cast<std::vector<std::string>*>(context)->push_back(
        std::to_string(d->dwWidth) + "x" + std::to_string(d->dwHeight) + "x" +
        std::to_string(d->ddpfPixelFormat.dwRGBBitCount));
    return DDENUMRET_OK;
  };
  ASSERT_EQ(dd->EnumDisplayModes(DDEDM_STANDARDVGAMODES, nullptr, &modes, modeCallback), DD_OK);
  auto index = [&](const std::string& m) {
    auto at = std::find(modes.begin(), modes.end(), m);
    return at == modes.end() ? -1 : static_cast<int>(at - modes.begin());
  };
  for (const char* m : {"640x480x8", "800x600x8", "1024x768x8", "640x480x16", "800x600x16",
                        "1024x768x16", "800x600x24", "800x600x32"}) {
    EXPECT_GE(index(m), 0) << m;
  }
  EXPECT_LT(index("1024x768x8"), index("640x480x16"));
  EXPECT_LT(index("640x480x16"), index("800x600x16"));
  auto stopAtOnce = [](LPDDSURFACEDESC2, LPVOID context) -> HRESULT {
    ++*static_cast<int*>(context);
    return DDENUMRET_CANCEL;
  };
  int calls = 0;
  ASSERT_EQ(dd->EnumDisplayModes(0, nullptr, &calls, stopAtOnce), DD_OK);
  EXPECT_EQ(calls, 1);
}

TEST_F(DDrawTest, FaultsAndTheCallRecord) {
  FullScreen(16);
  IDirectDrawSurface4* back = nullptr;
  IDirectDrawSurface4* front = Chain(1, &back);
  IDirectDrawSurface4* sprite = Make(50, 30, 0);
  qvhost::EnableCallLog(true);
  RECT r = {0, 0, 50, 30};
  ASSERT_EQ(back->BltFast(50, 25, sprite, &r, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  GetTickCount();  // not DirectX's: left out of the record
  ASSERT_EQ(FillAll(back, 0x1234), DD_OK);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  // The calls in order, with the arguments the program passed, copied at the call.
  r = {};
  const std::vector<std::string> names = {"IDirectDrawSurface4::BltFast",
                                          "IDirectDrawSurface4::Blt", "IDirectDrawSurface4::Flip"};
  ASSERT_EQ(qvhost::CallNames(), names);
  const qvhost::CallRecord& fast = qvhost::Calls()[0];
  EXPECT_EQ(fast.Number(0), 50);
  EXPECT_EQ(fast.Number(1), 25);
  EXPECT_EQ(fast.args[2].text, "surface");
  EXPECT_EQ(fast.args[3].rect.right, 50);
  EXPECT_EQ(fast.args[3].rect.bottom, 30);
  EXPECT_EQ(fast.Number(4), DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  const qvhost::CallRecord& fill = qvhost::Calls()[1];
  EXPECT_TRUE(fill.args[0].null && fill.args[1].null && fill.args[2].null);
  EXPECT_EQ(fill.Number(3), DDBLT_COLORFILL | DDBLT_WAIT);
  EXPECT_EQ(fill.args[4].low, 0x1234u);
  EXPECT_EQ(qvhost::Calls()[2].Number(1), DDFLIP_WAIT);

  qvhost::FailCall("IDirectDrawSurface4::Blt", DDERR_GENERIC, 1);
  EXPECT_EQ(FillAll(back, 0), DDERR_GENERIC);
  EXPECT_EQ(FillAll(back, 0), DD_OK);
  qvhost::FailCall("DirectDrawCreate", DDERR_NODIRECTDRAWHW, 1);
  IDirectDraw* failed = reinterpret_cast<IDirectDraw*>(&r);
  EXPECT_EQ(DirectDrawCreate(nullptr, &failed, nullptr), DDERR_NODIRECTDRAWHW);
  EXPECT_EQ(failed, nullptr);
  qvhost::FailCall("IDirectDraw4::SetDisplayMode", DDERR_UNSUPPORTEDMODE, -1);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), DDERR_UNSUPPORTEDMODE);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), DDERR_UNSUPPORTEDMODE);
  // Answered calls are recorded too.
  EXPECT_EQ(qvhost::CallsNamed("IDirectDraw4::SetDisplayMode").size(), 2u);
  EXPECT_EQ(qvhost::CallsNamed("DirectDrawCreate").size(), 1u);
}

}  // namespace
