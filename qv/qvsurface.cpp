// Surface: creation, the draw operations of the virtual table, colour keys, locking, GDI access,
// fills and restoring after a loss.
#include "qvsurface.h"

#include <windows.h>
#include <ddraw.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "errors.h"
#include "imageload.h"
#include "qvscreen.h"

namespace {

const char kModuleName[] = "qvsurface";
// The line number a failed copy's DirectDraw error message shows: a fixed value, so a player's
// report names the same step in every build.
constexpr int kLineCopyCreate = 276;

// A display that never comes back must not hang the program: Lock and Unlock give up after
// this many restores.
const int kMaxRestores = 50;
const DWORD kRestorePauseMs = 10;
// Lock without DDLOCK_WAIT answers DDERR_WASSTILLDRAWING while the blitter is busy.
const int kMaxBusyTries = 1000;

DWORD CapsForMemory(SurfaceMemory memory) {
  switch (static_cast<int>(memory) & 0xFF) {
    case VideoMemory:
      return DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    case SystemMemory:
      return DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    default:
      return DDSCAPS_OFFSCREENPLAIN;
  }
}

void DescribeImage(DDSURFACEDESC2& desc, int width, int height, SurfaceMemory memory) {
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.ddsCaps.dwCaps = CapsForMemory(memory);
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
}

// A 64-bit coordinate stored in a 32-bit rectangle edge, saturated.
LONG Saturate(int64_t value) {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<LONG>(value);
}

// trunc(size * factor) in float arithmetic, saturated; NaN gives 0.
int64_t ScaledSize(int size, float factor) {
  const float scaled = static_cast<float>(size) * factor;
  if (!(scaled == scaled)) return 0;
  if (scaled >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
  if (scaled <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
  return static_cast<int64_t>(scaled);
}

// The raw value of the first pixel, reading only the bytes the pixel has.
DWORD FirstPixel(const DDSURFACEDESC2& desc) {
  const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
  DWORD bytes = (bits + 7) / 8;
  if (bytes > 4) bytes = 4;
  if (bytes == 0) bytes = 4;
  const BYTE* pixel = static_cast<const BYTE*>(desc.lpSurface);
  DWORD value = 0;
  for (DWORD i = 0; i < bytes; ++i) value |= static_cast<DWORD>(pixel[i]) << (8 * i);
  if (bits < 32) value &= (1u << bits) - 1u;
  return value;
}

}  // namespace

// ---- Construction and destruction ------------------------------------------------------------

Surface::Surface()
    : width(0),
      height(0),
      fileName(nullptr),
      dc(nullptr),
      colorKey(0xFFFFFFFF),
      sourceRect{0, 0, 0, 0},
      destRect{0, 0, 0, 0},
      font(nullptr),
      surface(nullptr),
      screen(nullptr),
      clipRect{0, 0, 0, 0},
      lockedDirect16(0),
      alphaMap(nullptr),
      directDrawRef(nullptr) {
  std::memset(&desc, 0, sizeof(desc));
  std::memset(&pixelFormat, 0, sizeof(pixelFormat));
}

Surface::Surface(Screen* screen, int width, int height, SurfaceMemory memory) : Surface() {
  Create(screen, width, height, memory);
}

Surface::Surface(Screen* screen, const char* fileName, SurfaceMemory memory) : Surface() {
  Create(screen, fileName, memory);
}

Surface::Surface(const Surface& other) : Surface() {
  destRect = other.destRect;
  clipRect = other.clipRect;
  colorKey = other.colorKey;
  desc = other.desc;
  screen = other.screen;
  fileName = other.fileName;
  width = other.width;
  height = other.height;
  pixelFormat = other.pixelFormat;
  sourceRect = other.sourceRect;

  // The source's lock answer is not part of the description to create from.
  desc.dwFlags &= ~static_cast<DWORD>(DDSD_LPSURFACE | DDSD_PITCH);
  desc.lpSurface = nullptr;

  if (other.alphaMap && width > 0 && height > 0) {
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
    alphaMap = new (std::nothrow) BYTE[size];
    if (alphaMap) std::memcpy(alphaMap, other.alphaMap, size);
  }
  if (other.font) {
    LOGFONTA logFont;
    std::memset(&logFont, 0, sizeof(logFont));
    if (GetObjectA(other.font, sizeof(logFont), &logFont) > 0) font = CreateFontIndirectA(&logFont);
  }

  LPDIRECTDRAW4 directDraw = screen ? screen->directDraw : nullptr;
  HRESULT result = DDERR_NOTINITIALIZED;
  if (directDraw) result = directDraw->CreateSurface(&desc, &surface, nullptr);
  if (FAILED(result)) {
    surface = nullptr;
    ReportDirectDrawError(result, screen ? screen->window : nullptr, kModuleName, kLineCopyCreate);
    return;
  }
  directDraw->AddRef();
  directDrawRef = directDraw;
  const_cast<Surface&>(other).Blit(this);
}

Surface::~Surface() {
  // The DC goes back first: a font still selected into it could not be deleted.
  ReleaseDC();
  if (font) DeleteObject(font);
  font = nullptr;
  delete[] alphaMap;
  alphaMap = nullptr;
  if (surface) surface->Release();
  surface = nullptr;
  if (directDrawRef) directDrawRef->Release();
  directDrawRef = nullptr;
}

// ---- Creation ----------------------------------------------------------------------------------

void Surface::ReleaseContents() {
  ReleaseDC();
  if (surface) surface->Release();
  surface = nullptr;
}

void Surface::HoldDirectDraw(LPDIRECTDRAW4 directDraw) {
  if (directDraw == directDrawRef) return;
  if (directDraw) directDraw->AddRef();
  if (directDrawRef) directDrawRef->Release();
  directDrawRef = directDraw;
}

int Surface::Create(Screen* screen, int width, int height, SurfaceMemory memory) {
  DescribeImage(desc, width, height, memory);
  ReleaseContents();
  if (!screen || !screen->directDraw) return 0;
  if (FAILED(screen->directDraw->CreateSurface(&desc, &surface, nullptr))) {
    surface = nullptr;
    return 0;
  }
  dc = nullptr;
  if (font) DeleteObject(font);
  font = nullptr;
  fileName = nullptr;
  this->screen = screen;
  colorKey = 0xFFFFFFFF;
  this->width = width;
  this->height = height;
  destRect = RECT{0, 0, width, height};
  sourceRect = RECT{0, 0, width, height};
  clipRect = RECT{0, 0, width, height};
  std::memset(&pixelFormat, 0, sizeof(pixelFormat));
  GetPixelFormatInfo(surface, &pixelFormat);
  HoldDirectDraw(screen->directDraw);
  delete[] alphaMap;
  alphaMap = nullptr;
  return 1;
}

int Surface::Create(Screen* screen, const char* fileName, SurfaceMemory memory) {
  if (!fileName) return 0;
  ReleaseContents();
  if (!screen || !screen->directDraw) return 0;

  int loadedWidth = 0;
  int loadedHeight = 0;
  surface = LoadBitmapSurface(screen->directDraw, fileName, &loadedWidth, &loadedHeight, memory);
  if (surface) {
    width = loadedWidth;
    height = loadedHeight;
    // An alpha map of an earlier image does not fit this one.
    delete[] alphaMap;
    alphaMap = nullptr;
  } else {
    char signature[4] = {0, 0, 0, 0};
    if (std::FILE* file = std::fopen(fileName, "rb")) {
      if (std::fread(signature, 1, sizeof(signature), file) != sizeof(signature))
        std::memset(signature, 0, sizeof(signature));
      std::fclose(file);
    }
    delete[] alphaMap;
    alphaMap = nullptr;
    if (std::memcmp(signature, "8BPS", 4) == 0) CreateFromPsd(screen, fileName, memory);
  }
  if (!surface) return 0;

  destRect = RECT{0, 0, width, height};
  sourceRect = RECT{0, 0, width, height};
  clipRect = RECT{0, 0, width, height};
  this->fileName = fileName;
  dc = nullptr;
  if (font) DeleteObject(font);
  font = nullptr;
  this->screen = screen;
  colorKey = 0;
  std::memset(&pixelFormat, 0, sizeof(pixelFormat));
  GetPixelFormatInfo(surface, &pixelFormat);
  HoldDirectDraw(screen->directDraw);
  DescribeImage(desc, width, height, memory);
  return 1;
}

// ---- Rectangles and colour key -----------------------------------------------------------------

void Surface::SetSourceRect(LONG top, LONG left, LONG bottom, LONG right) {
  sourceRect.left = left;
  sourceRect.top = top;
  sourceRect.right = right;
  sourceRect.bottom = bottom;
}

void Surface::SetDestRect(LONG top, LONG left, LONG bottom, LONG right) {
  destRect.left = left;
  destRect.top = top;
  destRect.right = right;
  destRect.bottom = bottom;
}

HRESULT Surface::SetColorKey(DWORD key) {
  colorKey = key;
  if (!surface) return DDERR_NOTINITIALIZED;
  DDCOLORKEY colorKeyRecord;
  colorKeyRecord.dwColorSpaceLowValue = key;
  colorKeyRecord.dwColorSpaceHighValue = key;
  return surface->SetColorKey(DDCKEY_SRCBLT, &colorKeyRecord);
}

void Surface::SetColorKey() {
  DWORD key = 0xFFFFFFFF;
  if (surface) {
    DDSURFACEDESC2 lockDesc;
    HRESULT result;
    int tries = 0;
    do {
      std::memset(&lockDesc, 0, sizeof(lockDesc));
      lockDesc.dwSize = sizeof(lockDesc);
      result = surface->Lock(nullptr, &lockDesc, 0, nullptr);
      if (result == DDERR_WASSTILLDRAWING && ++tries > 10) Sleep(1);
    } while (result == DDERR_WASSTILLDRAWING && tries < kMaxBusyTries);
    if (SUCCEEDED(result) && lockDesc.lpSurface) {
      key = FirstPixel(lockDesc);
      surface->Unlock(nullptr);
    } else if (SUCCEEDED(result)) {
      surface->Unlock(nullptr);
    }
  }
  SetColorKey(key);
}

// ---- Pixel and GDI access ----------------------------------------------------------------------

HRESULT Surface::Lock() {
  if (!surface) return DDERR_NOTINITIALIZED;
  HRESULT result;
  for (int restores = 0;; ++restores) {
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    result = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    if (result != DDERR_SURFACELOST || restores >= kMaxRestores) break;
    if (restores > 0) Sleep(kRestorePauseMs);
    Restore();
  }
  NoteLockForPixels();
  return result;
}

void Surface::NoteLockForPixels() {
  const DWORD described = DDSD_PITCH | DDSD_WIDTH | DDSD_HEIGHT;
  const bool direct = desc.lpSurface && (desc.dwFlags & described) == described && screen &&
                      (screen->bitsPerPixel == 16 || screen->bitsPerPixel == 15);
  lockedDirect16 = direct;
}

HRESULT Surface::Unlock() {
  if (!surface) return DDERR_NOTINITIALIZED;
  lockedDirect16 = 0;
  HRESULT result;
  for (int restores = 0;; ++restores) {
    result = surface->Unlock(nullptr);
    if (result != DDERR_SURFACELOST || restores >= kMaxRestores) break;
    if (restores > 0) Sleep(kRestorePauseMs);
    Restore();
  }
  return result;
}

HDC Surface::GetDC() {
  if (dc) return dc;  // already held: a second GetDC would be refused and lose this one
  if (!surface) return nullptr;
  HDC held = nullptr;
  if (FAILED(surface->GetDC(&held))) held = nullptr;
  dc = held;
  return dc;
}

void Surface::ReleaseDC() {
  if (dc && surface) surface->ReleaseDC(dc);
  dc = nullptr;
}

HRESULT Surface::InvertRect(int left, int top, int right, int bottom) {
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  if (right > width) right = width;
  if (bottom > height) bottom = height;
  if (left >= right || top >= bottom) return 0;
  if (FAILED(Lock())) return 0;

  DWORD bits = pixelFormat.bitsPerPixel;
  if (bits == 0) bits = desc.ddpfPixelFormat.dwRGBBitCount;
  const int64_t bytesPerPixel = (bits + 1) / 8;
  // Stay inside what the lock gave, whatever the fields say.
  if ((desc.dwFlags & DDSD_WIDTH) && static_cast<int64_t>(right) > desc.dwWidth)
    right = static_cast<int>(desc.dwWidth);
  if ((desc.dwFlags & DDSD_HEIGHT) && static_cast<int64_t>(bottom) > desc.dwHeight)
    bottom = static_cast<int>(desc.dwHeight);
  const int64_t pitch = desc.lPitch;
  BYTE* pixels = static_cast<BYTE*>(desc.lpSurface);
  if (pixels && bytesPerPixel > 0 && right * bytesPerPixel <= (pitch < 0 ? -pitch : pitch)) {
    for (int y = top; y < bottom; ++y) {
      BYTE* row = pixels + y * pitch;
      for (int64_t i = left * bytesPerPixel; i < right * bytesPerPixel; ++i)
        row[i] = static_cast<BYTE>(~row[i]);
    }
  }
  Unlock();
  return 0;
}

void Surface::Restore() {
  if (screen && screen->back == this && screen->fullScreen == 1) {
    // A full-screen back buffer belongs to the primary surface's flipping chain: restoring
    // the primary surface brings it back.
    if (screen->front && screen->front != this) screen->front->Restore();
  } else if (surface) {
    surface->Restore();
  }
  // The file again, as Create read it: a bitmap, else a PSD image.
  if (fileName && surface && FAILED(ReloadBitmap(surface, fileName))) ReloadPsd();
}

// ---- Fills -------------------------------------------------------------------------------------

HRESULT Surface::Fill(DWORD color) {
  if (!surface) return DDERR_NOTINITIALIZED;
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof(fx));
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = color;
  return surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

HRESULT Surface::FillRect(LONG left, LONG top, LONG right, LONG bottom, DWORD color) {
  if (!surface) return DDERR_NOTINITIALIZED;
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof(fx));
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = color;
  RECT rect = {left, top, right, bottom};
  return surface->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

// ---- Draw operations ---------------------------------------------------------------------------

HRESULT Surface::RestoreIfLost(HRESULT result) {
  // Not drawn again: the next frame draws everything anew.
  if (result == DDERR_SURFACELOST) Restore();
  return result;
}

HRESULT Surface::CheckDraw(const Surface* target) const {
  if (!target) return DDERR_INVALIDPARAMS;
  if (!surface || !target->surface) return DDERR_NOTINITIALIZED;
  return DD_OK;
}

HRESULT Surface::Blit(Surface* target) {
  const HRESULT check = CheckDraw(target);
  if (check != DD_OK) return check;
  return RestoreIfLost(target->surface->Blt(&destRect, surface, &sourceRect, DDBLT_WAIT, nullptr));
}

HRESULT Surface::BlitAt(int x, int y, Surface* target) {
  const HRESULT check = CheckDraw(target);
  if (check != DD_OK) return check;
  return RestoreIfLost(target->surface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y),
                                                surface, &sourceRect, DDBLTFAST_WAIT));
}

HRESULT Surface::BlitKeyedAt(int x, int y, Surface* target) {
  const HRESULT check = CheckDraw(target);
  if (check != DD_OK) return check;
  return RestoreIfLost(target->surface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y),
                                                surface, &sourceRect,
                                                DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT));
}

HRESULT Surface::BlitKeyedClippedAt(int x, int y, Surface* target, const RECT& clip) {
  const HRESULT check = CheckDraw(target);
  if (check != DD_OK) return check;
  RECT source = sourceRect;
  ClipSourceToRect(x, y, source, clip);
  return RestoreIfLost(target->surface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y),
                                                surface, &source,
                                                DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT));
}

HRESULT Surface::BlitToWindow(Surface* target) {
  const HRESULT check = CheckDraw(target);
  if (check != DD_OK) return check;
  if (!screen) return DDERR_NOTINITIALIZED;
  RECT client = {0, 0, 0, 0};
  GetClientRect(screen->window, &client);
  POINT topLeft = {client.left, client.top};
  POINT bottomRight = {client.right, client.bottom};
  ClientToScreen(screen->window, &topLeft);
  ClientToScreen(screen->window, &bottomRight);
  RECT onScreen = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  return RestoreIfLost(target->surface->Blt(&onScreen, surface, nullptr, DDBLT_WAIT, nullptr));
}

HRESULT Surface::BlitStretched(int x, int y, int factorX, int factorY, Surface* target) {
  destRect.left = x;
  destRect.top = y;
  destRect.right = Saturate(static_cast<int64_t>(x) + static_cast<int64_t>(width) * factorX);
  destRect.bottom = Saturate(static_cast<int64_t>(y) + static_cast<int64_t>(height) * factorY);
  const HRESULT check = CheckDraw(target);
  if (check != DD_OK) return check;
  return RestoreIfLost(
      target->surface->Blt(&destRect, surface, &sourceRect, DDBLT_WAIT | DDBLT_KEYSRC, nullptr));
}

HRESULT Surface::BlitScaled(int x, int y, float factor, Surface* target) {
  destRect.left = x;
  destRect.top = y;
  destRect.right = Saturate(static_cast<int64_t>(x) + ScaledSize(width, factor));
  destRect.bottom = Saturate(static_cast<int64_t>(y) + ScaledSize(height, factor));
  const HRESULT check = CheckDraw(target);
  if (check != DD_OK) return check;
  return RestoreIfLost(
      target->surface->Blt(&destRect, surface, &sourceRect, DDBLT_WAIT | DDBLT_KEYSRC, nullptr));
}

HRESULT Surface::BlitMirroredLeftRight(int, int, Surface* target) {
  const HRESULT check = CheckDraw(target);
  if (check != DD_OK) return check;
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof(fx));
  fx.dwSize = sizeof(fx);
  fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT;
  return target->surface->Blt(&sourceRect, surface, &sourceRect, DDBLT_WAIT | DDBLT_DDFX, &fx);
}

HRESULT Surface::BlitMirroredUpDown(int, int, Surface* target) {
  const HRESULT check = CheckDraw(target);
  if (check != DD_OK) return check;
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof(fx));
  fx.dwSize = sizeof(fx);
  fx.dwDDFX = DDBLTFX_MIRRORUPDOWN;
  return target->surface->Blt(&sourceRect, surface, &sourceRect, DDBLT_WAIT | DDBLT_DDFX, &fx);
}

void Surface::ReservedBlit(int, int, int, int, int) {}
