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
  std::FILE* file = std::fopen(native.c_str(), mode);
  if (file == nullptr || mode[0] != 'r') return file;
  // A device (NUL, CON, COM1) or a pipe is no file to read to its end.
  const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    std::fclose(file);
    errno = EINVAL;
    return nullptr;
  }
  return file;
}

namespace {

constexpr char kPartMark[] = ".part-";

std::size_t LastSeparator(const std::string& path) {
  return path.find_last_of("\\/");
}

// The directory part of a path, with its separator ("" when it has none).
std::string DirectoryPrefix(const std::string& path) {
  const std::size_t separator = LastSeparator(path);
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string NamePart(const std::string& path) {
  const std::size_t separator = LastSeparator(path);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// A name for the new file that no other run of the program is likely to
// pick at the same moment.
std::string CandidateName(const std::string& target, unsigned attempt) {
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, "%s%lx-%lx-%x", kPartMark,
                static_cast<unsigned long>(::GetCurrentProcessId()),
                static_cast<unsigned long>(::GetTickCount()), attempt);
  return DirectoryPrefix(target) + "." + NamePart(target) + suffix;
}

// Makes the replacement's metadata durable: ReplaceFile has no write-through
// of its own.
bool FlushReplacedFile(const std::string& target) {
  const HANDLE handle = ::CreateFileA(target.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool flushed = ::FlushFileBuffers(handle) != 0;
  return (::CloseHandle(handle) != 0) && flushed;
}

}  // namespace

// Windows keeps a replaced file's attributes and security through
// ReplaceFile, so the rights need no copying here; symbolic links are left to
// the system.
bool CreateFileBeside(std::string_view targetPath, FileBeside& beside) {
  beside = FileBeside{};
  const std::string target = NativePath(targetPath);
  // A directory is never replaced by a file (ReplaceFile would take an empty
  // one under some systems); POSIX refuses it at the rename.
  const DWORD attributes = ::GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
    return false;
  }
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = CandidateName(target, attempt);
    int fd = -1;
    // _O_EXCL makes the creation fail instead of reusing a file that exists.
    const errno_t failure =
        ::_sopen_s(&fd, candidate.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _SH_DENYNO,
                   _S_IREAD | _S_IWRITE);
    if (failure == EEXIST) continue;
    if (failure != 0) return false;
    std::FILE* file = ::_fdopen(fd, "wb");
    if (file == nullptr) {
      ::_close(fd);
      ::DeleteFileA(candidate.c_str());
      return false;
    }
    beside.file = file;
    beside.tempPath = candidate;
    beside.targetPath = target;
    return true;
  }
  errno = EEXIST;
  return false;
}

bool CommitFileBeside(FileBeside& beside) {
  if (beside.file == nullptr) return false;
  bool ok = std::fflush(beside.file) == 0;
  ok = (::_commit(::_fileno(beside.file)) == 0) && ok;
  ok = (std::fclose(beside.file) == 0) && ok;
  beside.file = nullptr;
  const char* temp = beside.tempPath.c_str();
  const char* target = beside.targetPath.c_str();
  if (ok && ::GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES) {
    ok = ::ReplaceFileA(target, temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) !=
         0;
    if (ok) return FlushReplacedFile(beside.targetPath);
  } else if (ok) {
    ok = ::MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (ok) return true;
  }
  ::DeleteFileA(temp);
  return false;
}

void DiscardFileBeside(FileBeside& beside) {
  if (beside.file == nullptr) return;
  std::fclose(beside.file);
  beside.file = nullptr;
  ::DeleteFileA(beside.tempPath.c_str());
}

void RemoveStaleFilesBeside(std::string_view targetPath, long maxAgeSeconds) {
  const std::string target = NativePath(targetPath);
  const std::string directory = DirectoryPrefix(target);
  const std::string pattern = directory + "." + NamePart(target) + kPartMark + "*";
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FILETIME nowTime;
  ::GetSystemTimeAsFileTime(&nowTime);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  const unsigned long long maxAge = static_cast<unsigned long long>(maxAgeSeconds) * 10000000ull;
  const unsigned long long now = ticks(nowTime);
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const unsigned long long written = ticks(found.ftLastWriteTime);
    if (now > written && now - written > maxAge) {
      ::DeleteFileA((directory + found.cFileName).c_str());
    }
  } while (::FindNextFileA(search, &found) != 0);
  ::FindClose(search);
}

bool RemoveNativeFile(std::string_view nativePath) {
  return ::DeleteFileA(std::string(nativePath).c_str()) != 0;
}

bool LocalTimeOf(std::time_t moment, std::tm& local) {
  return ::localtime_s(&local, &moment) == 0;
}
