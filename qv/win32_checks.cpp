// Compile-time checks of the DirectDraw record sizes that the 32-bit Windows build passes in
// dwSize fields. Other hosts size the records from their own fields, so the checks apply only
// where pointers are 32-bit.
#include <windows.h>
#include <ddraw.h>

static_assert(sizeof(void*) != 4 || sizeof(DDSURFACEDESC2) == 124, "DDSURFACEDESC2 is 124 bytes");
static_assert(sizeof(void*) != 4 || sizeof(DDBLTFX) == 100, "DDBLTFX is 100 bytes");
static_assert(sizeof(void*) != 4 || sizeof(DDPIXELFORMAT) == 32, "DDPIXELFORMAT is 32 bytes");
static_assert(sizeof(void*) != 4 || sizeof(DDCAPS) == 380, "DDCAPS is 380 bytes");
