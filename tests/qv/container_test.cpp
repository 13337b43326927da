// File container: archives read in place, libraries extracted to "QV.TMP", damaged files, and
// surfaces made from archive entries. Each test runs in a folder of its own, which is also the
// current directory, where "QV.TMP" is written.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "blend_fixture.h"
#include "container.h"
#include "image_files.h"

namespace {

namespace fs = std::filesystem;
struct Entry {
  uint32_t offset, size;
  uint8_t type;
  int32_t key;
};

// "RXDC", type, count, the entries, then `data` (offsets count from the start of the file).
FileBytes MakeArchive(uint32_t type, uint32_t count, const std::vector<Entry>& entries,
                      const FileBytes& data = {}) {
  FileBytes b = {'R', 'X', 'D', 'C'};
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
FileBytes MakeLibrary(const std::vector<std::pair<std::string, FileBytes>>& files) {
  FileBytes b;
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

void WriteFile(const std::string& path, const FileBytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

FileBytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return FileBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Closed(const FileContainer& c) {
  return !c.libraryEntries && !c.libraryFile && !c.tempFile && !c.path && !c.archive &&
         !c.archiveEntries && c.form == 0;
}

class Container : public BlitTest {
 protected:
  void SetUp() override {
    BlitTest::SetUp();
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
  FileBytes data(170 - 51, 0);  // the table ends at 12 + 3 * 13 = 51
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
  const FileBytes good = MakeArchive(0, 1, {{25, 4, 0, 1}}, {1, 2, 3, 4});
  const FileBytes data = {1, 2, 3, 4};
  fs::create_directory("folder");
  const std::vector<FileBytes> cases = {
      FileBytes(good.begin(), good.begin() + 11),            // header cut short
      FileBytes(good.begin(), good.begin() + 20),            // table cut short
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
  const FileBytes paddle(300, 0x11), ball = {1, 2, 3}, longName = {9, 8};
  WriteFile("lib.dat", MakeLibrary({{"PADDLE.BMP", paddle},
                                    {"ball.bmp", ball},
                                    {"ABCDEFGHIJKLM", longName},  // 13 characters, no zero
                                    {"empty", {}}}));
  FileContainer c;
  ASSERT_EQ(c.Open("lib.dat"), 1);
  EXPECT_EQ(c.form, 1u);
  EXPECT_EQ(c.libraryCount, 5);
  // Names match without regard to case; each extraction replaces the file.
  const std::vector<std::pair<const char*, FileBytes>> wanted = {
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
  const FileBytes good = MakeLibrary({{"a", {1, 2, 3, 4}}});
  FileBytes negative = good, huge = good, cut(good.begin(), good.end() - 30);
  negative[3] = 0x80;
  huge[0] = huge[1] = huge[2] = 0xFF;
  huge[3] = 0x7F;
  for (const FileBytes& bytes : {negative, huge, cut}) {
    WriteFile("bad.dat", bytes);
    FileContainer c;
    EXPECT_EQ(c.Open("bad.dat"), 0);
    EXPECT_TRUE(Closed(c));
  }

  // Tables that open but place entry a's data outside the file or backwards.
  FileBytes past = good, backwards = MakeLibrary({{"a", {1, 2}}, {"b", {3}}});
  past[24] = 200;
  backwards[24] = 0;
  for (const FileBytes& bytes : {past, backwards}) {
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

TEST_F(Container, SurfaceFromArchiveEntry) {
  const FileBytes bmp = MakeBmp(2, 2, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  // Entry 1 holds the bitmap; entry 0 is empty, with the whole bitmap after it.
  WriteFile("images.dat", MakeArchive(0, 2, {{38, 0, 0, 1}, {38, 70, 0, 2}}, bmp));
  FileContainer c;
  ASSERT_EQ(c.Open("images.dat"), 1);
  Surface s;
  ASSERT_EQ(s.CreateFromContainer(screen.get(), &c, 1, AnyMemory), 1);
  EXPECT_EQ(s.width * 10 + s.height, 22);
  EXPECT_EQ(Read(s), (std::vector<DWORD>{0xF800, 0x07E0, 0x001F, 0xFFFF}));

  for (int index : {0, 2, -1}) {
    Surface t;
    EXPECT_EQ(t.CreateFromContainer(screen.get(), &c, index, AnyMemory), 0) << index;
    EXPECT_EQ(t.surface, nullptr);
  }
  Surface t;
  EXPECT_EQ(t.CreateFromContainer(screen.get(), nullptr, 1, AnyMemory), 0);
  c.Close();
  EXPECT_EQ(t.CreateFromContainer(screen.get(), &c, 1, AnyMemory), 0);
}

}  // namespace
