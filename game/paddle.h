// The player's paddle: follows the mouse along the bottom of the screen.
#ifndef QUORVANE_PADDLE_H
#define QUORVANE_PADDLE_H

class Surface;

class Paddle {
 public:
  Paddle();
  ~Paddle();
  Paddle(const Paddle&) = delete;
  Paddle& operator=(const Paddle&) = delete;

  // Reads the input once, takes the mouse x as the left edge and draws the paddle.
  void Update();
  // The wide paddle (120 pixels), after a capsule is caught.
  void Widen();
  // Back to 80 pixels, after the ball is lost.
  void Narrow();

  Surface* image;  // "paddle.bmp": narrow picture at (0, 0), wide one at (0, 15)
  int x;           // left edge
  int mouseY;      // the mouse y of the last read; not used
  int y;           // top edge, always 530
  int width;       // 80, or 120 when widened
  int height;      // 15
  bool widened;
};

#endif
