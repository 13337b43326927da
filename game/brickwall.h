// The playing field: the background picture and a grid of 16 x 12 bricks read from the level
// file.
#ifndef QUORVANE_BRICKWALL_H
#define QUORVANE_BRICKWALL_H

class Surface;
class Brick;
class Paddle;

class BrickWall {
 public:
  BrickWall();
  ~BrickWall();
  BrickWall(const BrickWall&) = delete;
  BrickWall& operator=(const BrickWall&) = delete;

  // Fills the wall from a level file: 12 lines of 16 cell characters and a line end.
  // '0' is an empty cell, '1', '2' and '3' bricks of kind 0, 1 and 2; any other character
  // (including a character past the end of the file) a brick of the kind last named.
  void Load(const char* fileName);
  // Background, standing bricks, falling capsules.
  void Draw(Paddle* paddle);
  // True when no breakable brick is standing.
  bool IsCleared();

  Surface* background;   // "background2.bmp", drawn without colour key
  int columns;           // 16
  int rows;              // 12
  Brick* cells[16][16];  // [row][column]; null is an empty cell
};

#endif
