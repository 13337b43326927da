/// @file container.h
/// File container: read access to files packed into one file. Two kinds are read:
///
/// - Archives start with the bytes "RXDC", then the archive type and the entry count (unsigned
///   32-bit little-endian), then 13 bytes per entry: data offset from the start of the file,
///   data size, type byte, 32-bit key. An entry is read in place through the archive's stream
///   (SeekToEntry, then read the entry's size).
/// - Libraries are any other file: a 32-bit entry count, then 20 bytes per entry: data offset,
///   a 13-byte NUL-padded name and 3 bytes that are not read. Entry i runs from its offset to
///   the next entry's offset, so the last entry only marks the end of the data. An entry is
///   extracted into the file "QV.TMP" in the current directory.
///
/// The files are untrusted: tables that run past the end of the file, absurd counts and entries
/// whose data lies outside the file are refused with 0 or null.
#ifndef QV_CONTAINER_H
#define QV_CONTAINER_H

#include <windows.h>

#include <cstdio>

/// One library entry as stored in the file.
struct LibraryEntry {
  BYTE offset[4];  ///< little-endian, from the start of the file
  char name[13];   ///< NUL-padded; a 13-character name has no terminating zero
  BYTE unused[3];  ///< zero
};

/// One archive entry, decoded.
struct ArchiveEntry {
  DWORD offset;  ///< from the start of the file
  DWORD size;    ///< bytes
  BYTE type;     ///< The entry's type byte.
  LONG key;      ///< The key FindEntry looks for.
};

/// Read access to an archive or a library of files packed into one file.
class FileContainer {
 public:
  /// The name handed back by ExtractToTemp: a file in the current directory.
  static const char* const kTempFileName;

  /// Nothing open; every field 0 or null.
  FileContainer();
  /// Close().
  ~FileContainer();
  FileContainer(const FileContainer&) = delete;             ///< Not copyable: owns its open files.
  FileContainer& operator=(const FileContainer&) = delete;  ///< Not copyable.

  /// Opens an archive, or a library when the file does not start with "RXDC". A container that
  /// was open is closed first. 1 on success, 0 on failure (then nothing is open).
  int Open(const char* path);
  /// Opens `path` as a library. 1 on success; on failure the container is closed and 0 returned.
  int OpenLibrary(const char* path);
  /// Releases everything. For a library, also deletes "QV.TMP".
  void Close();

  /// Copies the data of the first library entry named `name` (compared in at most 13
  /// characters, without regard to case) into "QV.TMP", replacing what was there, and returns
  /// kTempFileName. Null when nothing matches, for the last entry, for an entry whose data is
  /// not inside the file, and when the copy fails (no partial "QV.TMP" is left).
  const char* ExtractToTemp(const char* name);

  /// The archive stream (null unless an archive is open). Owned by the container.
  std::FILE* GetFile();
  /// Index of the first archive entry with this key; -1 when none has it.
  int FindEntry(LONG key);
  /// Moves the archive stream to the entry's data and returns it; null for an index outside
  /// the table or when the stream can't be moved.
  std::FILE* SeekToEntry(int index);
  /// The entry's data offset; 0 for an index outside the table.
  DWORD GetEntryOffset(int index);
  /// The entry's data size; 0 for an index outside the table.
  DWORD GetEntrySize(int index);
  /// The entry's type byte; 0 for an index outside the table.
  BYTE GetEntryType(int index);

  // ---- Fields, in this order -----------------------------------------------------------------
  LibraryEntry* libraryEntries;  ///< owned, libraryCount records as read, or null
  std::FILE* libraryFile;        ///< the library, opened binary; null when not open
  std::FILE* tempFile;           ///< "QV.TMP" while an extraction writes it, else null
  LONG libraryCount;             ///< records in libraryEntries
  char* path;                    ///< owned copy of the archive's path, or null
  std::FILE* archive;            ///< the archive stream, opened "rb", or null
  DWORD form;                    ///< the archive type from the header; 1 for a library
  DWORD archiveCount;            ///< records in archiveEntries
  LONG fileSize;                 ///< size of the open container file in bytes
  ArchiveEntry* archiveEntries;  ///< owned, archiveCount records, or null

 private:
  bool IsOpen() const;
  /// The library data of entry `index` as [begin, end) within the file; false when it is not.
  bool LibraryRange(LONG index, DWORD& begin, DWORD& end) const;
};

#endif
