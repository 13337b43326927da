// DirectX error reporting: names and descriptions of result codes, and the message boxes that
// report them. Codes are compared whole, as signed 32-bit values.
#include "errors.h"

#include <windows.h>
#include <ddraw.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "qvscreen.h"

namespace {

struct CodeText {
  HRESULT code;
  const char* text;
};

constexpr HRESULT Code(DWORD value) { return static_cast<HRESULT>(value); }

// DirectDraw result codes by the names of the published DirectDraw header, ascending.
const CodeText kDirectDrawNames[] = {
    {Code(0x80004001), "DDERR_UNSUPPORTED"},
    {Code(0x80004005), "DDERR_GENERIC"},
    {Code(0x800401F0), "DDERR_NOTINITIALIZED"},
    {Code(0x8007000E), "DDERR_OUTOFMEMORY"},
    {Code(0x80070057), "DDERR_INVALIDPARAMS"},
    {Code(0x88760005), "DDERR_ALREADYINITIALIZED"},
    {Code(0x8876000A), "DDERR_CANNOTATTACHSURFACE"},
    {Code(0x88760014), "DDERR_CANNOTDETACHSURFACE"},
    {Code(0x88760028), "DDERR_CURRENTLYNOTAVAIL"},
    {Code(0x88760037), "DDERR_EXCEPTION"},
    {Code(0x8876005A), "DDERR_HEIGHTALIGN"},
    {Code(0x8876005F), "DDERR_INCOMPATIBLEPRIMARY"},
    {Code(0x88760064), "DDERR_INVALIDCAPS"},
    {Code(0x8876006E), "DDERR_INVALIDCLIPLIST"},
    {Code(0x88760078), "DDERR_INVALIDMODE"},
    {Code(0x88760082), "DDERR_INVALIDOBJECT"},
    {Code(0x88760091), "DDERR_INVALIDPIXELFORMAT"},
    {Code(0x88760096), "DDERR_INVALIDRECT"},
    {Code(0x887600A0), "DDERR_LOCKEDSURFACES"},
    {Code(0x887600AA), "DDERR_NO3D"},
    {Code(0x887600B4), "DDERR_NOALPHAHW"},
    {Code(0x887600CD), "DDERR_NOCLIPLIST"},
    {Code(0x887600D2), "DDERR_NOCOLORCONVHW"},
    {Code(0x887600D4), "DDERR_NOCOOPERATIVELEVELSET"},
    {Code(0x887600D7), "DDERR_NOCOLORKEY"},
    {Code(0x887600DC), "DDERR_NOCOLORKEYHW"},
    {Code(0x887600DE), "DDERR_NODIRECTDRAWSUPPORT"},
    {Code(0x887600E1), "DDERR_NOEXCLUSIVEMODE"},
    {Code(0x887600E6), "DDERR_NOFLIPHW"},
    {Code(0x887600F0), "DDERR_NOGDI"},
    {Code(0x887600FA), "DDERR_NOMIRRORHW"},
    {Code(0x887600FF), "DDERR_NOTFOUND"},
    {Code(0x88760104), "DDERR_NOOVERLAYHW"},
    {Code(0x88760118), "DDERR_NORASTEROPHW"},
    {Code(0x88760122), "DDERR_NOROTATIONHW"},
    {Code(0x88760136), "DDERR_NOSTRETCHHW"},
    {Code(0x8876013C), "DDERR_NOT4BITCOLOR"},
    {Code(0x8876013D), "DDERR_NOT4BITCOLORINDEX"},
    {Code(0x88760140), "DDERR_NOT8BITCOLOR"},
    {Code(0x8876014A), "DDERR_NOTEXTUREHW"},
    {Code(0x8876014F), "DDERR_NOVSYNCHW"},
    {Code(0x88760154), "DDERR_NOZBUFFERHW"},
    {Code(0x8876015E), "DDERR_NOZOVERLAYHW"},
    {Code(0x88760168), "DDERR_OUTOFCAPS"},
    {Code(0x8876017C), "DDERR_OUTOFVIDEOMEMORY"},
    {Code(0x8876017E), "DDERR_OVERLAYCANTCLIP"},
    {Code(0x88760180), "DDERR_OVERLAYCOLORKEYONLYONEACTIVE"},
    {Code(0x88760183), "DDERR_PALETTEBUSY"},
    {Code(0x88760190), "DDERR_COLORKEYNOTSET"},
    {Code(0x8876019A), "DDERR_SURFACEALREADYATTACHED"},
    {Code(0x887601A4), "DDERR_SURFACEALREADYDEPENDENT"},
    {Code(0x887601AE), "DDERR_SURFACEBUSY"},
    {Code(0x887601B3), "DDERR_CANTLOCKSURFACE"},
    {Code(0x887601B8), "DDERR_SURFACEISOBSCURED"},
    {Code(0x887601C2), "DDERR_SURFACELOST"},
    {Code(0x887601CC), "DDERR_SURFACENOTATTACHED"},
    {Code(0x887601D6), "DDERR_TOOBIGHEIGHT"},
    {Code(0x887601E0), "DDERR_TOOBIGSIZE"},
    {Code(0x887601EA), "DDERR_TOOBIGWIDTH"},
    {Code(0x887601FE), "DDERR_UNSUPPORTEDFORMAT"},
    {Code(0x88760208), "DDERR_UNSUPPORTEDMASK"},
    {Code(0x88760219), "DDERR_VERTICALBLANKINPROGRESS"},
    {Code(0x8876021C), "DDERR_WASSTILLDRAWING"},
    {Code(0x88760230), "DDERR_XALIGN"},
    {Code(0x88760231), "DDERR_INVALIDDIRECTDRAWGUID"},
    {Code(0x88760232), "DDERR_DIRECTDRAWALREADYCREATED"},
    {Code(0x88760233), "DDERR_NODIRECTDRAWHW"},
    {Code(0x88760234), "DDERR_PRIMARYSURFACEALREADYEXISTS"},
    {Code(0x88760235), "DDERR_NOEMULATION"},
    {Code(0x88760236), "DDERR_REGIONTOOSMALL"},
    {Code(0x88760237), "DDERR_CLIPPERISUSINGHWND"},
    {Code(0x88760238), "DDERR_NOCLIPPERATTACHED"},
    {Code(0x88760239), "DDERR_NOHWND"},
    {Code(0x8876023A), "DDERR_HWNDSUBCLASSED"},
    {Code(0x8876023B), "DDERR_HWNDALREADYSET"},
    {Code(0x8876023C), "DDERR_NOPALETTEATTACHED"},
    {Code(0x8876023D), "DDERR_NOPALETTEHW"},
    {Code(0x8876023E), "DDERR_BLTFASTCANTCLIP"},
    {Code(0x8876023F), "DDERR_NOBLTHW"},
    {Code(0x88760240), "DDERR_NODDROPSHW"},
    {Code(0x88760241), "DDERR_OVERLAYNOTVISIBLE"},
    {Code(0x88760242), "DDERR_NOOVERLAYDEST"},
    {Code(0x88760243), "DDERR_INVALIDPOSITION"},
    {Code(0x88760244), "DDERR_NOTAOVERLAYSURFACE"},
    {Code(0x88760245), "DDERR_EXCLUSIVEMODEALREADYSET"},
    {Code(0x88760246), "DDERR_NOTFLIPPABLE"},
    {Code(0x88760247), "DDERR_CANTDUPLICATE"},
    {Code(0x88760248), "DDERR_NOTLOCKED"},
    {Code(0x88760249), "DDERR_CANTCREATEDC"},
    {Code(0x8876024A), "DDERR_NODC"},
    {Code(0x8876024B), "DDERR_WRONGMODE"},
    {Code(0x8876024C), "DDERR_IMPLICITLYCREATED"},
    {Code(0x8876024D), "DDERR_NOTPALETTIZED"},
    {Code(0x8876024E), "DDERR_UNSUPPORTEDMODE"},
    {Code(0x8876024F), "DDERR_NOMIPMAPHW"},
    {Code(0x88760250), "DDERR_INVALIDSURFACETYPE"},
    {Code(0x8876026C), "DDERR_DCALREADYCREATED"},
    {Code(0x88760280), "DDERR_CANTPAGELOCK"},
    {Code(0x88760294), "DDERR_CANTPAGEUNLOCK"},
    {Code(0x887602A8), "DDERR_NOTPAGELOCKED"},
};

// DirectSound result codes by the names of the published DirectSound header, ascending.
const CodeText kDirectSoundNames[] = {
    {Code(0x80004001), "DSERR_UNSUPPORTED"},     {Code(0x80004005), "DSERR_GENERIC"},
    {Code(0x80040110), "DSERR_NOAGGREGATION"},   {Code(0x8007000E), "DSERR_OUTOFMEMORY"},
    {Code(0x80070057), "DSERR_INVALIDPARAM"},    {Code(0x8878000A), "DSERR_ALLOCATED"},
    {Code(0x8878001E), "DSERR_CONTROLUNAVAIL"},  {Code(0x88780032), "DSERR_INVALIDCALL"},
    {Code(0x88780046), "DSERR_PRIOLEVELNEEDED"}, {Code(0x88780064), "DSERR_BADFORMAT"},
    {Code(0x88780078), "DSERR_NODRIVER"},        {Code(0x88780082), "DSERR_ALREADYINITIALIZED"},
    {Code(0x88780096), "DSERR_BUFFERLOST"},      {Code(0x887800A0), "DSERR_OTHERAPPHASPRIO"},
    {Code(0x887800AA), "DSERR_UNINITIALIZED"},
};

// Descriptions: success, DirectDraw, Direct3D and Direct3D retained-mode codes.
const CodeText kDescriptions[] = {
    {0, "No error."},
    {Code(0x80004001), "Action not supported."},  // DDERR_UNSUPPORTED
    {Code(0x80004005), "Generic failure."},       // DDERR_GENERIC
    {Code(0x8007000E),
     "DirectDraw does not have enough memory to perform the operation."},  // DDERR_OUTOFMEMORY
    {Code(0x80070057),
     "One or more of the parameters passed to the function are incorrect."},  // DDERR_INVALIDPARAMS
    {Code(0x88760005), "This object has already been initialized."},  // DDERR_ALREADYINITIALIZED
    {Code(0x8876000A),
     "This surface can not be attached to the requested surface."},  // DDERR_CANNOTATTACHSURFACE
    {Code(0x88760014),
     "This surface can not be detached from the requested surface."},  // DDERR_CANNOTDETACHSURFACE
    {Code(0x88760028),
     "Support for this operation is not currently available."},  // DDERR_CURRENTLYNOTAVAIL
    {Code(0x88760037),
     "An exception was raised inside DirectDraw while performing the operation."},  // DDERR_EXCEPTION
    {Code(0x8876005A),
     "The height of the rectangle is not a multiple of the alignment the device requires."},  // DDERR_HEIGHTALIGN
    {Code(0x8876005F),
     "The description does not match the existing primary surface."},  // DDERR_INCOMPATIBLEPRIMARY
    {Code(0x88760064),
     "The capabilities passed to the function are not valid."},  // DDERR_INVALIDCAPS
    {Code(0x8876006E),
     "DirectDraw does not support the clip list that was provided."},  // DDERR_INVALIDCLIPLIST
    {Code(0x88760078),
     "DirectDraw does not support the requested display mode."},  // DDERR_INVALIDMODE
    {Code(0x88760082),
     "The object passed to DirectDraw is not a valid DirectDraw object."},  // DDERR_INVALIDOBJECT
    {Code(0x88760091),
     "The pixel format that was given is not valid."},                 // DDERR_INVALIDPIXELFORMAT
    {Code(0x88760096), "The rectangle that was given is not valid."},  // DDERR_INVALIDRECT
    {Code(0x887600A0),
     "The operation can not be done because one or more surfaces are locked."},  // DDERR_LOCKEDSURFACES
    {Code(0x887600AA), "There is no 3D hardware present."},                      // DDERR_NO3D
    {Code(0x887600B4),
     "The operation needs alpha blending hardware, which is not present."},  // DDERR_NOALPHAHW
    {Code(0x887600CD), "No clip list is available."},                        // DDERR_NOCLIPLIST
    {Code(0x887600D2),
     "The operation needs colour conversion hardware, which is not present."},  // DDERR_NOCOLORCONVHW
    {Code(0x887600D4),
     "The cooperative level has not been set; it must be set before this call."},  // DDERR_NOCOOPERATIVELEVELSET
    {Code(0x887600D7), "Surface doesn't currently have a color key"},  // DDERR_NOCOLORKEY
    {Code(0x887600DC),
     "The operation needs colour key hardware, which is not present."},  // DDERR_NOCOLORKEYHW
    {Code(0x887600E1),
     "The operation needs exclusive mode, which the application does not have."},  // DDERR_NOEXCLUSIVEMODE
    {Code(0x887600E6),
     "Flipping visible surfaces is not supported by the hardware."},  // DDERR_NOFLIPHW
    {Code(0x887600F0), "There is no GDI present."},                   // DDERR_NOGDI
    {Code(0x887600FA),
     "The operation needs mirroring hardware, which is not present."},  // DDERR_NOMIRRORHW
    {Code(0x887600FF), "The requested item was not found."},            // DDERR_NOTFOUND
    {Code(0x88760104),
     "The operation needs overlay hardware, which is not present."},  // DDERR_NOOVERLAYHW
    {Code(0x88760118),
     "The operation needs raster operation hardware, which is not present."},  // DDERR_NORASTEROPHW
    {Code(0x88760122),
     "The operation needs rotation hardware, which is not present."},  // DDERR_NOROTATIONHW
    {Code(0x88760136),
     "The operation needs stretching hardware, which is not present."},  // DDERR_NOSTRETCHHW
    {Code(0x8876013C),
     "The surface does not use a 4-bit colour palette, which the operation needs."},  // DDERR_NOT4BITCOLOR
    {Code(0x8876013D),
     "The surface does not use a 4-bit colour index palette, which the operation needs."},  // DDERR_NOT4BITCOLORINDEX
    {Code(0x88760140),
     "The surface does not use an 8-bit colour palette, which the operation needs."},  // DDERR_NOT8BITCOLOR
    {Code(0x8876014A),
     "The operation needs texture mapping hardware, which is not present."},  // DDERR_NOTEXTUREHW
    {Code(0x8876014F),
     "The operation needs vertical blank synchronisation hardware, which is not present."},  // DDERR_NOVSYNCHW
    {Code(0x88760154),
     "The operation needs a hardware Z-buffer, which is not present."},  // DDERR_NOZBUFFERHW
    {Code(0x8876015E),
     "The hardware can not order overlay surfaces by their Z value."},  // DDERR_NOZOVERLAYHW
    {Code(0x88760168),
     "The hardware needed for the operation has already been allocated."},  // DDERR_OUTOFCAPS
    {Code(0x8876017C),
     "DirectDraw does not have enough memory to perform the operation."},  // DDERR_OUTOFVIDEOMEMORY
    {Code(0x8876017E), "The hardware can not clip an overlay."},           // DDERR_OVERLAYCANTCLIP
    {Code(0x88760180),
     "Only one colour key can be active on an overlay at a time."},  // DDERR_OVERLAYCOLORKEYONLYONEACTIVE
    {Code(0x88760183),
     "The palette is busy because it is locked by another thread."},  // DDERR_PALETTEBUSY
    {Code(0x88760190),
     "No source colour key has been set for the operation."},  // DDERR_COLORKEYNOTSET
    {Code(0x8876019A),
     "This surface is already attached to the surface it is being attached to."},  // DDERR_SURFACEALREADYATTACHED
    {Code(0x887601A4),
     "This surface is already a dependency of the surface it is being made a dependency of."},  // DDERR_SURFACEALREADYDEPENDENT
    {Code(0x887601AE),
     "The surface is busy because it is locked by another thread."},  // DDERR_SURFACEBUSY
    {Code(0x887601B8),
     "The surface can not be reached because it is obscured."},  // DDERR_SURFACEISOBSCURED
    {Code(0x887601C2),
     "Access to this surface is being refused because the surface memory is gone. The "
     "DirectDrawSurface object representing this surface should have Restore called on it."},  // DDERR_SURFACELOST
    {Code(0x887601CC), "The requested surface is not attached."},  // DDERR_SURFACENOTATTACHED
    {Code(0x887601D6),
     "The requested height is larger than DirectDraw can create."},  // DDERR_TOOBIGHEIGHT
    {Code(0x887601E0),
     "The requested size is larger than DirectDraw can create."},  // DDERR_TOOBIGSIZE
    {Code(0x887601EA),
     "The requested width is larger than DirectDraw can create."},  // DDERR_TOOBIGWIDTH
    {Code(0x887601FE),
     "DirectDraw does not support the requested format."},  // DDERR_UNSUPPORTEDFORMAT
    {Code(0x88760208),
     "DirectDraw does not support the requested pixel mask."},  // DDERR_UNSUPPORTEDMASK
    {Code(0x88760219), "A vertical blank is in progress."},     // DDERR_VERTICALBLANKINPROGRESS
    {Code(0x8876021C),
     "The previous operation on this surface is still in progress."},  // DDERR_WASSTILLDRAWING
    {Code(0x88760230),
     "The rectangle does not start on a horizontal position the device can handle."},  // DDERR_XALIGN
    {Code(0x88760231),
     "The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier."},  // DDERR_INVALIDDIRECTDRAWGUID
    {Code(0x88760232),
     "A DirectDraw object for this driver has already been created in this process."},  // DDERR_DIRECTDRAWALREADYCREATED
    {Code(0x88760233),
     "There is no DirectDraw hardware for the requested driver."},  // DDERR_NODIRECTDRAWHW
    {Code(0x88760234),
     "This process has already created a primary surface."},  // DDERR_PRIMARYSURFACEALREADYEXISTS
    {Code(0x88760235), "Software emulation is not available."},            // DDERR_NOEMULATION
    {Code(0x88760236), "The region passed to the clipper is too small."},  // DDERR_REGIONTOOSMALL
    {Code(0x88760237),
     "A clip list can not be set on a clipper that is already watching a "
     "window."},                                                   // DDERR_CLIPPERISUSINGHWND
    {Code(0x88760238), "No clipper is attached to the surface."},  // DDERR_NOCLIPPERATTACHED
    {Code(0x88760239),
     "The clipper has no window, or the cooperative level was set without a window."},  // DDERR_NOHWND
    {Code(0x8876023A),
     "The window has been subclassed by DirectDraw, so its state can not be restored."},  // DDERR_HWNDSUBCLASSED
    {Code(0x8876023B),
     "The cooperative level window can not be changed while surfaces or palettes exist."},  // DDERR_HWNDALREADYSET
    {Code(0x8876023C), "No palette is attached to the surface."},  // DDERR_NOPALETTEATTACHED
    {Code(0x8876023D),
     "There is no hardware support for 16-colour or 256-colour palettes."},  // DDERR_NOPALETTEHW
    {Code(0x8876023E),
     "BltFast can not be used on a surface that has a clipper attached."},  // DDERR_BLTFASTCANTCLIP
    {Code(0x8876023F), "There is no blitter hardware."},                    // DDERR_NOBLTHW
    {Code(0x88760240),
     "There is no hardware support for DirectDraw raster operations."},  // DDERR_NODDROPSHW
    {Code(0x88760241),
     "The overlay's position was asked for while the overlay is hidden."},  // DDERR_OVERLAYNOTVISIBLE
    {Code(0x88760242),
     "The overlay's position was asked for before the overlay was given a destination."},  // DDERR_NOOVERLAYDEST
    {Code(0x88760243),
     "The overlay's position on the destination is not valid."},  // DDERR_INVALIDPOSITION
    {Code(0x88760244),
     "The operation needs an overlay surface, and this surface is not one."},  // DDERR_NOTAOVERLAYSURFACE
    {Code(0x88760245),
     "Another application already holds exclusive mode."},  // DDERR_EXCLUSIVEMODEALREADYSET
    {Code(0x88760246),
     "The surface is not part of a flipping chain and can not be flipped."},  // DDERR_NOTFLIPPABLE
    {Code(0x88760247),
     "Primary surfaces and surfaces attached to others can not be "
     "duplicated."},  // DDERR_CANTDUPLICATE
    {Code(0x88760248),
     "Surface was not locked.  An attempt to unlock a surface that was not locked at all, or by "
     "this process, has been attempted."},  // DDERR_NOTLOCKED
    {Code(0x88760249),
     "Windows can not create a device context for the surface."},  // DDERR_CANTCREATEDC
    {Code(0x8876024A), "No device context has ever been created for this surface."},  // DDERR_NODC
    {Code(0x8876024B),
     "The surface was created in another display mode and can not be restored."},  // DDERR_WRONGMODE
    {Code(0x8876024C),
     "The surface was created implicitly as part of another and can not be restored on its "
     "own."},                                                   // DDERR_IMPLICITLYCREATED
    {Code(0x8876024D), "The surface does not use a palette."},  // DDERR_NOTPALETTIZED
    {Code(0x887602BC), "D3DERR_BADMAJORVERSION"},
    {Code(0x887602BD), "D3DERR_BADMINORVERSION"},
    {Code(0x887602C6), "D3DERR_EXECUTE_CREATE_FAILED"},
    {Code(0x887602C7), "D3DERR_EXECUTE_DESTROY_FAILED"},
    {Code(0x887602C8), "D3DERR_EXECUTE_LOCK_FAILED"},
    {Code(0x887602C9), "D3DERR_EXECUTE_UNLOCK_FAILED"},
    {Code(0x887602CA), "D3DERR_EXECUTE_LOCKED"},
    {Code(0x887602CB), "D3DERR_EXECUTE_NOT_LOCKED"},
    {Code(0x887602CC), "D3DERR_EXECUTE_FAILED"},
    {Code(0x887602CD), "D3DERR_EXECUTE_CLIPPED_FAILED"},
    {Code(0x887602D0), "D3DERR_TEXTURE_NO_SUPPORT"},
    {Code(0x887602D1), "D3DERR_TEXTURE_CREATE_FAILED"},
    {Code(0x887602D2), "D3DERR_TEXTURE_DESTROY_FAILED"},
    {Code(0x887602D3), "D3DERR_TEXTURE_LOCK_FAILED"},
    {Code(0x887602D4), "D3DERR_TEXTURE_UNLOCK_FAILED"},
    {Code(0x887602D5), "D3DERR_TEXTURE_LOAD_FAILED"},
    {Code(0x887602D7), "D3DERR_TEXTURELOCKED"},
    {Code(0x887602D8), "D3DERR_TEXTURE_NOT_LOCKED"},
    {Code(0x887602DA), "D3DERR_MATRIX_CREATE_FAILED"},
    {Code(0x887602DB), "D3DERR_MATRIX_DESTROY_FAILED"},
    {Code(0x887602DC), "D3DERR_MATRIX_SETDATA_FAILED"},
    {Code(0x887602DE), "D3DERR_SETVIEWPORTDATA_FAILED"},
    {Code(0x887602E4), "D3DERR_MATERIAL_CREATE_FAILED"},
    {Code(0x887602E5), "D3DERR_MATERIAL_DESTROY_FAILED"},
    {Code(0x887602E6), "D3DERR_MATERIAL_SETDATA_FAILED"},
    {Code(0x887602EE), "D3DERR_LIGHT_SET_FAILED"},
    {Code(0x8876030D), "D3DRMERR_BADOBJECT"},
    {Code(0x8876030E), "D3DRMERR_BADTYPE"},
    {Code(0x8876030F), "D3DRMERR_BADALLOC"},
    {Code(0x88760310), "D3DRMERR_FACEUSED"},
    {Code(0x88760311), "D3DRMERR_NOTFOUND"},
    {Code(0x88760312), "D3DRMERR_NOTDONEYET"},
    {Code(0x88760313), "The file was not found."},
    {Code(0x88760314), "D3DRMERR_BADFILE"},
    {Code(0x88760315), "D3DRMERR_BADDEVICE"},
    {Code(0x88760316), "D3DRMERR_BADVALUE"},
    {Code(0x88760317), "D3DRMERR_BADMAJORVERSION"},
    {Code(0x88760318), "D3DRMERR_BADMINORVERSION"},
    {Code(0x88760319), "D3DRMERR_UNABLETOEXECUTE"},
};

const char kUnknownName[] = "Unknown Error";
const char kUnrecognized[] = "Unrecognized error value.";

template <size_t N>
const char* Find(const CodeText (&table)[N], HRESULT code, const char* fallback) {
  for (const CodeText& entry : table) {
    if (entry.code == code) return entry.text;
  }
  return fallback;
}

// Copies a name into a bounded buffer, always zero-terminated.
void CopyName(char* buffer, size_t size, const char* name) {
  std::snprintf(buffer, size, "%s", name);
}

}  // namespace

static_assert(sizeof(kDirectDrawNames) / sizeof(kDirectDrawNames[0]) == 100,
              "one name per DirectDraw code");
static_assert(sizeof(kDirectSoundNames) / sizeof(kDirectSoundNames[0]) == 15,
              "one name per DirectSound code");
static_assert(sizeof(kDescriptions) / sizeof(kDescriptions[0]) == 130,
              "one description per described code");

void ReportDirectDrawError(HRESULT result, HWND window, const char* sourceName, int line) {
  char name[256];
  CopyName(name, sizeof(name), Find(kDirectDrawNames, result, kUnknownName));
  char message[1024];
  // snprintf cuts a source name that doesn't fit; the buffer is never written past.
  std::snprintf(message, sizeof(message), "DirectDraw Error %s\nFILE: %s\nLINE: %d", name,
                sourceName ? sourceName : "", line);
  MessageBoxA(window, message, "Error", MB_OK);
  PostQuitMessage(0);
}

void ReportDirectSoundError(HRESULT result, HWND window) {
  char name[256];
  CopyName(name, sizeof(name), Find(kDirectSoundNames, result, kUnknownName));
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

const char* DescribeError(HRESULT result) { return Find(kDescriptions, result, kUnrecognized); }
