// The Windows services the program relies on, for systems other than Windows.
#ifndef QV_PLATFORM_WINDOWS_H
#define QV_PLATFORM_WINDOWS_H

#include "windef.h"
#include "winerror.h"
#include "unknwn.h"
#include "winbase.h"
#include "wingdi.h"
#include "winuser.h"
#include "mmsystem.h"

#endif
