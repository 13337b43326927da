// How the game's objects load their pictures.
#ifndef QUORVANE_IMAGES_H
#define QUORVANE_IMAGES_H

#include "qvsurface.h"

// A new Surface read from a bitmap file on the game's screen, DirectDraw choosing the memory.
// Sprites take their transparent colour from the picture's top-left pixel; the background
// has none. A file that does not load leaves a Surface without an image, whose draws fail.
Surface* LoadGameImage(const char* fileName, bool keyed);

#endif
