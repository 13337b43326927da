// One brick of the wall: plain, unbreakable, or releasing a capsule.
#ifndef QUORVANE_BRICK_H
#define QUORVANE_BRICK_H

class Surface;
class Paddle;
class Capsule;

// What a brick does when the ball strikes it; also the row of its picture in the brick sheet.
enum BrickKind {
  kPlainBrick = 0,        // knocked out
  kUnbreakableBrick = 1,  // stays, and does not count towards clearing the wall
  kCapsuleBrick = 2,      // knocked out, releasing a widening capsule
};

class Brick {
 public:
  Brick(int x, int y, int kind);
  ~Brick();
  Brick(const Brick&) = delete;
  Brick& operator=(const Brick&) = delete;

  // A standing brick draws itself; a knocked-out one runs its falling capsule, if any.
  void Draw(Paddle* paddle);
  // Struck by the ball: knocked out unless unbreakable; a capsule brick releases its capsule.
  void Hit();

  Surface* image;    // "brick.bmp", the brick picture of its kind
  Capsule* capsule;  // owned, null when none is falling
  int x;
  int y;
  int width;   // 50
  int height;  // 30
  bool alive;
  int kind;  // a BrickKind
};

#endif
