// The level file as the wall reads it: 16 cell characters and one line end per row, whatever
// the file holds.
#include <filesystem>
#include <string>

#include "app.h"
#include "brick.h"
#include "brickwall.h"
#include "game_fixture.h"

namespace {

class LevelTest : public GameObjects {
 protected:
  // Writes `text` to a file and loads the wall from it.
  void LoadText(const std::string& name, const std::string& text) {
    WriteFile(name, text);
    wall->Load(name.c_str());
  }
};

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
  LoadText("plain.txt", "ab0\n");
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

// `count` empty rows, each with its line end.
std::string EmptyRows(int count) {
  std::string text;
  for (int row = 0; row < count; ++row) text += std::string(kEmptyRow) + "\n";
  return text;
}

TEST_F(LevelTest, FilesOfEveryShapeGiveAFullWall) {
  std::string crlf, bare;
  for (int row = 0; row < 12; ++row) {
    crlf += "1000000000000003\r\n";
    bare += row < 11 ? "1000000000000003\n" : "1000000000000003";
  }
  const struct {
    const char* what;
    std::string text;
    const char *first, *others;  // row 0, and rows 1 to 11 (null: not checked)
  } cases[] = {
      // The line end becomes the 16th cell, the next line's first character is taken as the line
      // end, and every later row ends in a brick made of its own line end.
      {"15 cells", std::string(15, '1') + "\n" + EmptyRows(11), "0000000000000000",
       "...............0"},
      // The 17th cell is taken as the line end and the real one starts the next row.
      {"17 cells", std::string(17, '3') + "\n" + EmptyRows(11), "2222222222222222",
       "2..............."},
      {"CR LF line ends", crlf, "0..............2", "0..............2"},
      {"no last line end", bare, "0..............2", "0..............2"},
      {"a lone CR is a cell", "3\r00000000000000\n", "22..............", nullptr},
      // Past the end of the file every cell takes the kind last named: plain at first.
      {"empty", "", "0000000000000000", "0000000000000000"},
      {"short", "2000\n", "1...111111111111", "1111111111111111"},
      {"lines past the twelfth are not read", EmptyRows(12) + "3333333333333333\n",
       "................", "................"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoadText("level.txt", c.text);
    EXPECT_EQ(Row(0), c.first);
    if (c.others != nullptr) ExpectRows(1, 11, c.others);
  }
  // A missing file reads as end-of-file throughout, and no file is made.
  wall->Load("no_such_level.txt");
  ExpectRows(0, 11, "0000000000000000");
  EXPECT_FALSE(std::filesystem::exists(Path("no_such_level.txt")));
}

TEST_F(LevelTest, BinaryFilesAreReadByteByByte) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>((i * 37 + 11) & 0xFF);
  bytes[0] = '\0';
  bytes[1] = '3';
  bytes[2] = '\x1A';
  bytes[3] = '0';
  bytes[4] = '\xFF';
  LoadText("binary.bin", bytes);
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
