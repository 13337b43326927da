// Blt and BltFast: where they refuse, what they draw, colour keys, stretching, mirroring,
// clipping, and surfaces that are busy.
#include "ddraw_test_util.h"

namespace {

using ddtest::DDrawTest;

class Blits : public DDrawTest {
 protected:
  void SetUp() override {
    DDrawTest::SetUp();
    FullScreen(16);
  }
};

TEST_F(Blits, BltFastNeverClipsAndRefusesWithoutDrawing) {
  IDirectDrawSurface4* dst = Make(800, 600);
  IDirectDrawSurface4* src = Make(80, 15);
  ASSERT_EQ(FillAll(dst, 0x1111), DD_OK);
  ASSERT_EQ(FillAll(src, 0x2222), DD_OK);
  const std::vector<uint32_t> before = Read(dst);

  EXPECT_EQ(dst->BltFast(760, 0, src, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);  // right
  EXPECT_EQ(dst->BltFast(0, 590, src, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);  // bottom
  EXPECT_EQ(dst->BltFast(900, 700, src, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(static_cast<DWORD>(-5), 0, src, nullptr, 0), DDERR_INVALIDRECT);
  RECT outside = {70, 0, 90, 15};  // runs past the source
  EXPECT_EQ(dst->BltFast(0, 0, src, &outside, 0), DDERR_INVALIDRECT);
  RECT empty = {10, 5, 10, 10};
  EXPECT_EQ(dst->BltFast(0, 0, src, &empty, 0), DDERR_INVALIDRECT);
  RECT inverted = {20, 10, 10, 5};
  EXPECT_EQ(dst->BltFast(0, 0, src, &inverted, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(Read(dst), before);

  // Touching the edge exactly draws.
  ASSERT_EQ(dst->BltFast(720, 585, src, nullptr, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(At(dst, 719, 590), 0x1111u);
  EXPECT_EQ(At(dst, 720, 585), 0x2222u);
  EXPECT_EQ(At(dst, 799, 599), 0x2222u);

  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
  EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, 0), DDERR_BLTFASTCANTCLIP);
  dst->SetClipper(nullptr);
  clipper->Release();
}

TEST_F(Blits, BltRefusesRectanglesLeavingTheSurfaceUnlessClipped) {
  IDirectDrawSurface4* dst = Make(100, 50);
  IDirectDrawSurface4* src = Make(20, 10);
  ASSERT_EQ(FillAll(dst, 0x0001), DD_OK);
  ASSERT_EQ(FillAll(src, 0x0002), DD_OK);
  RECT leaving = {90, 45, 110, 55};
  EXPECT_EQ(FillAll(dst, 0x0003, &leaving), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->Blt(&leaving, src, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  RECT inverted = {10, 10, 5, 20};
  EXPECT_EQ(FillAll(dst, 0x0003, &inverted), DDERR_INVALIDRECT);
  RECT srcOutside = {0, 0, 21, 10};
  RECT inside = {0, 0, 21, 10};
  EXPECT_EQ(dst->Blt(&inside, src, &srcOutside, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  for (uint32_t v : Read(dst)) ASSERT_EQ(v, 1u);

  // A clip list of two rectangles: the part of the destination inside them is drawn.
  struct {
    DWORD dwSize, iType, nCount, nRgnSize;
    RECT bound;
    RECT rects[2];
  } region = {32, 1, 2, 32, {0, 0, 100, 50}, {{0, 0, 95, 48}, {0, 48, 100, 50}}};
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetClipList(reinterpret_cast<LPRGNDATA>(&region), 0), DD_OK);
  ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
  ASSERT_EQ(dst->Blt(&leaving, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(At(dst, 89, 46), 1u);
  EXPECT_EQ(At(dst, 90, 45), 2u);
  EXPECT_EQ(At(dst, 94, 47), 2u);
  EXPECT_EQ(At(dst, 95, 47), 1u);  // outside the first rectangle
  EXPECT_EQ(At(dst, 99, 49), 2u);  // inside the second
  ASSERT_EQ(FillAll(dst, 0x0009, &leaving), DD_OK);
  EXPECT_EQ(At(dst, 99, 49), 9u);
  dst->SetClipper(nullptr);
  clipper->Release();
}

TEST_F(Blits, FillsCutTheColourToThePixelDepth) {
  IDirectDrawSurface4* s16 = Make(8, 4);
  ASSERT_EQ(FillAll(s16, 0x12345678), DD_OK);
  for (uint32_t v : Read(s16)) ASSERT_EQ(v, 0x5678u);

  DDSURFACEDESC2 d = ddtest::Desc();
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  d.dwWidth = 37;  // rows that are not a multiple of the fill's stride
  d.dwHeight = 3;
  d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  d.ddpfPixelFormat.dwFlags = DDPF_RGB;
  d.ddpfPixelFormat.dwRGBBitCount = 32;
  d.ddpfPixelFormat.dwRBitMask = 0xFF0000;
  d.ddpfPixelFormat.dwGBitMask = 0xFF00;
  d.ddpfPixelFormat.dwBBitMask = 0xFF;
  IDirectDrawSurface4* s32 = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &s32, nullptr), DD_OK);
  owned.push_back(s32);
  RECT part = {1, 0, 36, 3};
  ASSERT_EQ(FillAll(s32, 0x12345678, &part), DD_OK);
  std::vector<uint32_t> px = Read(s32);
  EXPECT_EQ(px[0], 0u);
  EXPECT_EQ(px[1], 0x12345678u);
  EXPECT_EQ(px[35], 0x12345678u);
  EXPECT_EQ(px[36], 0u);

  d.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  d.ddpfPixelFormat.dwRGBBitCount = 8;
  d.ddpfPixelFormat.dwRBitMask = d.ddpfPixelFormat.dwGBitMask = d.ddpfPixelFormat.dwBBitMask = 0;
  IDirectDrawSurface4* s8 = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &s8, nullptr), DD_OK);
  owned.push_back(s8);
  ASSERT_EQ(FillAll(s8, 0x12345678), DD_OK);
  for (uint32_t v : Read(s8)) ASSERT_EQ(v, 0x78u);

  // Runs long enough for the processor's string store: a whole surface of contiguous rows, and
  // long rows cut at odd places, every pixel checked.
  IDirectDrawSurface4* big16 = Make(80, 60);
  ASSERT_EQ(FillAll(big16, 0xABCD), DD_OK);
  for (uint32_t v : Read(big16)) ASSERT_EQ(v, 0xABCDu);
  IDirectDrawSurface4* long16 = Make(2051, 2);
  RECT cut = {1, 0, 2050, 2};
  ASSERT_EQ(FillAll(long16, 0x1234, &cut), DD_OK);
  px = Read(long16);
  for (size_t i = 0; i < px.size(); ++i) {
    const size_t x = i % 2051;
    ASSERT_EQ(px[i], x >= 1 && x < 2050 ? 0x1234u : 0u) << i;
  }
}

TEST_F(Blits, KeyedCopiesSkipExactlyTheKeyedPixels) {
  IDirectDrawSurface4* src = Make(4, 2);
  IDirectDrawSurface4* dst = Make(4, 2);
  Write(src, {0xF81F, 0xF81E, 0xF820, 0x0001, 0x0000, 0xF81F, 0xFFFF, 0xF81F});
  ASSERT_EQ(FillAll(dst, 0x7777), DD_OK);

  // No key set: BltFast with the key flag copies every pixel, Blt with it refuses.
  ASSERT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Read(dst), Read(src));
  EXPECT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr),
            DDERR_INVALIDPARAMS);

  DDCOLORKEY key = {0xF81F, 0xF81F};
  ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  const std::vector<uint32_t> expected = {0x7777, 0xF81E, 0xF820, 0x0001,
                                          0x0000, 0x7777, 0xFFFF, 0x7777};
  ASSERT_EQ(FillAll(dst, 0x7777), DD_OK);
  ASSERT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Read(dst), expected);
  ASSERT_EQ(FillAll(dst, 0x7777), DD_OK);
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Read(dst), expected);

  // A wide sprite goes through the eight-at-a-time path and its tail.
  IDirectDrawSurface4* wide = Make(19, 1);
  IDirectDrawSurface4* under = Make(19, 1);
  std::vector<uint32_t> row, want;
  for (int i = 0; i < 19; ++i) {
    row.push_back(i % 3 == 0 ? 0xF81F : 0x100 + i);
    want.push_back(i % 3 == 0 ? 0x0042 : 0x100 + i);
  }
  Write(wide, row);
  ASSERT_EQ(wide->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  ASSERT_EQ(FillAll(under, 0x0042), DD_OK);
  ASSERT_EQ(under->BltFast(0, 0, wide, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(Read(under), want);

  DDCOLORKEY got = {};
  ASSERT_EQ(src->GetColorKey(DDCKEY_SRCBLT, &got), DD_OK);
  EXPECT_EQ(got.dwColorSpaceLowValue, 0xF81Fu);
  EXPECT_EQ(dst->GetColorKey(DDCKEY_SRCBLT, &got), DDERR_NOCOLORKEY);
}

TEST_F(Blits, RepeatedKeyedCopiesFollowChangesToTheSprite) {
  IDirectDrawSurface4* sprite = Make(5, 2);
  IDirectDrawSurface4* dst = Make(6, 2);
  Write(sprite, {0, 1, 0, 2, 3, 4, 0, 0, 5, 0});
  DDCOLORKEY key = {0, 0};
  ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  RECT part = {1, 0, 4, 2};
  for (int i = 0; i < 3; ++i) {  // later copies of an unchanged sprite reuse what was found
    ASSERT_EQ(FillAll(dst, 9), DD_OK);
    ASSERT_EQ(dst->BltFast(1, 0, sprite, &part, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(Read(dst), (std::vector<uint32_t>{9, 1, 9, 2, 9, 9, 9, 9, 9, 5, 9, 9}));
  }
  Write(sprite, {7, 7, 7, 7, 7, 0, 0, 0, 0, 0});  // written through a lock
  ASSERT_EQ(dst->BltFast(1, 0, sprite, &part, DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(Read(dst), (std::vector<uint32_t>{9, 7, 7, 7, 9, 9, 9, 9, 9, 5, 9, 9}));
  key = {7, 7};
  ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(FillAll(dst, 9), DD_OK);
    ASSERT_EQ(dst->Blt(nullptr, sprite, nullptr, DDBLT_KEYSRC, nullptr), DD_OK);
  }
  EXPECT_EQ(Read(dst)[0], 9u);
  EXPECT_EQ(Read(dst)[6], 0u);
}

TEST_F(Blits, StretchIsNearestNeighbourAndMirrorsOnRequest) {
  IDirectDrawSurface4* src = Make(2, 2);
  IDirectDrawSurface4* dst = Make(4, 4);
  Write(src, {1, 2, 3, 4});
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Read(dst), (std::vector<uint32_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));

  Write(dst, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  ASSERT_EQ(src->Blt(nullptr, dst, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Read(src), (std::vector<uint32_t>{1, 3, 9, 11}));

  DDBLTFX fx = ddtest::Fx();
  fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT;
  IDirectDrawSurface4* out = Make(4, 4);
  ASSERT_EQ(out->Blt(nullptr, dst, nullptr, DDBLT_DDFX | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(Read(out),
            (std::vector<uint32_t>{4, 3, 2, 1, 8, 7, 6, 5, 12, 11, 10, 9, 16, 15, 14, 13}));
  fx.dwDDFX = DDBLTFX_MIRRORUPDOWN;
  RECT top = {0, 0, 4, 2};
  ASSERT_EQ(out->Blt(&top, dst, &top, DDBLT_DDFX | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(Read(out),
            (std::vector<uint32_t>{5, 6, 7, 8, 1, 2, 3, 4, 12, 11, 10, 9, 16, 15, 14, 13}));

  qvhost::Withdraw(qvhost::Capability::Mirroring);
  EXPECT_EQ(out->Blt(nullptr, dst, nullptr, DDBLT_DDFX | DDBLT_WAIT, &fx), DDERR_NOMIRRORHW);
  DDCAPS hal = {}, hel = {};
  hal.dwSize = hel.dwSize = sizeof(DDCAPS);
  ASSERT_EQ(dd->GetCaps(&hal, &hel), DD_OK);
  EXPECT_EQ(hal.dwFXCaps & (DDFXCAPS_BLTMIRRORLEFTRIGHT | DDFXCAPS_BLTMIRRORUPDOWN), 0u);
  EXPECT_NE(hal.dwCaps & DDCAPS_BLTSTRETCH, 0u);
}

// A surface drawn onto itself reads its pixels as they were before the blit, whichever way the
// rectangles overlap: each blit gives what the same blit from an unchanged copy gives.
TEST_F(Blits, BlitsWithinOneSurfaceReadThePixelsAsTheyWere) {
  IDirectDrawSurface4* s = Make(12, 10);
  IDirectDrawSurface4* copy = Make(12, 10);
  std::vector<uint32_t> picture(12 * 10);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint32_t>(0x100 + i * 7);
  const RECT from = {3, 3, 9, 7};
  const RECT moved[] = {{1, 3, 7, 7}, {5, 3, 11, 7}, {3, 1, 9, 5},   {3, 5, 9, 9},
                        {1, 1, 7, 5}, {5, 5, 11, 9}, {2, 2, 12, 10}, {4, 4, 7, 6}};
  DDBLTFX fx = ddtest::Fx();
  fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN;
  fx.ddckSrcColorkey = {picture[12 * 4 + 5], picture[12 * 4 + 5]};
  enum How { kBlt, kBltKeyed, kBltMirrored, kBltFast, kBitBlt, kStretchBlt, kWays };
  auto draw = [&](How how, IDirectDrawSurface4* src, const RECT& to) {
    RECT d = to, f = from;
    const int w = to.right - to.left, h = to.bottom - to.top;
    const bool sameSize = w == f.right - f.left && h == f.bottom - f.top;
    switch (how) {
      case kBlt:
        return s->Blt(&d, src, &f, DDBLT_WAIT, nullptr);
      case kBltKeyed:
        return s->Blt(&d, src, &f, DDBLT_WAIT | DDBLT_KEYSRCOVERRIDE, &fx);
      case kBltMirrored:
        return s->Blt(&d, src, &f, DDBLT_WAIT | DDBLT_DDFX, &fx);
      case kBltFast:
        return sameSize ? s->BltFast(to.left, to.top, src, &f, DDBLTFAST_WAIT) : DD_OK;
      default: {
        HDC dc = nullptr, srcDc = nullptr;
        if (s->GetDC(&dc) != DD_OK) return DDERR_GENERIC;
        if (src != s && src->GetDC(&srcDc) != DD_OK) return DDERR_GENERIC;
        const BOOL done =
            how == kBitBlt
                ? BitBlt(dc, to.left, to.top, w, h, srcDc ? srcDc : dc, f.left, f.top, SRCCOPY)
                : StretchBlt(dc, to.right, to.top, -w, h, srcDc ? srcDc : dc, f.left, f.top,
                             f.right - f.left, f.bottom - f.top, SRCCOPY);
        if (srcDc) src->ReleaseDC(srcDc);
        s->ReleaseDC(dc);
        return done ? DD_OK : DDERR_GENERIC;
      }
    }
  };
  for (int how = 0; how < kWays; ++how) {
    for (const RECT& to : moved) {
      Write(s, picture);
      Write(copy, picture);
      ASSERT_EQ(draw(static_cast<How>(how), copy, to), DD_OK);
      const std::vector<uint32_t> want = Read(s);
      Write(s, picture);
      ASSERT_EQ(draw(static_cast<How>(how), s, to), DD_OK);
      EXPECT_EQ(Read(s), want) << "way " << how << ", to " << to.left << "," << to.top;
    }
  }
}

TEST_F(Blits, BusySurfacesRefuseBlitsLocksAndDeviceContexts) {
  IDirectDrawSurface4* a = Make(16, 16);
  IDirectDrawSurface4* b = Make(16, 16);
  DDSURFACEDESC2 d = ddtest::Desc();
  ASSERT_EQ(a->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  DDSURFACEDESC2 again = ddtest::Desc();
  EXPECT_EQ(a->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(b->BltFast(0, 0, a, nullptr, 0), DDERR_SURFACEBUSY);
  EXPECT_EQ(a->BltFast(0, 0, b, nullptr, 0), DDERR_SURFACEBUSY);
  EXPECT_EQ(b->Blt(nullptr, a, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(FillAll(a, 1), DDERR_SURFACEBUSY);
  HDC dc = nullptr;
  EXPECT_EQ(a->GetDC(&dc), DDERR_SURFACEBUSY);
  ASSERT_EQ(a->Unlock(nullptr), DD_OK);
  EXPECT_EQ(a->Unlock(nullptr), DDERR_NOTLOCKED);

  ASSERT_EQ(a->GetDC(&dc), DD_OK);
  ASSERT_NE(dc, nullptr);
  HDC second = nullptr;
  EXPECT_EQ(a->GetDC(&second), DDERR_DCALREADYCREATED);
  EXPECT_EQ(b->BltFast(0, 0, a, nullptr, 0), DDERR_SURFACEBUSY);
  EXPECT_EQ(FillAll(a, 1), DDERR_SURFACEBUSY);
  EXPECT_EQ(a->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(a->ReleaseDC(reinterpret_cast<HDC>(&second)), DDERR_INVALIDPARAMS);
  ASSERT_EQ(a->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(a->ReleaseDC(dc), DDERR_NODC);
  EXPECT_EQ(b->BltFast(0, 0, a, nullptr, 0), DD_OK);
}

TEST_F(Blits, LockGivesTheRectanglesFirstPixelAndThePitch) {
  IDirectDrawSurface4* s = Make(10, 4);
  Write(s, std::vector<uint32_t>(40, 0));
  RECT r = {3, 2, 5, 4};
  DDSURFACEDESC2 d = ddtest::Desc();
  ASSERT_EQ(s->Lock(&r, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_GE(d.lPitch, 20);
  EXPECT_EQ(d.dwWidth, 10u);
  EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 16u);
  EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, 0xF800u);
  *static_cast<uint16_t*>(d.lpSurface) = 0xABCD;
  ASSERT_EQ(s->Unlock(&r), DD_OK);
  EXPECT_EQ(At(s, 3, 2), 0xABCDu);
  RECT bad = {8, 0, 11, 2};
  EXPECT_EQ(s->Lock(&bad, &d, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
  RECT inverted = {5, 3, 3, 2};
  EXPECT_EQ(s->Lock(&inverted, &d, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(Blits, StructuresWithAWrongSizeAreRefused) {
  IDirectDrawSurface4* s = Make(8, 8);
  DDSURFACEDESC2 d = ddtest::Desc();
  d.dwSize = 124 + 1;
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s->GetSurfaceDesc(&d), DDERR_INVALIDPARAMS);
  IDirectDrawSurface4* made = nullptr;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = d.dwHeight = 8;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  EXPECT_EQ(dd->CreateSurface(&d, &made, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(made, nullptr);
  DDPIXELFORMAT pf = {};
  pf.dwSize = 31;
  EXPECT_EQ(s->GetPixelFormat(&pf), DDERR_INVALIDPARAMS);
  pf.dwSize = sizeof pf;
  EXPECT_EQ(s->GetPixelFormat(&pf), DD_OK);
  DDBLTFX fx = ddtest::Fx();
  fx.dwSize = sizeof fx - 4;
  EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
  DDCAPS caps = {};
  caps.dwSize = sizeof caps + 4;
  EXPECT_EQ(dd->GetCaps(&caps, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd->GetDisplayMode(&d), DDERR_INVALIDPARAMS);
}

TEST_F(Blits, AllSurfacesTogetherStayWithinABudget) {
  // 4096 x 4096 at 16 bits is 32 MiB; all surfaces together hold at most 256 MiB.
  DDSURFACEDESC2 d = ddtest::Desc();
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  d.dwWidth = d.dwHeight = 4096;
  std::vector<IDirectDrawSurface4*> made;
  IDirectDrawSurface4* s = nullptr;
  while (made.size() < 10 && dd->CreateSurface(&d, &s, nullptr) == DD_OK) made.push_back(s);
  ASSERT_EQ(made.size(), 8u);
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_OUTOFMEMORY);
  made.back()->Release();
  EXPECT_EQ(dd->CreateSurface(&d, &made.back(), nullptr), DD_OK);
  for (IDirectDrawSurface4* each : made) each->Release();
}

TEST_F(Blits, BadArgumentsGetResultCodes) {
  IDirectDrawSurface4* s = Make(8, 8);
  EXPECT_EQ(s->BltFast(0, 0, nullptr, nullptr, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s->Lock(nullptr, nullptr, 0, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s->GetDC(nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s->GetAttachedSurface(nullptr, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s->GetSurfaceDesc(nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
  EXPECT_EQ(s->SetColorKey(0, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd->CreateSurface(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);

  auto create = [&](DWORD w, DWORD h) {
    DDSURFACEDESC2 d = ddtest::Desc();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.dwWidth = w;
    d.dwHeight = h;
    IDirectDrawSurface4* out = reinterpret_cast<IDirectDrawSurface4*>(&d);
    HRESULT hr = dd->CreateSurface(&d, &out, nullptr);
    EXPECT_EQ(out, nullptr);
    return hr;
  };
  EXPECT_EQ(create(0, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(create(10, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(create(static_cast<DWORD>(-10), 10), DDERR_INVALIDPARAMS);
  // The largest surface: sides up to 8192, at most 64 MiB.
  EXPECT_EQ(create(8193, 10), DDERR_INVALIDPARAMS);
  EXPECT_EQ(create(10, 100000), DDERR_INVALIDPARAMS);
  EXPECT_EQ(create(8192, 8192), DDERR_OUTOFMEMORY);

  DDSURFACEDESC2 d = ddtest::Desc();
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  IDirectDrawSurface4* out = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &out, nullptr), DDERR_INVALIDPARAMS);  // no size
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = d.dwHeight = 4;
  EXPECT_EQ(dd->CreateSurface(&d, &out, nullptr), DDERR_INVALIDCAPS);
}

}  // namespace
