// The level file as the wall reads it: 16 cell characters and one line end per row, whatever
// the file holds.
#include <filesystem>
#include <string>

#include "app.h"
#include "brick.h"
#include "brickwall.h"
#include "game_fixture.h"

namespace {

using LevelTest = GameObjects;

// The wall as text: '.' for an empty cell, else the brick's kind as a digit.
std::string Row(int row) {
  std::string text;
  for (int column = 0; column < 16; ++column) {
    const Brick* brick = wall->cells[row][column];
    text += brick == nullptr ? '.' : static_cast<char>('0' + brick->kind);
  }
  return text;
}

void ExpectRows(int first, int last, const std::string& expected) {
  for (int row = first; row <= last; ++row) EXPECT_EQ(Row(row), expected) << "row " << row;
}

TEST_F(LevelTest, CellCharactersMakeBricksAtTheirPlaces) {
  LoadLevel({"1230000000000000", kEmptyRow, kEmptyRow, kEmptyRow, kEmptyRow, kEmptyRow, kEmptyRow,
             kEmptyRow, kEmptyRow, kEmptyRow, kEmptyRow, "0000000000000003"});
  EXPECT_EQ(Row(0), "012.............");
  EXPECT_EQ(Row(11), "...............2");
  const Brick* last = wall->cells[11][15];
  EXPECT_EQ(last->x, 750);
  EXPECT_EQ(last->y, 275);
  EXPECT_EQ(last->width, 50);
  EXPECT_EQ(last->height, 30);
  EXPECT_TRUE(last->alive);
  EXPECT_EQ(last->capsule, nullptr);
  EXPECT_FALSE(wall->IsCleared());
}

TEST_F(LevelTest, OtherCharactersTakeTheKindLastNamed) {
  // '1','2','2','0' then twelve others: kinds 0, 1, 1, empty, then twelve of kind 1. Spaces
  // are bricks too, and a character before any kind was named is a plain brick.
  LoadLevel({"1220xxxxxxxxxxxx", "    3   0  2 ab ", kEmptyRow});
  EXPECT_EQ(Row(0), "011.111111111111");
  EXPECT_EQ(Row(1), "11112222.2211111");
  WriteFile("plain.txt", "ab0\n");
  wall->Load("plain.txt");
  EXPECT_EQ(Row(0).substr(0, 3), "00.");
}

TEST_F(LevelTest, OnlyEmptyAndUnbreakableCellsCountAsCleared) {
  LoadLevel({kEmptyRow});
  EXPECT_TRUE(wall->IsCleared());
  LoadLevel({"2020202020202020", kEmptyRow, "0000000220000000"});
  EXPECT_TRUE(wall->IsCleared());
  LoadLevel({"2020202020202023"});
  EXPECT_FALSE(wall->IsCleared());
  wall->cells[0][15]->Hit();
  EXPECT_TRUE(wall->IsCleared());
}

TEST_F(LevelTest, ShortAndLongLinesShiftTheRowsAfterThem) {
  // 15 cells: the line end becomes the 16th cell, the next line's first character is taken as
  // the line end, and every later row ends in a brick made of its own line end.
  std::string text = std::string(15, '1') + "\n";
  for (int row = 1; row < 12; ++row) text += std::string(kEmptyRow) + "\n";
  WriteFile("short.txt", text);
  wall->Load("short.txt");
  ExpectRows(0, 0, "0000000000000000");
  ExpectRows(1, 11, "...............0");

  // 17 cells: the 17th is taken as the line end and the real one starts the next row.
  text = std::string(17, '3') + "\n";
  for (int row = 1; row < 12; ++row) text += std::string(kEmptyRow) + "\n";
  WriteFile("long.txt", text);
  wall->Load("long.txt");
  ExpectRows(0, 0, "2222222222222222");
  ExpectRows(1, 11, "2...............");
}

TEST_F(LevelTest, LineEndsMayBeCrLfAndTheLastMayBeMissing) {
  std::string crlf, bare;
  for (int row = 0; row < 12; ++row) {
    crlf += "1000000000000003\r\n";
    bare += "1000000000000003";
    if (row < 11) bare += "\n";
  }
  ASSERT_EQ(crlf.size(), 216u);
  for (const std::string& text : {crlf, bare}) {
    WriteFile("ends.txt", text);
    wall->Load("ends.txt");
    ExpectRows(0, 11, "0..............2");
  }
  // A carriage return on its own is an ordinary cell character.
  WriteFile("cr.txt", "3\r00000000000000\n");
  wall->Load("cr.txt");
  EXPECT_EQ(Row(0), "22..............");
}

TEST_F(LevelTest, MissingShortAndOverlongFilesStillGiveAFullWall) {
  // A missing file reads as end-of-file throughout: plain bricks everywhere, and no file is made.
  wall->Load("no_such_level.txt");
  ExpectRows(0, 11, "0000000000000000");
  EXPECT_FALSE(std::filesystem::exists(Path("no_such_level.txt")));

  WriteFile("empty.txt", "");
  wall->Load("empty.txt");
  ExpectRows(0, 11, "0000000000000000");

  WriteFile("short.txt", "2000\n");  // kind 1 carries into every cell past the end
  wall->Load("short.txt");
  EXPECT_EQ(Row(0), "1...111111111111");
  ExpectRows(1, 11, "1111111111111111");

  std::string text;
  for (int row = 0; row < 12; ++row) text += std::string(kEmptyRow) + "\n";
  text += "3333333333333333\n3333333333333333\n";  // lines past the twelfth are not read
  WriteFile("long.txt", text);
  wall->Load("long.txt");
  ExpectRows(0, 11, "................");
  EXPECT_TRUE(wall->IsCleared());
}

TEST_F(LevelTest, BinaryFilesAreReadByteByByte) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>((i * 37 + 11) & 0xFF);
  bytes[0] = '\0';
  bytes[1] = '3';
  bytes[2] = '\x1A';
  bytes[3] = '0';
  bytes[4] = '\xFF';
  WriteFile("binary.bin", bytes);
  wall->Load("binary.bin");
  EXPECT_EQ(Row(0).substr(0, 5), "022.2");
  for (int row = 0; row < 12; ++row) {
    for (int column = 0; column < 16; ++column) {
      const Brick* brick = wall->cells[row][column];
      if (brick != nullptr) {
        EXPECT_GE(brick->kind, 0);
        EXPECT_LE(brick->kind, 2);
      }
    }
  }
}

}  // namespace
