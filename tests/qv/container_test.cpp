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

// A library with one named entry per file, data after the table, and an end marker "END".
// The three bytes after each name are 0xEE.
Bytes MakeLibrary(const std::vector<std::pair<std::string, Bytes>>& files) {
  Bytes b;
  PutLe(b, static_cast<uint32_t>(files.size() + 1));
  uint32_t offset = 4 + 20 * static_cast<uint32_t>(files.size() + 1);
  for (size_t i = 0; i <= files.size(); ++i) {
    PutLe(b, offset);
    std::string name = i < files.size() ? files[i].first : "END";
    name.resize(13, '\0');
    b.insert(b.end(), name.begin(), name.end());
    b.insert(b.end(), 3, 0xEE);
    if (i < files.size()) offset += static_cast<uint32_t>(files[i].second.size());
  }
  for (const auto& f : files) b.insert(b.end(), f.second.begin(), f.second.end());
  return b;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Closed(const FileContainer& c) {
  return !c.libraryEntries && !c.libraryFile && !c.tempFile && !c.path && !c.archive &&
         !c.archiveEntries && c.form == 0;
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

TEST_F(Container, ArchiveLookupsAndClose) {
  Bytes data(170 - 51, 0);  // the table ends at 12 + 3 * 13 = 51
  data[150 - 51] = 0x5A;
  WriteFile("a.dat", MakeArchive(4, 3, {{100, 50, 1, 7}, {150, 20, 2, 9}, {60, 0, 3, 9}}, data));
  FileContainer c;
  ASSERT_EQ(c.Open("a.dat"), 1);
  EXPECT_EQ(c.form, 4u);
  EXPECT_EQ(c.fileSize, 170);
  EXPECT_EQ(c.FindEntry(9), 1);  // the first of two with this key
  EXPECT_EQ(c.FindEntry(8), -1);
  EXPECT_EQ(c.GetEntryOffset(1), 150u);
  EXPECT_EQ(c.GetEntrySize(1), 20u);
  EXPECT_EQ(c.GetEntryType(1), 2);
  ASSERT_EQ(c.SeekToEntry(1), c.GetFile());
  EXPECT_EQ(std::fgetc(c.GetFile()), 0x5A);
  // Indexes outside the table answer 0 or null and leave the stream where it was.
  for (int index : {-1, 3}) {
    EXPECT_EQ(c.SeekToEntry(index), nullptr);
    EXPECT_EQ(c.GetEntrySize(index) + c.GetEntryOffset(index) + c.GetEntryType(index), 0u);
  }
  EXPECT_EQ(std::ftell(c.GetFile()), 151);

  // An archive whose type is 1 is closed as an archive: a library's "QV.TMP" stays.
  WriteFile("one.dat", MakeArchive(1, 0, {}));
  ASSERT_EQ(c.Open("one.dat"), 1);
  EXPECT_EQ(c.FindEntry(0), -1);
  WriteFile("QV.TMP", {1});
  c.Close();
  EXPECT_TRUE(Closed(c));
  EXPECT_TRUE(fs::exists("QV.TMP"));
}

TEST_F(Container, DamagedArchivesAreRefused) {
  const Bytes good = MakeArchive(0, 1, {{25, 4, 0, 1}}, {1, 2, 3, 4});
  const Bytes data = {1, 2, 3, 4};
  fs::create_directory("folder");
  const std::vector<Bytes> cases = {
      Bytes(good.begin(), good.begin() + 11),                // header cut short
      Bytes(good.begin(), good.begin() + 20),                // table cut short
      MakeArchive(0, 0xFFFFFFFF, {{25, 4, 0, 1}}, data),     // absurd count
      MakeArchive(0, 2, {{25, 4, 0, 1}}, data),              // one entry more than the table
      MakeArchive(0, 1, {{30, 0, 0, 1}}, data),              // offset past the end
      MakeArchive(0, 1, {{25, 5, 0, 1}}, data),              // data past the end
      MakeArchive(0, 1, {{0xFFFFFFF0u, 0x20, 0, 1}}, data),  // offset + size wraps
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    WriteFile("bad.dat", cases[i]);
    FileContainer c;
    EXPECT_EQ(c.Open("bad.dat"), 0);
    EXPECT_TRUE(Closed(c));
  }
  FileContainer c;
  for (const char* path : {"missing.dat", "folder"}) EXPECT_EQ(c.Open(path), 0);
  EXPECT_EQ(c.Open(nullptr), 0);
  EXPECT_TRUE(Closed(c));
}

TEST_F(Container, LibraryEntriesAreExtractedToTheTemporaryFile) {
  const Bytes paddle(300, 0x11), ball = {1, 2, 3}, longName = {9, 8};
  WriteFile("lib.dat", MakeLibrary({{"PADDLE.BMP", paddle},
                                    {"ball.bmp", ball},
                                    {"ABCDEFGHIJKLM", longName},  // 13 characters, no zero
                                    {"empty", {}}}));
  FileContainer c;
  ASSERT_EQ(c.Open("lib.dat"), 1);
  EXPECT_EQ(c.form, 1u);
  EXPECT_EQ(c.libraryCount, 5);
  // Names match without regard to case; each extraction replaces the file.
  const std::vector<std::pair<const char*, Bytes>> wanted = {
      {"paddle.bmp", paddle}, {"Ball.Bmp", ball}, {"abcdefghijklm", longName}, {"EMPTY", {}}};
  for (const auto& [name, bytes] : wanted) {
    ASSERT_STREQ(c.ExtractToTemp(name), "QV.TMP") << name;
    EXPECT_EQ(ReadFile("QV.TMP"), bytes) << name;
  }
  // No match, a shorter name, the end marker: nothing, and no temporary file left.
  for (const char* missing : std::vector<const char*>{"nothing", "ABCDEFGHIJKL", "END", nullptr}) {
    EXPECT_EQ(c.ExtractToTemp(missing), nullptr);
    EXPECT_FALSE(fs::exists("QV.TMP"));
  }
  ASSERT_STREQ(c.ExtractToTemp("ball.bmp"), "QV.TMP");
  c.Close();
  EXPECT_TRUE(Closed(c));
  EXPECT_FALSE(fs::exists("QV.TMP"));
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
    EXPECT_TRUE(Closed(c));
  }

  // Tables that open but place entry a's data outside the file or backwards.
  Bytes past = good, backwards = MakeLibrary({{"a", {1, 2}}, {"b", {3}}});
  past[24] = 200;
  backwards[24] = 0;
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

  // A 2 x 2 bottom-up 24-bit BMP: red, green on top; blue, white below.
  Bytes bmp = {'B', 'M'};
  for (uint32_t v : {70u, 0u, 54u, 40u, 2u, 2u}) PutLe(bmp, v);
  PutLe(bmp, 1, 2);
  PutLe(bmp, 24, 2);
  bmp.resize(54, 0);
  for (uint8_t v : {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0}) {
    bmp.push_back(v);
  }
  // Entry 1 holds the bitmap; entry 0 is empty, with the whole bitmap after it.
  WriteFile("images.dat", MakeArchive(0, 2, {{38, 0, 0, 1}, {38, 70, 0, 2}}, bmp));
  FileContainer c;
  ASSERT_EQ(c.Open("images.dat"), 1);
  {
    Surface s;
    ASSERT_EQ(s.CreateFromContainer(screen, &c, 1, AnyMemory), 1);
    EXPECT_EQ(s.width, 2);
    EXPECT_EQ(s.height, 2);
    ASSERT_EQ(s.Lock(), DD_OK);
    std::vector<int> pixels;
    for (int y = 0; y < 2; ++y) {
      const auto* row = static_cast<const uint8_t*>(s.desc.lpSurface) + y * s.desc.lPitch;
      for (int x = 0; x < 2; ++x) pixels.push_back(row[2 * x] | (row[2 * x + 1] << 8));
    }
    s.Unlock();
    EXPECT_EQ(pixels, (std::vector<int>{0xF800, 0x07E0, 0x001F, 0xFFFF}));

    for (int index : {0, 2, -1}) {
      Surface t;
      EXPECT_EQ(t.CreateFromContainer(screen, &c, index, AnyMemory), 0) << index;
      EXPECT_EQ(t.surface, nullptr);
    }
    Surface t;
    EXPECT_EQ(t.CreateFromContainer(screen, nullptr, 1, AnyMemory), 0);
    c.Close();
    EXPECT_EQ(t.CreateFromContainer(screen, &c, 1, AnyMemory), 0);
  }
  delete screen;
  DestroyWindow(window);
}

}  // namespace
