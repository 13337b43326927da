#include "paddle.h"

#include "app.h"
#include "images.h"
#include "input.h"
#include "playfield.h"
#include "qvscreen.h"

namespace {
constexpr int kTop = 530;
constexpr int kNarrowWidth = 80;
constexpr int kWideWidth = 120;
constexpr int kHeight = 15;
}  // namespace

Paddle::Paddle()
    : image(nullptr),
      x(0),
      mouseY(0),
      y(kTop),
      width(kNarrowWidth),
      height(kHeight),
      widened(false) {
  x = kScreenWidth / 2 - width / 2;
  image = LoadGameImage("paddle.bmp", true);
}

Paddle::~Paddle() { delete image; }

void Paddle::Update() {
  input->Update();
  input->GetMousePosition(&x, &mouseY);
  if (widened) {
    image->SetSourceRect(height, 0, 2 * height, kWideWidth);
  } else {
    image->SetSourceRect(0, 0, height, width);
  }
  image->SetDestRect(y, x, y + height, x + width);
  image->BlitKeyedAt(x, y, screen->GetBack());
}

void Paddle::Widen() {
  width = kWideWidth;
  widened = true;
}

void Paddle::Narrow() {
  widened = false;
  width = kNarrowWidth;
}
