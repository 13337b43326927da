// DirectX error reporting: names and descriptions of result codes, and the message boxes that
// report them. Codes are compared whole, as signed 32-bit values.
#include "errors.h"

#include <windows.h>
#include <ddraw.h>

#include <cstdarg>
#include <cstdio>

#include "qvscreen.h"

namespace {

// The DirectX family a result code belongs to: the same value can mean different things to
// DirectDraw and DirectSound.
enum Api { kNone, kDirectDraw, kDirectSound, kDirect3D };

struct ResultCode {
  HRESULT code;
  Api api;
  const char* name;         // as the published header names it
  const char* description;  // null when the code has no sentence of its own
};

constexpr HRESULT Code(DWORD value) { return static_cast<HRESULT>(value); }

// Every code the reports know: success, DirectDraw's codes (ascending), Direct3D's and its
// retained mode's, then DirectSound's (ascending).
constexpr ResultCode kCodes[] = {
    {0, kNone, "S_OK", "No error."},
    {Code(0x80004001), kDirectDraw, "DDERR_UNSUPPORTED", "Action not supported."},
    {Code(0x80004005), kDirectDraw, "DDERR_GENERIC", "Generic failure."},
    {Code(0x800401F0), kDirectDraw, "DDERR_NOTINITIALIZED", nullptr},
    {Code(0x8007000E), kDirectDraw, "DDERR_OUTOFMEMORY",
     "DirectDraw does not have enough memory to perform the operation."},
    {Code(0x80070057), kDirectDraw, "DDERR_INVALIDPARAMS",
     "One or more of the parameters passed to the function are incorrect."},
    {Code(0x88760005), kDirectDraw, "DDERR_ALREADYINITIALIZED",
     "This object has already been initialized."},
    {Code(0x8876000A), kDirectDraw, "DDERR_CANNOTATTACHSURFACE",
     "This surface can not be attached to the requested surface."},
    {Code(0x88760014), kDirectDraw, "DDERR_CANNOTDETACHSURFACE",
     "This surface can not be detached from the requested surface."},
    {Code(0x88760028), kDirectDraw, "DDERR_CURRENTLYNOTAVAIL",
     "Support for this operation is not currently available."},
    {Code(0x88760037), kDirectDraw, "DDERR_EXCEPTION",
     "An exception was raised inside DirectDraw while performing the operation."},
    {Code(0x8876005A), kDirectDraw, "DDERR_HEIGHTALIGN",
     "The height of the rectangle is not a multiple of the alignment the device requires."},
    {Code(0x8876005F), kDirectDraw, "DDERR_INCOMPATIBLEPRIMARY",
     "The description does not match the existing primary surface."},
    {Code(0x88760064), kDirectDraw, "DDERR_INVALIDCAPS",
     "The capabilities passed to the function are not valid."},
    {Code(0x8876006E), kDirectDraw, "DDERR_INVALIDCLIPLIST",
     "DirectDraw does not support the clip list that was provided."},
    {Code(0x88760078), kDirectDraw, "DDERR_INVALIDMODE",
     "DirectDraw does not support the requested display mode."},
    {Code(0x88760082), kDirectDraw, "DDERR_INVALIDOBJECT",
     "The object passed to DirectDraw is not a valid DirectDraw object."},
    {Code(0x88760091), kDirectDraw, "DDERR_INVALIDPIXELFORMAT",
     "The pixel format that was given is not valid."},
    {Code(0x88760096), kDirectDraw, "DDERR_INVALIDRECT",
     "The rectangle that was given is not valid."},
    {Code(0x887600A0), kDirectDraw, "DDERR_LOCKEDSURFACES",
     "The operation can not be done because one or more surfaces are locked."},
    {Code(0x887600AA), kDirectDraw, "DDERR_NO3D", "There is no 3D hardware present."},
    {Code(0x887600B4), kDirectDraw, "DDERR_NOALPHAHW",
     "The operation needs alpha blending hardware, which is not present."},
    {Code(0x887600CD), kDirectDraw, "DDERR_NOCLIPLIST", "No clip list is available."},
    {Code(0x887600D2), kDirectDraw, "DDERR_NOCOLORCONVHW",
     "The operation needs colour conversion hardware, which is not present."},
    {Code(0x887600D4), kDirectDraw, "DDERR_NOCOOPERATIVELEVELSET",
     "The cooperative level has not been set; it must be set before this call."},
    {Code(0x887600D7), kDirectDraw, "DDERR_NOCOLORKEY",
     "Surface doesn't currently have a color key"},
    {Code(0x887600DC), kDirectDraw, "DDERR_NOCOLORKEYHW",
     "The operation needs colour key hardware, which is not present."},
    {Code(0x887600DE), kDirectDraw, "DDERR_NODIRECTDRAWSUPPORT", nullptr},
    {Code(0x887600E1), kDirectDraw, "DDERR_NOEXCLUSIVEMODE",
     "The operation needs exclusive mode, which the application does not have."},
    {Code(0x887600E6), kDirectDraw, "DDERR_NOFLIPHW",
     "Flipping visible surfaces is not supported by the hardware."},
    {Code(0x887600F0), kDirectDraw, "DDERR_NOGDI", "There is no GDI present."},
    {Code(0x887600FA), kDirectDraw, "DDERR_NOMIRRORHW",
     "The operation needs mirroring hardware, which is not present."},
    {Code(0x887600FF), kDirectDraw, "DDERR_NOTFOUND", "The requested item was not found."},
    {Code(0x88760104), kDirectDraw, "DDERR_NOOVERLAYHW",
     "The operation needs overlay hardware, which is not present."},
    {Code(0x88760118), kDirectDraw, "DDERR_NORASTEROPHW",
     "The operation needs raster operation hardware, which is not present."},
    {Code(0x88760122), kDirectDraw, "DDERR_NOROTATIONHW",
     "The operation needs rotation hardware, which is not present."},
    {Code(0x88760136), kDirectDraw, "DDERR_NOSTRETCHHW",
     "The operation needs stretching hardware, which is not present."},
    {Code(0x8876013C), kDirectDraw, "DDERR_NOT4BITCOLOR",
     "The surface does not use a 4-bit colour palette, which the operation needs."},
    {Code(0x8876013D), kDirectDraw, "DDERR_NOT4BITCOLORINDEX",
     "The surface does not use a 4-bit colour index palette, which the operation needs."},
    {Code(0x88760140), kDirectDraw, "DDERR_NOT8BITCOLOR",
     "The surface does not use an 8-bit colour palette, which the operation needs."},
    {Code(0x8876014A), kDirectDraw, "DDERR_NOTEXTUREHW",
     "The operation needs texture mapping hardware, which is not present."},
    {Code(0x8876014F), kDirectDraw, "DDERR_NOVSYNCHW",
     "The operation needs vertical blank synchronisation hardware, which is not present."},
    {Code(0x88760154), kDirectDraw, "DDERR_NOZBUFFERHW",
     "The operation needs a hardware Z-buffer, which is not present."},
    {Code(0x8876015E), kDirectDraw, "DDERR_NOZOVERLAYHW",
     "The hardware can not order overlay surfaces by their Z value."},
    {Code(0x88760168), kDirectDraw, "DDERR_OUTOFCAPS",
     "The hardware needed for the operation has already been allocated."},
    {Code(0x8876017C), kDirectDraw, "DDERR_OUTOFVIDEOMEMORY",
     "DirectDraw does not have enough memory to perform the operation."},
    {Code(0x8876017E), kDirectDraw, "DDERR_OVERLAYCANTCLIP",
     "The hardware can not clip an overlay."},
    {Code(0x88760180), kDirectDraw, "DDERR_OVERLAYCOLORKEYONLYONEACTIVE",
     "Only one colour key can be active on an overlay at a time."},
    {Code(0x88760183), kDirectDraw, "DDERR_PALETTEBUSY",
     "The palette is busy because it is locked by another thread."},
    {Code(0x88760190), kDirectDraw, "DDERR_COLORKEYNOTSET",
     "No source colour key has been set for the operation."},
    {Code(0x8876019A), kDirectDraw, "DDERR_SURFACEALREADYATTACHED",
     "This surface is already attached to the surface it is being attached to."},
    {Code(0x887601A4), kDirectDraw, "DDERR_SURFACEALREADYDEPENDENT",
     "This surface is already a dependency of the surface it is being made a dependency of."},
    {Code(0x887601AE), kDirectDraw, "DDERR_SURFACEBUSY",
     "The surface is busy because it is locked by another thread."},
    {Code(0x887601B3), kDirectDraw, "DDERR_CANTLOCKSURFACE", nullptr},
    {Code(0x887601B8), kDirectDraw, "DDERR_SURFACEISOBSCURED",
     "The surface can not be reached because it is obscured."},
    {Code(0x887601C2), kDirectDraw, "DDERR_SURFACELOST",
     "Access to this surface is being refused because the surface memory is gone. The "
     "DirectDrawSurface object representing this surface should have Restore called on it."},
    {Code(0x887601CC), kDirectDraw, "DDERR_SURFACENOTATTACHED",
     "The requested surface is not attached."},
    {Code(0x887601D6), kDirectDraw, "DDERR_TOOBIGHEIGHT",
     "The requested height is larger than DirectDraw can create."},
    {Code(0x887601E0), kDirectDraw, "DDERR_TOOBIGSIZE",
     "The requested size is larger than DirectDraw can create."},
    {Code(0x887601EA), kDirectDraw, "DDERR_TOOBIGWIDTH",
     "The requested width is larger than DirectDraw can create."},
    {Code(0x887601FE), kDirectDraw, "DDERR_UNSUPPORTEDFORMAT",
     "DirectDraw does not support the requested format."},
    {Code(0x88760208), kDirectDraw, "DDERR_UNSUPPORTEDMASK",
     "DirectDraw does not support the requested pixel mask."},
    {Code(0x88760219), kDirectDraw, "DDERR_VERTICALBLANKINPROGRESS",
     "A vertical blank is in progress."},
    {Code(0x8876021C), kDirectDraw, "DDERR_WASSTILLDRAWING",
     "The previous operation on this surface is still in progress."},
    {Code(0x88760230), kDirectDraw, "DDERR_XALIGN",
     "The rectangle does not start on a horizontal position the device can handle."},
    {Code(0x88760231), kDirectDraw, "DDERR_INVALIDDIRECTDRAWGUID",
     "The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier."},
    {Code(0x88760232), kDirectDraw, "DDERR_DIRECTDRAWALREADYCREATED",
     "A DirectDraw object for this driver has already been created in this process."},
    {Code(0x88760233), kDirectDraw, "DDERR_NODIRECTDRAWHW",
     "There is no DirectDraw hardware for the requested driver."},
    {Code(0x88760234), kDirectDraw, "DDERR_PRIMARYSURFACEALREADYEXISTS",
     "This process has already created a primary surface."},
    {Code(0x88760235), kDirectDraw, "DDERR_NOEMULATION", "Software emulation is not available."},
    {Code(0x88760236), kDirectDraw, "DDERR_REGIONTOOSMALL",
     "The region passed to the clipper is too small."},
    {Code(0x88760237), kDirectDraw, "DDERR_CLIPPERISUSINGHWND",
     "A clip list can not be set on a clipper that is already watching a window."},
    {Code(0x88760238), kDirectDraw, "DDERR_NOCLIPPERATTACHED",
     "No clipper is attached to the surface."},
    {Code(0x88760239), kDirectDraw, "DDERR_NOHWND",
     "The clipper has no window, or the cooperative level was set without a window."},
    {Code(0x8876023A), kDirectDraw, "DDERR_HWNDSUBCLASSED",
     "The window has been subclassed by DirectDraw, so its state can not be restored."},
    {Code(0x8876023B), kDirectDraw, "DDERR_HWNDALREADYSET",
     "The cooperative level window can not be changed while surfaces or palettes exist."},
    {Code(0x8876023C), kDirectDraw, "DDERR_NOPALETTEATTACHED",
     "No palette is attached to the surface."},
    {Code(0x8876023D), kDirectDraw, "DDERR_NOPALETTEHW",
     "There is no hardware support for 16-colour or 256-colour palettes."},
    {Code(0x8876023E), kDirectDraw, "DDERR_BLTFASTCANTCLIP",
     "BltFast can not be used on a surface that has a clipper attached."},
    {Code(0x8876023F), kDirectDraw, "DDERR_NOBLTHW", "There is no blitter hardware."},
    {Code(0x88760240), kDirectDraw, "DDERR_NODDROPSHW",
     "There is no hardware support for DirectDraw raster operations."},
    {Code(0x88760241), kDirectDraw, "DDERR_OVERLAYNOTVISIBLE",
     "The overlay's position was asked for while the overlay is hidden."},
    {Code(0x88760242), kDirectDraw, "DDERR_NOOVERLAYDEST",
     "The overlay's position was asked for before the overlay was given a destination."},
    {Code(0x88760243), kDirectDraw, "DDERR_INVALIDPOSITION",
     "The overlay's position on the destination is not valid."},
    {Code(0x88760244), kDirectDraw, "DDERR_NOTAOVERLAYSURFACE",
     "The operation needs an overlay surface, and this surface is not one."},
    {Code(0x88760245), kDirectDraw, "DDERR_EXCLUSIVEMODEALREADYSET",
     "Another application already holds exclusive mode."},
    {Code(0x88760246), kDirectDraw, "DDERR_NOTFLIPPABLE",
     "The surface is not part of a flipping chain and can not be flipped."},
    {Code(0x88760247), kDirectDraw, "DDERR_CANTDUPLICATE",
     "Primary surfaces and surfaces attached to others can not be duplicated."},
    {Code(0x88760248), kDirectDraw, "DDERR_NOTLOCKED",
     "Surface was not locked.  An attempt to unlock a surface that was not locked at all, or by "
     "this process, has been attempted."},
    {Code(0x88760249), kDirectDraw, "DDERR_CANTCREATEDC",
     "Windows can not create a device context for the surface."},
    {Code(0x8876024A), kDirectDraw, "DDERR_NODC",
     "No device context has ever been created for this surface."},
    {Code(0x8876024B), kDirectDraw, "DDERR_WRONGMODE",
     "The surface was created in another display mode and can not be restored."},
    {Code(0x8876024C), kDirectDraw, "DDERR_IMPLICITLYCREATED",
     "The surface was created implicitly as part of another and can not be restored on its own."},
    {Code(0x8876024D), kDirectDraw, "DDERR_NOTPALETTIZED", "The surface does not use a palette."},
    {Code(0x8876024E), kDirectDraw, "DDERR_UNSUPPORTEDMODE", nullptr},
    {Code(0x8876024F), kDirectDraw, "DDERR_NOMIPMAPHW", nullptr},
    {Code(0x88760250), kDirectDraw, "DDERR_INVALIDSURFACETYPE", nullptr},
    {Code(0x8876026C), kDirectDraw, "DDERR_DCALREADYCREATED", nullptr},
    {Code(0x88760280), kDirectDraw, "DDERR_CANTPAGELOCK", nullptr},
    {Code(0x88760294), kDirectDraw, "DDERR_CANTPAGEUNLOCK", nullptr},
    {Code(0x887602A8), kDirectDraw, "DDERR_NOTPAGELOCKED", nullptr},
    {Code(0x887602BC), kDirect3D, "D3DERR_BADMAJORVERSION", nullptr},
    {Code(0x887602BD), kDirect3D, "D3DERR_BADMINORVERSION", nullptr},
    {Code(0x887602C6), kDirect3D, "D3DERR_EXECUTE_CREATE_FAILED", nullptr},
    {Code(0x887602C7), kDirect3D, "D3DERR_EXECUTE_DESTROY_FAILED", nullptr},
    {Code(0x887602C8), kDirect3D, "D3DERR_EXECUTE_LOCK_FAILED", nullptr},
    {Code(0x887602C9), kDirect3D, "D3DERR_EXECUTE_UNLOCK_FAILED", nullptr},
    {Code(0x887602CA), kDirect3D, "D3DERR_EXECUTE_LOCKED", nullptr},
    {Code(0x887602CB), kDirect3D, "D3DERR_EXECUTE_NOT_LOCKED", nullptr},
    {Code(0x887602CC), kDirect3D, "D3DERR_EXECUTE_FAILED", nullptr},
    {Code(0x887602CD), kDirect3D, "D3DERR_EXECUTE_CLIPPED_FAILED", nullptr},
    {Code(0x887602D0), kDirect3D, "D3DERR_TEXTURE_NO_SUPPORT", nullptr},
    {Code(0x887602D1), kDirect3D, "D3DERR_TEXTURE_CREATE_FAILED", nullptr},
    {Code(0x887602D2), kDirect3D, "D3DERR_TEXTURE_DESTROY_FAILED", nullptr},
    {Code(0x887602D3), kDirect3D, "D3DERR_TEXTURE_LOCK_FAILED", nullptr},
    {Code(0x887602D4), kDirect3D, "D3DERR_TEXTURE_UNLOCK_FAILED", nullptr},
    {Code(0x887602D5), kDirect3D, "D3DERR_TEXTURE_LOAD_FAILED", nullptr},
    {Code(0x887602D7), kDirect3D, "D3DERR_TEXTURELOCKED", nullptr},
    {Code(0x887602D8), kDirect3D, "D3DERR_TEXTURE_NOT_LOCKED", nullptr},
    {Code(0x887602DA), kDirect3D, "D3DERR_MATRIX_CREATE_FAILED", nullptr},
    {Code(0x887602DB), kDirect3D, "D3DERR_MATRIX_DESTROY_FAILED", nullptr},
    {Code(0x887602DC), kDirect3D, "D3DERR_MATRIX_SETDATA_FAILED", nullptr},
    {Code(0x887602DE), kDirect3D, "D3DERR_SETVIEWPORTDATA_FAILED", nullptr},
    {Code(0x887602E4), kDirect3D, "D3DERR_MATERIAL_CREATE_FAILED", nullptr},
    {Code(0x887602E5), kDirect3D, "D3DERR_MATERIAL_DESTROY_FAILED", nullptr},
    {Code(0x887602E6), kDirect3D, "D3DERR_MATERIAL_SETDATA_FAILED", nullptr},
    {Code(0x887602EE), kDirect3D, "D3DERR_LIGHT_SET_FAILED", nullptr},
    {Code(0x8876030D), kDirect3D, "D3DRMERR_BADOBJECT", nullptr},
    {Code(0x8876030E), kDirect3D, "D3DRMERR_BADTYPE", nullptr},
    {Code(0x8876030F), kDirect3D, "D3DRMERR_BADALLOC", nullptr},
    {Code(0x88760310), kDirect3D, "D3DRMERR_FACEUSED", nullptr},
    {Code(0x88760311), kDirect3D, "D3DRMERR_NOTFOUND", nullptr},
    {Code(0x88760312), kDirect3D, "D3DRMERR_NOTDONEYET", nullptr},
    {Code(0x88760313), kDirect3D, "D3DRMERR_FILENOTFOUND", "The file was not found."},
    {Code(0x88760314), kDirect3D, "D3DRMERR_BADFILE", nullptr},
    {Code(0x88760315), kDirect3D, "D3DRMERR_BADDEVICE", nullptr},
    {Code(0x88760316), kDirect3D, "D3DRMERR_BADVALUE", nullptr},
    {Code(0x88760317), kDirect3D, "D3DRMERR_BADMAJORVERSION", nullptr},
    {Code(0x88760318), kDirect3D, "D3DRMERR_BADMINORVERSION", nullptr},
    {Code(0x88760319), kDirect3D, "D3DRMERR_UNABLETOEXECUTE", nullptr},
    {Code(0x80004001), kDirectSound, "DSERR_UNSUPPORTED", nullptr},
    {Code(0x80004005), kDirectSound, "DSERR_GENERIC", nullptr},
    {Code(0x80040110), kDirectSound, "DSERR_NOAGGREGATION", nullptr},
    {Code(0x8007000E), kDirectSound, "DSERR_OUTOFMEMORY", nullptr},
    {Code(0x80070057), kDirectSound, "DSERR_INVALIDPARAM", nullptr},
    {Code(0x8878000A), kDirectSound, "DSERR_ALLOCATED", nullptr},
    {Code(0x8878001E), kDirectSound, "DSERR_CONTROLUNAVAIL", nullptr},
    {Code(0x88780032), kDirectSound, "DSERR_INVALIDCALL", nullptr},
    {Code(0x88780046), kDirectSound, "DSERR_PRIOLEVELNEEDED", nullptr},
    {Code(0x88780064), kDirectSound, "DSERR_BADFORMAT", nullptr},
    {Code(0x88780078), kDirectSound, "DSERR_NODRIVER", nullptr},
    {Code(0x88780082), kDirectSound, "DSERR_ALREADYINITIALIZED", nullptr},
    {Code(0x88780096), kDirectSound, "DSERR_BUFFERLOST", nullptr},
    {Code(0x887800A0), kDirectSound, "DSERR_OTHERAPPHASPRIO", nullptr},
    {Code(0x887800AA), kDirectSound, "DSERR_UNINITIALIZED", nullptr},
};

// DirectDraw's codes have sentences; Direct3D's are described by their names. DirectSound's
// codes are not described.
constexpr const char* DescriptionOf(const ResultCode& entry) {
  if (entry.api == kDirectSound) return nullptr;
  return entry.description || entry.api != kDirect3D ? entry.description : entry.name;
}

constexpr size_t CountOf(Api api) {
  size_t n = 0;
  for (const ResultCode& entry : kCodes) n += entry.api == api;
  return n;
}
constexpr size_t CountDescribed() {
  size_t n = 0;
  for (const ResultCode& entry : kCodes) n += DescriptionOf(entry) != nullptr;
  return n;
}
static_assert(CountOf(kDirectDraw) == 100, "one name per DirectDraw code");
static_assert(CountOf(kDirectSound) == 15, "one name per DirectSound code");
static_assert(CountDescribed() == 130, "one description per described code");

const char kUnknownName[] = "Unknown Error";
const char kUnrecognized[] = "Unrecognized error value.";

const char* NameOf(Api api, HRESULT code) {
  for (const ResultCode& entry : kCodes) {
    if (entry.api == api && entry.code == code) return entry.name;
  }
  return kUnknownName;
}

// Copies a name into a bounded buffer, always zero-terminated.
void CopyName(char* buffer, size_t size, const char* name) {
  std::snprintf(buffer, size, "%s", name);
}

}  // namespace

void ReportDirectDrawError(HRESULT result, HWND window, const char* sourceName, int line) {
  char name[256];
  CopyName(name, sizeof(name), NameOf(kDirectDraw, result));
  char message[1024];
  // snprintf cuts a source name that doesn't fit; the buffer is never written past.
  std::snprintf(message, sizeof(message), "DirectDraw Error %s\nFILE: %s\nLINE: %d", name,
                sourceName ? sourceName : "", line);
  MessageBoxA(window, message, "Error", MB_OK);
  PostQuitMessage(0);
}

void ReportDirectSoundError(HRESULT result, HWND window) {
  char name[256];
  CopyName(name, sizeof(name), NameOf(kDirectSound, result));
  char message[1024];
  std::snprintf(message, sizeof(message),
                "DirectSound Error '%s.'\nContinue with Sound turned off?", name);
  if (MessageBoxA(window, message, "Error", MB_YESNO) == IDNO) PostQuitMessage(0);
}

void ReportFatalError(Screen* screen, const char* format, ...) {
  char text[1024];
  text[0] = 0;
  if (format) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
  }
  HWND owner = nullptr;
  if (screen) {
    // The box is drawn on the GDI surface: make it the visible one in full-screen mode.
    if (screen->directDraw) screen->directDraw->FlipToGDISurface();
    owner = screen->window;
  }
  MessageBoxA(owner, text, "Error", MB_ICONERROR);
  PostQuitMessage(0);
}

const char* DescribeError(HRESULT result) {
  for (const ResultCode& entry : kCodes) {
    if (entry.code == result && DescriptionOf(entry)) return DescriptionOf(entry);
  }
  return kUnrecognized;
}
