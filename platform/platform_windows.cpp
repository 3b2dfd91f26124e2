// Windows side of the platform layer: the command line, the console and file
// names already speak Windows-1252 (the system's ANSI code page), so texts
// are used as the bytes they are; only the backslash separates directories.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/platform.h"

// Standard output stays in text mode, as a console program's does: every
// line feed the program prints reaches the console as CR LF.
void PlatformInit() {}

bool ArgumentToInternal(const char* argument, std::string& internal) {
  internal.assign(argument);
  return true;
}

std::string InternalToConsole(std::string_view text) { return std::string(text); }

bool IsDirectorySeparator(char c) { return c == '\\'; }

std::string NativePath(std::string_view path) { return std::string(path); }

std::FILE* OpenFile(std::string_view path, const char* mode) {
  if (path.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  const std::string native(path);
  const DWORD attributes = ::GetFileAttributesA(native.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
    return nullptr;
  }
  return std::fopen(native.c_str(), mode);
}

namespace {

// A name for a temporary file beside the target that no other run of the
// program is likely to pick at the same moment.
std::string CandidateName(const std::string& target, unsigned attempt) {
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".part%lx-%lx-%x",
                static_cast<unsigned long>(::GetCurrentProcessId()),
                static_cast<unsigned long>(::GetTickCount()), attempt);
  return target + suffix;
}

}  // namespace

std::FILE* CreateFileBeside(std::string_view targetPath, std::string& tempPath) {
  const std::string target = NativePath(targetPath);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = CandidateName(target, attempt);
    int fd = -1;
    // _O_EXCL makes the creation fail instead of reusing a file that exists.
    const errno_t failure =
        ::_sopen_s(&fd, candidate.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _SH_DENYNO,
                   _S_IREAD | _S_IWRITE);
    if (failure == EEXIST) continue;
    if (failure != 0) return nullptr;
    std::FILE* file = ::_fdopen(fd, "wb");
    if (file == nullptr) {
      ::_close(fd);
      ::DeleteFileA(candidate.c_str());
      return nullptr;
    }
    tempPath = candidate;
    return file;
  }
  errno = EEXIST;
  return nullptr;
}

bool FlushAndCloseFile(std::FILE* file) {
  bool ok = std::fflush(file) == 0;
  ok = (::_commit(::_fileno(file)) == 0) && ok;
  ok = (std::fclose(file) == 0) && ok;
  return ok;
}

bool ReplaceFileWith(std::string_view tempPath, std::string_view targetPath) {
  // tempPath is already native: it comes from CreateFileBeside.
  return ::MoveFileExA(std::string(tempPath).c_str(), NativePath(targetPath).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveNativeFile(std::string_view nativePath) {
  return ::DeleteFileA(std::string(nativePath).c_str()) != 0;
}

bool LocalTimeOf(std::time_t moment, std::tm& local) {
  return ::localtime_s(&local, &moment) == 0;
}
