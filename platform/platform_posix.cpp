// POSIX side of the platform layer: UTF-8 at the boundaries, the slash as a
// second directory separator, no SIGPIPE.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/cp1252.h"
#include "platform/platform.h"

void PlatformInit() { ::signal(SIGPIPE, SIG_IGN); }

bool ArgumentToInternal(const char* argument, std::string& internal) {
  return Utf8ToCp1252(argument, internal);
}

std::string InternalToConsole(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  Cp1252ToUtf8(text, utf8);
  return utf8;
}

bool IsDirectorySeparator(char c) { return c == '\\' || c == '/'; }

std::string NativePath(std::string_view path) {
  std::string slashed(path);
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  std::string utf8;
  Cp1252ToUtf8(slashed, utf8);
  return utf8;
}

std::FILE* OpenFile(std::string_view path, const char* mode) {
  const std::string native = NativePath(path);
  if (native.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  std::FILE* file = std::fopen(native.c_str(), mode);
  if (file == nullptr) return nullptr;
  struct stat info {};
  if (::fstat(::fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file);
    errno = EISDIR;
    return nullptr;
  }
  return file;
}

std::FILE* CreateFileBeside(std::string_view targetPath, std::string& tempPath) {
  std::string pattern = NativePath(targetPath) + ".partXXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    ::close(fd);
    ::unlink(pattern.c_str());
    return nullptr;
  }
  // Give the new file the permissions a plainly created file would have.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  tempPath = pattern;
  return file;
}

bool FlushAndCloseFile(std::FILE* file) {
  bool ok = std::fflush(file) == 0;
  ok = (::fsync(::fileno(file)) == 0) && ok;
  ok = (std::fclose(file) == 0) && ok;
  return ok;
}

bool ReplaceFileWith(std::string_view tempPath, std::string_view targetPath) {
  // tempPath is already native: it comes from CreateFileBeside.
  return std::rename(std::string(tempPath).c_str(), NativePath(targetPath).c_str()) == 0;
}

bool RemoveNativeFile(std::string_view nativePath) {
  return ::unlink(std::string(nativePath).c_str()) == 0;
}

bool LocalTimeOf(std::time_t moment, std::tm& local) {
  return ::localtime_r(&moment, &local) != nullptr;
}
