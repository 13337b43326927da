#include "brick.h"

#include "app.h"
#include "capsule.h"
#include "images.h"
#include "playfield.h"
#include "qvscreen.h"

Brick::Brick(int x, int y, int kind)
    : image(nullptr),
      capsule(nullptr),
      x(x),
      y(y),
      width(kBrickWidth),
      height(kBrickHeight),
      alive(false),
      kind(kind) {
  image = LoadGameImage("brick.bmp", true);
  // The brick pictures stand in the left column of the sheet, one row per kind.
  image->SetSourceRect(height * kind, 0, height * (kind + 1), width);
  alive = true;
}

Brick::~Brick() {
  delete capsule;
  delete image;
}

void Brick::Draw(Paddle* paddle) {
  if (alive) {
    image->SetDestRect(y, x, y + height, x + width);
    image->BlitKeyedAt(x, y, screen->GetBack());
    return;
  }
  if (capsule != nullptr && capsule->Update(paddle)) {
    delete capsule;
    capsule = nullptr;
  }
}

void Brick::Hit() {
  if (kind != kUnbreakableBrick) alive = false;
  if (kind == kCapsuleBrick) {
    // The ball only hits standing bricks, so this runs once per capsule brick. Should it run
    // again, the new capsule replaces the old one, which is freed rather than dropped.
    delete capsule;
    capsule = new Capsule(x, y, kWideningCapsule);
  }
}
