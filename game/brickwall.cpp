#include "brickwall.h"

#include <cstdio>

#include "app.h"
#include "brick.h"
#include "images.h"
#include "playfield.h"
#include "qvscreen.h"

namespace {

// The level file read as text: a carriage return followed by a line feed reads as one line
// feed, the same on every system. A file that did not open, and every read past its end, gives
// EOF. The file is only ever opened for reading, so a missing one is not created.
class LevelReader {
 public:
  explicit LevelReader(const char* fileName)
      : file_(fileName != nullptr ? std::fopen(fileName, "rb") : nullptr) {}
  ~LevelReader() {
    if (file_ != nullptr) std::fclose(file_);
  }
  LevelReader(const LevelReader&) = delete;
  LevelReader& operator=(const LevelReader&) = delete;

  int Next() {
    if (file_ == nullptr) return EOF;
    int c = std::fgetc(file_);
    if (c != EOF) readAny_ = true;
    if (c == '\r') {
      int following = std::fgetc(file_);
      if (following == '\n') return '\n';
      if (following != EOF) std::ungetc(following, file_);
    }
    return c;
  }
  bool Opened() const { return file_ != nullptr; }
  bool ReadAny() const { return readAny_; }

 private:
  std::FILE* file_;
  bool readAny_ = false;
};

}  // namespace

BrickWall::BrickWall() : background(nullptr), columns(kWallColumns), rows(kWallRows), cells{} {
  background = LoadGameImage("background2.bmp", false);
}

BrickWall::~BrickWall() {
  for (auto& row : cells) {
    for (Brick*& brick : row) {
      delete brick;
      brick = nullptr;
    }
  }
  delete background;
}

void BrickWall::Load(const char* fileName) {
  LevelReader reader(fileName);
  // A cell character other than '0' to '3' before any kind was named makes a plain brick.
  int kind = kPlainBrick;
  for (int row = 0; row < kWallRows; ++row) {
    for (int column = 0; column < kWallColumns; ++column) {
      int c = reader.Next();
      if (c == '1') kind = kPlainBrick;
      if (c == '2') kind = kUnbreakableBrick;
      if (c == '3') kind = kCapsuleBrick;
      // Loading again replaces the bricks of a previous load.
      delete cells[row][column];
      cells[row][column] =
          c == '0' ? nullptr : new Brick(kCellWidth * column, kCellHeight * row, kind);
    }
    reader.Next();  // the line end, whatever it is
  }
  // Nothing read: every cell became a plain brick. Not an error, but worth a word.
  if (!reader.ReadAny()) {
    std::fprintf(stderr, "Quorvane: the level file %s is %s; the wall is full of plain bricks.\n",
                 fileName != nullptr ? fileName : "(none)", reader.Opened() ? "empty" : "missing");
  }
}

void BrickWall::Draw(Paddle* paddle) {
  background->Blit(screen->GetBack());
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      if (cells[row][column] != nullptr) cells[row][column]->Draw(paddle);
    }
  }
}

bool BrickWall::IsCleared() {
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const Brick* brick = cells[row][column];
      if (brick != nullptr && brick->alive && brick->kind != kUnbreakableBrick) return false;
    }
  }
  return true;
}
