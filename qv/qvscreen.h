/// @file qvscreen.h
/// Screen: the display. Owns the DirectDraw object, the front buffer (primary surface) and the
/// back buffer as Surfaces, the palette and, in a window, the clipper; presents frames with a
/// frames-per-second counter; keeps the lists of display devices and display modes.
#ifndef QV_QVSCREEN_H
#define QV_QVSCREEN_H

#include <windows.h>
#include <ddraw.h>

#include "qvsurface.h"

/// One display mode reported by DirectDraw. The list ends with an all-zero entry.
struct DisplayMode {
  DWORD width;         ///< Width in pixels.
  DWORD height;        ///< Height in pixels.
  DWORD bitsPerPixel;  ///< Bits per pixel.
  DisplayMode* next;   ///< The next entry; null after the all-zero entry.
};

/// One usable display device. guidPointer is null for the primary display driver, else the
/// address of this entry's own guid. The list ends with an all-zero entry.
struct DisplayDevice {
  GUID* guidPointer;            ///< Null for the primary display driver, else the address of guid.
  GUID guid;                    ///< The device's identifier as DirectDraw reports it.
  char driverName[512];         ///< The driver's name.
  char driverDescription[512];  ///< The driver's description, for people.
  DDCAPS halCaps;               ///< What the display hardware can do.
  DDCAPS helCaps;               ///< What DirectDraw's software emulation can do.
  HMONITOR monitor;     ///< The monitor the device drives; null for the primary display driver.
  DisplayDevice* next;  ///< The next entry; null after the all-zero entry.
};

/// The display: DirectDraw, the front and back buffers, the palette and the clipper.
class Screen {
 public:
  /// Creates the DirectDraw object of the primary display driver and builds the device and
  /// mode lists. A failure is reported in a message box and leaves the Screen without a
  /// DirectDraw object; every creation on it then returns 0.
  Screen();
  /// Screen() followed by CreateFullScreen; the result is dropped.
  Screen(HWND window, int width, int height, int bitsPerPixel, int standardVga);
  /// Screen() followed by CreateInWindow; the result is dropped.
  Screen(HWND window, int width, int height);
  /// Gives the display mode back and releases the buffers, clipper, palette and DirectDraw.
  ~Screen();
  Screen(const Screen&) = delete;  ///< Not copyable: a Screen owns its DirectDraw objects.
  Screen& operator=(const Screen&) = delete;  ///< Not copyable.

  // ---- Display creation (1 success, 0 failure) -----------------------------------------------
  /// Exclusive full-screen mode with a flipping chain of the primary surface and one back
  /// buffer (two with tripleBuffering).
  int CreateFullScreen(HWND window, int width, int height, int bitsPerPixel, int standardVga);
  /// The desktop's mode: a primary surface clipped to `window` and an off-screen back buffer.
  int CreateInWindow(HWND window, int width, int height);
  /// bitsPerPixel 0: CreateInWindow; else CreateFullScreen without standard VGA modes.
  int SelectMode(HWND window, int width, int height, int bitsPerPixel);

  // ---- Presentation --------------------------------------------------------------------------
  /// The back buffer: what the program draws on before Flip.
  Surface* GetBack();
  /// Counts the frame, optionally prints "FPS = n" on the back buffer, then flips (full screen)
  /// or copies the back buffer to the window's client area. A lost surface is restored and
  /// the error returned.
  HRESULT Flip(int vsync, int stretch, int showFps);
  /// Fills the whole back buffer with a raw pixel value (ColorToPixel makes one).
  HRESULT FillBackBuffer(DWORD color);
  /// Restores the front buffer and the back buffer after they were lost.
  void RestoreSurfaces();
  /// Waits for the start of the next vertical blank.
  HRESULT WaitVerticalBlank();
  /// Reloads a bitmap (resource or file) into the back buffer: 1 on success.
  int LoadBackImage(const char* name);
  /// A COLORREF as a raw pixel value of `surface` (the back buffer when null). Colours are
  /// returned unchanged in palette formats.
  DWORD ColorToPixel(COLORREF color, Surface* surface);

  // ---- Palette (8-bit display modes) ----------------------------------------------------------
  /// Replaces the palette with the colour table of a bitmap (resource or file): 1 or 0.
  int SetPaletteFromImage(const char* name);
  /// Sets one palette entry.
  HRESULT SetPaletteEntry(int index, int red, int green, int blue);
  /// Reads one palette entry; nothing is stored for an index outside 0 to 255.
  void GetPaletteEntry(int index, DWORD* red, DWORD* green, DWORD* blue);
  /// Sets `count` entries from `first`.
  HRESULT SetPaletteEntries(int first, int count, PALETTEENTRY* entries);
  /// Reads `count` entries from `first`.
  HRESULT GetPaletteEntries(int first, int count, PALETTEENTRY* entries);
  /// Entries 1 to 255 become the colour; entry 0 keeps its own.
  HRESULT SetPaletteColor(int red, int green, int blue);
  /// Entries 1 to 255 become the grey of their average.
  HRESULT GrayPalette();
  /// 83 steps of at most 3 per colour byte toward the target (256 entries), `delay` ms apart.
  void FadePaletteTo(DWORD delay, const PALETTEENTRY* target);
  /// FadePaletteTo an all-black palette.
  void FadePaletteOut(DWORD delay);
  /// FadePaletteTo a palette of one colour.
  void FadePaletteToColor(int red, int green, int blue, DWORD delay);

  // ---- Brightness fades (modes of more than 8 bits per pixel) --------------------------------
  /// Redraw the picture frame by frame with a rising or falling brightness over about
  /// (duration + 1) / 2 ms; only the low 16 bits of the duration count. Nothing in 8-bit modes.
  void FadeInFromBlack(DWORD duration);
  /// As FadeInFromBlack, from the picture to black.
  void FadeOutToBlack(DWORD duration);

  // ---- Display devices and modes -------------------------------------------------------------
  /// Builds the list of display devices (devices, deviceCount): 1 or 0.
  int EnumerateDevices();
  /// Builds the list of display modes (modes, modeCount): 1 or 0.
  int EnumerateModes();
  /// The number of display modes in the list.
  DWORD GetModeCount();
  /// The mode at `index` (0 is the first reported); 0 and nothing stored when out of range.
  int GetMode(DWORD index, DWORD* width, DWORD* height, DWORD* bitsPerPixel);
  /// 1 when the list holds that mode, else 0.
  int HasMode(DWORD width, DWORD height, DWORD bitsPerPixel);
  /// Moves the Screen to another display device before any display has been created. Index
  /// deviceCount selects the primary display driver.
  int SelectDevice(DWORD index);

  // ---- Fields, in this order -----------------------------------------------------------------
  LPDIRECTDRAW4 directDraw;     ///< The DirectDraw object; null when it could not be created.
  Surface* front;               ///< The front buffer (primary surface).
  Surface* back;                ///< The back buffer.
  LPDIRECTDRAWPALETTE palette;  ///< The palette of 8-bit modes, else null.
  LPDIRECTDRAWCLIPPER clipper;  ///< The window's clipper in a window, else null.
  int width;                    ///< Display width in pixels.
  int height;                   ///< Display height in pixels.
  int bitsPerPixel;             ///< Bits per pixel of the display.
  HWND window;                  ///< The program's window.
  int fullScreen;               ///< 1 in exclusive full-screen mode, 0 in a window.
  DWORD modeCount;              ///< Entries in modes.
  DisplayMode* modes;           ///< The display modes (EnumerateModes).
  int tripleBuffering;          ///< Nonzero: the flipping chain gets a second back buffer.
  int videoMemory;              ///< Nonzero when the buffers are in video memory.
  DWORD deviceCount;            ///< Entries in devices.
  DisplayDevice* devices;       ///< The display devices (EnumerateDevices).
  DWORD frameCount;             ///< Frames presented since the frame rate was last computed.
  DWORD frameTime;              ///< Milliseconds since the frame rate was last computed.
  DWORD lastFrameTime;          ///< timeGetTime at the last Flip.
  int fps;                      ///< Frames per second, computed about once a second.

 private:
  void ReleaseDisplay();
  void SetUpBuffer(Surface* buffer, int w, int h);
  /// Creates directDraw for the device (null: primary display driver); reports failures with
  /// the two given line numbers. 1 on success.
  int CreateDirectDraw(GUID* device, int createLine, int queryLine);
};

/// Enumeration callback handed to DirectDraw: appends a display mode. The context is the head
/// of the list.
HRESULT WINAPI ModeListCallback(LPDDSURFACEDESC2 mode, LPVOID context);
/// Enumeration callback handed to DirectDraw: appends a display device. The context is the head
/// of the list.
BOOL WINAPI DeviceListCallback(GUID* guid, LPSTR description, LPSTR name, LPVOID context,
                               HMONITOR monitor);

// The common pixel inline: on a 15- or 16-bit screen with the lock described (rows going
// down), the clip test, the bounds of the locked memory and one store, as PutPixelAnyFormat
// does them. Lock worked out whether the screen's format and the description allow it.
inline void Surface::PutPixel(int x, int y, DWORD color) {
  BYTE* const pixels = static_cast<BYTE*>(desc.lpSurface);
  const long long pitch = desc.lPitch;
  if (__builtin_expect(!lockedDirect16 || !pixels || pitch <= 0, 0)) {
    PutPixelAnyFormat(x, y, color);
    return;
  }
  // The clip test in one compare of four lanes: left > x and top > y must be false, right > x
  // and bottom > y true.
  typedef LONG ClipLanes __attribute__((vector_size(4 * sizeof(LONG))));
  ClipLanes clip;
  __builtin_memcpy(&clip, &clipRect, sizeof clip);
  const ClipLanes greater = clip > ClipLanes{x, y, x, y};
  unsigned long long halves[2];
  __builtin_memcpy(halves, &greater, sizeof halves);
  if (halves[0] != 0 || halves[1] != ~0ULL) return;
  // Unsigned, a negative coordinate lies beyond any width.
  const unsigned long long column = static_cast<unsigned long long>(static_cast<long long>(x));
  if (column >= desc.dwWidth ||
      static_cast<unsigned long long>(static_cast<long long>(y)) >= desc.dwHeight)
    return;
  if ((column + 1) * 2 > static_cast<unsigned long long>(pitch)) return;
  // Stored as a 16-bit value of any alignment, which (unlike a byte copy) the compiler knows
  // can't change the fields read above.
  typedef WORD AnyAlignedWord __attribute__((aligned(1)));
  *reinterpret_cast<AnyAlignedWord*>(pixels + y * pitch + x * 2LL) = static_cast<WORD>(color);
}

#endif
