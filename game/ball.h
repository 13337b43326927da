// The ball: bounces off the screen's edges, the paddle and the bricks; lost through the bottom.
#ifndef QUORVANE_BALL_H
#define QUORVANE_BALL_H

class Surface;
class BrickWall;
class Paddle;

class Ball {
 public:
  Ball(int x, int y, int speed, int angle);
  ~Ball();
  Ball(const Ball&) = delete;
  Ball& operator=(const Ball&) = delete;

  // Back at the start point, heading straight up.
  void Reset();
  // Draws the ball where it stands, then moves it.
  void DrawAndMove(BrickWall* wall, Paddle* paddle);
  // Edges, lost ball, paddle and bricks, then one step along the angle.
  void Move(BrickWall* wall, Paddle* paddle);

  Surface* image;  // "ball.bmp"
  int x;           // left edge
  int y;           // top edge
  int dx;          // horizontal step of the last move
  int dy;          // vertical step of the last move
  int speed;       // pixels per step, and the width of the collision bands
  double angle;    // degrees: 0 right, 90 down, 180 left, 270 up
  int width;       // 15
  int height;      // 15
};

#endif
