// Screen: the DirectDraw object, full-screen and windowed display creation, presentation with
// the frame counter, restoring lost buffers, and the lists of display devices and modes.
#include "qvscreen.h"

#include <windows.h>
#include <ddraw.h>
#include <mmsystem.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "errors.h"
#include "imageload.h"

namespace {

const char kModuleName[] = "qvscreen";
// The line numbers the DirectDraw error messages show for each failing step. They are fixed
// values, not this file's lines, so a player's report names the same step in every build.
constexpr int kLineCreateInConstructor = 217;
constexpr int kLineQueryInConstructor = 222;
constexpr int kLineCreateInSelectDevice = 1534;
constexpr int kLineQueryInSelectDevice = 1538;

// Frees a singly linked list from its head, the terminating entry included.
template <typename Entry>
void FreeList(Entry*& head) {
  Entry* entry = head;
  while (entry) {
    Entry* next = entry->next;
    delete entry;
    entry = next;
  }
  head = nullptr;
}

// Number of entries after the head.
template <typename Entry>
DWORD CountAfterHead(const Entry* head) {
  DWORD count = 0;
  if (!head) return 0;
  for (const Entry* entry = head->next; entry; entry = entry->next) ++count;
  return count;
}

template <typename Entry>
Entry* Tail(Entry* head) {
  Entry* entry = head;
  while (entry->next) entry = entry->next;
  return entry;
}

// Copies enumeration text into a fixed field, cut to fit and always zero-terminated.
void CopyText(char* field, size_t size, const char* text) {
  size_t length = 0;
  if (text) {
    while (length + 1 < size && text[length]) ++length;
    std::memcpy(field, text, length);
  }
  field[length] = 0;
}

template <typename Interface>
void ReleaseInterface(Interface*& object) {
  if (object) {
    object->Release();
    object = nullptr;
  }
}

// Channel of a COLORREF scaled into a mask of the pixel format.
uint32_t ChannelToPixel(uint32_t channel, uint32_t mask) {
  if (mask == 0) return 0;
  uint32_t shift = 0;
  while (!(mask & (1u << shift))) ++shift;
  uint32_t bits = 0;
  while (shift + bits < 32 && (mask & (1u << (shift + bits)))) ++bits;
  uint64_t value = static_cast<uint64_t>(channel) << shift;
  if (bits <= 8) {
    value >>= (8 - bits);
  } else {
    value <<= (bits - 8);  // wider than 8 bits: spread the channel over the mask
  }
  return static_cast<uint32_t>(value) & mask;
}

}  // namespace

// ---- Construction and destruction ------------------------------------------------------------

Screen::Screen()
    : directDraw(nullptr),
      front(nullptr),
      back(nullptr),
      palette(nullptr),
      clipper(nullptr),
      width(0),
      height(0),
      bitsPerPixel(0),
      window(nullptr),
      fullScreen(0),
      modeCount(0),
      modes(nullptr),
      tripleBuffering(0),
      videoMemory(1),
      deviceCount(0),
      devices(nullptr),
      frameCount(0),
      frameTime(0),
      lastFrameTime(timeGetTime()),
      fps(0) {
  // Without a DirectDraw object there is nothing to enumerate: the Screen stays unusable and
  // every creation on it returns 0.
  if (!CreateDirectDraw(nullptr, kLineCreateInConstructor, kLineQueryInConstructor)) return;
  EnumerateDevices();
  EnumerateModes();
}

Screen::Screen(HWND window, int width, int height, int bitsPerPixel, int standardVga) : Screen() {
  CreateFullScreen(window, width, height, bitsPerPixel, standardVga);
}

Screen::Screen(HWND window, int width, int height) : Screen() {
  CreateInWindow(window, width, height);
}

Screen::~Screen() {
  FreeList(modes);
  FreeList(devices);
  modeCount = 0;
  deviceCount = 0;
  if (directDraw) directDraw->RestoreDisplayMode();
  ReleaseDisplay();  // back, front, clipper, palette
  ReleaseInterface(directDraw);
}

int Screen::CreateDirectDraw(GUID* device, int createLine, int queryLine) {
  LPDIRECTDRAW temporary = nullptr;
  HRESULT result = DirectDrawCreate(device, &temporary, nullptr);
  if (FAILED(result) || !temporary) {
    ReportDirectDrawError(FAILED(result) ? result : DDERR_GENERIC, nullptr, kModuleName,
                          createLine);
    return 0;
  }
  result = temporary->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&directDraw));
  if (FAILED(result) || !directDraw) {
    directDraw = nullptr;
    ReportDirectDrawError(FAILED(result) ? result : DDERR_GENERIC, nullptr, kModuleName, queryLine);
    temporary->Release();
    return 0;
  }
  temporary->Release();
  return 1;
}

// ---- Display creation --------------------------------------------------------------------------

void Screen::ReleaseDisplay() {
  delete back;
  back = nullptr;
  delete front;
  front = nullptr;
  ReleaseInterface(clipper);
  ReleaseInterface(palette);
}

void Screen::SetUpBuffer(Surface* buffer, int w, int h) {
  buffer->width = w;
  buffer->height = h;
  buffer->destRect = RECT{0, 0, w, h};
  buffer->sourceRect = RECT{0, 0, w, h};
  buffer->screen = this;
  buffer->SetClipRect(buffer->sourceRect);
  std::memset(&buffer->pixelFormat, 0, sizeof(buffer->pixelFormat));
  GetPixelFormatInfo(buffer->surface, &buffer->pixelFormat);
}

int Screen::CreateFullScreen(HWND window, int width, int height, int bitsPerPixel,
                             int standardVga) {
  ReleaseDisplay();
  this->height = height;
  this->bitsPerPixel = bitsPerPixel;
  fullScreen = 1;
  palette = nullptr;
  this->width = width;
  this->window = window;
  if (!directDraw) return 0;

  if (FAILED(directDraw->SetCooperativeLevel(
          window, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX)))
    return 0;
  if (FAILED(directDraw->SetDisplayMode(width, height, bitsPerPixel, 0,
                                        standardVga ? DDSDM_STANDARDVGAMODE : 0)))
    return 0;

  front = new Surface();
  back = new Surface();

  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  const DWORD chainCaps =
      DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
  desc.ddsCaps.dwCaps = chainCaps | (videoMemory ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);

  bool created = false;
  if (tripleBuffering == 1) {
    desc.dwBackBufferCount = 2;
    if (SUCCEEDED(directDraw->CreateSurface(&desc, &front->surface, nullptr))) {
      created = true;
    } else {
      front->surface = nullptr;
      tripleBuffering = 0;
    }
  }
  if (!created) {
    desc.dwBackBufferCount = 1;
    if (SUCCEEDED(directDraw->CreateSurface(&desc, &front->surface, nullptr))) {
      created = true;
    } else {
      front->surface = nullptr;
      if (videoMemory != 1) return 0;
      desc.ddsCaps.dwCaps = chainCaps | DDSCAPS_SYSTEMMEMORY;
      if (FAILED(directDraw->CreateSurface(&desc, &front->surface, nullptr))) {
        front->surface = nullptr;
        return 0;
      }
    }
  }

  DDSCAPS2 backCaps;
  std::memset(&backCaps, 0, sizeof(backCaps));
  backCaps.dwCaps = DDSCAPS_BACKBUFFER;
  if (FAILED(front->surface->GetAttachedSurface(&backCaps, &back->surface))) {
    back->surface = nullptr;
    return 0;
  }

  SetUpBuffer(front, width, height);
  SetUpBuffer(back, width, height);

  palette = LoadPalette(directDraw, nullptr);
  if (palette) front->surface->SetPalette(palette);
  return 1;
}

int Screen::CreateInWindow(HWND window, int width, int height) {
  ReleaseDisplay();
  fullScreen = 0;
  palette = nullptr;
  this->width = width;
  this->height = height;
  this->window = window;

  HDC desktop = ::GetDC(nullptr);
  bitsPerPixel = GetDeviceCaps(desktop, PLANES) * GetDeviceCaps(desktop, BITSPIXEL);
  ::ReleaseDC(nullptr, desktop);

  if (!directDraw) return 0;
  if (FAILED(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL))) return 0;

  front = new Surface();
  back = new Surface();

  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (FAILED(directDraw->CreateSurface(&desc, &front->surface, nullptr))) {
    front->surface = nullptr;
    return 0;
  }

  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = width;
  desc.dwHeight = height;
  desc.ddsCaps.dwCaps =
      DDSCAPS_OFFSCREENPLAIN | (videoMemory == 1 ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  if (FAILED(directDraw->CreateSurface(&desc, &back->surface, nullptr))) {
    back->surface = nullptr;
    if (videoMemory != 1) return 0;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    if (FAILED(directDraw->CreateSurface(&desc, &back->surface, nullptr))) {
      back->surface = nullptr;
      return 0;
    }
  }

  if (FAILED(directDraw->CreateClipper(0, &clipper, nullptr))) {
    clipper = nullptr;
    return 0;
  }
  if (FAILED(clipper->SetHWnd(0, window))) return 0;
  if (FAILED(front->surface->SetClipper(clipper))) return 0;

  desktop = ::GetDC(nullptr);
  const int desktopWidth = GetDeviceCaps(desktop, HORZRES);
  const int desktopHeight = GetDeviceCaps(desktop, VERTRES);
  ::ReleaseDC(nullptr, desktop);

  SetUpBuffer(front, desktopWidth, desktopHeight);
  SetUpBuffer(back, width, height);

  palette = LoadPalette(directDraw, nullptr);
  if (palette) front->surface->SetPalette(palette);
  return 1;
}

int Screen::SelectMode(HWND window, int width, int height, int bitsPerPixel) {
  if (bitsPerPixel == 0) return CreateInWindow(window, width, height);
  return CreateFullScreen(window, width, height, bitsPerPixel, 0);
}

// ---- Presentation ------------------------------------------------------------------------------

Surface* Screen::GetBack() { return back; }

HRESULT Screen::Flip(int vsync, int stretch, int showFps) {
  const DWORD now = timeGetTime();
  frameTime += now - lastFrameTime;  // unsigned: a wrapped timer still gives the difference
  lastFrameTime = now;
  if (frameTime > 1000) {
    fps =
        static_cast<int>(static_cast<double>(frameCount) / static_cast<double>(frameTime) * 1000.0);
    frameCount = 0;
    frameTime = 0;
  }
  frameCount += 1;

  if (!front || !front->surface || !back || !back->surface) return DDERR_NOTINITIALIZED;

  if (showFps) {
    char text[32];
    std::memset(text, 0, sizeof(text));
    std::snprintf(text, sizeof(text), "FPS = %d", fps);
    if (back->GetDC()) {
      back->DrawText(10, 20, 0x0000FFF0, text);
      back->ReleaseDC();
    }
  }

  HRESULT result;
  if (fullScreen) {
    result = front->surface->Flip(nullptr, vsync == 1 ? DDFLIP_WAIT : DDFLIP_NOVSYNC);
  } else {
    RECT target;
    GetClientRect(window, &target);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&target, origin.x, origin.y);
    if (vsync == 1) WaitVerticalBlank();
    RECT source = {0, 0, target.right - target.left, target.bottom - target.top};
    result = front->surface->Blt(&target, back->surface, stretch ? nullptr : &source, DDBLT_WAIT,
                                 nullptr);
  }
  if (result == DDERR_SURFACELOST) RestoreSurfaces();
  return result;
}

HRESULT Screen::FillBackBuffer(DWORD color) {
  if (!back || !back->surface) return DDERR_NOTINITIALIZED;
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof(fx));
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = color;
  return back->surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

void Screen::RestoreSurfaces() {
  if (front && front->surface && front->surface->IsLost() != DD_OK) front->surface->Restore();
  // In full-screen mode the back buffer belongs to the primary surface's flipping chain and
  // comes back with it.
  if (!fullScreen && back && back->surface && back->surface->IsLost() != DD_OK)
    back->surface->Restore();
}

HRESULT Screen::WaitVerticalBlank() {
  if (!directDraw) return DDERR_NOTINITIALIZED;
  return directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
}

int Screen::LoadBackImage(const char* name) {
  if (!name || !back || !back->surface) return 0;
  return ReloadBitmap(back->surface, name) == DD_OK ? 1 : 0;
}

DWORD Screen::ColorToPixel(COLORREF color, Surface* surface) {
  const uint32_t red = color & 0xFF;
  const uint32_t green = (color >> 8) & 0xFF;
  const uint32_t blue = (color >> 16) & 0xFF;

  DDPIXELFORMAT format;
  std::memset(&format, 0, sizeof(format));
  format.dwSize = sizeof(format);
  Surface* target = surface ? surface : back;
  if (target && target->surface) target->surface->GetPixelFormat(&format);

  // Palette formats (and a format that can't be read) take the colour as an index.
  if (format.dwRGBBitCount <= 8) return color;
  return ChannelToPixel(red, format.dwRBitMask) | ChannelToPixel(green, format.dwGBitMask) |
         ChannelToPixel(blue, format.dwBBitMask);
}

// ---- Palette -----------------------------------------------------------------------------------

namespace {

const int kPaletteSize = 256;
const int kFadeSteps = 83;

// Waits until the timer reaches start + `delay` ms, sleeping rather than polling; no wait when
// the end time wraps. A timer that wraps during the wait ends it too.
void BusyWait(DWORD delay) {
  const DWORD start = timeGetTime();
  const DWORD end = start + delay;
  if (start >= end) return;
  for (DWORD now = start; now >= start && now < end; now = timeGetTime()) Sleep(end - now);
}

// One step of a colour byte toward its target: by 3 while more than 5 away, then onto it.
BYTE StepToward(BYTE value, BYTE target) {
  const int v = value;
  const int t = target;
  if (v - t > 5) return static_cast<BYTE>(v - 3);
  if (t - v > 5) return static_cast<BYTE>(v + 3);
  return target;
}

}  // namespace

int Screen::SetPaletteFromImage(const char* name) {
  if (!name || !directDraw) return 0;
  // The replaced palette is given back rather than leaked.
  ReleaseInterface(palette);
  palette = LoadPalette(directDraw, name);
  if (!palette) return 0;
  if (front && front->surface) front->surface->SetPalette(palette);
  return 1;
}

HRESULT Screen::SetPaletteEntry(int index, int red, int green, int blue) {
  if (!palette) return DDERR_NOPALETTEATTACHED;
  if (index < 0 || index >= kPaletteSize) return DDERR_INVALIDPARAMS;
  PALETTEENTRY entry = {0, 0, 0, 0};
  palette->GetEntries(0, index, 1, &entry);
  entry.peRed = static_cast<BYTE>(red);
  entry.peGreen = static_cast<BYTE>(green);
  entry.peBlue = static_cast<BYTE>(blue);
  return palette->SetEntries(0, index, 1, &entry);
}

void Screen::GetPaletteEntry(int index, DWORD* red, DWORD* green, DWORD* blue) {
  if (!palette || index < 0 || index >= kPaletteSize) return;
  PALETTEENTRY entry = {0, 0, 0, 0};
  if (FAILED(palette->GetEntries(0, index, 1, &entry))) return;
  if (red) *red = entry.peRed;
  if (green) *green = entry.peGreen;
  if (blue) *blue = entry.peBlue;
}

HRESULT Screen::SetPaletteEntries(int first, int count, PALETTEENTRY* entries) {
  if (!palette) return DDERR_NOPALETTEATTACHED;
  if (first < 0 || count < 0 || !entries) return DDERR_INVALIDPARAMS;
  return palette->SetEntries(0, first, count, entries);
}

HRESULT Screen::GetPaletteEntries(int first, int count, PALETTEENTRY* entries) {
  if (!palette) return DDERR_NOPALETTEATTACHED;
  if (first < 0 || count < 0 || !entries) return DDERR_INVALIDPARAMS;
  return palette->GetEntries(0, first, count, entries);
}

HRESULT Screen::SetPaletteColor(int red, int green, int blue) {
  if (!palette) return DDERR_NOPALETTEATTACHED;
  PALETTEENTRY entries[kPaletteSize];
  std::memset(entries, 0, sizeof(entries));
  palette->GetEntries(0, 0, kPaletteSize, entries);
  for (int i = 1; i < kPaletteSize; ++i) {
    entries[i].peRed = static_cast<BYTE>(red);
    entries[i].peGreen = static_cast<BYTE>(green);
    entries[i].peBlue = static_cast<BYTE>(blue);
  }
  return palette->SetEntries(0, 0, kPaletteSize, entries);
}

HRESULT Screen::GrayPalette() {
  if (!palette) return DDERR_NOPALETTEATTACHED;
  PALETTEENTRY entries[kPaletteSize];
  std::memset(entries, 0, sizeof(entries));
  palette->GetEntries(0, 0, kPaletteSize, entries);
  for (int i = 1; i < kPaletteSize; ++i) {
    const BYTE grey =
        static_cast<BYTE>((entries[i].peRed + entries[i].peGreen + entries[i].peBlue) / 3);
    entries[i].peRed = grey;
    entries[i].peGreen = grey;
    entries[i].peBlue = grey;
  }
  return palette->SetEntries(0, 0, kPaletteSize, entries);
}

void Screen::FadePaletteTo(DWORD delay, const PALETTEENTRY* target) {
  if (!palette || !target) return;
  PALETTEENTRY entries[kPaletteSize];
  std::memset(entries, 0, sizeof(entries));
  palette->GetEntries(0, 0, kPaletteSize, entries);
  for (int step = 0; step < kFadeSteps; ++step) {
    for (int i = 1; i < kPaletteSize; ++i) {
      entries[i].peRed = StepToward(entries[i].peRed, target[i].peRed);
      entries[i].peGreen = StepToward(entries[i].peGreen, target[i].peGreen);
      entries[i].peBlue = StepToward(entries[i].peBlue, target[i].peBlue);
    }
    BusyWait(delay);
    palette->SetEntries(0, 0, kPaletteSize, entries);
  }
}

void Screen::FadePaletteOut(DWORD delay) {
  if (!palette) return;
  PALETTEENTRY entries[kPaletteSize];
  std::memset(entries, 0, sizeof(entries));
  palette->GetEntries(0, 0, kPaletteSize, entries);
  for (int step = 0; step < kFadeSteps; ++step) {
    for (int i = 1; i < kPaletteSize; ++i) {
      BYTE* bytes[3] = {&entries[i].peRed, &entries[i].peGreen, &entries[i].peBlue};
      for (BYTE* b : bytes) *b = *b > 5 ? static_cast<BYTE>(*b - 3) : 0;
    }
    BusyWait(delay);
    palette->SetEntries(0, 0, kPaletteSize, entries);
  }
}

void Screen::FadePaletteToColor(int red, int green, int blue, DWORD delay) {
  PALETTEENTRY target[kPaletteSize];
  for (PALETTEENTRY& entry : target) {
    entry.peRed = static_cast<BYTE>(red);
    entry.peGreen = static_cast<BYTE>(green);
    entry.peBlue = static_cast<BYTE>(blue);
    entry.peFlags = 0;
  }
  FadePaletteTo(delay, target);
}

// ---- Brightness fades --------------------------------------------------------------------------

namespace {

// How far the brightness level moves after a frame that took `elapsed` ms: 512 / r with
// r = (duration + 1) / elapsed held within 1..256, so a step is 2 to 512 and the fade lasts
// about (duration + 1) / 2 ms. A frame of 0 ms counts as the slowest step.
int FadeStep(DWORD duration, DWORD elapsed) {
  const float d = static_cast<float>((duration & 0xFFFF) + 1);
  float r = elapsed == 0 ? 256.0f : d / static_cast<float>(elapsed);
  if (r > 256.0f) r = 256.0f;
  if (r < 1.0f) r = 1.0f;
  return static_cast<int>(512.0f / r);
}

}  // namespace

void Screen::FadeInFromBlack(DWORD duration) {
  if (bitsPerPixel == 8 || !back || !back->surface) return;
  const int w = back->width;
  const int h = back->height;
  const RECT all = {0, 0, w, h};
  // The picture is kept aside while the back buffer is cleared; without a copy of it there is
  // nothing to fade in, and clearing would lose it.
  Surface* picture = new Surface(this, w, h, SystemMemory);
  if (!picture->surface || FAILED(back->BlitClipped(picture, 0, 0, all))) {
    delete picture;
    return;
  }
  back->Fill(0);
  Flip(1, 0, 0);
  int level = 0;
  do {
    const DWORD start = timeGetTime();
    picture->BlitFade(back, 0, 0, all, static_cast<DWORD>(level));
    Flip(1, 0, 0);
    level += FadeStep(duration, timeGetTime() - start);
  } while (level < 256);
  picture->BlitClipped(back, 0, 0, all);
  Flip(1, 0, 0);
  delete picture;
}

void Screen::FadeOutToBlack(DWORD duration) {
  if (bitsPerPixel == 8 || !back || !back->surface || !front || !front->surface) return;
  const int w = back->width;
  const int h = back->height;
  const RECT all = {0, 0, w, h};
  // What is on display: the window's client area in screen coordinates.
  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  OffsetRect(&client, origin.x, origin.y);

  Surface* picture = new Surface(this, w, h, SystemMemory);
  if (picture->surface) {
    front->BlitClipped(picture, 0, 0, client);
    int level = 256;
    do {
      const DWORD start = timeGetTime();
      picture->BlitFade(back, 0, 0, all, static_cast<DWORD>(level));
      Flip(1, 0, 0);
      level -= FadeStep(duration, timeGetTime() - start);
    } while (level > 0);
  }
  delete picture;
  back->Fill(0);
  Flip(1, 0, 0);
}

// ---- Display devices and modes -----------------------------------------------------------------

HRESULT WINAPI ModeListCallback(LPDDSURFACEDESC2 mode, LPVOID context) {
  DisplayMode* head = static_cast<DisplayMode*>(context);
  if (!head || !mode) return DDENUMRET_OK;
  DisplayMode* next = new (std::nothrow) DisplayMode();
  if (!next) return DDENUMRET_CANCEL;
  DisplayMode* tail = Tail(head);
  tail->width = mode->dwWidth;
  tail->height = mode->dwHeight;
  tail->bitsPerPixel = mode->ddpfPixelFormat.dwRGBBitCount;
  tail->next = next;
  return DDENUMRET_OK;
}

BOOL WINAPI DeviceListCallback(GUID* guid, LPSTR description, LPSTR name, LPVOID context,
                               HMONITOR monitor) {
  DisplayDevice* head = static_cast<DisplayDevice*>(context);
  if (!head) return DDENUMRET_OK;
  DisplayDevice* tail = Tail(head);

  LPDIRECTDRAW temporary = nullptr;
  if (FAILED(DirectDrawCreate(guid, &temporary, nullptr)) || !temporary) return DDENUMRET_OK;
  tail->halCaps.dwSize = sizeof(tail->halCaps);
  tail->helCaps.dwSize = sizeof(tail->helCaps);
  const HRESULT caps = temporary->GetCaps(&tail->halCaps, &tail->helCaps);
  temporary->Release();
  if (FAILED(caps)) {
    // The device is left out; its entry stays the all-zero terminating one.
    std::memset(static_cast<void*>(tail), 0, sizeof(*tail));
    return DDENUMRET_OK;
  }

  DisplayDevice* next = new (std::nothrow) DisplayDevice();
  if (!next) {
    std::memset(static_cast<void*>(tail), 0, sizeof(*tail));
    return DDENUMRET_CANCEL;
  }
  if (guid) {
    std::memcpy(&tail->guid, guid, sizeof(GUID));
    tail->guidPointer = &tail->guid;
  } else {
    tail->guidPointer = nullptr;
  }
  CopyText(tail->driverName, sizeof(tail->driverName), name);
  CopyText(tail->driverDescription, sizeof(tail->driverDescription), description);
  tail->monitor = monitor;
  tail->next = next;
  return DDENUMRET_OK;
}

int Screen::EnumerateModes() {
  FreeList(modes);
  modeCount = 0;
  modes = new DisplayMode();
  if (!directDraw) return 0;
  if (FAILED(
          directDraw->EnumDisplayModes(DDEDM_STANDARDVGAMODES, nullptr, modes, ModeListCallback))) {
    FreeList(modes->next);
    return 0;
  }
  modeCount = CountAfterHead(modes);
  return 1;
}

int Screen::EnumerateDevices() {
  FreeList(devices);
  deviceCount = 0;
  devices = new DisplayDevice();
  if (FAILED(DirectDrawEnumerateExA(DeviceListCallback, devices,
                                    DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES))) {
    FreeList(devices->next);
    std::memset(static_cast<void*>(devices), 0, sizeof(*devices));
    return 0;
  }
  deviceCount = CountAfterHead(devices);
  return 1;
}

DWORD Screen::GetModeCount() { return modeCount; }

int Screen::GetMode(DWORD index, DWORD* width, DWORD* height, DWORD* bitsPerPixel) {
  if (index >= modeCount) return 0;
  DisplayMode* entry = modes;
  for (DWORD i = 0; i < index && entry; ++i) entry = entry->next;
  if (!entry || !entry->next) return 0;
  if (width) *width = entry->width;
  if (height) *height = entry->height;
  if (bitsPerPixel) *bitsPerPixel = entry->bitsPerPixel;
  return 1;
}

int Screen::HasMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
  for (DisplayMode* entry = modes; entry && entry->next; entry = entry->next) {
    if (entry->width == width && entry->height == height && entry->bitsPerPixel == bitsPerPixel)
      return 1;
  }
  return 0;
}

int Screen::SelectDevice(DWORD index) {
  if (index > deviceCount || front) return 0;
  DisplayDevice* entry = devices;
  for (DWORD i = 0; i < index && entry; ++i) entry = entry->next;
  if (!entry) return 0;

  FreeList(modes);
  modeCount = 0;
  ReleaseInterface(directDraw);
  const int created =
      CreateDirectDraw(entry->guidPointer, kLineCreateInSelectDevice, kLineQueryInSelectDevice);
  // Without a DirectDraw object the list is left with its head alone.
  EnumerateModes();
  return created;
}
