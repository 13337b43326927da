// A capsule falling from a knocked-out capsule brick; caught by the paddle it widens it.
#ifndef QUORVANE_CAPSULE_H
#define QUORVANE_CAPSULE_H

class Surface;
class Paddle;

// The one kind of capsule the game releases, from a capsule brick: it widens the paddle. Its
// picture stands in the row of the brick sheet of the same number.
constexpr int kWideningCapsule = 2;

class Capsule {
 public:
  Capsule(int x, int y, int kind);
  ~Capsule();
  Capsule(const Capsule&) = delete;
  Capsule& operator=(const Capsule&) = delete;

  // Falls 2 pixels, then is caught, falls out or is drawn. True when it is to be removed.
  bool Update(Paddle* paddle);
  // The effect of a caught capsule: kind 2 widens the paddle.
  void Apply(Paddle* paddle);

  Surface* image;  // "brick.bmp", the capsule picture of its kind
  int x;           // left edge, fixed
  int y;           // top edge, 2 pixels lower every frame
  int width;       // 30
  int height;      // 30
  int kind;
};

#endif
