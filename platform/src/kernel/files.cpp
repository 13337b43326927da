// The 16-bit style file calls (_lopen, _lread, _lclose), DeleteFileA, GetTempPathA and
// GetCurrentDirectoryA, over POSIX files. Windows paths may use backslashes; they are read as
// directory separators.
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/last_error.h"
#include "core/reset.h"
#include "core/trace.h"

namespace {

constexpr DWORD kErrorPathNotFound = 3;
constexpr DWORD kErrorAccessDenied = 5;
constexpr DWORD kErrorTooManyOpenFiles = 4;

// Descriptors opened by _lopen. Only these are accepted as HFILEs, so a made-up or closed
// handle is refused instead of reaching some other descriptor of the process.
std::set<int>& OpenFiles() {
  static std::set<int> files;
  return files;
}

std::string HostPath(const char* path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

DWORD ErrorFromErrno(int err) {
  switch (err) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return kErrorAccessDenied;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

}  // namespace

// The platform's reset (core/reset.h).
void plat::kernel::ResetFiles() {
  for (int fd : OpenFiles()) close(fd);
  OpenFiles().clear();
}

namespace trace = plat::trace;

extern "C" {

HFILE WINAPI _lopen(LPCSTR lpPathName, int iReadWrite) {
  QV_ENTRY_OR_RETURN("_lopen", trace::Text(lpPathName),
                     trace::Hex(static_cast<uint32_t>(iReadWrite)));
  if (!lpPathName || !*lpPathName) {
    plat::SetError(lpPathName ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return HFILE_ERROR;
  }
  int flags;
  switch (iReadWrite & 0x3) {  // the share-mode bits above the access bits are not kept
    case OF_READ:
      flags = O_RDONLY;
      break;
    case OF_WRITE:
      flags = O_WRONLY;
      break;
    case OF_READWRITE:
      flags = O_RDWR;
      break;
    default:
      plat::SetError(ERROR_INVALID_PARAMETER);
      return HFILE_ERROR;
  }
  int fd = ::open(HostPath(lpPathName).c_str(), flags | O_CLOEXEC);
  if (fd < 0) {
    plat::SetError(ErrorFromErrno(errno));
    return HFILE_ERROR;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    // Directories and devices are not files to Windows' _lopen.
    ::close(fd);
    plat::SetError(kErrorAccessDenied);
    return HFILE_ERROR;
  }
  OpenFiles().insert(fd);
  return fd;
}

UINT WINAPI _lread(HFILE hFile, LPVOID lpBuffer, UINT uBytes) {
  QV_ENTRY_OR_RETURN("_lread", trace::Dec(hFile), trace::Ptr(lpBuffer), trace::Dec(uBytes));
  if (OpenFiles().count(hFile) == 0) {
    plat::SetError(ERROR_INVALID_HANDLE);
    return static_cast<UINT>(HFILE_ERROR);
  }
  if (uBytes == 0) return 0;
  if (!lpBuffer) {
    plat::SetError(ERROR_INVALID_PARAMETER);
    return static_cast<UINT>(HFILE_ERROR);
  }
  // Reads until the count is met or the file ends: a short count means the end was reached.
  // The count stays below HFILE_ERROR so that a full read is never taken for a failure.
  if (uBytes == static_cast<UINT>(HFILE_ERROR)) --uBytes;
  auto* out = static_cast<unsigned char*>(lpBuffer);
  UINT done = 0;
  while (done < uBytes) {
    ssize_t n = ::read(hFile, out + done, uBytes - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      plat::SetError(ErrorFromErrno(errno));
      return static_cast<UINT>(HFILE_ERROR);
    }
    if (n == 0) break;
    done += static_cast<UINT>(n);
  }
  return done;
}

HFILE WINAPI _lclose(HFILE hFile) {
  QV_ENTRY_OR_RETURN("_lclose", trace::Dec(hFile));
  auto& files = OpenFiles();
  auto it = files.find(hFile);
  if (it == files.end()) {
    plat::SetError(ERROR_INVALID_HANDLE);
    return HFILE_ERROR;
  }
  files.erase(it);
  ::close(hFile);
  return 0;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  QV_ENTRY_OR_RETURN("DeleteFileA", trace::Text(lpFileName));
  if (!lpFileName || !*lpFileName) {
    plat::SetError(lpFileName ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string path = HostPath(lpFileName);
  struct stat info;
  if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    plat::SetError(kErrorAccessDenied);
    return FALSE;
  }
  if (::unlink(path.c_str()) != 0) {
    plat::SetError(ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

// The temporary directory with a trailing separator. Returns its length without the
// terminating zero, or the size needed (with the zero) when the buffer is too small, in which
// case the buffer is left alone.
DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
  QV_ENTRY_OR_RETURN("GetTempPathA", trace::Dec(nBufferLength), trace::Ptr(lpBuffer));
  const char* env = std::getenv("TMPDIR");
  std::string dir = (env && *env) ? env : "/tmp";
  if (dir.back() != '/') dir += '/';
  DWORD length = static_cast<DWORD>(dir.size());
  if (!lpBuffer || nBufferLength < length + 1) return length + 1;
  std::memcpy(lpBuffer, dir.c_str(), length + 1);
  return length;
}

// The working directory, without a trailing separator; the same return rules as GetTempPathA.
DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  QV_ENTRY_OR_RETURN("GetCurrentDirectoryA", trace::Dec(nBufferLength), trace::Ptr(lpBuffer));
  char* cwd = ::getcwd(nullptr, 0);
  if (!cwd) {
    plat::SetError(ErrorFromErrno(errno));
    return 0;
  }
  const std::string dir = cwd;
  std::free(cwd);
  DWORD length = static_cast<DWORD>(dir.size());
  if (!lpBuffer || nBufferLength < length + 1) return length + 1;
  std::memcpy(lpBuffer, dir.c_str(), length + 1);
  return length;
}

}  // extern "C"
