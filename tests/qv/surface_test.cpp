// Surface: creation and its memory types, rectangles, colour keys, locking with restores,
// fills, inversion, the draw slots' rectangles and their answer to a lost surface, copies.
#include <cstring>
#include <string>

#include "blend_fixture.h"
#include "image_files.h"

namespace {

DWORD CapsOf(IDirectDrawSurface4* surface) {
  DDSCAPS2 caps = {};
  surface->GetCaps(&caps);
  return caps.dwCaps;
}

std::vector<LONG> Sides(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

HFONT Arial() {
  return CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
}

using SurfaceTest = BlitTest;

TEST_F(SurfaceTest, CreationSetsTheRectanglesAndTheFormat) {
  EXPECT_EQ(Surface().colorKey, 0xFFFFFFFFu);
  Surface s(screen.get(), 100, 50, SystemMemory);
  ASSERT_NE(s.surface, nullptr);
  for (const RECT& r : {s.sourceRect, s.destRect, s.clipRect})
    EXPECT_EQ(Sides(r), (std::vector<LONG>{0, 0, 100, 50}));
  EXPECT_EQ(s.colorKey, 0xFFFFFFFFu);
  EXPECT_EQ(s.pixelFormat.bitsPerPixel, 16u);
  EXPECT_EQ(s.pixelFormat.greenMask, 63);
  // The setters take top, left, bottom, right.
  s.SetSourceRect(10, 20, 30, 40);
  s.SetDestRect(10, 20, 30, 40);
  for (const RECT& r : {s.sourceRect, s.destRect})
    EXPECT_EQ(Sides(r), (std::vector<LONG>{20, 10, 40, 30}));

  // No screen, or a refused size: 0 and no surface.
  Surface none;
  EXPECT_EQ(none.Create(nullptr, 10, 10, SystemMemory), 0);
  EXPECT_EQ(none.Create(screen.get(), -1, 10, SystemMemory), 0);
  EXPECT_EQ(none.surface, nullptr);
  EXPECT_EQ(none.Create(screen.get(), static_cast<const char*>(nullptr), AnyMemory), 0);
  EXPECT_EQ(none.Create(screen.get(), "no-such-file.bmp", AnyMemory), 0);
}

// 0 video memory, 1 system memory, anything else any memory (video while there is some).
TEST_F(SurfaceTest, MemoryTypeLooksAtTheLowEightBitsOnly) {
  const int video[] = {0, 256}, system[] = {1, 257}, any[] = {2, 3, 255};
  for (bool hasVideo : {true, false}) {
    SCOPED_TRACE(hasVideo ? "with video memory" : "without");
    if (!hasVideo) qvhost::Withdraw(qvhost::Capability::VideoMemory);
    const auto memoryOf = [&](int memory) -> DWORD {
      Surface s(screen.get(), 8, 8, static_cast<SurfaceMemory>(memory));
      if (!s.surface) return 0;
      EXPECT_TRUE(CapsOf(s.surface) & DDSCAPS_OFFSCREENPLAIN) << memory;
      return CapsOf(s.surface) & (DDSCAPS_VIDEOMEMORY | DDSCAPS_SYSTEMMEMORY);
    };
    const DWORD anyMemory = hasVideo ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    for (int memory : video) EXPECT_EQ(memoryOf(memory), hasVideo ? DDSCAPS_VIDEOMEMORY : 0u);
    for (int memory : system) EXPECT_EQ(memoryOf(memory), DWORD(DDSCAPS_SYSTEMMEMORY));
    for (int memory : any) EXPECT_EQ(memoryOf(memory), anyMemory) << memory;
  }
}

TEST_F(SurfaceTest, ColorKeyFromTheTopLeftPixel) {
  Surface s(screen.get(), 4, 4, SystemMemory);
  s.Fill(0x1234);
  Set(s, 0, 0, 0xF81F);
  s.SetColorKey();
  EXPECT_EQ(s.colorKey, 0xF81Fu);
  DDCOLORKEY key = {};
  ASSERT_EQ(s.surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  EXPECT_EQ(key.dwColorSpaceLowValue, 0xF81Fu);
  EXPECT_EQ(key.dwColorSpaceHighValue, 0xF81Fu);
  EXPECT_EQ(s.SetColorKey(0x1F), DD_OK);
  EXPECT_EQ(s.colorKey, 0x1Fu);

  // A surface that can't be locked gives the key 0xFFFFFFFF.
  qvhost::FailCall("IDirectDrawSurface4::Lock", DDERR_SURFACEBUSY);
  s.SetColorKey();
  EXPECT_EQ(s.colorKey, 0xFFFFFFFFu);

  ASSERT_EQ(screen->CreateFullScreen(window, 800, 600, 32, 0), 1);
  Surface wide(screen.get(), 4, 4, SystemMemory);
  wide.Fill(0x00ABCDEF);
  wide.SetColorKey();
  EXPECT_EQ(wide.colorKey, 0x00ABCDEFu);
}

TEST_F(SurfaceTest, FillAndFillRectCoverExactlyTheirArea) {
  Surface s(screen.get(), 32, 32, SystemMemory);
  ASSERT_EQ(s.Fill(0), DD_OK);
  ASSERT_EQ(s.FillRect(10, 10, 20, 20, 0xFFFF), DD_OK);
  EXPECT_EQ(CountNot(s, 0), 100);
  EXPECT_EQ(Get(s, 10, 10) + Get(s, 19, 19), 2u * 0xFFFF);

  // A lost surface answers the fill without being restored.
  Surface video(screen.get(), 8, 8, VideoMemory);
  qvhost::LoseSurfaces();
  EXPECT_EQ(video.Fill(0), DDERR_SURFACELOST);
  EXPECT_EQ(video.surface->IsLost(), DDERR_SURFACELOST);
}

TEST_F(SurfaceTest, InvertRectIsClampedAndUndoesItself) {
  Surface s(screen.get(), 64, 64, SystemMemory);
  s.Fill(0x0F0F);
  Set(s, 63, 63, 0x1234);
  EXPECT_EQ(s.InvertRect(-5, -5, 1000, 1000), 0);
  EXPECT_EQ(Get(s, 0, 0), 0xF0F0u);
  EXPECT_EQ(Get(s, 63, 63), 0xEDCBu);
  EXPECT_EQ(s.InvertRect(-5, -5, 1000, 1000), 0);
  EXPECT_EQ(Get(s, 0, 0), 0x0F0Fu);
  EXPECT_EQ(Get(s, 63, 63), 0x1234u);

  EXPECT_EQ(s.InvertRect(1, 1, 3, 2), 0);  // (1, 1) and (2, 1) only
  EXPECT_EQ(CountNot(s, 0x0F0F), 3);
  EXPECT_EQ(Get(s, 1, 1) + Get(s, 2, 1), 2u * 0xF0F0);
  EXPECT_EQ(s.InvertRect(5, 5, 2, 2), 0);  // empty: nothing changes
  EXPECT_EQ(Get(s, 3, 3), 0x0F0Fu);
}

TEST_F(SurfaceTest, ScaledAndStretchedDrawsStoreTheirRectangle) {
  Surface s(screen.get(), 33, 21, SystemMemory);
  s.SetColorKey(0);
  EXPECT_EQ(s.BlitScaled(10, 20, 1.5f, screen->GetBack()), DD_OK);
  EXPECT_EQ(Sides(s.destRect), (std::vector<LONG>{10, 20, 59, 51}));

  // Its source rectangle, 4 x 4, stretched over 2 x 3 times the surface, keyed: each source
  // pixel covers 8 x 12, the transparent top-left one leaves the back buffer showing. A later
  // Blit, unkeyed, fills the same rectangle.
  Surface square(screen.get(), 16, 16, SystemMemory);
  square.Fill(0x07E0);
  Set(square, 0, 0, 0x001F);
  square.SetSourceRect(0, 0, 4, 4);
  square.SetColorKey(0x001F);
  Surface* back = screen->GetBack();
  for (bool again : {false, true}) {
    SCOPED_TRACE(again ? "Blit with the stored rectangle" : "BlitStretched");
    back->Fill(0xF800);
    EXPECT_EQ(again ? square.Blit(back) : square.BlitStretched(0, 0, 2, 3, back), DD_OK);
    EXPECT_EQ(square.destRect.right, 32);
    EXPECT_EQ(square.destRect.bottom, 48);
    EXPECT_EQ(Get(*back, 7, 11), again ? 0x001Fu : 0xF800u);  // Blit draws the key too
    EXPECT_EQ(Get(*back, 8, 0), 0x07E0u);
    EXPECT_EQ(Get(*back, 0, 12), 0x07E0u);
    EXPECT_EQ(Get(*back, 31, 47), 0x07E0u);
    EXPECT_EQ(Get(*back, 32, 47), 0xF800u);
    EXPECT_EQ(Get(*back, 31, 48), 0xF800u);
  }
}

TEST_F(SurfaceTest, DrawsCopyPixelsWithAndWithoutTheKey) {
  Surface sprite(screen.get(), 4, 4, SystemMemory);
  sprite.Fill(0x07E0);
  Set(sprite, 0, 0, 0x001F);
  sprite.SetColorKey();  // the top-left blue is transparent
  Surface* back = screen->GetBack();
  back->Fill(0xF800);
  EXPECT_EQ(sprite.BlitKeyedAt(100, 100, back), DD_OK);
  EXPECT_EQ(Get(*back, 100, 100), 0xF800u);
  EXPECT_EQ(Get(*back, 101, 100), 0x07E0u);
  EXPECT_EQ(sprite.BlitAt(200, 100, back), DD_OK);
  EXPECT_EQ(Get(*back, 200, 100), 0x001Fu);

  // Clipped: only the two columns inside the clip rectangle land, at the unmoved position.
  back->Fill(0);
  EXPECT_EQ(sprite.BlitKeyedClippedAt(798, 10, back, RECT{0, 0, 800, 600}), DD_OK);
  EXPECT_EQ(Get(*back, 799, 11), 0x07E0u);
  EXPECT_EQ(sprite.sourceRect.right, 4);
  // Cut on the left: the rest starts at the clip rectangle's edge.
  back->Fill(0);
  EXPECT_EQ(sprite.BlitKeyedClippedAt(-2, 10, back, RECT{0, 0, 800, 600}), DD_OK);
  EXPECT_EQ(Get(*back, 0, 10), 0x07E0u);
  EXPECT_EQ(Get(*back, 2, 10), 0u);

  // Missing target or image: an error, no crash.
  Surface empty;
  EXPECT_EQ(sprite.Blit(nullptr), DDERR_INVALIDPARAMS);
  EXPECT_NE(empty.Blit(back), DD_OK);
  EXPECT_NE(sprite.BlitAt(0, 0, &empty), DD_OK);
  EXPECT_NE(empty.BlitMirroredUpDown(0, 0, back), DD_OK);
  EXPECT_NE(empty.Fill(0), DD_OK);
  EXPECT_NE(empty.Lock(), DD_OK);
  EXPECT_EQ(empty.GetDC(), nullptr);
  empty.ReleaseDC();
  empty.Restore();
  empty.ReservedBlit(1, 2, 3, 4, 5);
}

TEST_F(SurfaceTest, ALostDrawRestoresTheDrawingSurfaceOnce) {
  Surface s(screen.get(), 8, 8, VideoMemory);
  qvhost::LoseSurfaces();
  screen->RestoreSurfaces();
  qvhost::EnableCallLog(true);
  EXPECT_EQ(s.BlitAt(0, 0, screen->GetBack()), DDERR_SURFACELOST);
  // Restored, and the draw is not tried again.
  EXPECT_EQ(qvhost::CallsNamed("IDirectDrawSurface4::BltFast").size(), 1u);
  EXPECT_EQ(qvhost::CallsNamed("IDirectDrawSurface4::Restore").size(), 1u);
  EXPECT_EQ(s.surface->IsLost(), DD_OK);
  EXPECT_EQ(s.BlitAt(0, 0, screen->GetBack()), DD_OK);

  // Mirrored draws hand the error back without restoring.
  qvhost::FailCall("IDirectDrawSurface4::Blt", DDERR_SURFACELOST);
  qvhost::ClearCallLog();
  EXPECT_EQ(s.BlitMirroredLeftRight(0, 0, screen->GetBack()), DDERR_SURFACELOST);
  EXPECT_TRUE(qvhost::CallsNamed("IDirectDrawSurface4::Restore").empty());
}

TEST_F(SurfaceTest, RestoringAFullScreenBackBufferRestoresTheFrontBuffer) {
  qvhost::LoseSurfaces();
  screen->GetBack()->Restore();
  EXPECT_EQ(screen->front->surface->IsLost(), DD_OK);
  EXPECT_EQ(screen->back->surface->IsLost(), DD_OK);
  EXPECT_EQ(screen->Flip(1, 1, 0), DD_OK);
}

TEST_F(SurfaceTest, LockRestoresALostSurfaceAndGivesUpOnOneThatStaysLost) {
  qvhost::UseManualClock(0);
  Surface s(screen.get(), 8, 8, VideoMemory);
  qvhost::LoseSurfaces();
  ASSERT_EQ(s.Lock(), DD_OK);
  EXPECT_NE(s.desc.lpSurface, nullptr);
  EXPECT_GE(s.desc.lPitch, 16);
  EXPECT_EQ(s.Unlock(), DD_OK);

  // A surface that stays lost: tried again for a while, between pauses, then given up.
  qvhost::FailCall("IDirectDrawSurface4::Lock", DDERR_SURFACELOST, -1);
  EXPECT_EQ(s.Lock(), DDERR_SURFACELOST);
  EXPECT_GT(qvhost::Now(), 100u);
  EXPECT_LT(qvhost::Now(), 2000u);
  qvhost::ClearFaults();

  qvhost::FailCall("IDirectDrawSurface4::Unlock", DDERR_SURFACELOST, -1);
  EXPECT_EQ(s.Unlock(), DDERR_SURFACELOST);
  qvhost::ClearFaults();
}

// Reference counts and rectangle helpers never fail on Windows: the host arms no fault there.
TEST_F(SurfaceTest, NoFaultOnCallsThatNeverFail) {
  Surface s(screen.get(), 8, 8, SystemMemory);
  EXPECT_FALSE(qvhost::FailCall("IDirectDrawSurface4::AddRef", E_FAIL));
  EXPECT_FALSE(qvhost::FailCall("IDirectDrawSurface4::Release", E_FAIL, -1));
  EXPECT_FALSE(qvhost::FailCall("SetRect", FALSE));
  EXPECT_TRUE(qvhost::FailCall("IDirectDrawSurface4::ReleaseDC", DDERR_NODC));
  qvhost::ClearFaults();
  EXPECT_EQ(s.surface->AddRef(), 2u);
  EXPECT_EQ(s.surface->Release(), 1u);
  RECT r = {};
  EXPECT_TRUE(SetRect(&r, 1, 2, 3, 4));
  EXPECT_EQ(r.right, 3);
}

TEST_F(SurfaceTest, GetDcIsHeldUntilReleased) {
  Surface s(screen.get(), 16, 16, SystemMemory);
  HDC dc = s.GetDC();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(s.GetDC(), dc);  // held: the same context
  s.ReleaseDC();
  EXPECT_EQ(s.Lock(), DD_OK);  // nothing left busy
  s.Unlock();
  s.GetDC();  // the destructor gives it back
}

TEST_F(SurfaceTest, CopiesHaveTheirOwnImageAndAlphaMap) {
  Surface source(screen.get(), 8, 4, SystemMemory);
  source.Fill(0x1234);
  source.SetColorKey(0x1234);
  source.alphaMap = new BYTE[32];
  for (int i = 0; i < 32; ++i) source.alphaMap[i] = static_cast<BYTE>(i);
  source.font = Arial();

  Surface copy(source);
  ASSERT_NE(copy.surface, nullptr);
  EXPECT_NE(copy.surface, source.surface);
  EXPECT_EQ(copy.width, 8);
  EXPECT_EQ(copy.colorKey, 0x1234u);
  EXPECT_EQ(copy.screen, screen.get());
  ASSERT_NE(copy.alphaMap, nullptr);
  EXPECT_NE(copy.alphaMap, source.alphaMap);
  EXPECT_EQ(std::memcmp(copy.alphaMap, source.alphaMap, 32), 0);
  EXPECT_NE(copy.font, nullptr);
  EXPECT_NE(copy.font, source.font);
  EXPECT_EQ(Get(copy, 7, 3), 0x1234u);
  EXPECT_TRUE(qvhost::MessageBoxes().empty());

  qvhost::FailCall("IDirectDraw4::CreateSurface", DDERR_OUTOFMEMORY);
  Surface failed(source);
  EXPECT_EQ(failed.surface, nullptr);
  ASSERT_EQ(qvhost::MessageBoxes().size(), 1u);
  EXPECT_EQ(qvhost::MessageBoxes()[0].text,
            "DirectDraw Error DDERR_OUTOFMEMORY\nFILE: qvsurface\nLINE: 276");
  EXPECT_EQ(qvhost::MessageBoxes()[0].owner, window);
}

TEST_F(SurfaceTest, RecreationAndDestructionGiveBackWhatTheSurfaceHeld) {
  Surface s(screen.get(), 8, 8, SystemMemory);
  s.alphaMap = new BYTE[64]();
  s.font = Arial();
  ASSERT_EQ(s.Create(screen.get(), 16, 16, SystemMemory), 1);  // frees both (leak checked)
  EXPECT_EQ(s.alphaMap, nullptr);
  EXPECT_EQ(s.font, nullptr);

  // Each surface holds one reference on the DirectDraw object, and gives it back; its
  // DirectDraw surface, made through IDirectDraw4, holds another.
  IDirectDraw4* directDraw = screen->directDraw;
  const ULONG before = directDraw->AddRef();
  directDraw->Release();
  {
    Surface a(screen.get(), 8, 8, SystemMemory);
    a.Create(screen.get(), 4, 4, AnyMemory);
    const ULONG during = directDraw->AddRef();
    directDraw->Release();
    EXPECT_EQ(during, before + 2);
  }
  const ULONG after = directDraw->AddRef();
  directDraw->Release();
  EXPECT_EQ(after, before);
}

TEST_F(SurfaceTest, AnImageFromAFileIsReloadedAfterALoss) {
  // Red, green, blue, white over four black pixels.
  const std::string path = WriteTemp(
      "surface_image.bmp", MakeBmp(4, 2, 24, {0xFF0000, 0xFF00, 0xFF, 0xFFFFFF, 0, 0, 0, 0}));
  Surface s(screen.get(), path.c_str(), VideoMemory);
  ASSERT_NE(s.surface, nullptr);
  EXPECT_EQ(s.width, 4);
  EXPECT_EQ(s.height, 2);
  EXPECT_EQ(s.fileName, path.c_str());
  EXPECT_EQ(s.colorKey, 0u);
  EXPECT_EQ(s.sourceRect.right, 4);
  EXPECT_EQ(s.clipRect.bottom, 2);
  EXPECT_EQ(s.desc.dwWidth, 4u);
  EXPECT_EQ(Get(s, 0, 0), 0xF800u);
  EXPECT_EQ(Get(s, 3, 0), 0xFFFFu);
  s.SetColorKey();
  EXPECT_EQ(s.colorKey, 0xF800u);

  qvhost::LoseSurfaces();
  screen->RestoreSurfaces();
  EXPECT_EQ(s.BlitKeyedAt(0, 0, screen->GetBack()), DDERR_SURFACELOST);
  EXPECT_EQ(s.surface->IsLost(), DD_OK);
  EXPECT_EQ(Get(s, 0, 0), 0xF800u);  // the image, not what the restored memory held
  EXPECT_EQ(Get(s, 1, 0), 0x07E0u);
}

}  // namespace
