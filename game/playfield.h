// The measures of the playing field that the game objects share: the screen the game runs
// in, the wall's grid of cells, the bricks that stand in it and where the ball starts.
#ifndef QUORVANE_PLAYFIELD_H
#define QUORVANE_PLAYFIELD_H

// The full-screen display mode; all positions are in its pixels, y growing downwards.
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kScreenBitsPerPixel = 16;

// The wall: 16 columns by 12 rows of cells. A brick is 5 pixels taller than its cell, so each
// row of bricks covers the bottom of the row above it.
constexpr int kWallColumns = 16;
constexpr int kWallRows = 12;
constexpr int kCellWidth = 50;
constexpr int kCellHeight = 25;
constexpr int kBrickWidth = 50;
constexpr int kBrickHeight = 30;

// The ball starts, and comes back after it is lost, here: heading straight up at 6 pixels a
// step.
constexpr int kBallStartX = 400;
constexpr int kBallStartY = 500;
constexpr int kBallStartSpeed = 6;
constexpr int kBallStartAngle = 270;

#endif
