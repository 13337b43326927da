// File container: archives ("RXDC") read in place, libraries extracted to "QV.TMP".
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "container.h"

const char* const FileContainer::kTempFileName = "QV.TMP";

namespace {

const size_t kArchiveHeaderBytes = 12;
const size_t kArchiveEntryBytes = 13;
const size_t kLibraryHeaderBytes = 4;
const size_t kLibraryEntryBytes = 20;
static_assert(sizeof(LibraryEntry) == kLibraryEntryBytes, "library entries are read as stored");

uint32_t Le32(const BYTE* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The size of an open file, with the position left at the end; -1 when it can't be had or
// does not fit a signed 32-bit offset.
LONG SizeOfFile(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  if (size < 0 || static_cast<unsigned long>(size) > 0x7FFFFFFFul) return -1;
  return static_cast<LONG>(size);
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares at most 13 characters without regard to case, stopping after a zero in both. The
// stored name need not end in a zero.
bool NameMatches(const char (&stored)[13], const char* name) {
  for (size_t i = 0; i < sizeof(stored); ++i) {
    if (FoldCase(stored[i]) != FoldCase(name[i])) return false;
    if (name[i] == '\0') return true;
  }
  return true;
}

}  // namespace

FileContainer::FileContainer()
    : libraryEntries(nullptr),
      libraryFile(nullptr),
      tempFile(nullptr),
      libraryCount(0),
      path(nullptr),
      archive(nullptr),
      form(0),
      archiveCount(0),
      fileSize(0),
      archiveEntries(nullptr) {}

FileContainer::~FileContainer() { Close(); }

bool FileContainer::IsOpen() const {
  return libraryEntries != nullptr || libraryFile != nullptr || tempFile != nullptr ||
         path != nullptr || archive != nullptr || archiveEntries != nullptr;
}

int FileContainer::Open(const char* fileName) {
  if (IsOpen()) Close();
  if (fileName == nullptr) return 0;
  std::FILE* file = std::fopen(fileName, "rb");
  if (file == nullptr) return 0;

  BYTE header[kArchiveHeaderBytes];
  if (std::fread(header, 1, sizeof(header), file) != sizeof(header)) {
    std::fclose(file);
    return 0;
  }
  if (std::memcmp(header, "RXDC", 4) != 0) {
    std::fclose(file);
    return OpenLibrary(fileName);
  }

  const DWORD type = Le32(header + 4);
  const DWORD count = Le32(header + 8);
  // The table must fit in the file before anything is allocated for it.
  const LONG size = SizeOfFile(file);
  bool ok = size >= static_cast<LONG>(kArchiveHeaderBytes) &&
            count <= (static_cast<DWORD>(size) - kArchiveHeaderBytes) / kArchiveEntryBytes &&
            std::fseek(file, static_cast<long>(kArchiveHeaderBytes), SEEK_SET) == 0;

  ArchiveEntry* entries = ok ? new (std::nothrow) ArchiveEntry[count]() : nullptr;
  ok = ok && entries != nullptr;
  for (DWORD i = 0; ok && i < count; ++i) {
    BYTE raw[kArchiveEntryBytes];
    if (std::fread(raw, 1, sizeof(raw), file) != sizeof(raw)) {
      ok = false;
      break;
    }
    ArchiveEntry& e = entries[i];
    e.offset = Le32(raw);
    e.size = Le32(raw + 4);
    e.type = raw[8];
    e.key = static_cast<LONG>(Le32(raw + 9));
    // Every entry's data must lie inside the file, so that reading an entry never runs into
    // the end of the file or past it.
    ok = static_cast<uint64_t>(e.offset) + e.size <= static_cast<uint64_t>(size);
  }

  const size_t pathLength = std::strlen(fileName);
  char* pathCopy = ok ? new (std::nothrow) char[pathLength + 1] : nullptr;
  ok = ok && pathCopy != nullptr && std::fseek(file, 0, SEEK_SET) == 0;
  if (!ok) {
    delete[] pathCopy;
    delete[] entries;
    std::fclose(file);
    return 0;
  }
  std::memcpy(pathCopy, fileName, pathLength + 1);

  archive = file;
  form = type;
  path = pathCopy;
  archiveCount = count;
  fileSize = size;
  archiveEntries = entries;
  return 1;
}

int FileContainer::OpenLibrary(const char* fileName) {
  if (IsOpen()) Close();
  form = 1;
  libraryFile = fileName != nullptr ? std::fopen(fileName, "rb") : nullptr;
  if (libraryFile == nullptr) {
    Close();
    return 0;
  }

  BYTE header[kLibraryHeaderBytes];
  if (std::fread(header, 1, sizeof(header), libraryFile) != sizeof(header)) {
    Close();
    return 0;
  }
  const LONG count = static_cast<LONG>(Le32(header));
  // A count that the file can't hold is refused before anything is allocated for it.
  const LONG size = SizeOfFile(libraryFile);
  if (count < 0 || size < static_cast<LONG>(kLibraryHeaderBytes) ||
      static_cast<DWORD>(count) >
          (static_cast<DWORD>(size) - kLibraryHeaderBytes) / kLibraryEntryBytes ||
      std::fseek(libraryFile, static_cast<long>(kLibraryHeaderBytes), SEEK_SET) != 0) {
    Close();
    return 0;
  }
  libraryEntries = new (std::nothrow) LibraryEntry[static_cast<size_t>(count)];
  if (libraryEntries == nullptr ||
      std::fread(libraryEntries, kLibraryEntryBytes, static_cast<size_t>(count), libraryFile) !=
          static_cast<size_t>(count)) {
    Close();
    return 0;
  }
  libraryCount = count;
  fileSize = size;
  return 1;
}

void FileContainer::Close() {
  // An archive keeps its header's type in `form`, which may be 1 too: only a container without
  // an archive stream is a library.
  if (form == 1 && archive == nullptr) DeleteFileA(kTempFileName);
  if (tempFile != nullptr) std::fclose(tempFile);
  if (libraryFile != nullptr) std::fclose(libraryFile);
  if (archive != nullptr) std::fclose(archive);
  delete[] libraryEntries;
  delete[] archiveEntries;
  delete[] path;
  libraryEntries = nullptr;
  libraryFile = nullptr;
  tempFile = nullptr;
  libraryCount = 0;
  path = nullptr;
  archive = nullptr;
  form = 0;
  archiveCount = 0;
  fileSize = 0;
  archiveEntries = nullptr;
}

bool FileContainer::LibraryRange(LONG index, DWORD& begin, DWORD& end) const {
  if (libraryEntries == nullptr || index < 0 || index + 1 >= libraryCount) return false;
  begin = Le32(libraryEntries[index].offset);
  end = Le32(libraryEntries[index + 1].offset);
  return begin <= end && end <= static_cast<DWORD>(fileSize);
}

const char* FileContainer::ExtractToTemp(const char* name) {
  DeleteFileA(kTempFileName);
  if (name == nullptr || libraryFile == nullptr || libraryEntries == nullptr) return nullptr;

  LONG index = 0;
  while (index < libraryCount && !NameMatches(libraryEntries[index].name, name)) ++index;
  DWORD begin = 0;
  DWORD end = 0;
  // The last entry (and an entry whose data lies outside the file) has nothing to extract.
  if (!LibraryRange(index, begin, end)) return nullptr;
  if (std::fseek(libraryFile, static_cast<long>(begin), SEEK_SET) != 0) return nullptr;

  tempFile = std::fopen(kTempFileName, "wb");
  if (tempFile == nullptr) return nullptr;
  BYTE buffer[8192];
  DWORD left = end - begin;
  bool ok = true;
  while (ok && left > 0) {
    const size_t step = left < sizeof(buffer) ? left : sizeof(buffer);
    ok = std::fread(buffer, 1, step, libraryFile) == step &&
         std::fwrite(buffer, 1, step, tempFile) == step;
    left -= static_cast<DWORD>(step);
  }
  // Closing writes what is still buffered, and may fail too.
  ok = std::fclose(tempFile) == 0 && ok;
  tempFile = nullptr;
  if (!ok) {
    // A partial copy is no extraction.
    DeleteFileA(kTempFileName);
    return nullptr;
  }
  return kTempFileName;
}

std::FILE* FileContainer::GetFile() { return archive; }

int FileContainer::FindEntry(LONG key) {
  if (archiveEntries == nullptr) return -1;
  for (DWORD i = 0; i < archiveCount; ++i) {
    if (archiveEntries[i].key == key) return static_cast<int>(i);
  }
  return -1;
}

std::FILE* FileContainer::SeekToEntry(int index) {
  if (archive == nullptr || archiveEntries == nullptr || index < 0 ||
      static_cast<DWORD>(index) >= archiveCount) {
    return nullptr;
  }
  if (std::fseek(archive, static_cast<long>(archiveEntries[index].offset), SEEK_SET) != 0) {
    return nullptr;
  }
  return archive;
}

DWORD FileContainer::GetEntryOffset(int index) {
  if (archiveEntries == nullptr || index < 0 || static_cast<DWORD>(index) >= archiveCount) {
    return 0;
  }
  return archiveEntries[index].offset;
}

DWORD FileContainer::GetEntrySize(int index) {
  if (archiveEntries == nullptr || index < 0 || static_cast<DWORD>(index) >= archiveCount) {
    return 0;
  }
  return archiveEntries[index].size;
}

BYTE FileContainer::GetEntryType(int index) {
  if (archiveEntries == nullptr || index < 0 || static_cast<DWORD>(index) >= archiveCount) {
    return 0;
  }
  return archiveEntries[index].type;
}
