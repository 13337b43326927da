#include "capsule.h"

#include "app.h"
#include "images.h"
#include "paddle.h"
#include "qvscreen.h"

Capsule::Capsule(int x, int y, int kind)
    : image(nullptr), x(x), y(y), width(30), height(30), kind(kind) {
  image = LoadGameImage("brick.bmp", true);
  // The capsule pictures stand in the column right of the bricks, one row per kind.
  image->SetSourceRect(height * kind, 50, height * (kind + 1), width + 50);
}

Capsule::~Capsule() { delete image; }

bool Capsule::Update(Paddle* paddle) {
  y += 2;
  // Touching edges count as a catch.
  if (y + height >= paddle->y && y <= paddle->y + paddle->height && x + width >= paddle->x &&
      x <= paddle->x + paddle->width) {
    Apply(paddle);
    return true;
  }
  if (y >= 600) return true;
  image->SetDestRect(y, x, y + 30, x + 30);
  image->BlitKeyedAt(x, y, screen->GetBack());
  return false;
}

void Capsule::Apply(Paddle* paddle) {
  if (kind == 2) paddle->Widen();
}
