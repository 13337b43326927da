#include "images.h"

#include "app.h"

Surface* LoadGameImage(const char* fileName, bool keyed) {
  Surface* image = new Surface();
  image->Create(screen, fileName, AnyMemory);
  if (keyed) image->SetColorKey();
  return image;
}
