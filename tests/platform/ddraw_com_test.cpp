// DirectDraw's COM objects: a reference count for each DirectDraw interface, the references
// surfaces and palettes hold on IDirectDraw4,
// QueryInterface's answers, back buffers that outlive their own count, and faults armed on the
// IUnknown methods.
#include "ddraw_test_util.h"

namespace {

using ddtest::DDrawTest;

TEST_F(DDrawTest, DirectDrawInterfacesCountSeparately) {
  IDirectDraw* first = nullptr;
  ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&first)), DD_OK);
  EXPECT_EQ(first->AddRef(), 2u);
  IDirectDraw4* again = nullptr;
  ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&again)), DD_OK);
  EXPECT_EQ(again, dd);
  EXPECT_EQ(again->Release(), 1u);
  EXPECT_EQ(first->Release(), 1u);
  EXPECT_EQ(first->Release(), 0u);
  EXPECT_EQ(first->Release(), 0u);  // the object lives on through IDirectDraw4

  void* none = &first;
  EXPECT_EQ(dd->QueryInterface(IID_IDirectDrawSurface4, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(dd->QueryInterface(IID_IDirectDraw4, nullptr), DDERR_INVALIDPARAMS);

  // Calls through the first interface reach the same object.
  DDSURFACEDESC mode = {};
  mode.dwSize = sizeof mode;
  ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&first)), DD_OK);
  ASSERT_EQ(first->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwSize, sizeof mode);
  EXPECT_EQ(mode.dwWidth, 1024u);
  EXPECT_EQ(first->SetDisplayMode(640, 480, 16), DDERR_NOCOOPERATIVELEVELSET);
  mode.dwSize = sizeof(DDSURFACEDESC2);
  EXPECT_EQ(first->GetDisplayMode(&mode), DDERR_INVALIDPARAMS);
  EXPECT_EQ(first->Release(), 0u);
}

TEST_F(DDrawTest, SurfaceCountsAndBackBuffersLivingWithTheirFront) {
  FullScreen(16);
  IDirectDrawSurface4* back = nullptr;
  IDirectDrawSurface4* front = Chain(1, &back);
  ASSERT_NE(front, nullptr);
  EXPECT_EQ(front->AddRef(), 2u);
  IUnknown* unknown = nullptr;
  ASSERT_EQ(front->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), DD_OK);
  EXPECT_EQ(unknown->Release(), 2u);
  EXPECT_EQ(front->Release(), 1u);

  // The back buffer's count may reach zero: the front buffer keeps it.
  EXPECT_EQ(back->Release(), 1u);
  EXPECT_EQ(back->Release(), 0u);
  EXPECT_EQ(back->Release(), 0u);
  EXPECT_EQ(FillAll(back, 0x07E0), DD_OK);
  DDSCAPS2 caps = {};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  IDirectDrawSurface4* same = nullptr;
  ASSERT_EQ(front->GetAttachedSurface(&caps, &same), DD_OK);
  EXPECT_EQ(same, back);
  EXPECT_EQ(back->Release(), 0u);
}

// A surface or palette made through IDirectDraw4 holds it. A program that releases the object
// once too often leaves them usable as plain memory, and their release touches nothing freed.
TEST_F(DDrawTest, SurfacesAndPalettesHoldTheFourthInterface) {
  Windowed();
  IDirectDrawSurface4* surface = Make(8, 8);
  ASSERT_NE(surface, nullptr);
  PALETTEENTRY table[256] = {};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, table, &palette, nullptr), DD_OK);
  EXPECT_EQ(dd->Release(), 2u);
  EXPECT_EQ(dd->Release(), 1u);
  EXPECT_EQ(dd->Release(), 0u);
  dd = nullptr;
  EXPECT_EQ(FillAll(surface, 0x1234), DD_OK);
  void* object = nullptr;
  EXPECT_EQ(surface->GetDDInterface(&object), DDERR_INVALIDOBJECT);
  EXPECT_EQ(palette->Release(), 0u);
}

// A fault on IDirectDraw4 answers calls made through the first interface too.
TEST_F(DDrawTest, FaultsOnTheFourthInterfaceAnswerTheFirst) {
  Windowed();
  IDirectDraw* first = nullptr;
  ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&first)), DD_OK);
  qvhost::FailCall("IDirectDraw4::Compact", DDERR_GENERIC);
  EXPECT_EQ(first->Compact(), DDERR_GENERIC);
  EXPECT_EQ(first->Compact(), DDERR_NOEXCLUSIVEMODE);
  first->Release();
}

}  // namespace
