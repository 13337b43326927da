// File container: archives read in place, libraries extracted to "QV.TMP", damaged files, and
// surfaces made from archive entries. Each test runs in a folder of its own, which is also the
// current directory, where "QV.TMP" is written.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "container.h"
#include "host.h"
#include "qvscreen.h"
#include "qvsurface.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void PutLe(Bytes& b, uint32_t v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

struct Entry {
  uint32_t offset, size;
  uint8_t type;
  int32_t key;
};

// "RXDC", type, count, the entries, then `data` (offsets count from the start of the file).
Bytes MakeArchive(uint32_t type, uint32_t count, const std::vector<Entry>& entries,
                  const Bytes& data = {}) {
  Bytes b = {'R', 'X', 'D', 'C'};
  PutLe(b, type);
  PutLe(b, count);
  for (const Entry& e : entries) {
    PutLe(b, e.offset);
    PutLe(b, e.size);
    b.push_back(e.type);
    PutLe(b, static_cast<uint32_t>(e.key));
  }
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

// A library with one named entry per datum, each placed after the table, and an end marker.
// `unused` fills the three bytes after each name.
Bytes MakeLibrary(const std::vector<std::pair<std::string, Bytes>>& files, uint8_t unused = 0) {
  Bytes b;
  PutLe(b, static_cast<uint32_t>(files.size() + 1));
  uint32_t offset = 4 + 20 * static_cast<uint32_t>(files.size() + 1);
  for (size_t i = 0; i <= files.size(); ++i) {
    PutLe(b, offset);
    std::string name = i < files.size() ? files[i].first : "END";
    name.resize(13, '\0');
    b.insert(b.end(), name.begin(), name.end());
    b.insert(b.end(), 3, unused);
    if (i < files.size()) offset += static_cast<uint32_t>(files[i].second.size());
  }
  for (const auto& f : files) b.insert(b.end(), f.second.begin(), f.second.end());
  return b;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 2 x 2 bottom-up 24-bit BMP: red, green on the top row, blue, white below.
Bytes MakeBmp() {
  Bytes b = {'B', 'M'};
  PutLe(b, 14 + 40 + 16);
  PutLe(b, 0);
  PutLe(b, 14 + 40);
  for (uint32_t v : {40u, 2u, 2u}) PutLe(b, v);
  PutLe(b, 1, 2);
  PutLe(b, 24, 2);
  for (int i = 0; i < 6; ++i) PutLe(b, 0);
  // Rows bottom first, pixels blue, green, red, rows padded to 8 bytes.
  for (uint8_t v : {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0}) {
    b.push_back(v);
  }
  return b;
}

void ExpectClosed(const FileContainer& c) {
  EXPECT_EQ(c.libraryEntries, nullptr);
  EXPECT_EQ(c.libraryFile, nullptr);
  EXPECT_EQ(c.tempFile, nullptr);
  EXPECT_EQ(c.path, nullptr);
  EXPECT_EQ(c.archive, nullptr);
  EXPECT_EQ(c.archiveEntries, nullptr);
  EXPECT_EQ(c.form, 0u);
}

class Container : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    dir_ = fs::path(::testing::TempDir()) /
           (std::string("qv_container_") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }
  fs::path previous_, dir_;
};

TEST_F(Container, ArchiveEntriesAreFoundAndSeekedTo) {
  Bytes data(170 - 12 - 3 * 13, 0);
  data[150 - 12 - 3 * 13] = 0x5A;
  WriteFile("a.dat", MakeArchive(4, 3, {{100, 50, 1, 7}, {150, 20, 2, 9}, {60, 0, 3, 9}}, data));
  FileContainer c;
  ASSERT_EQ(c.Open("a.dat"), 1);
  EXPECT_EQ(c.form, 4u);
  EXPECT_EQ(c.fileSize, 170);
  EXPECT_STREQ(c.path, "a.dat");
  EXPECT_EQ(c.FindEntry(9), 1);  // the first of two with this key
  EXPECT_EQ(c.FindEntry(7), 0);
  EXPECT_EQ(c.FindEntry(8), -1);
  EXPECT_EQ(c.GetEntryOffset(1), 150u);
  EXPECT_EQ(c.GetEntrySize(1), 20u);
  EXPECT_EQ(c.GetEntryType(1), 2);
  ASSERT_EQ(c.SeekToEntry(1), c.GetFile());
  EXPECT_EQ(std::ftell(c.GetFile()), 150);
  EXPECT_EQ(std::fgetc(c.GetFile()), 0x5A);

  // Indexes outside the table answer 0 or null and leave the stream where it was.
  for (int index : {-1, 3, 0x7FFFFFFF}) {
    EXPECT_EQ(c.SeekToEntry(index), nullptr);
    EXPECT_EQ(c.GetEntryOffset(index), 0u);
    EXPECT_EQ(c.GetEntrySize(index), 0u);
    EXPECT_EQ(c.GetEntryType(index), 0);
  }
  EXPECT_EQ(std::ftell(c.GetFile()), 151);
  c.Close();
  ExpectClosed(c);
  EXPECT_EQ(c.FindEntry(9), -1);

  // No entries at all.
  WriteFile("empty.dat", MakeArchive(0, 0, {}));
  ASSERT_EQ(c.Open("empty.dat"), 1);
  EXPECT_EQ(c.FindEntry(0), -1);
}

TEST_F(Container, ArchiveOfTypeOneIsStillClosedAsAnArchive) {
  WriteFile("QV.TMP", {1, 2, 3});
  WriteFile("one.dat", MakeArchive(1, 1, {{12 + 13, 1, 0, 5}}, {0xAB}));
  FileContainer c;
  ASSERT_EQ(c.Open("one.dat"), 1);
  EXPECT_EQ(c.form, 1u);
  EXPECT_EQ(c.ExtractToTemp("x"), nullptr);  // not a library: nothing to extract
  WriteFile("QV.TMP", {1, 2, 3});
  c.Close();
  ExpectClosed(c);
  EXPECT_TRUE(fs::exists("QV.TMP"));  // a library's temporary file only goes with a library
}

TEST_F(Container, DamagedArchivesAreRefused) {
  const Bytes entry = MakeArchive(0, 1, {{25, 4, 0, 1}}, {1, 2, 3, 4});
  Bytes cutTable(entry.begin(), entry.begin() + 20);
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const std::vector<Case> cases = {
      {"header cut", Bytes(entry.begin(), entry.begin() + 11)},
      {"table cut", cutTable},
      {"count far past the end", MakeArchive(0, 0xFFFFFFFF, {{25, 4, 0, 1}}, {1, 2, 3, 4})},
      {"count one past the table", MakeArchive(0, 2, {{25, 4, 0, 1}}, {1, 2, 3, 4})},
      {"offset past the end", MakeArchive(0, 1, {{30, 0, 0, 1}}, {1, 2, 3, 4})},
      {"data past the end", MakeArchive(0, 1, {{25, 5, 0, 1}}, {1, 2, 3, 4})},
      {"offset + size wraps", MakeArchive(0, 1, {{0xFFFFFFF0u, 0x20, 0, 1}}, {1, 2, 3, 4})},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    WriteFile("bad.dat", k.bytes);
    FileContainer c;
    EXPECT_EQ(c.Open("bad.dat"), 0);
    ExpectClosed(c);
  }
  FileContainer c;
  EXPECT_EQ(c.Open("missing.dat"), 0);
  EXPECT_EQ(c.Open(nullptr), 0);
  fs::create_directory("folder");
  EXPECT_EQ(c.Open("folder"), 0);
  ExpectClosed(c);
}

TEST_F(Container, LibraryEntriesAreExtractedToTheTemporaryFile) {
  const Bytes paddle(300, 0x11), ball = {1, 2, 3}, longName = {9, 8};
  WriteFile("lib.dat", MakeLibrary({{"PADDLE.BMP", paddle},
                                    {"ball.bmp", ball},
                                    {"ABCDEFGHIJKLM", longName},  // 13 characters, no zero
                                    {"empty", {}}},
                                   0xEE));
  FileContainer c;
  ASSERT_EQ(c.Open("lib.dat"), 1);
  EXPECT_EQ(c.form, 1u);
  EXPECT_EQ(c.libraryCount, 5);

  const char* name = c.ExtractToTemp("paddle.bmp");
  ASSERT_STREQ(name, "QV.TMP");
  EXPECT_EQ(ReadFile(name), paddle);
  // A second extraction replaces the file, shorter data included.
  ASSERT_STREQ(c.ExtractToTemp("Ball.Bmp"), "QV.TMP");
  EXPECT_EQ(ReadFile("QV.TMP"), ball);
  ASSERT_STREQ(c.ExtractToTemp("abcdefghijklm"), "QV.TMP");
  EXPECT_EQ(ReadFile("QV.TMP"), longName);
  ASSERT_STREQ(c.ExtractToTemp("EMPTY"), "QV.TMP");
  EXPECT_EQ(fs::file_size("QV.TMP"), 0u);

  // No match, a shorter name, and the end marker: nothing, and no temporary file.
  for (const char* missing :
       std::vector<const char*>{"nothing", "ABCDEFGHIJKL", "END", "", nullptr}) {
    SCOPED_TRACE(missing ? missing : "null");
    EXPECT_EQ(c.ExtractToTemp(missing), nullptr);
    EXPECT_FALSE(fs::exists("QV.TMP"));
  }
  ASSERT_STREQ(c.ExtractToTemp("ball.bmp"), "QV.TMP");
  c.Close();
  ExpectClosed(c);
  EXPECT_FALSE(fs::exists("QV.TMP"));

  // Opening another file closes the library first, and the destructor closes the archive.
  ASSERT_EQ(c.Open("lib.dat"), 1);
  WriteFile("a.dat", MakeArchive(0, 0, {}));
  ASSERT_EQ(c.Open("a.dat"), 1);
  EXPECT_EQ(c.libraryFile, nullptr);
  EXPECT_EQ(c.libraryCount, 0);
}

TEST_F(Container, DamagedLibrariesAreRefused) {
  const Bytes good = MakeLibrary({{"a", {1, 2, 3, 4}}});
  Bytes negative = good, huge = good, cut(good.begin(), good.end() - 30);
  negative[3] = 0x80;
  huge[0] = huge[1] = huge[2] = 0xFF;
  huge[3] = 0x7F;
  for (const Bytes& bytes : {negative, huge, cut}) {
    WriteFile("bad.dat", bytes);
    FileContainer c;
    EXPECT_EQ(c.Open("bad.dat"), 0);
    ExpectClosed(c);
  }

  // Tables that open but point outside the file, or backwards: nothing is extracted.
  Bytes past = good, backwards = MakeLibrary({{"a", {1, 2}}, {"b", {3}}});
  past[24] = 200;     // the end marker lies past the end of the file
  backwards[24] = 0;  // entry a's data would end before it starts
  for (const Bytes& bytes : {past, backwards}) {
    WriteFile("bad.dat", bytes);
    FileContainer c;
    ASSERT_EQ(c.Open("bad.dat"), 1);
    EXPECT_EQ(c.ExtractToTemp("a"), nullptr);
    EXPECT_FALSE(fs::exists("QV.TMP"));
  }

  // A temporary file that can't be created.
  WriteFile("lib.dat", good);
  FileContainer c;
  ASSERT_EQ(c.Open("lib.dat"), 1);
  fs::create_directory("QV.TMP");
  EXPECT_EQ(c.ExtractToTemp("a"), nullptr);
}

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Container, SurfaceFromArchiveEntry) {
  qvhost::UseHeadless();
  qvhost::Reset();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = TestWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QvContainerTest";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "QvContainerTest", "test", WS_POPUP, 0, 0, 800, 600, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  ShowWindow(window, SW_SHOW);
  Screen* screen = new Screen();
  ASSERT_EQ(screen->CreateFullScreen(window, 800, 600, 16, 0), 1);

  // Entry 0 is junk, entry 1 the bitmap, entry 2 empty (followed by a whole bitmap), entry 3
  // the bitmap cut short.
  const Bytes bmp = MakeBmp();
  const uint32_t at = 12 + 4 * 13 + 5;
  const uint32_t size = static_cast<uint32_t>(bmp.size());
  Bytes data = {'j', 'u', 'n', 'k', '!'};
  data.insert(data.end(), bmp.begin(), bmp.end());
  WriteFile(
      "images.dat",
      MakeArchive(0, 4, {{at - 5, 5, 0, 1}, {at, size, 0, 2}, {at, 0, 0, 3}, {at, size - 1, 0, 4}},
                  data));
  FileContainer c;
  ASSERT_EQ(c.Open("images.dat"), 1);
  Surface s;
  ASSERT_EQ(s.CreateFromContainer(screen, &c, 1, AnyMemory), 1);
  EXPECT_EQ(s.width, 2);
  EXPECT_EQ(s.height, 2);
  ASSERT_EQ(s.Lock(), DD_OK);
  const auto* rows = static_cast<const uint8_t*>(s.desc.lpSurface);
  auto pixel = [&](int x, int y) {
    const uint8_t* p = rows + y * s.desc.lPitch + x * 2;
    return p[0] | (p[1] << 8);
  };
  EXPECT_EQ(pixel(0, 0), 0xF800);
  EXPECT_EQ(pixel(1, 0), 0x07E0);
  EXPECT_EQ(pixel(0, 1), 0x001F);
  EXPECT_EQ(pixel(1, 1), 0xFFFF);
  s.Unlock();

  for (int index : {0, 2, 3, 4, -1}) {
    SCOPED_TRACE(index);
    Surface t;
    EXPECT_EQ(t.CreateFromContainer(screen, &c, index, AnyMemory), 0);
    EXPECT_EQ(t.surface, nullptr);
  }
  Surface t;
  EXPECT_EQ(t.CreateFromContainer(screen, nullptr, 1, AnyMemory), 0);
  c.Close();
  EXPECT_EQ(t.CreateFromContainer(screen, &c, 1, AnyMemory), 0);

  delete screen;
  DestroyWindow(window);
}

}  // namespace
