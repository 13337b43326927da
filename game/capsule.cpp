#include "capsule.h"

#include "app.h"
#include "images.h"
#include "paddle.h"
#include "playfield.h"
#include "qvscreen.h"

namespace {
constexpr int kCapsuleSize = 30;  // pixels, square
constexpr int kFallPerFrame = 2;  // pixels
}  // namespace

Capsule::Capsule(int x, int y, int kind)
    : image(nullptr), x(x), y(y), width(kCapsuleSize), height(kCapsuleSize), kind(kind) {
  image = LoadGameImage("brick.bmp", true);
  // The capsule pictures stand in the column right of the bricks, one row per kind.
  image->SetSourceRect(height * kind, kBrickWidth, height * (kind + 1), width + kBrickWidth);
}

Capsule::~Capsule() { delete image; }

bool Capsule::Update(Paddle* paddle) {
  y += kFallPerFrame;
  // Touching edges count as a catch.
  if (y + height >= paddle->y && y <= paddle->y + paddle->height && x + width >= paddle->x &&
      x <= paddle->x + paddle->width) {
    Apply(paddle);
    return true;
  }
  // Fallen off the bottom of the screen.
  if (y >= kScreenHeight) return true;
  image->SetDestRect(y, x, y + kCapsuleSize, x + kCapsuleSize);
  image->BlitKeyedAt(x, y, screen->GetBack());
  return false;
}

void Capsule::Apply(Paddle* paddle) {
  if (kind == kWideningCapsule) paddle->Widen();
}
