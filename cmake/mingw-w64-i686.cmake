# Cross-compiling for 32-bit Windows with mingw-w64: the engine and the game against the real
# Windows SDK headers and system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# SSE2 arithmetic (a Pentium 4 or later): doubles round to 64 bits as on every other build, so
# the drawing computed here gives the same pixels as the Linux build. x87's 80-bit intermediates
# move lines by a pixel. Windows keeps 32-bit stacks aligned to 4 bytes only, so functions
# realign theirs before they spill SSE values (16-byte aligned stores) to it.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
