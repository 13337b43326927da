#include "paddle.h"

#include "app.h"
#include "images.h"
#include "input.h"
#include "qvscreen.h"

Paddle::Paddle() : image(nullptr), x(0), mouseY(0), y(530), width(80), height(15), widened(false) {
  x = 400 - width / 2;
  image = LoadGameImage("paddle.bmp", true);
}

Paddle::~Paddle() { delete image; }

void Paddle::Update() {
  input->Update();
  input->GetMousePosition(&x, &mouseY);
  if (widened) {
    image->SetSourceRect(height, 0, 2 * height, 120);
  } else {
    image->SetSourceRect(0, 0, height, width);
  }
  image->SetDestRect(y, x, y + height, x + width);
  image->BlitKeyedAt(x, y, screen->GetBack());
}

void Paddle::Widen() {
  width = 120;
  widened = true;
}

void Paddle::Narrow() {
  widened = false;
  width = 80;
}
