#include "ball.h"

#include <cmath>

#include "app.h"
#include "brick.h"
#include "brickwall.h"
#include "images.h"
#include "paddle.h"
#include "playfield.h"
#include "qvscreen.h"

namespace {
// Degrees to radians with pi taken as 3.1416: the ball's paths depend on this exact factor.
constexpr double kRadiansPerDegree = 0.017453333333333335;
}  // namespace

Ball::Ball(int x, int y, int speed, int angle)
    : image(nullptr), x(x), y(y), dx(0), dy(0), speed(speed), angle(angle), width(15), height(15) {
  image = LoadGameImage("ball.bmp", true);
}

Ball::~Ball() { delete image; }

void Ball::Reset() {
  x = kBallStartX;
  y = kBallStartY;
  angle = kBallStartAngle;
  speed = kBallStartSpeed;
}

void Ball::DrawAndMove(BrickWall* wall, Paddle* paddle) {
  image->SetSourceRect(0, 0, height, width);
  image->SetDestRect(y, x, y + height, x + width);
  image->BlitKeyedAt(x, y, screen->GetBack());
  Move(wall, paddle);
}

void Ball::Move(BrickWall* wall, Paddle* paddle) {
  // Screen edges. The right edge is tested on the ball's left edge.
  if (x <= 0 || x >= kScreenWidth - width) angle = 180 - angle;
  if (y <= 0) angle = -angle;
  // Lost through the bottom: back to the start, and the paddle loses its widening.
  if (y + height >= kScreenHeight) {
    Reset();
    paddle->Narrow();
  }
  if (angle > 360) angle -= 360;
  if (angle < 0) angle += 360;

  // Paddle: the bottom of the ball within `speed` + 1 rows from the paddle's top and the two
  // overlapping horizontally. The new direction comes from where the ball meets the paddle:
  // -90 (straight up) at the centre, flatter towards the ends.
  if (y + height >= paddle->y && y + height <= paddle->y + speed && x + width >= paddle->x &&
      x <= paddle->x + paddle->width) {
    int offset = (x + width / 2) - (paddle->x + paddle->width / 2);
    angle = static_cast<double>(offset * 50 / (paddle->width / 2) - 90);
  }

  // Bricks: every standing brick whose rectangle (edges included) holds the ball's centre is
  // hit. A centre in the band of `speed` pixels at a side reflects the ball horizontally when it
  // travels into that side, one in the band at the top or bottom vertically.
  const int cx = x + width / 2;
  const int cy = y + height / 2;
  const int s = speed;
  for (int row = 0; row < wall->rows; ++row) {
    for (int column = 0; column < wall->columns; ++column) {
      Brick* brick = wall->cells[row][column];
      if (brick == nullptr || !brick->alive) continue;
      if (cx < brick->x || cx > brick->x + brick->width || cy < brick->y ||
          cy > brick->y + brick->height) {
        continue;
      }
      brick->Hit();
      if ((cx <= brick->x + s - 1 && (angle <= 90 || angle >= 270)) ||
          (cx >= brick->x + brick->width - s + 1 && angle >= 90 && angle <= 270)) {
        angle = 180 - angle;
      }
      if ((cy <= brick->y + s - 1 && angle >= 0 && angle <= 180) ||
          (cy >= brick->y + brick->height - s + 1 && (angle >= 180 || angle <= 0))) {
        angle = -angle;
      }
    }
  }

  const double radians = angle * kRadiansPerDegree;
  dx = static_cast<int>(std::cos(radians) * speed);
  dy = static_cast<int>(std::sin(radians) * speed);
  x += dx;
  y += dy;
}
