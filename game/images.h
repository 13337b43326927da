// How the game's objects load their pictures.
#ifndef QUORVANE_IMAGES_H
#define QUORVANE_IMAGES_H

#include <string>
#include <vector>

#include "qvsurface.h"

// A new Surface read from a bitmap file on the game's screen, DirectDraw choosing the memory.
// Sprites take their transparent colour from the picture's top-left pixel; the background
// has none. A file that does not load leaves a Surface without an image, whose draws fail. A
// sprite's is noted in MissingImages; the background's only gets a note on stderr, since the
// game plays without it.
Surface* LoadGameImage(const char* fileName, bool keyed);

// The pictures that failed to load since ForgetMissingImages, each named once, in order. A
// picture that failed is not read again until then: a damaged brick picture would otherwise be
// read once for every brick.
const std::vector<std::string>& MissingImages();
void ForgetMissingImages();

// Tells the player which pictures are missing and where they were looked for: a message box
// (which also posts the quit message) and the same text on stderr.
void ReportMissingImages();

#endif
