// Image loading: bitmaps through the Windows image loader onto DirectDraw surfaces, palettes for
// 8-bit display modes, colour matching and pixel-format records.
#include "imageload.h"

#include <cstring>

#include "qvsurface.h"

namespace {

// Caps for the memory type of a new surface; only the low 8 bits of the type count.
DWORD MemoryCaps(int memory) {
  switch (memory & 0xFF) {
    case 0:
      return DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    case 1:
      return DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    default:
      return DDSCAPS_OFFSCREENPLAIN;
  }
}

// A bitmap by name: a resource of the program's module first, then a file. Null when neither
// can be read.
HBITMAP LoadNamedBitmap(LPCSTR name, int width, int height) {
  if (name == nullptr) return nullptr;
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP,
                                                   width, height, LR_CREATEDIBSECTION));
  if (bitmap == nullptr) {
    bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, name, IMAGE_BITMAP, width, height,
                                             LR_CREATEDIBSECTION | LR_LOADFROMFILE));
  }
  return bitmap;
}

IDirectDrawSurface4* SurfaceFromBitmap(IDirectDraw4* directDraw, HBITMAP bitmap, int memory,
                                       BITMAP* info) {
  std::memset(info, 0, sizeof(*info));
  GetObjectA(bitmap, sizeof(*info), info);

  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.ddsCaps.dwCaps = MemoryCaps(memory);
  desc.dwWidth = static_cast<DWORD>(info->bmWidth);
  desc.dwHeight = static_cast<DWORD>(info->bmHeight);
  IDirectDrawSurface4* surface = nullptr;
  if (directDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK) {
    return nullptr;
  }
  CopyBitmap(surface, bitmap, 0, 0, 0, 0);
  return surface;
}

const LPCSTR kBitmapResource = RT_BITMAP;

// The colour count of a palette bitmap's colour table, at most the 256 entries a palette has.
DWORD ColorCount(const BITMAPINFOHEADER& header) {
  DWORD count = header.biClrUsed != 0 ? header.biClrUsed : (1u << header.biBitCount);
  return count > 256 ? 256 : count;
}

}  // namespace

IDirectDrawSurface4* LoadBitmapSurface(IDirectDraw4* directDraw, LPCSTR fileName, int* width,
                                       int* height, int memory) {
  if (directDraw == nullptr) return nullptr;
  HBITMAP bitmap = LoadNamedBitmap(fileName, 0, 0);
  if (bitmap == nullptr) return nullptr;
  BITMAP info;
  IDirectDrawSurface4* surface = SurfaceFromBitmap(directDraw, bitmap, memory, &info);
  DeleteObject(bitmap);
  if (surface == nullptr) return nullptr;
  if (width != nullptr) *width = info.bmWidth;
  if (height != nullptr) *height = info.bmHeight;
  return surface;
}

IDirectDrawSurface4* LoadBitmapSurfaceSized(IDirectDraw4* directDraw, LPCSTR fileName, int width,
                                            int height, int memory) {
  if (directDraw == nullptr) return nullptr;
  HBITMAP bitmap = LoadNamedBitmap(fileName, width, height);
  if (bitmap == nullptr) return nullptr;
  BITMAP info;
  IDirectDrawSurface4* surface = SurfaceFromBitmap(directDraw, bitmap, memory, &info);
  DeleteObject(bitmap);
  return surface;
}

IDirectDrawSurface4* CreateOffscreenSurface(IDirectDraw4* directDraw, int width, int height,
                                            DDSURFACEDESC2* desc) {
  if (directDraw == nullptr) return nullptr;
  DDSURFACEDESC2 local;
  if (desc == nullptr) desc = &local;
  std::memset(desc, 0, sizeof(*desc));
  desc->dwSize = sizeof(*desc);
  desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  desc->dwWidth = static_cast<DWORD>(width);
  desc->dwHeight = static_cast<DWORD>(height);
  IDirectDrawSurface4* surface = nullptr;
  if (directDraw->CreateSurface(desc, &surface, nullptr) != DD_OK) return nullptr;
  return surface;
}

HRESULT ReloadBitmap(IDirectDrawSurface4* surface, LPCSTR fileName) {
  HBITMAP bitmap = LoadNamedBitmap(fileName, 0, 0);
  if (bitmap == nullptr) {
    OutputDebugStringA("handle is null\n");
    return E_FAIL;
  }
  HRESULT result = CopyBitmap(surface, bitmap, 0, 0, 0, 0);
  if (result != DD_OK) OutputDebugStringA("ddcopybitmap failed\n");
  DeleteObject(bitmap);
  return result;
}

HRESULT CopyBitmap(IDirectDrawSurface4* surface, HBITMAP bitmap, int x, int y, int dx, int dy) {
  if (surface == nullptr || bitmap == nullptr) return E_FAIL;

  // A lost surface has to be given its memory back before it can be drawn on.
  surface->Restore();

  HDC imageDc = CreateCompatibleDC(nullptr);
  if (imageDc == nullptr) OutputDebugStringA("createcompatible dc failed\n");
  SelectObject(imageDc, bitmap);

  BITMAP info;
  std::memset(&info, 0, sizeof(info));
  GetObjectA(bitmap, sizeof(info), &info);
  if (dx == 0) dx = info.bmWidth;
  if (dy == 0) dy = info.bmHeight;

  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
  surface->GetSurfaceDesc(&desc);

  HDC surfaceDc = nullptr;
  HRESULT result = surface->GetDC(&surfaceDc);
  if (result == DD_OK) {
    StretchBlt(surfaceDc, 0, 0, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight),
               imageDc, x, y, dx, dy, SRCCOPY);
    surface->ReleaseDC(surfaceDc);
  }
  DeleteDC(imageDc);
  return result;
}

IDirectDrawPalette* LoadPalette(IDirectDraw4* directDraw, LPCSTR name) {
  if (directDraw == nullptr) return nullptr;

  // The built-in 3-3-2 colour cube.
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i) {
    entries[i].peRed = static_cast<BYTE>(((i >> 5) & 7) * 255 / 7);
    entries[i].peGreen = static_cast<BYTE>(((i >> 2) & 7) * 255 / 7);
    entries[i].peBlue = static_cast<BYTE>((i & 3) * 255 / 3);
    entries[i].peFlags = 0;
  }

  HRSRC resource = name != nullptr ? FindResourceA(nullptr, name, kBitmapResource) : nullptr;
  if (resource != nullptr) {
    HGLOBAL handle = LoadResource(nullptr, resource);
    const BYTE* data = handle != nullptr ? static_cast<const BYTE*>(LockResource(handle)) : nullptr;
    if (data == nullptr) {
      OutputDebugStringA("lock resource failed\n");
    } else {
      // The colour table is read only as far as the resource reaches.
      DWORD size = SizeofResource(nullptr, resource);
      BITMAPINFOHEADER header;
      std::memset(&header, 0, sizeof(header));
      if (size >= sizeof(header)) std::memcpy(&header, data, sizeof(header));
      DWORD count = 0;
      if (header.biSize >= 40 && header.biBitCount <= 8) count = ColorCount(header);
      if (header.biSize > size) count = 0;
      DWORD available = header.biSize <= size ? (size - header.biSize) / 4 : 0;
      if (count > available) count = available;
      const BYTE* table = data + header.biSize;
      for (DWORD i = 0; i < count; ++i) {
        entries[i].peRed = table[i * 4 + 2];
        entries[i].peGreen = table[i * 4 + 1];
        entries[i].peBlue = table[i * 4 + 0];
        entries[i].peFlags = 0;
      }
    }
  } else if (name != nullptr) {
    HFILE file = _lopen(name, OF_READ);
    if (file == HFILE_ERROR) return nullptr;
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER header;
    std::memset(&header, 0, sizeof(header));
    _lread(file, &fileHeader, sizeof(fileHeader));
    UINT headerBytes = _lread(file, &header, sizeof(header));
    // The table is read straight into the entries; whatever a short file leaves out keeps the
    // colour cube.
    _lread(file, entries, sizeof(entries));
    _lclose(file);
    DWORD count = 0;
    if (headerBytes == sizeof(header) && header.biSize == 40 && header.biBitCount <= 8) {
      count = ColorCount(header);
    }
    // The file holds blue, green, red, reserved: turn the used entries into red, green, blue.
    for (DWORD i = 0; i < count; ++i) {
      BYTE blue = entries[i].peRed;
      entries[i].peRed = entries[i].peBlue;
      entries[i].peBlue = blue;
    }
  }

  IDirectDrawPalette* palette = nullptr;
  if (directDraw->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr) != DD_OK) return nullptr;
  return palette;
}

DWORD ColorMatch(IDirectDrawSurface4* surface, COLORREF color) {
  if (surface == nullptr) return 0xFFFFFFFF;

  // Let GDI write the colour into the top-left pixel, read it back raw, then put the old pixel
  // back.
  COLORREF saved = 0;
  bool remembered = false;
  HDC dc = nullptr;
  if (color != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
    saved = GetPixel(dc, 0, 0);
    SetPixel(dc, 0, 0, color);
    surface->ReleaseDC(dc);
    remembered = true;
  }

  DWORD result = 0xFFFFFFFF;
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  HRESULT hr;
  // A busy blitter answers DDERR_WASSTILLDRAWING; ask again, but not forever.
  int tries = 0;
  while ((hr = surface->Lock(nullptr, &desc, 0, nullptr)) == DDERR_WASSTILLDRAWING &&
         ++tries < 100000) {
  }
  if (hr == DD_OK) {
    DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    // Only the pixel's own bytes are read: a narrow surface may end right after them.
    DWORD bytes = bits >= 32 ? 4 : (bits + 7) / 8;
    const BYTE* pixel = static_cast<const BYTE*>(desc.lpSurface);
    result = 0;
    for (DWORD i = 0; i < bytes && pixel != nullptr; ++i) result |= DWORD(pixel[i]) << (8 * i);
    if (bits < 32) result &= (DWORD(1) << bits) - 1;
    surface->Unlock(nullptr);
  }

  if (remembered && surface->GetDC(&dc) == DD_OK) {
    SetPixel(dc, 0, 0, saved);
    surface->ReleaseDC(dc);
  }
  return result;
}

HRESULT SetColorKeyFromColor(IDirectDrawSurface4* surface, COLORREF color) {
  if (surface == nullptr) return E_FAIL;
  DDCOLORKEY key;
  key.dwColorSpaceLowValue = ColorMatch(surface, color);
  key.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
  return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

int GetPixelFormatInfo(IDirectDrawSurface4* surface, PixelFormatInfo* info) {
  if (surface == nullptr || info == nullptr) return 0;
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_PIXELFORMAT;
  if (FAILED(surface->GetSurfaceDesc(&desc))) return 0;

  const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
  if (format.dwRGBBitCount <= 8) {
    info->redMask = info->greenMask = info->blueMask = 0;
    info->redShift = info->greenShift = info->blueShift = 0;
    info->bitsPerPixel = format.dwRGBBitCount;
    return 1;
  }

  // Each mask moved down to bit 0, and the number of places it moved.
  auto split = [](DWORD mask, BYTE* stored, BYTE* shift) {
    int count = 0;
    while (count < 32 && (mask & 1) == 0) {
      mask >>= 1;
      ++count;
    }
    *stored = static_cast<BYTE>(mask & 0xFF);
    *shift = static_cast<BYTE>(count);
  };
  split(format.dwRBitMask, &info->redMask, &info->redShift);
  split(format.dwGBitMask, &info->greenMask, &info->greenShift);
  split(format.dwBBitMask, &info->blueMask, &info->blueShift);

  if ((format.dwFlags & DDPF_RGB) == 0) {
    info->bitsPerPixel = 0;
    return 0;
  }
  switch (format.dwRGBBitCount) {
    case 16:
      info->bitsPerPixel = (info->redMask + info->greenMask + info->blueMask == 93) ? 15 : 16;
      break;
    case 24:
    case 32:
      info->bitsPerPixel = format.dwRGBBitCount;
      break;
    default:
      info->bitsPerPixel = 0;
      break;
  }
  return 1;
}
